#include "platform/win32/Win32File.h"

#include <algorithm>

#include "platform/win32/SystemError.h"

namespace falvori {

namespace {

// ReadFile and WriteFile take a DWORD count; stay well below its limit.
constexpr std::size_t kMaxChunk = 1u << 30;

// One ReadFile or WriteFile (`call`), its count and its failure.
template <typename Buffer, typename Call>
IoResult Transfer(Call call, HANDLE file, Buffer buffer, std::size_t size) {
    DWORD moved = 0;
    const BOOL ok = call(file, buffer, static_cast<DWORD>(std::min(size, kMaxChunk)), &moved, nullptr);
    return {moved, ok ? Failure{} : LastFailure()};
}

}  // namespace

IoResult ReadFrom(HANDLE file, void* buffer, std::size_t size) { return Transfer(ReadFile, file, buffer, size); }

IoResult WriteTo(HANDLE file, const void* data, std::size_t size) { return Transfer(WriteFile, file, data, size); }

Failure Win32File::Close() {
    const DWORD error = handle_.Close();
    return error ? SystemFailure(error) : Failure{};
}

}  // namespace falvori
