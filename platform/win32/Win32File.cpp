#include "Win32File.h"

#include <algorithm>

#include "SystemError.h"

namespace falvori {

namespace {

// ReadFile and WriteFile take a DWORD count; stay well below its limit.
constexpr std::size_t kMaxChunk = 1u << 30;

}  // namespace

IoResult Win32File::Read(void* buffer, std::size_t size) {
    IoResult result;
    if (!handle_) {
        result.failure = SystemFailure(ERROR_INVALID_HANDLE);
        return result;
    }
    DWORD got = 0;
    if (!ReadFile(handle_->Get(), buffer, static_cast<DWORD>(std::min(size, kMaxChunk)), &got, nullptr))
        result.failure = LastFailure();
    result.count = got;
    return result;
}

IoResult Win32File::Write(const void* data, std::size_t size) {
    IoResult result;
    if (!handle_) {
        result.failure = SystemFailure(ERROR_INVALID_HANDLE);
        return result;
    }
    DWORD put = 0;
    if (!WriteFile(handle_->Get(), data, static_cast<DWORD>(std::min(size, kMaxChunk)), &put, nullptr))
        result.failure = LastFailure();
    result.count = put;
    return result;
}

Failure Win32File::Close() {
    if (!handle_) return {};
    std::shared_ptr<OwnedHandle> handle = std::move(handle_);
    // Still held by the platform: the file stays open until it is deleted.
    if (handle.use_count() > 1) return {};
    const DWORD error = handle->Close();
    return error ? SystemFailure(error) : Failure{};
}

}  // namespace falvori
