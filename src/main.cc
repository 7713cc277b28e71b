// SPDX-License-Identifier: MIT
#include "patch_run.h"

int main(int argc, char* argv[]) { return patch_main(argc, argv, kPatch); }
