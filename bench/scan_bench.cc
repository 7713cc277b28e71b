// Times the tool on a large font-sized file that holds no plain zero, against
// a bare loop of the same per-offset seek and read, and prints the ratio.
//   scan_bench TOOL [MiB] [buffer sizes to try in the bare loop...]
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kWindow = 188;

void write_noise(const char* path, std::size_t bytes) {
  std::vector<unsigned char> data(bytes);
  std::mt19937 random(12345);
  for (unsigned char& b : data) b = static_cast<unsigned char>(random() & 0x7F);  // never 0xFF, no zero glyph
  std::FILE* f = std::fopen(path, "wb");
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// buffer 0: the stream's default buffer.
double bare_loop(const char* path, std::size_t buffer) {
  const auto start = std::chrono::steady_clock::now();
  std::FILE* f = std::fopen(path, "rb+");
  if (buffer != 0) std::setvbuf(f, nullptr, _IOFBF, buffer);
  unsigned char window[kWindow];
  for (std::int64_t offset = 0;; ++offset) {
    fseeko(f, offset, SEEK_SET);
    if (std::fread(window, 1, kWindow, f) < kWindow) break;
  }
  std::fclose(f);
  return seconds_since(start);
}

double tool_run(const char* tool, const char* path) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execl(tool, tool, path, "quiet", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return seconds_since(start);
}

double best_of(int runs, auto&& timed) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) best = std::min(best, timed());
  return best;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scan_bench TOOL [MiB] [buffer sizes...]\n");
    return 2;
  }
  const char* tool = argv[1];
  const std::size_t mib = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 16;
  const std::string path = "scan-bench-" + std::to_string(mib) + "mib.bin";
  write_noise(path.c_str(), mib << 20);

  for (int i = 3; i < argc; ++i) {
    const std::size_t size = std::strtoul(argv[i], nullptr, 10);
    std::printf("bare loop, buffer %7zu: %.3f s\n", size,
                best_of(3, [&] { return bare_loop(path.c_str(), size); }));
  }
  const double bare = best_of(3, [&] { return bare_loop(path.c_str(), 0); });
  const double tool_time = best_of(3, [&] { return tool_run(tool, path.c_str()); });
  std::printf("%zu MiB without the zero: bare loop %.3f s, tool %.3f s, ratio %.3f\n", mib, bare, tool_time,
              tool_time / bare);
  std::remove(path.c_str());
  return 0;
}
