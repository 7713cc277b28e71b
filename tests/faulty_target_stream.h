// Replaces the run's stream open in the fault tests: the run gets a faulty
// stream over the real file.
#pragma once

#include "faulty_stream.h"

extern Fault target_fault;
extern bool target_buffered;
