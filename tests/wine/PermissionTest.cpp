// Files the system refuses to read or write, as a user without root's
// override meets them. permission-test.sh prepares the files (with Linux
// permissions that Win32 cannot set) and runs this program, and the Wine
// server, without that override.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "FailureBox.h"
#include "ProgramRun.h"
#include "TestFiles.h"

namespace falvori::test {
namespace {

const std::string kMac = "Gr\x8a\xa7" "e\r\n";
const std::string kWin = "Gr\xe4\xdf" "e\r\n";

std::wstring Exe() { return FromLinuxPath(FALVORI_EXE_LINUX); }

struct Case {
    const char* name;
    const wchar_t* source;
    const wchar_t* target;
    const wchar_t* temp;
    // As prepared, and as this program can read them (not the unreadable one).
    std::optional<std::string> sourceAfter, targetAfter;
    bool afterConverting;  // the intermediate file then holds the result
    // A writable file in a folder where no file may be made: written in
    // place, without a box.
    bool inPlace = false;
};

// The files as permission-test.sh made them.
const Case kCases[] = {
    {"SourceNotReadable", L"nicht-lesbar.txt", L"ziel-neu.txt", L"temp", std::nullopt, std::nullopt, false},
    {"DestinationNotWritable", L"quelle.txt", L"schreibgeschuetzt.txt", L"temp", kMac, "alt", true},
    {"NewFileInAFolderNotWritable", L"quelle.txt", L"ordner-ohne-schreibrecht\\neu.txt", L"temp", kMac,
     std::nullopt, true},
    {"DestinationFolderNotWritable", L"quelle.txt", L"ordner-ohne-schreibrecht\\ziel.txt", L"temp", kMac, kWin,
     false, true},
    {"InPlaceInAFolderNotWritable", L"ordner-ohne-schreibrecht\\brief.txt", L"ordner-ohne-schreibrecht\\brief.txt",
     L"temp", kWin, kWin, false, true},
    {"TempFolderNotWritable", L"quelle.txt", L"ziel-neu.txt", L"temp-ohne-schreibrecht", kMac, std::nullopt, false},
};

// Names the case in the test list instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class PermissionTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        const char* files = std::getenv("FALVORI_PERMISSION_FILES");
        if (!files) GTEST_SKIP() << "run through permission-test.sh, which prepares the files";
        files_ = FromLinuxPath(files);
        // Without this the test would prove nothing.
        const std::wstring probe = files_ + L"\\ordner-ohne-schreibrecht\\probe";
        HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        const DWORD error = GetLastError();
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            DeleteFileW(probe.c_str());
        }
        ASSERT_EQ(file, INVALID_HANDLE_VALUE) << "permissions are not enforced: the Wine server must run "
                                                 "without cap_dac_override (see permission-test.sh)";
        ASSERT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }

    std::wstring files_;
};

TEST_P(PermissionTest, RefusedStepShowsTheBoxAndChangesNothing) {
    const Case& c = GetParam();
    const std::wstring source = files_ + L"\\" + c.source;
    const std::wstring target = files_ + L"\\" + c.target;
    const std::wstring temp = files_ + L"\\" + c.temp;
    const std::wstring intermediate = temp + L"\\~Falvori~";
    const std::wstring targetFolder = target.substr(0, target.rfind(L'\\'));
    DeleteFileW(intermediate.c_str());
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", temp.c_str()));
    const std::wstring listing = ListFolder(targetFolder);

    ProgramRun run(Exe(), L"m " + source + L" " + target);
    ASSERT_TRUE(run.Started()) << "error " << run.StartError();
    if (c.inPlace) {
        if (auto box = run.WaitForBox(3000)) FAIL() << Describe(*box);
        EXPECT_EQ(run.WaitForExit(), 0u);
        EXPECT_EQ(ReadBytes(source), c.sourceAfter);
        EXPECT_EQ(ReadBytes(target), c.targetAfter);
        EXPECT_EQ(ListFolder(targetFolder), listing) << "no stray files";
        EXPECT_FALSE(Exists(intermediate));
        return;
    }
    auto box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, ERROR_ACCESS_DENIED));
    ASSERT_TRUE(PressButton(*box, IDRETRY));
    box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, ERROR_ACCESS_DENIED)) << "after Retry";
    ASSERT_TRUE(PressButton(*box, IDCANCEL));
    EXPECT_EQ(run.WaitForExit(), 1u);

    EXPECT_EQ(ReadBytes(source), c.sourceAfter);
    EXPECT_EQ(ReadBytes(target), c.targetAfter);
    EXPECT_EQ(ListFolder(targetFolder), listing) << "no stray files";
    if (c.afterConverting)
        EXPECT_EQ(ReadBytes(intermediate), kWin);
    else
        EXPECT_FALSE(Exists(intermediate));
}

INSTANTIATE_TEST_SUITE_P(Refused, PermissionTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace falvori::test
