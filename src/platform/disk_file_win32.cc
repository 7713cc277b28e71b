// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/disk_file.h"
#include "platform/handle_identity_win32.h"
#include "platform/wide_text_win32.h"

FileProblem open_disk_file(const char* path, DiskFile& file) {
  // Others may read the file meanwhile, but neither write, rename nor delete it.
  const HANDLE handle = CreateFileW(wide_from_utf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return problem_from_last_error();
  if (!is_disk_file(handle)) {
    (void)CloseHandle(handle);  // nothing was read or written through it
    return FileProblem::kNotRegularFile;
  }
  const int descriptor = handle_identity(handle, file.identity, file.version)
                             ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY)
                             : -1;
  if (descriptor < 0) {
    (void)CloseHandle(handle);  // nothing was read or written through it
    return FileProblem::kInputOutput;
  }
  file.stream = _fdopen(descriptor, "rb+");
  if (file.stream != nullptr) return FileProblem::kNone;
  (void)_close(descriptor);  // closes the handle too; nothing was read or written through it
  return FileProblem::kInputOutput;
}

bool disk_file_version(std::FILE* stream, FileVersion& version) {
  FileIdentity identity;
  return handle_identity(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), identity, version);
}

bool write_through(std::FILE* stream) { return std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0; }
