// Real faults on real files: each gives the failure box, Retry runs the
// failed step again, Cancel leaves every file as it was, and once the fault
// has gone Retry finishes the conversion.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <functional>
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

// What a path holds: a file's bytes, a folder's names, or nothing.
std::optional<std::string> Snapshot(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "folder: " + Utf8(ListFolder(path));
    return ReadBytes(path);
}

// Every entry of a folder with what it holds, but for the one left out.
std::string FolderState(const std::wstring& folder, const std::wstring& leftOut) {
    std::string state;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "(cannot list)";
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || folder + L"\\" + name == leftOut) continue;
        state += Utf8(name) + " = " + Snapshot(folder + L"\\" + name).value_or("?") + "\n";
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return state;
}

struct Paths {
    std::wstring source, target, temp;
};

struct Case {
    const char* name;
    std::function<Paths(const ScratchFolder&)> prepare;
    DWORD error;
    bool afterConverting;  // failed once the intermediate file was written
    std::function<void(const Paths&)> repair;  // none: the fault stays
};

// The usual files, changed by one fault.
Paths Usual(const ScratchFolder& dir) {
    EXPECT_TRUE(WriteBytes(dir / L"quelle.txt", kMac));
    EXPECT_TRUE(WriteBytes(dir / L"ziel.txt", "alt"));
    EXPECT_TRUE(MakeFolder(dir / L"temp"));
    return {dir / L"quelle.txt", dir / L"ziel.txt", dir / L"temp"};
}

std::wstring FolderWithAFile(const std::wstring& path) {
    EXPECT_TRUE(MakeFolder(path));
    EXPECT_TRUE(WriteBytes(path + L"\\drin.txt", "drin"));
    return path;
}

const Case kCases[] = {
    {"source is a folder",
     [](const ScratchFolder& dir) {
         Paths p = Usual(dir);
         p.source = FolderWithAFile(dir / L"Ordner");
         return p;
     },
     ERROR_ACCESS_DENIED, false,
     [](const Paths& p) {
         RemoveTree(p.source);
         ASSERT_TRUE(WriteBytes(p.source, kMac));
     }},
    {"destination folder missing",
     [](const ScratchFolder& dir) {
         Paths p = Usual(dir);
         p.target = dir / L"fehlt\\ziel.txt";
         return p;
     },
     ERROR_PATH_NOT_FOUND, true, [](const Paths& p) { ASSERT_TRUE(MakeFolder(p.target.substr(0, p.target.rfind(L'\\')))); }},
    {"destination is a folder",
     [](const ScratchFolder& dir) {
         Paths p = Usual(dir);
         p.target = FolderWithAFile(dir / L"Zielordner");
         return p;
     },
     ERROR_ACCESS_DENIED, true, nullptr},
    {"destination names several files",
     [](const ScratchFolder& dir) {
         Paths p = Usual(dir);
         p.target = dir / L"*.txt";
         return p;
     },
     ERROR_INVALID_NAME, true, nullptr},
    {"temp folder missing",
     [](const ScratchFolder& dir) {
         Paths p = Usual(dir);
         p.temp = dir / L"kein-temp";
         return p;
     },
     ERROR_PATH_NOT_FOUND, false, [](const Paths& p) { ASSERT_TRUE(MakeFolder(p.temp)); }},
};

// Names the case in the test list instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class FaultTest : public ::testing::TestWithParam<Case> {};

TEST_P(FaultTest, BoxRetryAndCancelLeaveEveryFileAsItWas) {
    const Case& c = GetParam();
    ScratchFolder dir(L"fault");
    const Paths p = c.prepare(dir);
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", p.temp.c_str()));
    const std::wstring intermediate = p.temp + L"\\~Falvori~";
    const auto source = Snapshot(p.source);
    const auto target = Snapshot(p.target);
    const std::string files = FolderState(dir.Path(), p.temp);
    const std::wstring arguments = L"m " + Quote(p.source) + L" " + Quote(p.target);

    ProgramRun run(Exe(), arguments);
    ASSERT_TRUE(run.Started()) << "error " << run.StartError();
    auto box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, c.error));
    ASSERT_TRUE(PressButton(*box, IDRETRY));
    box = run.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, c.error)) << "after Retry";
    ASSERT_TRUE(PressButton(*box, IDCANCEL));
    EXPECT_EQ(run.WaitForExit(), 1u);

    EXPECT_EQ(Snapshot(p.source), source);
    EXPECT_EQ(Snapshot(p.target), target);
    EXPECT_EQ(FolderState(dir.Path(), p.temp), files) << "every other file as it was, no stray files";
    if (c.afterConverting)
        EXPECT_EQ(ReadBytes(intermediate), kWin) << "the converted data stay in the intermediate file";
    else
        EXPECT_FALSE(Exists(intermediate));

    if (!c.repair) return;
    ProgramRun again(Exe(), arguments);
    box = again.WaitForBox();
    ASSERT_TRUE(IsFailureBox(box, c.error));
    c.repair(p);
    ASSERT_TRUE(PressButton(*box, IDRETRY));
    if (auto more = again.WaitForBox(3000)) FAIL() << "after the repair: " << Describe(*more);
    EXPECT_EQ(again.WaitForExit(), 0u);
    EXPECT_EQ(ReadBytes(p.target), kWin);
    EXPECT_EQ(ReadBytes(p.source), kMac);
    EXPECT_FALSE(Exists(intermediate));
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    bool wordStart = true;
    for (const char* c = info.param.name; *c; ++c) {
        if (*c != ' ') name += wordStart ? static_cast<char>(std::toupper(*c)) : *c;
        wordStart = *c == ' ';
    }
    return name;
});

}  // namespace
}  // namespace falvori::test
