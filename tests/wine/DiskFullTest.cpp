// A disk that fills up while the intermediate file or the new destination is
// written: the failure box says so, Cancel keeps the old destination, and
// Retry after space has been freed writes the complete file. The full disk
// is s:, a small tmpfs mapped by fault-drive.sh.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FailureBox.h"
#include "ProgramRun.h"
#include "TestFiles.h"

namespace falvori::test {
namespace {

const std::wstring kDrive = L"S:\\";
constexpr ULONGLONG kSmallDrive = 1u << 20;
// Left free on the drive: less than the file needs.
constexpr ULONGLONG kLeftFree = 64u << 10;

std::wstring Exe() { return FromLinuxPath(FALVORI_EXE_LINUX); }

std::string WhyNoSmallDrive() {
    const char* build = std::getenv("FALVORI_BUILD_DIR");
    if (!build) return "FALVORI_BUILD_DIR not set";
    const auto log = ReadBytes(FromLinuxPath(std::string(build) + "/fault-drive.log"));
    return log ? *log : "fault-drive.sh map did not run before the wineserver started";
}

// Numbered lines, so that a doubled or lost stretch shows; about 200 KiB.
void MakeText(std::string& mac, std::string& win) {
    for (int line = 0; line < 8000; ++line) {
        char number[16];
        std::snprintf(number, sizeof number, "%06d ", line);
        mac += std::string(number) + "Gr\x8a\xa7" "e \xdb\r\n";
        win += std::string(number) + "Gr\xe4\xdf" "e \x80\r\n";
    }
}

struct Case {
    const char* name;
    bool tempOnFullDrive;  // else the destination is on it
    bool freeAndRetry;     // else Cancel
};

// Names the case in the test list instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class DiskFullTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        ULARGE_INTEGER available{}, total{}, free{};
        if (!GetDiskFreeSpaceExW(kDrive.c_str(), &available, &total, &free) || total.QuadPart > kSmallDrive)
            GTEST_SKIP() << "S: is not a small drive (" << total.QuadPart << " bytes): " << WhyNoSmallDrive();
        RemoveTree(full_);
        ASSERT_TRUE(MakeFolder(full_));
        MakeText(mac_, win_);
    }
    void TearDown() override { RemoveTree(full_); }  // the drive is tiny: never keep anything

    // Fills the drive up to kLeftFree.
    void Fill() {
        ULARGE_INTEGER available{}, total{}, free{};
        ASSERT_TRUE(GetDiskFreeSpaceExW(kDrive.c_str(), &available, &total, &free));
        ASSERT_GT(available.QuadPart, kLeftFree + 4096);
        ASSERT_TRUE(WriteBytes(filler_, std::string(available.QuadPart - kLeftFree, 'f')));
        ASSERT_LT(mac_.size(), total.QuadPart - 2 * kLeftFree) << "the file must fit once space is freed";
        ASSERT_GT(mac_.size(), kLeftFree);
    }

    const std::wstring full_ = kDrive + L"voll";
    const std::wstring filler_ = full_ + L"\\fueller";
    ScratchFolder dir_{L"diskfull"};
    std::string mac_, win_;
};

TEST_P(DiskFullTest, OldDestinationOrTheCompleteNewOne) {
    const Case& c = GetParam();
    const std::wstring temp = c.tempOnFullDrive ? full_ + L"\\temp" : dir_ / L"temp";
    const std::wstring target = c.tempOnFullDrive ? dir_ / L"ziel.txt" : full_ + L"\\ziel.txt";
    const std::wstring source = dir_ / L"quelle.txt";
    const std::wstring targetFolder = target.substr(0, target.rfind(L'\\'));
    ASSERT_TRUE(MakeFolder(temp));
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", temp.c_str()));
    ASSERT_TRUE(WriteBytes(source, mac_));
    ASSERT_TRUE(WriteBytes(target, "alt"));
    ASSERT_NO_FATAL_FAILURE(Fill());
    const std::wstring listing = ListFolder(targetFolder);

    ProgramRun run(Exe(), L"m " + source + L" " + target);
    ASSERT_TRUE(run.Started()) << "error " << run.StartError();
    auto box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, ERROR_DISK_FULL));
    EXPECT_EQ(ReadBytes(target), "alt");

    if (c.freeAndRetry) {
        ASSERT_TRUE(DeleteFileW(filler_.c_str()));
        ASSERT_TRUE(PressButton(*box, IDRETRY));
        if (auto more = run.WaitForBox(3000)) FAIL() << "after freeing space: " << Describe(*more);
        EXPECT_EQ(run.WaitForExit(), 0u);
        const auto written = ReadBytes(target);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->size(), win_.size());
        EXPECT_TRUE(*written == win_) << "the destination differs from the converted source";
        EXPECT_FALSE(Exists(temp + L"\\~Falvori~"));
        EXPECT_EQ(ListFolder(targetFolder), c.tempOnFullDrive ? listing : L"ziel.txt") << "no stray files";
    } else {
        ASSERT_TRUE(PressButton(*box, IDCANCEL));
        EXPECT_EQ(run.WaitForExit(), 1u);
        EXPECT_EQ(ReadBytes(target), "alt");
        EXPECT_EQ(ListFolder(targetFolder), listing) << "no stray files";
    }
    EXPECT_EQ(ReadBytes(source), mac_);
}

INSTANTIATE_TEST_SUITE_P(Full, DiskFullTest,
                         ::testing::Values(Case{"TempCancel", true, false}, Case{"TempFreeRetry", true, true},
                                           Case{"DestinationCancel", false, false},
                                           Case{"DestinationFreeRetry", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace falvori::test
