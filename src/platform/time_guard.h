// Holds the font file for a moment before and after the run's own stream and
// keeps its timestamps as they were. Each platform links its own version.
#pragma once

namespace time_guard {

// Before the stream is opened. False: the file cannot be taken, the run stops.
bool capture(const char* path);

// After the stream is closed. False: the file cannot be taken, times not restored.
bool restore(const char* path);

}  // namespace time_guard
