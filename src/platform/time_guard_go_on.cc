// Stand-in guard: lets every run through and leaves the times to the run.
#include "platform/time_guard.h"

namespace time_guard {

bool capture(const char*) { return true; }
bool restore(const char*) { return true; }

}  // namespace time_guard
