// Several programs converting at the same moment, all with the one
// intermediate file %temp%\~Falvori~: every destination ends up either with
// exactly its own converted bytes or as it was, never with another's data.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/FailureBox.h"
#include "tests/wine/ProgramRun.h"
#include "tests/wine/TestFiles.h"

namespace falvori::test {
namespace {

constexpr int kRuns = 5;
constexpr std::size_t kSize = 3u << 20;  // large enough for the runs to overlap
// Far longer than any run's own bytes: what is left of it would show.
const std::string kForeign(4u << 20, 'X');

std::wstring Exe() { return FromLinuxPath(FALVORI_EXE_LINUX); }

struct Job {
    std::wstring source, target;
    std::string mac, win;
    std::optional<std::string> before;  // the destination before the run
    std::unique_ptr<ProgramRun> run;
    std::optional<BoxInfo> waiting;  // shown and not answered yet
    int boxes = 0;
    bool cancelled = false;
    std::optional<DWORD> exit;
};

class ConcurrentRunsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeFolder(temp_));
        ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", temp_.c_str()));
        std::string mac, win;
        SharedCharacters(mac, win);
        ASSERT_GE(mac.size(), 200u);
        unsigned seed = 12345;
        for (int i = 0; i < kRuns; ++i) {
            Job job;
            job.source = dir_ / (L"quelle" + std::to_wstring(i) + L".txt");
            job.target = dir_ / (L"ziel" + std::to_wstring(i) + L".txt");
            // Each of its own length and contents.
            const std::size_t size = kSize + static_cast<std::size_t>(i) * 99991;
            for (std::size_t n = 0; n < size; ++n) {
                seed = seed * 1103515245u + 12345u;
                const std::size_t k = (seed >> 16) % mac.size();
                job.mac += mac[k];
                job.win += win[k];
            }
            ASSERT_TRUE(WriteBytes(job.source, job.mac));
            if (i % 2 == 0) {
                job.before = "alt " + std::to_string(i);
                ASSERT_TRUE(WriteBytes(job.target, *job.before));
            }
            jobs_.push_back(std::move(job));
        }
    }

    void StartAll() {
        for (Job& job : jobs_) {
            job.run = std::make_unique<ProgramRun>(Exe(), L"m " + job.source + L" " + job.target);
            ASSERT_TRUE(job.run->Started()) << "error " << job.run->StartError();
        }
    }

    // Notes which runs have ended and which show a box now.
    void Poll() {
        for (Job& job : jobs_) {
            if (job.exit || job.waiting) continue;
            if ((job.exit = job.run->WaitForExit(0))) continue;
            if (auto box = WaitForMessageBox(job.run->Pid(), 0)) {
                ++job.boxes;
                EXPECT_TRUE(IsFailureBox(box, ERROR_SHARING_VIOLATION)) << Utf8(job.source);
                job.waiting = box;
            }
        }
    }

    int Running() const {
        int n = 0;
        for (const Job& job : jobs_) n += !job.exit && !job.waiting;
        return n;
    }
    bool AllEnded() const {
        for (const Job& job : jobs_)
            if (!job.exit) return false;
        return true;
    }

    void StartAgainstAnotherProgram();
    void RetryAllWaiting();

    // Each destination holds exactly its own bytes, or is as it was after Cancel.
    void CheckDestinations() {
        int boxes = 0, written = 0;
        for (const Job& job : jobs_) {
            SCOPED_TRACE(Utf8(job.target));
            boxes += job.boxes;
            EXPECT_EQ(ReadBytes(job.source), job.mac);
            const auto target = ReadBytes(job.target);
            if (job.cancelled) {
                EXPECT_EQ(job.exit, 1u);
                EXPECT_EQ(target, job.before);
            } else {
                EXPECT_EQ(job.exit, 0u);
                ASSERT_TRUE(target);
                EXPECT_EQ(target->size(), job.win.size());
                EXPECT_TRUE(*target == job.win) << "not its own converted bytes";
                ++written;
            }
        }
        std::printf("%d of %d runs wrote their destination; %d boxes, %d of them in the race\n", written, kRuns,
                    boxes, boxes - kRuns);
        // In the race a run meets the box only while another run holds the
        // file, and that one goes on to write its destination.
        EXPECT_GE(written, 1);
        EXPECT_FALSE(Exists(intermediate_)) << "the last run deletes it";
        EXPECT_EQ(ListFolder(dir_.Path()).find(L"~fv"), std::wstring::npos) << "stray copy left behind";
    }

    ScratchFolder dir_{L"concurrent"};
    std::wstring temp_ = dir_ / L"temp";
    std::wstring intermediate_ = temp_ + L"\\~Falvori~";
    std::vector<Job> jobs_;
};

// All start while another program holds the intermediate file, and so all
// meet the box. The other program lets go, leaving its longer data behind,
// and all press Retry at the same moment: they race for the file.
void ConcurrentRunsTest::StartAgainstAnotherProgram() {
    HANDLE other = CreateFileW(intermediate_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE) << GetLastError();
    DWORD put = 0;
    const BOOL wrote = WriteFile(other, kForeign.data(), static_cast<DWORD>(kForeign.size()), &put, nullptr);
    StartAll();
    if (HasFatalFailure()) {
        CloseHandle(other);
        return;
    }
    const DWORD start = GetTickCount();
    while (Running() > 0 && GetTickCount() - start < 60000) {
        Poll();
        Sleep(10);
    }
    CloseHandle(other);
    ASSERT_TRUE(wrote && put == kForeign.size());
    for (const Job& job : jobs_) ASSERT_TRUE(job.waiting) << "went past a file held by another program";
    RetryAllWaiting();
}

// Presses Retry in every box shown now, all at once.
void ConcurrentRunsTest::RetryAllWaiting() {
    std::vector<HWND> boxes;
    for (Job& job : jobs_) {
        if (!job.waiting) continue;
        PostMessageW(GetDlgItem(job.waiting->window, IDRETRY), BM_CLICK, 0, 0);
        boxes.push_back(job.waiting->window);
        job.waiting.reset();
    }
    for (HWND box : boxes)
        for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
}

// Whoever meets the box in the race cancels at once. The runs that get
// through write exactly their own bytes, whatever the other program left.
TEST_F(ConcurrentRunsTest, CancelledRunsKeepTheirDestination) {
    ASSERT_NO_FATAL_FAILURE(StartAgainstAnotherProgram());
    const DWORD start = GetTickCount();
    while (!AllEnded()) {
        ASSERT_LT(GetTickCount() - start, 90000u) << "runs hang";
        Poll();
        for (Job& job : jobs_) {
            if (!job.waiting) continue;
            ASSERT_TRUE(PressButton(*job.waiting, IDCANCEL));
            job.waiting.reset();
            job.cancelled = true;
        }
        Sleep(10);
    }
    CheckDestinations();
}

// Whoever meets the box in the race retries once all the others have
// finished or wait in their boxes too.
TEST_F(ConcurrentRunsTest, RetriedRunsEachWriteTheirOwnFile) {
    ASSERT_NO_FATAL_FAILURE(StartAgainstAnotherProgram());
    const DWORD start = GetTickCount();
    int rounds = 0;
    while (!AllEnded()) {
        ASSERT_LT(GetTickCount() - start, 120000u) << "runs hang";
        Poll();
        if (Running() > 0) {
            Sleep(10);
            continue;
        }
        ASSERT_LT(++rounds, 30) << "Retry never gets through";
        RetryAllWaiting();
    }
    std::printf("Retry pressed again in %d rounds\n", rounds);
    CheckDestinations();
}

}  // namespace
}  // namespace falvori::test
