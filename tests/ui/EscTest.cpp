// Esc in the program itself, started without a command line: it ends at
// once from the lists, the buttons and the name box, not from the option
// buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/wine/MessageBoxProbe.h"
#include "tests/wine/ProgramRun.h"
#include "tests/wine/TestFiles.h"
#include "ui/Layout.h"

namespace falvori::window_test {
namespace {

using namespace falvori::ui;

std::wstring Exe() { return test::FromLinuxPath(FALVORI_EXE_LINUX); }

// The program lists c:\ on start; this file there gives it a source file.
const std::wstring kSourceFile = L"c:\\falvori-esc-quelle.txt";

std::wstring TextOf(HWND control) {
    wchar_t text[256] = L"";
    DWORD_PTR ignored;
    SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

template <typename Done>
bool WaitFor(Done done, DWORD timeoutMs = 10000) {
    for (DWORD start = GetTickCount(); !done(); Sleep(20))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

struct EscCase {
    int id;
    const char* name;
    bool ends;  // Esc there ends the program
};

// Names the case in the test list.
void PrintTo(const EscCase& c, std::ostream* out) { *out << c.name; }

class EscTest : public ::testing::TestWithParam<EscCase> {
protected:
    void SetUp() override { ASSERT_TRUE(test::WriteBytes(kSourceFile, "q")); }
    void TearDown() override { DeleteFileW(kSourceFile.c_str()); }

    // Starts the program and, through its own input handling, selects the
    // source file and types a name, so that "&los" is enabled as well.
    HWND Start(test::ProgramRun& run) {
        EXPECT_TRUE(run.Started()) << "error " << run.StartError();
        HWND window = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (window = test::FindVisibleWindow(run.Pid(), L"FalvoriHaupt")) != nullptr; }))
            << "no window";
        if (!window) return nullptr;
        HWND files = GetDlgItem(window, kIdLstDateien1);
        HWND name = GetDlgItem(window, kIdTxtDatei2);
        for (wchar_t c : std::wstring(L"falvori-esc")) PostMessageW(files, WM_CHAR, c, 1);
        PostMessageW(name, WM_CHAR, L'x', 1);
        HWND los = GetDlgItem(window, kIdBtnLos);
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(los) != FALSE; })) << "\"&los\" never became enabled";
        return window;
    }

    static void PostEsc(HWND control) {
        PostMessageW(control, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(control, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    }
};

TEST_P(EscTest, EndsTheProgramAtOnceOrDoesNothing) {
    test::ProgramRun run(Exe(), L"");
    HWND window = Start(run);
    ASSERT_NE(window, nullptr);
    PostEsc(GetDlgItem(window, GetParam().id));
    if (GetParam().ends) {
        auto code = run.WaitForExit(10000);
        ASSERT_TRUE(code.has_value()) << "still running after Esc";
        EXPECT_EQ(*code, 0u);
        EXPECT_FALSE(run.WaitForBox(0)) << "no question";
        return;
    }
    // Posted after the Esc, so handled after it: once it shows, the Esc
    // has been handled too.
    HWND name = GetDlgItem(window, kIdTxtDatei2);
    PostMessageW(name, WM_CHAR, L'y', 1);
    ASSERT_TRUE(WaitFor([&] { return TextOf(name) == L"xy"; })) << "the program no longer takes input";
    EXPECT_FALSE(run.WaitForExit(0).has_value()) << "Esc ended the program";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.WaitForExit(10000), std::optional<DWORD>(0u));
}

INSTANTIATE_TEST_SUITE_P(
    Controls, EscTest,
    ::testing::Values(EscCase{kIdBtnGleichmachen, "btnGleichmachen", true}, EscCase{kIdBtnLos, "btnLos", true},
                      EscCase{kIdLstLaufwerk1, "lstLaufwerk1", true}, EscCase{kIdLstOrdner1, "lstOrdner1", true},
                      EscCase{kIdLstDateien1, "lstDateien1", true}, EscCase{kIdLstLaufwerk2, "lstLaufwerk2", true},
                      EscCase{kIdLstOrdner2, "lstOrdner2", true}, EscCase{kIdLstDateien2, "lstDateien2", true},
                      EscCase{kIdTxtDatei2, "txtDatei2", true}, EscCase{kIdOptMacWin, "optMacWin", false},
                      EscCase{kIdOptWinMac, "optWinMac", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace falvori::window_test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
