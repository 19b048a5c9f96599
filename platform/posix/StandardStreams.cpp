#include "platform/posix/StandardStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/Messages.h"
#include "platform/posix/SameFile.h"
#include "platform/posix/SystemError.h"

namespace falvori {

Failure NotTheSameFile(int sourceFd, int outputFd) {
    struct stat in {}, out {};
    if (sourceFd < 0 || ::fstat(sourceFd, &in) != 0 || ::fstat(outputFd, &out) != 0) return {};
    if (S_ISREG(out.st_mode) && SameFile(in, out))
        return {EINVAL, N_("Source file and standard output are the same file")};
    return {};
}

int DescriptorNamed(const std::string& path) {
    if (path == "-" || path == "/dev/stdout") return 1;
    if (path == "/dev/stderr") return 2;
    if (path == "/dev/stdin") return 0;
    for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.size() <= prefix.size() || path.size() > prefix.size() + 9 || path.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string number = path.substr(prefix.size());
        if (number.find_first_not_of("0123456789") != std::string::npos) return -1;
        return std::stoi(number);
    }
    return -1;
}

unsigned OpenMissingStandardDescriptors() {
    unsigned closed = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        closed |= 1u << fd;
        // The lowest free number is fd itself, as the ones below are open.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) ::close(null);
    }
    return closed;
}

}  // namespace falvori
