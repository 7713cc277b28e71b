// What kind of file a path names.
#pragma once

// True only for an ordinary file on disk: a directory, pipe or device
// (which may never end) is not one.
bool is_regular_file(const char* path);
