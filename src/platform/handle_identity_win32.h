// SPDX-License-Identifier: MIT
// What the Windows side of the guard and the stream share: which file an open
// handle reaches, how it looks, and why an open failed.
#pragma once

#include <windows.h>

#include "platform/file_identity.h"

// False if the handle will not tell (a pipe or device may not). This reads no
// data, unlike GetFileType, which moves the access time under Wine.
inline bool handle_identity(HANDLE file, FileIdentity& identity, FileVersion& version) {
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandle(file, &info) ||
      !GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
    return false;
  identity = {info.dwVolumeSerialNumber,
              (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  version = {(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
             basic.ChangeTime.QuadPart};
  return true;
}

// A pipe or device is not a font file, and may never end.
inline bool is_disk_file(HANDLE file) { return GetFileType(file) == FILE_TYPE_DISK; }

inline FileProblem problem_from_last_error() {
  switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileProblem::kBusy;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return FileProblem::kMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileProblem::kDenied;
    default:
      return FileProblem::kInputOutput;
  }
}
