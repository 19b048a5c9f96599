// The version information that Explorer shows for the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/Version.h"
#include "tests/wine/TestFiles.h"

namespace falvori::test {
namespace {

class VersionInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring exe = FromLinuxPath(FALVORI_EXE_LINUX);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version information, error " << GetLastError();
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, data_.data()));
    }

    std::wstring Value(const std::wstring& name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = L"\\StringFileInfo\\040704B0\\" + name;
        if (!VerQueryValueW(data_.data(), key.c_str(), &value, &length) || !value) return L"<missing>";
        std::wstring text(static_cast<const wchar_t*>(value), length);
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }

    std::vector<char> data_;
};

TEST_F(VersionInfoTest, GermanStringsAreExact) {
    EXPECT_EQ(Value(L"Comments"),
              L"ohne Befehlszeilen-Parameter mit Benutzerführung  - mit Parametern: 'm' oder 'w' "
              L"(macwin oder winmac) Quell- und Zieldatei");
    EXPECT_EQ(Value(L"FileDescription"), L"Falvori");
    EXPECT_EQ(Value(L"ProductName"), L"Falvori");
    EXPECT_EQ(Value(L"LegalCopyright"), L"© " FALVORI_COPYRIGHT_YEARS L" " FALVORI_RIGHTS_HOLDER);
    EXPECT_EQ(Value(L"FileVersion"), L"" FALVORI_VERSION_TEXT);
}

TEST_F(VersionInfoTest, NumbersAndLanguageComeFromTheVersionHeader) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(FALVORI_VERSION_MINOR, FALVORI_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, FALVORI_VERSION_PATCH)));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0407);
    EXPECT_EQ(translation[1], 1200);
}

}  // namespace
}  // namespace falvori::test
