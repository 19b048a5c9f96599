// The Windows program started with a command line, on real files, as a
// script or a shell link would start it. Faults it meets on the way:
// FaultTest.cpp.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/wine/FailureBox.h"
#include "tests/wine/ProgramRun.h"
#include "tests/wine/TestFiles.h"

namespace falvori::test {
namespace {

const std::wstring kTableName = L"ZeichenCodes Mac-Win.txt";
const std::wstring kTableBoxTail =
    L"\r\rDie Übersetzungstabelle\r'ZeichenCodes Mac - Win.txt'\rmuss im Programm-Verzeichnis liegen.\r";

std::wstring Exe() { return FromLinuxPath(FALVORI_EXE_LINUX); }
std::wstring Table() { return FromLinuxPath(FALVORI_TABLE_LINUX); }

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MakeFolder(temp_)) << Utf8(temp_);
        // The program inherits this; its intermediate file goes there.
        ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", temp_.c_str()));
    }

    // Runs the program, expects it to end without showing any box and
    // returns its exit code.
    DWORD RunQuietly(const std::wstring& arguments, const std::wstring& program = Exe()) {
        ProgramRun run(program, arguments);
        EXPECT_TRUE(run.Started()) << "error " << run.StartError();
        if (auto box = run.WaitForBox()) ADD_FAILURE() << "unexpected " << Describe(*box);
        const auto code = run.WaitForExit();
        EXPECT_TRUE(code.has_value()) << "still running: " << Utf8(arguments);
        return code.value_or(999);
    }

    // A copy of the program in a folder of its own, with the table given
    // (or none), for the table failures.
    std::wstring InstallProgram(const std::wstring& folder, const std::string* table) {
        EXPECT_TRUE(MakeFolder(folder));
        const std::wstring exe = folder + L"\\Falvori.exe";
        EXPECT_TRUE(CopyFileW(Exe().c_str(), exe.c_str(), FALSE)) << GetLastError();
        if (table) {
            EXPECT_TRUE(WriteBytes(folder + L"\\" + kTableName, *table));
        }
        return exe;
    }

    ScratchFolder dir_{L"batch"};
    std::wstring temp_ = dir_ / L"temp";
};

// The temp folder given with a closing backslash, too.
TEST_F(BatchTest, ConvertsInPlaceWhenOnlyTheSourceIsGiven) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"TEMP", (temp_ + L"\\").c_str()));
    const std::wstring file = dir_ / L"brief.txt";
    ASSERT_TRUE(WriteBytes(file, "Gr\x8a\xa7" "e \xdb\r"));
    EXPECT_EQ(RunQuietly(L"m " + file), 0u);
    EXPECT_EQ(ReadBytes(file), "Gr\xe4\xdf" "e \x80\r");
    EXPECT_EQ(ListFolder(temp_), L"") << "the intermediate file is deleted";
}

TEST_F(BatchTest, TakesPathsInQuotesWithBlanksUnicodeNamesAndBeyondTheClassicLimit) {
    std::wstring deep = dir_.Path();  // beyond 300 characters
    for (wchar_t letter = L'a'; letter < L'g'; ++letter)
        ASSERT_TRUE(MakeFolder(deep += L"\\" + std::wstring(50, letter)));
    struct Case {
        std::wstring folder, source, target;
    } cases[] = {
        {dir_ / L"Alte Briefe", L"alter Brief.txt", L"neuer Brief.txt"},
        {dir_ / L"Grüße", L"Grüße ✓.txt", L"Ziel ✓ ß€.txt"},
        {dir_ / L"Reste", L"~fv1a2b3c4d.tmp", L"ziel.txt"},  // named like a copy of ours, and kept
        {deep, L"quelle mit Leerzeichen.txt", L"ziel.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.source));
        ASSERT_TRUE(MakeFolder(c.folder));
        const std::wstring source = c.folder + L"\\" + c.source;
        const std::wstring target = c.folder + L"\\" + c.target;
        ASSERT_TRUE(WriteBytes(source, "\x8a"));
        EXPECT_EQ(RunQuietly(L"m " + Quote(source) + L" " + Quote(target)), 0u);
        EXPECT_EQ(ReadBytes(target), "\xe4");
        EXPECT_EQ(ReadBytes(source), "\x8a");
    }
}

// Every character that both character sets hold, as the system's own code
// pages 10000 (Mac Roman) and 1252 place it, converts to its place, in
// either direction given in either letter case; a NUL byte is dropped. An
// existing destination, longer than the new one, is replaced without a
// question.
TEST_F(BatchTest, SharedCharactersConvertToTheirPlaceInBothDirections) {
    std::string mac, win;
    SharedCharacters(mac, win);
    ASSERT_GE(mac.size(), 200u) << "the code pages share far more than this";
    struct Case {
        const wchar_t* letter;
        std::string in, out;
    } cases[] = {
        {L"m", mac + '\0' + "!", win + "!"},
        {L"M", mac, win},
        {L"w", win + '\0' + "!", mac + "!"},
        {L"W", win, mac},
    };
    const std::wstring source = dir_ / L"quelle.txt";
    const std::wstring target = dir_ / L"ziel.txt";
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.letter));
        ASSERT_TRUE(WriteBytes(source, c.in));
        ASSERT_TRUE(WriteBytes(target, std::string(5000, 'x')));
        EXPECT_EQ(RunQuietly(std::wstring(c.letter) + L" " + source + L" " + target), 0u);
        EXPECT_EQ(ReadBytes(target), c.out);
        EXPECT_EQ(ReadBytes(source), c.in);
    }
}
// Which command lines end how is the core's, tested against the in-memory
// platform; here one of each as the real program ends: silently, no window.
TEST_F(BatchTest, LinesThatConvertNothingEndSilentlyWithTheirCode) {
    const std::wstring source = dir_ / L"a.txt";
    const std::wstring target = dir_ / L"b.txt";
    ASSERT_TRUE(WriteBytes(source, "\x8a"));
    EXPECT_EQ(RunQuietly(L"mw " + source), 2u);              // unrecognised direction
    EXPECT_EQ(RunQuietly(L"m \"\" " + target), 1u);          // empty source
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(ReadBytes(source), "\x8a");
    EXPECT_EQ(ListFolder(temp_), L"");
}

