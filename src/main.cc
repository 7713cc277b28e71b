// SPDX-License-Identifier: MIT
#include "patch_run.h"

int main(int argc, char* argv[]) { return run_program(argc, argv, kPatch); }
