// Copying one open file's bytes into another, from the start of both.
#pragma once

#include <sys/types.h>

#include "Platform.h"

namespace falvori {

// Copies all of in to the start of out and sets size to the number of bytes
// copied. Short results are continued where they stopped; out keeps any
// bytes of its own beyond size (the caller cuts it).
Failure CopyAll(int in, int out, off_t& size);

// Flushes a file and, where the file system allows it, a folder to disk.
Failure SyncFile(int fd);
Failure SyncFolder(int fd);

}  // namespace falvori
