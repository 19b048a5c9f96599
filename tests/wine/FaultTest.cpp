// Faults that a conversion started from the command line meets on real
// files. A box fault shows the failure box, Retry meets it again, Cancel
// leaves every file as it was, and once the fault has gone Retry finishes
// the conversion. The faults come from the files themselves, from a full
// drive (S:, which fault-drive.sh maps), from files refused to a user who is
// not root (permission-test.sh prepares them and runs those cases), and
// from kills at random moments, after which the destination is the old
// file or the complete new one.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/FailureBox.h"
#include "tests/wine/ProgramRun.h"
#include "tests/wine/TestFiles.h"

namespace falvori::test {
namespace {

const std::string kMac = "Gr\x8a\xa7" "e\r\n";
const std::string kWin = "Gr\xe4\xdf" "e\r\n";
const std::wstring kSmallDrive = L"S:\\";
constexpr ULONGLONG kSmallDriveSize = 1u << 20;
// Left free on the small drive: less than a file of 8000 lines needs.
constexpr ULONGLONG kLeftFree = 64u << 10;

std::wstring Exe() { return FromLinuxPath(FALVORI_EXE_LINUX); }
std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

// Numbered lines of 20 bytes, so that a lost or doubled stretch shows.
void Lines(int count, std::string& mac, std::string& win) {
    mac.clear();
    win.clear();
    for (int line = 0; line < count; ++line) {
        char number[16];
        std::snprintf(number, sizeof number, "%08d ", line);
        mac += std::string(number) + "Gr\x8a\xa7" "e \xdb\r\n";
        win += std::string(number) + "Gr\xe4\xdf" "e \x80\r\n";
    }
}

// The paths in a folder, "." and ".." left out.
std::vector<std::wstring> Entries(const std::wstring& folder) {
    std::vector<std::wstring> paths;
    const std::wstring names = ListFolder(folder) + L"|";
    for (std::size_t at = 0, bar; (bar = names.find(L'|', at)) != std::wstring::npos; at = bar + 1)
        if (bar > at) paths.push_back(folder + L"\\" + names.substr(at, bar - at));
    return paths;
}

// What a path holds: a file's protecting attributes and bytes, a folder's
// names, or nothing.
std::optional<std::string> Snapshot(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "folder: " + Utf8(ListFolder(path));
    std::string held = std::to_string(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                    FILE_ATTRIBUTE_SYSTEM));
    held += ' ';
    held += ReadBytes(path).value_or("(unreadable)");
    return held;
}

// Every file in the `folders` with what it holds, and their subfolders, but
// for the paths `leftOut`.
std::string FolderState(const std::vector<std::wstring>& folders, const std::vector<std::wstring>& leftOut) {
    std::string state;
    for (const std::wstring& folder : folders) {
        state += Utf8(folder) + ":\n";
        for (const std::wstring& path : Entries(folder)) {
            if (std::find(leftOut.begin(), leftOut.end(), path) != leftOut.end()) continue;
            const bool subfolder = GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
            state += Utf8(path) + " = " + (subfolder ? "folder" : Snapshot(path).value_or("?")) + "\n";
        }
    }
    return state;
}

struct Paths {
    std::wstring source, target, temp;
    std::string mac = kMac, win = kWin;  // the source and its conversion
    std::wstring Intermediate() const { return temp + L"\\~Falvori~"; }
    std::wstring Arguments() const { return L"m " + Quote(source) + L" " + Quote(target); }
    // The folders whose files a run may touch, the temp folder aside.
    std::vector<std::wstring> Folders() const {
        if (FolderOf(source) == FolderOf(target)) return {FolderOf(source)};
        return {FolderOf(source), FolderOf(target)};
    }
    // The files a conversion leaves alone.
    std::string Others() const { return FolderState(Folders(), {temp, target}); }
};

class FaultTest;

// Where a case's files lie, and what the environment must give.
enum class Place { Scratch, SmallDrive, PermissionFiles };
// What the intermediate file holds of the converted data after Cancel.
enum class Left { Nothing, Part, All };

struct Case {
    const char* name;
    Place place;
    // Makes the files; in the scratch folder it changes the usual ones.
    std::function<void(FaultTest&, Paths&)> prepare;
    DWORD error;  // of the failure box; 0: no box, the conversion goes through
    Left left;
    std::function<void(FaultTest&, const Paths&)> repair;  // then Retry finishes; none: the fault stays
    bool closeBox = false;  // the box is closed instead of cancelled
    int kills = 0;  // the fault: killed this many times at random moments
};

// Names the case in the test list instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class FaultTest : public ::testing::TestWithParam<Case> {
public:
    void SetUp() override;
    void TearDown() override {
        if (GetParam().place == Place::SmallDrive) RemoveTree(full);  // the drive is tiny: never keep anything
        if (!elsewhere.empty()) RemoveTree(elsewhere);
    }

