// Conversions of a large file killed at random moments, with the
// intermediate file on the destination's drive (it is moved into place) and
// on another file system (it is copied): the destination is always the old
// file or the complete new one, and nothing but a complete copy, killed in
// the instant before its rename, stays beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "FailureBox.h"
#include "ProgramRun.h"
#include "TestFiles.h"

namespace falvori::test {
namespace {

constexpr int kRuns = 50;
constexpr int kLines = 1500000;  // 24 MB

std::wstring Exe() { return FromLinuxPath(FALVORI_EXE_LINUX); }

TEST(KilledConversion, DestinationIsOldOrCompleteAndOnlyACompleteCopyStaysBeside) {
    ScratchFolder dir(L"kill");
    const std::wstring sameDrive = dir / L"temp";
    const std::wstring otherSystem = FromLinuxPath("/dev/shm/falvori-kill-" + std::to_string(GetCurrentProcessId()));
    ASSERT_TRUE(MakeFolder(sameDrive));
    ASSERT_TRUE(MakeFolder(otherSystem));
    // Outside the scratch folder: removed however the test ends.
    struct RemovedAtEnd {
        std::wstring path;
        ~RemovedAtEnd() { RemoveTree(path); }
    } removeOther{otherSystem};
    const std::wstring source = dir / L"quelle.txt";
    const std::wstring target = dir / L"ziel.txt";
    // Numbered lines: a lost or doubled stretch shows.
    std::string mac, win;
    mac.reserve(kLines * 20u);
    win.reserve(kLines * 20u);
    for (int line = 0; line < kLines; ++line) {
        char number[16];
        std::snprintf(number, sizeof number, "%08d ", line);
        mac += std::string(number) + "Gr\x8a\xa7" "e\r\n";
        win += std::string(number) + "Gr\xe4\xdf" "e\r\n";
    }
    ASSERT_TRUE(WriteBytes(source, mac));
    const std::string old = "alt\r\n";
    const std::wstring arguments = L"m " + source + L" " + target;

    // How long a whole run takes: the kills fall within it.
    DWORD whole = 0;
    for (const std::wstring& temp : {sameDrive, otherSystem}) {
        ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", temp.c_str()));
        const DWORD start = GetTickCount();
        ProgramRun run(Exe(), arguments);
        ASSERT_EQ(run.WaitForExit(60000), 0u);
        whole = std::max<DWORD>(whole, GetTickCount() - start);
        ASSERT_TRUE(ReadBytes(target) == win);
    }

    unsigned seed = GetTickCount();
    std::printf("a whole run: %lu ms; seed %u\n", static_cast<unsigned long>(whole), seed);
    int oldSeen = 0, newSeen = 0;
    for (int i = 0; i < kRuns; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", (i % 2 ? otherSystem : sameDrive).c_str()));
        ASSERT_TRUE(WriteBytes(target, old));
        seed = seed * 1103515245u + 12345u;
        {
            ProgramRun run(Exe(), arguments);
            ASSERT_TRUE(run.Started());
            Sleep((seed >> 8) % (whole + 20));
        }  // killed here unless it has ended
        const auto now = ReadBytes(target);
        ASSERT_TRUE(now);
        if (*now == old) {
            ++oldSeen;
        } else {
            ASSERT_TRUE(*now == win) << "neither old nor complete: " << now->size() << " bytes";
            ++newSeen;
        }
    }
    // The next conversion goes through as usual, whatever the kills left.
    ProgramRun run(Exe(), arguments);
    if (auto box = run.WaitForBox(3000)) FAIL() << Describe(*box);
    EXPECT_EQ(run.WaitForExit(60000), 0u);
    EXPECT_TRUE(ReadBytes(target) == win);

    // A copy beside it is marked for deletion until the moment it takes the
    // name: only a complete one can stay, killed in that moment, and nothing
    // removes it.
    int leftovers = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir / L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || name == L"quelle.txt" || name == L"temp" || name == L"ziel.txt") continue;
        EXPECT_EQ(name.rfind(L"~fv", 0), 0u) << Utf8(name);
        EXPECT_EQ(found.nFileSizeLow, win.size()) << "a part copy left beside the destination";
        leftovers += found.nFileSizeLow == win.size();
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::printf("%d runs left the old file, %d the complete new one; %d complete copies beside it\n", oldSeen,
                newSeen, leftovers);
}

}  // namespace
}  // namespace falvori::test
