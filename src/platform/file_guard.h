// SPDX-License-Identifier: MIT
// The file guard: holds the font file for a moment before and after the run's
// own stream, so that no other process has it open then, and keeps its
// timestamps as they were. Each platform links its own version.
#pragma once

#include "platform/file_identity.h"

namespace file_guard {

// Before the stream is opened: takes the file, saves its times and tells
// which file it was. False: the file cannot be taken (or is no regular file).
bool capture(const char* path, FileIdentity& checked);

// After the stream is closed: puts the saved times back, but only on the file
// the capture checked. False: the file cannot be taken or is another one; no
// time was written.
bool restore(const char* path, const FileIdentity& checked);

}  // namespace file_guard