    void RetryThenCancel(const Case& c, const Paths& p);
    void RepairThenRetry(const Case& c, const Paths& p);
    void Converted(ProgramRun& run, const Paths& p, const std::string& others);
    void KilledAtRandomMoments(const Paths& p, int kills);

    ScratchFolder dir{L"fault"};
    const std::wstring full = kSmallDrive + L"voll";  // on the small drive
    std::wstring files;      // as permission-test.sh made them
    std::wstring elsewhere;  // a temp folder outside the scratch folder
    // Another run that waits in its box and holds the intermediate file.
    std::unique_ptr<ProgramRun> holder;
    std::optional<BoxInfo> holderBox;
};

std::string WhyNoSmallDrive() {
    const char* build = std::getenv("FALVORI_BUILD_DIR");
    if (!build) return "FALVORI_BUILD_DIR not set";
    const auto log = ReadBytes(FromLinuxPath(std::string(build) + "/fault-drive.log"));
    return log ? *log : "fault-drive.sh map did not run before the wineserver started";
}

void FaultTest::SetUp() {
    if (GetParam().place == Place::SmallDrive) {
        ULARGE_INTEGER available{}, total{};
        if (!GetDiskFreeSpaceExW(kSmallDrive.c_str(), &available, &total, nullptr) ||
            total.QuadPart > kSmallDriveSize)
            GTEST_SKIP() << "S: is not a small drive (" << total.QuadPart << " bytes): " << WhyNoSmallDrive();
        RemoveTree(full);
        ASSERT_TRUE(MakeFolder(full));
    } else if (GetParam().place == Place::PermissionFiles) {
        const char* prepared = std::getenv("FALVORI_PERMISSION_FILES");
        if (!prepared) GTEST_SKIP() << "run through permission-test.sh, which prepares the files";
        files = FromLinuxPath(prepared);
        // Without this the test would prove nothing.
        const std::wstring probe = files + L"\\ordner-ohne-schreibrecht\\probe";
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
}

// The conversion goes through: no box, the destination complete, nothing
// else changed from the `others` taken before.
void FaultTest::Converted(ProgramRun& run, const Paths& p, const std::string& others) {
    if (auto more = run.WaitForBox(3000)) FAIL() << Describe(*more);
    EXPECT_EQ(run.WaitForExit(60000), 0u);
    const auto written = ReadBytes(p.target);
    EXPECT_TRUE(written == p.win) << "the destination differs from the converted source: "
                                  << (written ? written->size() : 0) << " bytes";
    if (p.source != p.target) {
        EXPECT_TRUE(ReadBytes(p.source) == p.mac) << "the source changed";
    }
    EXPECT_FALSE(Exists(p.Intermediate()));
    EXPECT_EQ(p.Others(), others) << "no stray files";
}

void FaultTest::RetryThenCancel(const Case& c, const Paths& p) {
    const auto source = Snapshot(p.source);
    const auto target = Snapshot(p.target);
    const std::string others = FolderState(p.Folders(), {p.temp});

    ProgramRun run(Exe(), p.Arguments());
    ASSERT_TRUE(run.Started()) << "error " << run.StartError();
    auto box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, c.error));
    EXPECT_EQ(Snapshot(p.target), target) << "while the box shows";
    ASSERT_TRUE(PressButton(*box, IDRETRY));
    box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, c.error)) << "after Retry";
    ASSERT_TRUE(c.closeBox ? CloseBox(*box) : PressButton(*box, IDCANCEL));
    EXPECT_EQ(run.WaitForExit(), 1u);

    EXPECT_EQ(Snapshot(p.source), source);
    EXPECT_EQ(Snapshot(p.target), target);
    EXPECT_EQ(FolderState(p.Folders(), {p.temp}), others) << "every other file as it was, no stray files";
    // Nothing of ours to read also where another run holds the file.
    const auto left = ReadBytes(p.Intermediate());
    switch (c.left) {
        case Left::Nothing:
            EXPECT_FALSE(left) << left->size() << " bytes in the intermediate file";
            break;
        case Left::Part:
            ASSERT_TRUE(left);
            EXPECT_LT(left->size(), p.win.size());
            EXPECT_EQ(p.win.compare(0, left->size(), *left), 0) << "not the start of the converted data";
            break;
        case Left::All:
            EXPECT_TRUE(left == p.win) << "the converted data stay in the intermediate file";
    }
}

