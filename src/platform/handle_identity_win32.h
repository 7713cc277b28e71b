// SPDX-License-Identifier: MIT
// The identity of the file behind an open Windows handle.
#pragma once

#include <windows.h>

#include "platform/file_identity.h"

// False if the handle will not tell (a pipe or device may not). This reads no
// data, unlike GetFileType, which moves the access time under Wine.
inline bool handle_identity(HANDLE file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return false;
  identity = {info.dwVolumeSerialNumber,
              (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return true;
}

// A pipe or device is not a font file, and may never end.
inline bool is_disk_file(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }
