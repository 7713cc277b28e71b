// SPDX-License-Identifier: MIT
// Everything the tool says. Each Japanese text comes in two forms: the
// Shift_JIS bytes, which are the Windows console's own text and what goes out
// everywhere else too (pipes, files, a terminal that does not speak UTF-8),
// and the same text in UTF-8 for a Linux terminal whose locale does. A test
// converts the first form to the second. Only the line feeds follow the
// platform's text convention.
#pragma once

namespace messages {

// The version comes from the project's, like the packages' and the resources'.
inline constexpr char kPatchBanner[] = "Tovalin " TOVALIN_VERSION
                                       " - slashed zero for a TrueType font\n"
                                       "Usage: tovalin FONT.ttf [quiet]  (any second word means quiet)\n"
                                       "\n";

inline constexpr char kUndoBanner[] = "Tovalin " TOVALIN_VERSION
                                      " undo - the plain zero back in a TrueType font\n"
                                      "Usage: tovalin-undo FONT.ttf [quiet]  (any second word means quiet)\n"
                                      "\n";

// After the banner, for --help: what the words mean and what the exit status says.
inline constexpr char kHelp[] =
    "  FONT.ttf  the TrueType font (.ttf or .ttc), changed in place\n"
    "  quiet     prints nothing unless something failed, and does not wait for Enter\n"
    "Exit status: 0 done, 1 nothing to replace, 2 no font named, 3 cannot be opened,\n"
    "  4 input/output failure, 5 done but the times not put back, 6 changed by another program\n";

struct Text {
  const char* shift_jis;
  const char* utf8;
};

// No font file has been specified.
inline constexpr Text kMissingPath{
    "\x83\x74\x83\x48\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8e\x77\x92\xe8\x82\xb3\x82\xea"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x42\n",
    "フォントファイルが指定されていません。\n"};

// The font file cannot be opened.
inline constexpr Text kCannotOpen{
    "\x83\x74\x83\x48\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9"
    "\x82\xf1\x81\x42\n",
    "フォントファイルが開けません。\n"};

// Target font file: (path)
inline constexpr Text kTargetFormat{
    "\x91\xce\x8f\xdb\x83\x74\x83\x48\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b: %s\n",
    "対象フォントファイル: %s\n"};

// (empty line) Processing has finished.
inline constexpr Text kDone{
    "\n\x8f\x88\x97\x9d\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\n",
    "\n処理を終了しました。\n"};

// The font file is invalid, or the font has already been changed.
inline constexpr Text kNotFound{
    "\x83\x74\x83\x48\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x95\x73\x90\xb3\x82\xa9\x81\x41"
    "\x8a\xf9\x82\xc9\x83\x74\x83\x48\x83\x93\x83\x67\x82\xaa\x95\xcf\x8d\x58\x82\xb3\x82\xea\x82\xc4\x82\xa2"
    "\x82\xdc\x82\xb7\x81\x42\n",
    "フォントファイルが不正か、既にフォントが変更されています。\n"};

// Please press the [Enter] key.
inline constexpr Text kPressEnter{
    "[Enter]\x83\x4c\x81\x5b\x82\xf0\x89\x9f\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42\n",
    "[Enter]キーを押してください。\n"};

inline constexpr const Text* kAllTexts[] = {&kMissingPath, &kCannotOpen, &kTargetFormat,
                                            &kDone,        &kNotFound,   &kPressEnter};

}  // namespace messages