void FaultTest::RepairThenRetry(const Case& c, const Paths& p) {
    ProgramRun run(Exe(), p.Arguments());
    const auto box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, c.error));
    ASSERT_NO_FATAL_FAILURE(c.repair(*this, p));
    const std::string others = p.Others();
    ASSERT_TRUE(PressButton(*box, IDRETRY));
    Converted(run, p, others);
}

// With the intermediate file on the destination's drive it is moved into
// place, from another file system it is copied. A copy beside the
// destination is marked for deletion until the moment it takes the name:
// only a complete one can stay, killed in that moment.
void FaultTest::KilledAtRandomMoments(const Paths& p, int kills) {
    const std::string old = "alt\r\n";
    // How long a whole run takes: the kills fall within it.
    const DWORD start = GetTickCount();
    {
        ProgramRun run(Exe(), p.Arguments());
        ASSERT_EQ(run.WaitForExit(60000), 0u);
    }
    const DWORD whole = GetTickCount() - start;
    ASSERT_TRUE(ReadBytes(p.target) == p.win);

    unsigned seed = GetTickCount();
    std::printf("a whole run: %lu ms; seed %u\n", static_cast<unsigned long>(whole), seed);
    int oldSeen = 0;
    for (int i = 0; i < kills; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(WriteBytes(p.target, old));
        seed = seed * 1103515245u + 12345u;
        {
            ProgramRun run(Exe(), p.Arguments());
            ASSERT_TRUE(run.Started());
            Sleep((seed >> 8) % (whole + 20));
        }  // killed here unless it has ended
        const auto now = ReadBytes(p.target);
        ASSERT_TRUE(now);
        oldSeen += *now == old;
        ASSERT_TRUE(*now == old || *now == p.win) << "neither old nor complete: " << now->size() << " bytes";
    }
    // Whatever the kills left, the next conversion goes through as usual.
    const std::string others = p.Others();
    ProgramRun run(Exe(), p.Arguments());
    Converted(run, p, others);

    int leftovers = 0;
    for (const std::wstring& path : Entries(FolderOf(p.target))) {
        const bool folder = GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
        if (folder || path == p.source || path == p.target) continue;
        EXPECT_EQ(path.substr(path.rfind(L'\\') + 1, 3), L"~fv") << Utf8(path);
        EXPECT_TRUE(ReadBytes(path) == p.win) << "a part copy left beside the destination";
        ++leftovers;
    }
    std::printf("%d runs left the old file, %d the complete new one; %d complete copies beside it\n", oldSeen,
                kills - oldSeen, leftovers);
}

TEST_P(FaultTest, LeavesEveryFileAsItShould) {
    const Case& c = GetParam();
    Paths p;
    if (c.place == Place::Scratch) {
        // The usual files, for the case to change.
        p = {dir / L"quelle.txt", dir / L"ziel.txt", dir / L"temp"};
        ASSERT_TRUE(WriteBytes(p.source, kMac));
        ASSERT_TRUE(WriteBytes(p.target, "alt"));
        ASSERT_TRUE(MakeFolder(p.temp));
    }
    ASSERT_NO_FATAL_FAILURE(c.prepare(*this, p));
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", p.temp.c_str()));
    DeleteFileW(p.Intermediate().c_str());  // left by an earlier case in the same temp folder
    if (c.kills) return KilledAtRandomMoments(p, c.kills);
    if (!c.error) {
        const std::string others = p.Others();
        ProgramRun run(Exe(), p.Arguments());
        return Converted(run, p, others);
    }
    RetryThenCancel(c, p);
    if (c.repair && !HasFatalFailure()) RepairThenRetry(c, p);
}

void FolderWithAFile(const std::wstring& path) {
    ASSERT_TRUE(MakeFolder(path));
    ASSERT_TRUE(WriteBytes(path + L"\\drin.txt", "drin"));
}

