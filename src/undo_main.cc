// SPDX-License-Identifier: MIT
// tovalin-undo: the same run, writing the plain zero back over the first
// slashed one, so a patched font becomes its original again byte for byte.
#include "patch_run.h"

int main(int argc, char* argv[]) { return patch_main(argc, argv, kUndo); }
