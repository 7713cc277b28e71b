// Opens the font file for the scan. Kept in its own unit so that tests can
// link a stream with injected failures in its place.
#pragma once

#include <cstdio>

// The file must exist; it is neither created nor truncated. nullptr on failure.
std::FILE* open_target_stream(const char* path);

// After a replacement: the written bytes reach the disk before the run says done.
bool commit_target_stream(std::FILE* stream);