// A destination that the system does not let be replaced while it carries `attribute`.
Case Protected(const char* name, DWORD attribute) {
    return {name, Place::Scratch,
            [attribute](FaultTest&, Paths& p) { ASSERT_TRUE(SetFileAttributesW(p.target.c_str(), attribute)); },
            ERROR_ACCESS_DENIED, Left::All,
            [](FaultTest&, const Paths& p) {
                ASSERT_TRUE(SetFileAttributesW(p.target.c_str(), FILE_ATTRIBUTE_NORMAL));
            }};
}

// Each changes one thing of the usual files.
const Case kFaults[] = {
    {"SourceMissing", Place::Scratch, [](FaultTest&, Paths& p) { ASSERT_TRUE(DeleteFileW(p.source.c_str())); },
     ERROR_FILE_NOT_FOUND, Left::Nothing, [](FaultTest&, const Paths& p) { ASSERT_TRUE(WriteBytes(p.source, kMac)); },
     true},
    {"SourceIsAFolder", Place::Scratch, [](FaultTest& t, Paths& p) { FolderWithAFile(p.source = t.dir / L"Ordner"); },
     ERROR_ACCESS_DENIED, Left::Nothing,
     [](FaultTest&, const Paths& p) {
         RemoveTree(p.source);
         ASSERT_TRUE(WriteBytes(p.source, kMac));
     }},
    {"DestinationFolderMissing", Place::Scratch, [](FaultTest& t, Paths& p) { p.target = t.dir / L"fehlt\\ziel.txt"; },
     ERROR_PATH_NOT_FOUND, Left::All, [](FaultTest&, const Paths& p) { ASSERT_TRUE(MakeFolder(FolderOf(p.target))); }},
    {"DestinationIsAFolder", Place::Scratch,
     [](FaultTest& t, Paths& p) { FolderWithAFile(p.target = t.dir / L"Zielordner"); }, ERROR_ACCESS_DENIED,
     Left::All, nullptr},
    {"DestinationNamesSeveralFiles", Place::Scratch, [](FaultTest& t, Paths& p) { p.target = t.dir / L"*.txt"; },
     ERROR_INVALID_NAME, Left::All, nullptr},
    Protected("DestinationReadOnly", FILE_ATTRIBUTE_READONLY),
    Protected("DestinationHidden", FILE_ATTRIBUTE_HIDDEN),
    Protected("DestinationSystem", FILE_ATTRIBUTE_SYSTEM),
    // Wine tells a dot file hidden by its name only, never through a handle.
    {"DestinationHiddenByItsName", Place::Scratch,
     [](FaultTest& t, Paths& p) { ASSERT_TRUE(WriteBytes(p.target = t.dir / L".ziel.txt", "alt")); },
     ERROR_ACCESS_DENIED, Left::All, nullptr},
    {"TempFolderMissing", Place::Scratch, [](FaultTest& t, Paths& p) { p.temp = t.dir / L"kein-temp"; },
     ERROR_PATH_NOT_FOUND, Left::Nothing, [](FaultTest&, const Paths& p) { ASSERT_TRUE(MakeFolder(p.temp)); }},
    // A run waiting in its box keeps the intermediate file its own.
    {"IntermediateFileHeldByAnotherRun", Place::Scratch,
     [](FaultTest& t, Paths& p) {
         const std::wstring first = t.dir / L"eins.txt", locked = t.dir / L"gesperrt.txt";
         ASSERT_TRUE(WriteBytes(first, kMac));
         ASSERT_TRUE(WriteBytes(locked, "alt"));
         ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
         ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", p.temp.c_str()));
         t.holder = std::make_unique<ProgramRun>(Exe(), L"m " + first + L" " + locked);
         t.holderBox = t.holder->WaitForBox();
         ASSERT_TRUE(IsFailureBox(t.holderBox, ERROR_ACCESS_DENIED));
     },
     ERROR_SHARING_VIOLATION, Left::Nothing,
     [](FaultTest& t, const Paths&) {
         const std::wstring locked = t.dir / L"gesperrt.txt";
         ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL));
         ASSERT_TRUE(PressButton(*t.holderBox, IDRETRY));
         EXPECT_EQ(t.holder->WaitForExit(), 0u);
         EXPECT_EQ(ReadBytes(locked), kWin);
     }},
};

