#include <sys/stat.h>

#include "platform/file_kind.h"

bool is_regular_file(const char* path) {
  struct stat status {};
  return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}
