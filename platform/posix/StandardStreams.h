// Standard input and output as the core's File, for "-" on the command line.
#pragma once

#include "Platform.h"

namespace falvori {

// One of the standard descriptors. It stays open for the rest of the
// program: close() only reports what the system still had to say about
// data already written.
class StreamFile : public File {
public:
    explicit StreamFile(int fd) : fd_(fd) {}

    IoResult read(void* buffer, std::size_t size) override;
    IoResult write(const void* data, std::size_t size) override;
    Failure close() override;

private:
    int fd_;
};

// Makes sure descriptors 0, 1 and 2 are open, so that no file the program
// opens later takes their place and receives its messages. Returns, as bits
// 1 << fd, those that were closed at start.
unsigned OpenMissingStandardDescriptors();

}  // namespace falvori
