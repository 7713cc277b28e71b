# SPDX-License-Identifier: MIT
# Compiles the page's module for WebAssembly with Debian's clang-14 and
# wasi-libc (wasm32-wasi), as a reactor: no main, the page calls its exports.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mexec-model=reactor -Wl,--strip-all")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
