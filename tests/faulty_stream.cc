// SPDX-License-Identifier: MIT
#include "faulty_stream.h"

#include <sys/stat.h>
#include <sys/types.h>

#include "platform/exclusive_open_posix.h"

namespace {

struct Cookie {
  std::FILE* real;
  Fault fault;
};

constexpr off_t kReadFailsFrom = 200;

ssize_t cookie_read(void* c, char* buffer, size_t size) {
  auto* cookie = static_cast<Cookie*>(c);
  if (cookie->fault == Fault::kReadPastStart && ftello(cookie->real) >= kReadFailsFrom) return -1;
  return static_cast<ssize_t>(std::fread(buffer, 1, size, cookie->real));
}

ssize_t cookie_write(void* c, const char* buffer, size_t size) {
  auto* cookie = static_cast<Cookie*>(c);
  if (cookie->fault == Fault::kWrite) return 0;  // a cookie write reports failure as 0
  return static_cast<ssize_t>(std::fwrite(buffer, 1, size, cookie->real));
}

int cookie_seek(void* c, off64_t* position, int whence) {
  auto* cookie = static_cast<Cookie*>(c);
  if (cookie->fault == Fault::kSeek) return -1;
  if (fseeko(cookie->real, *position, whence) != 0) return -1;
  *position = ftello(cookie->real);
  return 0;
}

int cookie_close(void* c) {
  auto* cookie = static_cast<Cookie*>(c);
  const int closed = std::fclose(cookie->real);
  const bool fail = cookie->fault == Fault::kClose;
  delete cookie;
  return fail ? -1 : closed;
}

}  // namespace

std::FILE* open_faulty_stream(const char* path, Fault fault, FileIdentity* identity, FileVersion* version) {
  std::FILE* real = std::fopen(path, "rb+");
  if (real == nullptr) return nullptr;
  std::setvbuf(real, nullptr, _IONBF, 0);  // as the tool's own file: every write reaches it at once
  struct stat status {};
  if (fstat(fileno(real), &status) == 0) {
    if (identity != nullptr) *identity = identity_of(status);
    if (version != nullptr) *version = version_of(status);
  }
  return fopencookie(new Cookie{real, fault}, "rb+", {cookie_read, cookie_write, cookie_seek, cookie_close});
}
