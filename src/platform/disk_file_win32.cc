// SPDX-License-Identifier: MIT
#include <io.h>
#include <windows.h>

#include "platform/disk_file.h"
#include "platform/handle_identity_win32.h"

std::FILE* open_disk_file(const char* path, FileIdentity& identity) {
  std::FILE* stream = std::fopen(path, "rb+");
  if (stream == nullptr) return nullptr;
  const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  if (is_disk_file(file) && handle_identity(file, identity)) return stream;
  (void)std::fclose(stream);  // nothing was read or written through it
  return nullptr;
}

bool write_through(std::FILE* stream) { return std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0; }
