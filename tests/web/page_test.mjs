// SPDX-License-Identifier: MIT
// The page in Debian's Chromium and Firefox ESR, opened from file:// with no
// server: it patches and undoes fonts byte for byte as a reference model of
// the two records says (every first zero replaced until none is left), the
// undo of its own download among them, offers no download when nothing was
// replaced, has a 64 MiB font ready within three times its own time to read
// the file plus half a second, speaks Japanese to a Japanese browser, and
// loads nothing from anywhere else.
//   usage: node page_test.mjs PAGE SAMPLE_FONT ZERO_RECORDS_SOURCE [COLLECTION]
import { createHash, randomBytes } from "node:crypto";
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const [page_path, sample_path, records_source, collection_path] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), "tovalin-page-"));
process.on("exit", () => rmSync(work, { recursive: true, force: true }));
let failures = 0;
function check(condition, what) {
  if (!condition) {
    failures += 1;
    console.log(`FAIL: ${what}`);
  }
}

// The two records as the source lists them, up to their end byte.
function records() {
  const source = readFileSync(records_source, "utf8");
  const listed = (name) => {
    const body = source.slice(source.indexOf(name)).split("};")[0];
    return Buffer.from([...body.matchAll(/0x([0-9a-f]{2})/g)].map((m) => parseInt(m[1], 16)));
  };
  return { plain: listed("SearchRecord["), slashed: listed("ReplacementRecord[") };
}
const { plain, slashed } = records();
check(plain.length === 188 && slashed.length === 188, "the records are 188 bytes each");

// The reference: the first occurrence replaced, again and again.
function replaced_all(bytes, from, to) {
  const out = Buffer.from(bytes);
  let count = 0;
  for (let at = out.indexOf(from); at >= 0; at = out.indexOf(from)) {
    to.copy(out, at);
    count += 1;
  }
  return { out, count };
}

const sample = readFileSync(sample_path);
const patched = replaced_all(sample, plain, slashed).out;
const fonts = [
  { name: "tovalin-sample.ttf", bytes: sample, mode: "patch" },
  { name: "already.ttf", bytes: patched, mode: "patch" },
  { name: "noise.ttf", bytes: randomBytes(5000), mode: "patch" },
  { name: "empty.ttf", bytes: Buffer.alloc(0), mode: "patch" },
];
if (collection_path) fonts.push({ name: "twenty.ttc", bytes: readFileSync(collection_path), mode: "patch" });
for (const font of fonts) {
  font.path = join(work, font.name);
  writeFileSync(font.path, font.bytes);
  const [from, to] = font.mode === "undo" ? [slashed, plain] : [plain, slashed];
  font.expected = replaced_all(font.bytes, from, to);
}

const large_font = { name: "large.ttf", path: join(work, "large.ttf"), mode: "patch" };
{
  const bytes = Buffer.concat([randomBytes(64 * 1024 * 1024 - sample.length), sample]);
  writeFileSync(large_font.path, bytes);
  large_font.digest = createHash("sha256").update(replaced_all(bytes, plain, slashed).out).digest("hex");
}