// Fills the small drive, where the intermediate file or the destination lies.
void OnTheFullDrive(FaultTest& t, Paths& p, bool temp) {
    Lines(8000, p.mac, p.win);
    p.source = t.dir / L"quelle.txt";
    p.temp = temp ? t.full + L"\\temp" : t.dir / L"temp";
    p.target = temp ? t.dir / L"ziel.txt" : t.full + L"\\ziel.txt";
    ASSERT_TRUE(MakeFolder(p.temp));
    ASSERT_TRUE(WriteBytes(p.source, p.mac));
    ASSERT_TRUE(WriteBytes(p.target, "alt"));
    ULARGE_INTEGER available{}, total{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(kSmallDrive.c_str(), &available, &total, nullptr));
    ASSERT_GT(available.QuadPart, kLeftFree + 4096);
    ASSERT_TRUE(WriteBytes(t.full + L"\\fueller", std::string(available.QuadPart - kLeftFree, 'f')));
    ASSERT_LT(p.mac.size(), total.QuadPart - 2 * kLeftFree) << "the file must fit once space is freed";
    ASSERT_GT(p.mac.size(), kLeftFree);
}

void FreeSpace(FaultTest& t, const Paths&) { ASSERT_TRUE(DeleteFileW((t.full + L"\\fueller").c_str())); }

const Case kDiskFull[] = {
    {"IntermediateFileOnIt", Place::SmallDrive, [](FaultTest& t, Paths& p) { OnTheFullDrive(t, p, true); },
     ERROR_DISK_FULL, Left::Part, FreeSpace},
    {"DestinationOnIt", Place::SmallDrive, [](FaultTest& t, Paths& p) { OnTheFullDrive(t, p, false); },
     ERROR_DISK_FULL, Left::All, FreeSpace},
};

// Files as permission-test.sh made them, with Linux permissions that Win32 cannot set.
Case Refused(const char* name, const wchar_t* source, const wchar_t* target, const wchar_t* temp, DWORD error,
             Left left) {
    return {name, Place::PermissionFiles,
            [=](FaultTest& t, Paths& p) {
                p.source = t.files + L"\\" + source;
                p.target = t.files + L"\\" + target;
                p.temp = t.files + L"\\" + temp;
            },
            error, left, nullptr};
}

const Case kRefused[] = {
    Refused("SourceNotReadable", L"nicht-lesbar.txt", L"ziel-neu.txt", L"temp", ERROR_ACCESS_DENIED, Left::Nothing),
    Refused("DestinationNotWritable", L"quelle.txt", L"schreibgeschuetzt.txt", L"temp", ERROR_ACCESS_DENIED,
            Left::All),
    Refused("NewFileInAFolderNotWritable", L"quelle.txt", L"ordner-ohne-schreibrecht\\neu.txt", L"temp",
            ERROR_ACCESS_DENIED, Left::All),
    // A writable file in a folder where no file may be made: written in place, without a box.
    Refused("DestinationFolderNotWritable", L"quelle.txt", L"ordner-ohne-schreibrecht\\ziel.txt", L"temp", 0,
            Left::Nothing),
    Refused("InPlaceInAFolderNotWritable", L"ordner-ohne-schreibrecht\\brief.txt",
            L"ordner-ohne-schreibrecht\\brief.txt", L"temp", 0, Left::Nothing),
    Refused("TempFolderNotWritable", L"quelle.txt", L"ziel-neu.txt", L"temp-ohne-schreibrecht",
            ERROR_ACCESS_DENIED, Left::Nothing),
};

// A large source, so that kills fall into every step.
void Large(Paths& p) {
    Lines(1200000, p.mac, p.win);
    ASSERT_TRUE(WriteBytes(p.source, p.mac));
}

const Case kKilled[] = {
    {"TempOnTheSameDrive", Place::Scratch, [](FaultTest&, Paths& p) { Large(p); }, 0, Left::Nothing, nullptr, false,
     25},
    {"TempOnAnotherFileSystem", Place::Scratch,
     [](FaultTest& t, Paths& p) {
         p.temp = t.elsewhere = FromLinuxPath("/dev/shm/falvori-kill-" + std::to_string(GetCurrentProcessId()));
         ASSERT_TRUE(MakeFolder(p.temp));
         Large(p);
     },
     0, Left::Nothing, nullptr, false, 25},
};

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Faults, FaultTest, ::testing::ValuesIn(kFaults), CaseName);
INSTANTIATE_TEST_SUITE_P(DiskFull, FaultTest, ::testing::ValuesIn(kDiskFull), CaseName);
INSTANTIATE_TEST_SUITE_P(Refused, FaultTest, ::testing::ValuesIn(kRefused), CaseName);
INSTANTIATE_TEST_SUITE_P(Killed, FaultTest, ::testing::ValuesIn(kKilled), CaseName);

}  // namespace
}  // namespace falvori::test
