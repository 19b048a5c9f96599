// An open file descriptor as the core's File.
#pragma once

#include "Platform.h"

namespace falvori {

class PosixFile : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    IoResult Read(void* buffer, std::size_t size) override;
    IoResult Write(const void* data, std::size_t size) override;
    Failure Close() override;
    int Fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace falvori