const quiet_flags = ["--no-first-run", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--disable-gpu", "--no-sandbox", "--disable-quic"];
function launch(browser, language) {
  if (browser === "chromium") {
    return puppeteer.launch({ browser: "chrome", executablePath: executables.chromium, headless: true,
      userDataDir: mkdtempSync(join(work, "profile-")), args: [...quiet_flags, `--lang=${language}`, `--accept-lang=${language}`],
      env: { ...process.env, LANGUAGE: language } });
  }
  return puppeteer.launch({ browser: "firefox", executablePath: executables.firefox, headless: true,
    extraPrefsFirefox: { "intl.accept_languages": language, "intl.locale.requested": language } });
}

async function open_page(browser) {
  const page = await browser.newPage();
  page.elsewhere = [];
  page.on("request", (request) => {
    if (!/^(file|blob|data):/.test(request.url())) page.elsewhere.push(request.url());
  });
  await page.goto(pathToFileURL(page_path).href);
  return page;
}

// Picks `font` in the page's labelled input, with its mode, and waits for the outcome.
async function pick(page, font, want_digest = false) {
  await page.click(`input[name="mode"][value="${font.mode}"]`);
  await page.evaluate(() => { document.getElementById("status").dataset.outcome = ""; });
  const input = await page.$("input#font");
  await input.uploadFile(font.path);
  await page.waitForFunction(() => !["", "working"].includes(document.getElementById("status").dataset.outcome ?? ""),
    { timeout: 20000 });
  return page.evaluate(async (want_digest) => {
    const status = document.getElementById("status");
    const link = document.querySelector("#result a[download]");
    let bytes = null;
    if (link && want_digest) {
      const got = await (await fetch(link.href)).arrayBuffer();
      bytes = [...new Uint8Array(await crypto.subtle.digest("SHA-256", got))]
        .map((b) => b.toString(16).padStart(2, "0")).join("");
    } else if (link) {
      const got = new Uint8Array(await (await fetch(link.href)).arrayBuffer());
      let text = "";
      for (let i = 0; i < got.length; i += 8192) text += String.fromCharCode(...got.subarray(i, i + 8192));
      bytes = btoa(text);
    }
    return { outcome: status.dataset.outcome, text: status.textContent, role: status.getAttribute("role"),
      download: link ? link.download : null, bytes, ms: Number(status.dataset.ms) };
  }, want_digest);
}

// A browser that is not installed is skipped, saying so; none at all is a skip (77).
const executables = { chromium: "/usr/bin/chromium", firefox: "/usr/bin/firefox-esr" };
let tried = 0;
for (const browser_name of ["chromium", "firefox"]) {
  if (!existsSync(executables[browser_name])) {
    console.log(`skipped: ${browser_name}: ${executables[browser_name]} is not installed`);
    continue;
  }
  tried += 1;
  const browser = await launch(browser_name, "en-US");
  const page = await open_page(browser);
  const labelled = await page.evaluate(() => document.getElementById("font").labels.length > 0 &&
    document.querySelectorAll('input[name="mode"]').length === 2);
  check(labelled, `${browser_name}: the file input is labelled and the two modes are there`);
  for (const font of fonts) {
    const got = await pick(page, font);
    const what = `${browser_name}, ${font.mode} ${font.name}`;
    check(got.role === "status", `${what}: the outcome is in an element with role status`);
    if (font.expected.count === 0) {
      check(got.outcome === "none" && got.download === null, `${what}: ${got.outcome}, a download: ${got.download}`);
    } else {
      check(got.outcome === "replaced" && got.text.includes(String(font.expected.count)),
        `${what}: ${got.outcome}, "${got.text}", not ${font.expected.count} replaced`);
      check(got.download === font.name, `${what}: the download is named ${got.download}`);
      check(got.bytes !== null && Buffer.from(got.bytes, "base64").equals(font.expected.out),
        `${what}: the download is not the font with every zero replaced`);
    }
  }
  // The undo of the page's own download gives the original back.
  const own = await pick(page, fonts[0]);
  const download = { name: "tovalin-sample.ttf", path: join(work, "download", "tovalin-sample.ttf"), mode: "undo" };
  mkdirSync(join(work, "download"), { recursive: true });
  writeFileSync(download.path, Buffer.from(own.bytes ?? "", "base64"));
  const undone = await pick(page, download);
  check(undone.outcome === "replaced" && Buffer.from(undone.bytes ?? "", "base64").equals(sample),
    `${browser_name}: the undo of the page's own download is not the original`);
  // 64 MiB with the zero at its end: ready within three times the page's own
  // time to read the file, plus half a second.
  const large = await pick(page, large_font, true);
  // The page's own time to read the file: through an input of the test's own.
  const reader = await page.evaluateHandle(() => {
    const element = document.createElement("input");
    element.type = "file";
    document.body.append(element);
    return element;
  });
  await reader.uploadFile(large_font.path);
  const reading = await page.evaluate(async (element) => {
    const start = performance.now();
    await element.files[0].arrayBuffer();
    return performance.now() - start;
  }, reader);
  check(large.outcome === "replaced" && large.bytes === large_font.digest, `${browser_name}, 64 MiB: ${large.outcome}, not the right bytes`);
  check(large.ms <= 3 * reading + 500, `${browser_name}, 64 MiB: ready after ${large.ms} ms, reading takes ${Math.round(reading)} ms`);
  console.log(`${browser_name}, 64 MiB: ready after ${large.ms} ms; the page reads the file in ${Math.round(reading)} ms`);
  check(page.elsewhere.length === 0, `${browser_name}: the page loaded ${page.elsewhere.join(" ")}`);
  await browser.close();

  const japanese = await launch(browser_name, "ja");
  const ja_page = await open_page(japanese);
  const got = await pick(ja_page, fonts[0]);
  check(got.text.includes("処理を終了しました"), `${browser_name}, Japanese: "${got.text}"`);
  await japanese.close();
  console.log(`${browser_name}: ${failures === 0 ? "passed" : "failures so far: " + failures}`);
}
process.exit(failures > 0 ? 1 : tried === 0 ? 77 : 0);
