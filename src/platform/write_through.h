// Puts what a stream has written onto the disk itself.
#pragma once

#include <cstdio>

// Flushes the stream and asks the system to write the file through to its
// storage. False if either step fails.
bool write_through(std::FILE* stream);
