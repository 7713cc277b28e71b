// SPDX-License-Identifier: MIT
// File positions beyond 2 GiB: the standard fseek takes a long, which is 32
// bits on Windows.
#pragma once

#include <cstdint>
#include <cstdio>

bool seek_from_start(std::FILE* stream, std::int64_t offset);
