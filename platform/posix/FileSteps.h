// Copying one open file's bytes into another, from the start of both.
#pragma once

#include <sys/types.h>

#include "core/Platform.h"

namespace falvori {

// Copies the `size` bytes of `in` to the start of `out`; `out` keeps any
// bytes of its own beyond them (the caller cuts it). A call that ends early
// hands over to the next way at the same byte; fewer bytes than `size` in
// the end are a failure.
Failure CopyAll(int in, int out, off_t size);

// Flushes a file and, where the file system allows it, a folder to disk.
Failure FlushFile(int fd);
Failure FlushFolder(int fd);

}  // namespace falvori
