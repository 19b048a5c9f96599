// Files dropped from the shell onto lstDateien1: the source side opens the
// first of them and selects it by its exact name.
#include "tests/ui/WindowTest.h"
#include "tests/wine/TestFiles.h"

namespace falvori::test {
namespace {

class FileDropTest : public WindowTest {
public:
    void SetUp() override {
        WindowTest::SetUp();
        // The source side somewhere else, and the destination untouched by
        // any of it.
        OpenSource(L"w:\\Ziel");
        OpenDestination(L"w:\\Ziel");
        Haupt().txtDatei2.SetText(L"bleibt.txt");
        auto keys = Haupt().lstDateien1.onKeyDown;
        Haupt().lstDateien1.onKeyDown = [this, keys](unsigned key) {
            ++keysSeen;
            return keys(key);
        };
    }
    int keysSeen = 0;
};

struct DropCase {
    const char* label;
    std::vector<std::wstring> dropped;
    const wchar_t* file;      // created before the drop when not there
    const wchar_t* drive;
    const wchar_t* folder;
};

TEST_F(FileDropTest, OpensTheFirstDroppedFileOnTheSourceSide) {
    const std::wstring keystrokes = L"w:\\Quelle\\a+b^c%d~e(f){g}[h].txt";
    const DropCase cases[] = {
        {"one file", {L"w:\\Quelle\\brief.txt"}, L"brief.txt", L"w:", L"w:\\Quelle"},
        {"three files: the first counts",
         {L"w:\\Quelle\\mac.txt", L"w:\\Quelle\\win.txt", L"v:\\Ablage\\fern.txt"}, L"mac.txt", L"w:",
         L"w:\\Quelle"},
        {"a file in a root folder", {L"w:\\wurzel.txt"}, L"wurzel.txt", L"w:", L"w:\\"},
        {"a file on another drive", {L"v:\\Ablage\\fern.txt"}, L"fern.txt", L"v:", L"v:\\Ablage"},
        {"keystroke characters in the name", {keystrokes}, L"a+b^c%d~e(f){g}[h].txt", L"w:", L"w:\\Quelle"},
        {"a name that begins another", {L"w:\\Quelle\\brief.txt.bak"}, L"brief.txt.bak", L"w:", L"w:\\Quelle"},
        {"a name beyond the code page", {L"w:\\Quelle\\\u00C4rger.txt"}, L"\u00C4rger.txt", L"w:",
         L"w:\\Quelle"},
    };
    ASSERT_TRUE(test::WriteBytes(keystrokes, "k"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OpenSource(L"w:\\Ziel");
        Haupt().lstOrdner2.SetFocus();
        Haupt().btnLos.SetDefault(true);
        keysSeen = 0;

        Drop(Haupt().lstDateien1.Handle(), c.dropped);
        EXPECT_EQ(Haupt().lstLaufwerk1.Drive(), c.drive);
        EXPECT_EQ(Haupt().lstOrdner1.Path(), c.folder);
        EXPECT_EQ(Haupt().lstDateien1.Path(), c.folder);
        EXPECT_EQ(Haupt().lstDateien1.FileName(), c.file);
        EXPECT_EQ(GetFocus(), Haupt().lstDateien1.Handle());
        EXPECT_TRUE(Haupt().btnGleichmachen.Default()) << "selecting the file raised its click";
        EXPECT_TRUE(Haupt().btnLos.Enabled()) << "a file and a name: the enabling rule ran";
        EXPECT_EQ(keysSeen, 0) << "no key was pressed";
        EXPECT_EQ(Haupt().txtDatei2.Text(), L"bleibt.txt");
        EXPECT_EQ(Haupt().lstOrdner2.Path(), L"w:\\Ziel");
        EXPECT_TRUE(platform.shown.empty());
    }
}

TEST_F(FileDropTest, ADropFromARootFolderEndsAtTheRootWhateverTheDrivesCurrentFolder) {
    // w:\Quelle becomes the drive's current folder, where the folder list
    // first goes.
    wchar_t previous[MAX_PATH];
    ASSERT_TRUE(GetCurrentDirectoryW(MAX_PATH, previous));
    ASSERT_TRUE(SetCurrentDirectoryW(L"w:\\Quelle"));
    Drop(Haupt().lstDateien1.Handle(), {L"w:\\wurzel.txt"});
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"w:\\");
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"wurzel.txt");
}

TEST_F(FileDropTest, ADropWithoutAFileChangesNothing) {
    OpenSource(L"w:\\Quelle", L"mac.txt");
    Drop(Haupt().lstDateien1.Handle(), {});
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"w:\\Quelle");
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"mac.txt");
    EXPECT_TRUE(platform.shown.empty());
    // Still alive and working.
    Drop(Haupt().lstDateien1.Handle(), {L"w:\\Quelle\\brief.txt"});
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"brief.txt");
}

struct FailingDrop {
    const char* label;
    std::wstring path;
    DWORD error;
    const wchar_t* selected;  // afterwards
};

TEST_F(FileDropTest, AFolderThatCannotBeOpenedIsReportedAndTheWindowGoesOn) {
    const FailingDrop cases[] = {
        // The drive's current folder is opened first, as always.
        {"a folder that has gone", L"w:\\fehlt\\x.txt", ERROR_PATH_NOT_FOUND, L""},
        // Ends before anything moved.
        {"a network path: no drive letter", L"\\\\server\\freigabe\\x.txt", ERROR_INVALID_DRIVE, L"mac.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OpenSource(L"w:\\Quelle", L"mac.txt");
        platform.shown.clear();
        platform.answers = {kRetry, kCancel};
        Drop(Haupt().lstDateien1.Handle(), {c.path});
        EXPECT_EQ(platform.shown, std::vector(2, FailureBox(test::Utf8(test::SystemText(c.error)))))
            << "Retry tries again, Cancel ends the drop";
        EXPECT_EQ(Haupt().lstLaufwerk1.Drive(), L"w:");
        EXPECT_EQ(Haupt().lstDateien1.FileName(), c.selected);
    }
    Drop(Haupt().lstDateien1.Handle(), {L"w:\\Quelle\\brief.txt"});
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"brief.txt");
}

TEST_F(FileDropTest, OnlyTheSourceFileListTakesDrops) {
    HWND window = Haupt().Handle();
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "the surface refuses";
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        bool accepts = GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_ACCEPTFILES;
        EXPECT_EQ(accepts, child == Haupt().lstDateien1.Handle()) << "control " << GetDlgCtrlID(child);
    }
}

}  // namespace
}  // namespace falvori::test
