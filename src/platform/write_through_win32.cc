#include <io.h>

#include "platform/write_through.h"

bool write_through(std::FILE* stream) { return std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0; }
