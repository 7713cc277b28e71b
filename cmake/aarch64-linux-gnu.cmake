# SPDX-License-Identifier: MIT
# Cross-compiles the Linux build for arm64 with Debian's aarch64 cross compiler.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /usr/lib/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# Segments aligned to 64 KiB, as kernels with 64 KiB pages need (the linker's
# default for aarch64; said here so that no other default can change it).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-z,max-page-size=65536")
# Tests run the arm64 programs under qemu-user; the shell tests start them
# themselves, through binfmt_misc. The multiarch runtime (libc6:arm64) gives
# the loader and libraries where qemu looks for them.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
set(CMAKE_STRIP aarch64-linux-gnu-strip)
# The .deb is labelled with the target's architecture, not the build machine's.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
