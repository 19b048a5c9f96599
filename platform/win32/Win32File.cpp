#include "Win32File.h"

#include <algorithm>

#include "SystemError.h"

namespace falvori {

namespace {

// ReadFile and WriteFile take a DWORD count; stay well below its limit.
constexpr std::size_t kMaxChunk = 1u << 30;

}  // namespace

IoResult ReadFrom(HANDLE file, void* buffer, std::size_t size) {
    IoResult result;
    DWORD got = 0;
    if (!ReadFile(file, buffer, static_cast<DWORD>(std::min(size, kMaxChunk)), &got, nullptr))
        result.failure = LastFailure();
    result.count = got;
    return result;
}

IoResult WriteTo(HANDLE file, const void* data, std::size_t size) {
    IoResult result;
    DWORD put = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(std::min(size, kMaxChunk)), &put, nullptr))
        result.failure = LastFailure();
    result.count = put;
    return result;
}

Failure Win32File::Close() {
    const DWORD error = handle_.Close();
    return error ? SystemFailure(error) : Failure{};
}

}  // namespace falvori
