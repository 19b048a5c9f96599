#include "CopyOver.h"

#include <cwchar>
#include <vector>

#include "LongPath.h"
#include "SystemError.h"
#include "UniqueHandle.h"

namespace falvori {

namespace {

constexpr std::size_t kBufferSize = 256 * 1024;

// A new, empty file with a name of its own in folder; open for writing and
// for nobody else.
UniqueHandle CreateUniqueFile(const std::wstring& folder, std::wstring& name, Failure& failure) {
    static unsigned counter = 0;
    const unsigned base = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        wchar_t leaf[32];
        std::swprintf(leaf, 32, L"\\~fv%08x.tmp", base + counter++);
        name = SystemPath(folder + leaf);
        UniqueHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            failure = SystemFailure(error);
            return {};
        }
    }
    failure = SystemFailure(ERROR_FILE_EXISTS);
    return {};
}

Failure CopyContents(HANDLE source, HANDLE target) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) return LastFailure();
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return LastFailure();
        if (got == 0) break;
        DWORD done = 0;
        while (done < got) {
            DWORD put = 0;
            if (!WriteFile(target, buffer.data() + done, got - done, &put, nullptr)) return LastFailure();
            done += put;
        }
    }
    // The data must be on disk before the name moves over to it.
    if (!FlushFileBuffers(target)) return LastFailure();
    return {};
}

}  // namespace

Failure CopyOver(HANDLE source, const std::wstring& destination) {
    unsigned long error = 0;
    const std::wstring full = FullPath(destination, &error);
    if (full.empty()) return SystemFailure(error);
    const std::size_t slash = full.rfind(L'\\');
    if (slash == std::wstring::npos) return SystemFailure(ERROR_INVALID_NAME);
    const std::wstring folder = full.substr(0, slash);

    Failure failure;
    std::wstring temporary;
    UniqueHandle target = CreateUniqueFile(folder, temporary, failure);
    if (!target.valid()) return failure;

    failure = CopyContents(source, target.get());
    if (!failure) {
        const DWORD closeError = target.close();
        if (closeError) failure = SystemFailure(closeError);
    }
    if (!failure && !MoveFileExW(temporary.c_str(), destination.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failure = LastFailure();
    if (failure) {
        target.reset();
        DeleteFileW(temporary.c_str());
    }
    return failure;
}

}  // namespace falvori