TEST_F(BatchTest, MissingOrBrokenTableShowsFehlerAndEndsWithCode3) {
    const std::string broken = "quorind-Textbau\r\n128\t196\r\n";
    struct Case {
        const char* name;
        const std::string* table;
        std::wstring firstLine;
        std::wstring arguments;
    } cases[] = {
        {"missing, batch", nullptr, SystemText(ERROR_FILE_NOT_FOUND), L"m "},
        {"missing, window", nullptr, SystemText(ERROR_FILE_NOT_FOUND), L""},
        {"wrong header", &broken, L"Tabelle defekt.", L"m "},
    };
    const std::wstring source = dir_ / L"a.txt";
    ASSERT_TRUE(WriteBytes(source, "\x8a"));
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring exe = InstallProgram(dir_ / (L"alone" + std::to_wstring(++n)), c.table);
        ProgramRun run(exe, c.arguments.empty() ? L"" : c.arguments + source);
        ASSERT_TRUE(run.Started());
        const auto box = run.WaitForBox();
        ASSERT_TRUE(box) << "no box";
        EXPECT_EQ(box->title, L"Fehler!");
        EXPECT_EQ(box->icon, BoxIcon::Stop) << Name(box->icon);
        EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
        EXPECT_EQ(box->defaultButton, IDOK);
        EXPECT_EQ(box->text, c.firstLine + kTableBoxTail);
        ASSERT_TRUE(PressButton(*box, IDOK));
        EXPECT_EQ(run.WaitForExit(), 3u);
        EXPECT_EQ(ReadBytes(source), "\x8a");
    }
}

// Naming the intermediate file itself must not lose data: as a source it
// cannot be emptied while it is read, as a destination it cannot be
// replaced while the program holds it.
TEST_F(BatchTest, IntermediateFileAsSourceOrDestinationIsRefused) {
    const std::wstring intermediate = temp_ + L"\\~Falvori~";
    const std::wstring other = dir_ / L"a.txt";
    for (const bool asSource : {true, false}) {
        SCOPED_TRACE(asSource ? "source" : "destination");
        ASSERT_TRUE(WriteBytes(intermediate, "\x8a"));
        ASSERT_TRUE(WriteBytes(other, "\xa7"));
        ProgramRun run(Exe(), L"m " + (asSource ? intermediate + L" " + other : other + L" " + intermediate));
        const auto box = run.WaitForBox();
        ASSERT_TRUE(box) << "went through";
        EXPECT_TRUE(IsFailureBox(box, ERROR_SHARING_VIOLATION) || IsFailureBox(box, ERROR_ACCESS_DENIED))
            << Describe(*box);
        ASSERT_TRUE(PressButton(*box, IDCANCEL));
        EXPECT_EQ(run.WaitForExit(), 1u);
        // As the destination: the converted data stay in the intermediate file.
        EXPECT_EQ(ReadBytes(intermediate), asSource ? "\x8a" : "\xdf");
        EXPECT_EQ(ReadBytes(other), "\xa7");
    }
}

// The classic API reads "nul.txt" as the device NUL. As the source it is the
// file of that name; as the destination (a name few programs could open
// again) it is refused, saying why.
TEST_F(BatchTest, DeviceNamesAreFilesAsSourceAndRefusedAsDestination) {
    const std::wstring named = dir_ / L"nul.txt";
    const std::wstring target = dir_ / L"o.txt";
    ASSERT_TRUE(WriteBytes(L"\\\\?\\" + named, "\x8a"));
    EXPECT_EQ(RunQuietly(L"m " + named + L" " + target), 0u);
    EXPECT_EQ(ReadBytes(target), "\xe4");

    for (const wchar_t* name : {L"con.txt", L"LPT1", L"nul.txt"}) {
        SCOPED_TRACE(Utf8(name));
        ProgramRun run(Exe(), L"m " + target + L" " + dir_ / name);
        const auto box = run.WaitForBox();
        ASSERT_TRUE(IsFailureBox(box, ERROR_BAD_DEVICE));
        ASSERT_TRUE(PressButton(*box, IDCANCEL));
        EXPECT_EQ(run.WaitForExit(), 1u);
    }
    EXPECT_EQ(ListFolder(dir_.Path()), L"nul.txt|o.txt|temp");
    EXPECT_EQ(ReadBytes(L"\\\\?\\" + named), "\x8a");
}

// In a root folder the table path holds two backslashes in a row ("C:\\...").
TEST_F(BatchTest, ProgramInARootFolderFindsItsTable) {
    const std::wstring exe = L"C:\\Falvori-Test.exe";
    const std::wstring table = L"C:\\" + kTableName;
    ASSERT_FALSE(Exists(table)) << "left from another run";
    ASSERT_TRUE(CopyFileW(Exe().c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Table().c_str(), table.c_str(), FALSE));
    const std::wstring file = dir_ / L"a.txt";
    ASSERT_TRUE(WriteBytes(file, "\x8a"));
    EXPECT_EQ(RunQuietly(L"m " + file, exe), 0u);
    EXPECT_EQ(ReadBytes(file), "\xe4");
    DeleteFileW(exe.c_str());
    DeleteFileW(table.c_str());
}

}  // namespace
}  // namespace falvori::test
