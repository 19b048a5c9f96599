// The standard streams: which of them a name means, and whether they may be
// written.
#pragma once

#include <string>

#include "core/Platform.h"

namespace falvori {

// Refuses writing into the ordinary file that is being read (as in
// "falvori m a - >> a"), which would grow without end.
Failure NotTheSameFile(int sourceFd, int outputFd);

// The descriptor that a destination name stands for: "-" and "/dev/stdout"
// 1, "/dev/stderr" 2, "/dev/stdin" 0, "/dev/fd/N" and "/proc/self/fd/N" N;
// -1 for any other name.
int DescriptorNamed(const std::string& path);

// Makes sure descriptors 0, 1 and 2 are open, so that no file the program
// opens later takes their place and receives its messages. Returns, as bits
// 1 << fd, those that were closed at start.
unsigned OpenMissingStandardDescriptors();

}  // namespace falvori
