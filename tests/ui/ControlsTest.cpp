// The control layer's contract: events from code and from the user, each
// exactly once.
#include "tests/ui/WindowTest.h"

namespace falvori::test {
namespace {

class ControlsTest : public WindowTest {};

// What the drive list shows: FoldersTest.
TEST_F(ControlsTest, DriveListRefusesUnknownDrives) {
    int changes = 0;
    Haupt().lstLaufwerk2.onChange = [&] { ++changes; };
    char unused = 0;
    for (char letter = 'z'; letter >= 'd'; --letter)
        if (!(GetLogicalDrives() & (1u << (letter - 'a')))) unused = letter;
    ASSERT_NE(unused, 0);
    EXPECT_EQ(Haupt().ChooseDrive(Haupt().lstLaufwerk2, std::wstring{static_cast<wchar_t>(unused), L':'}).code,
              ERROR_INVALID_DRIVE);
    EXPECT_EQ(Haupt().ChooseDrive(Haupt().lstLaufwerk2, L"").code, ERROR_INVALID_DRIVE);
    EXPECT_EQ(Haupt().lstLaufwerk2.Drive(), L"c:");
    EXPECT_EQ(changes, 0);
}

TEST_F(ControlsTest, UserChoosingADriveRaisesOneChange) {
    int changes = 0;
    Haupt().lstLaufwerk2.onChange = [&] { ++changes; };
    HWND box = Haupt().lstLaufwerk2.Handle();
    Haupt().lstLaufwerk2.SetFocus();
    // Typing a letter in a closed drop-down list selects the drive.
    PostMessageW(box, WM_CHAR, L't', 1);
    Pump();
    EXPECT_EQ(Haupt().lstLaufwerk2.Drive(), L"t:");
    EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, FolderPathFailureLeavesTheListAsItWas) {
    OpenTestFolders();
    int changes = 0;
    Haupt().lstOrdner2.onChange = [&] { ++changes; };
    auto before = Entries(Haupt().lstOrdner2.Handle());
    EXPECT_TRUE(Haupt().OpenFolder(Haupt().lstOrdner2, L"t:\\gibtsnicht"));
    EXPECT_TRUE(Haupt().OpenFolder(Haupt().lstOrdner2, L"t:\\alpha.txt")) << "a file is no folder";
    EXPECT_EQ(Haupt().lstOrdner2.Path(), L"t:\\");
    EXPECT_EQ(Entries(Haupt().lstOrdner2.Handle()), before);
    EXPECT_EQ(changes, 0);
}

TEST_F(ControlsTest, TextSetFromCodeRaisesOneChangeAndTypingOnePerKey) {
    int changes = 0;
    Haupt().txtDatei2.onChange = [&] { ++changes; };
    Haupt().txtDatei2.SetText(L"brief.txt");
    EXPECT_EQ(changes, 1);
    Haupt().txtDatei2.SetText(L"brief.txt");
    EXPECT_EQ(changes, 1) << "the same text is no change";
    Haupt().txtDatei2.SetText(L"");
    EXPECT_EQ(changes, 2);

    Haupt().txtDatei2.SetFocus();
    PostChars(Haupt().txtDatei2.Handle(), L"\u00FCb");
    EXPECT_EQ(Haupt().txtDatei2.Text(), L"\u00FCb");
    EXPECT_EQ(changes, 4);
}

TEST_F(ControlsTest, BackColorPaintsTheNameBox) {
    HWND edit = Haupt().txtDatei2.Handle();
    HDC dc = GetDC(edit);
    LRESULT brush = SendMessageW(Haupt().Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW)) << "the platform's colour before any is set";

    Haupt().txtDatei2.SetBackColor(RGB(0, 255, 0));
    brush = SendMessageW(Haupt().Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(GetBkColor(dc), RGB(0, 255, 0));
    LOGBRUSH logBrush{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof logBrush, &logBrush), 0);
    EXPECT_EQ(logBrush.lbColor, RGB(0, 255, 0));
    EXPECT_EQ(Haupt().txtDatei2.BackColor(), RGB(0, 255, 0));

    Haupt().txtDatei2.SetBackColor(RGB(255, 255, 255));
    SendMessageW(Haupt().Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    ReleaseDC(edit, dc);
}

TEST_F(ControlsTest, ListIndexSelectsAndRaisesOneClick) {
    OpenTestFolders();
    int clicks = 0;
    Haupt().lstDateien1.onClick = [&] { ++clicks; };
    EXPECT_EQ(Haupt().lstDateien1.ListIndex(), -1);
    EXPECT_TRUE(Haupt().lstDateien1.SetListIndex(-1));
    EXPECT_EQ(clicks, 0) << "nothing was selected, nothing changes";
    EXPECT_TRUE(Haupt().lstDateien1.SetListIndex(1));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"brief.txt");
    EXPECT_FALSE(Haupt().lstDateien1.SetListIndex(2));
    EXPECT_FALSE(Haupt().lstDateien1.SetListIndex(-2));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Haupt().lstDateien1.ListIndex(), 1);
    EXPECT_TRUE(Haupt().lstDateien1.SetListIndex(-1));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"");
}

TEST_F(ControlsTest, TypingSelectsTheFileWhoseNameBeginsWithTheLetters) {
    OpenTestFolders();
    Haupt().OpenFolder(Haupt().lstOrdner1, L"t:\\");
    int clicks = 0;
    Haupt().lstDateien1.onClick = [&] { ++clicks; };
    Haupt().lstDateien1.SetFocus();
    PostChars(Haupt().lstDateien1.Handle(), L"be");
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"beta.txt");
    PostChars(Haupt().lstDateien1.Handle(), L"tt");
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"bett.txt");
    EXPECT_EQ(clicks, 4);
    Sleep(1100);  // a pause starts a new name
    PostChars(Haupt().lstDateien1.Handle(), L"\u00E4r");
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"\u00C4rger.txt");
    PostChars(Haupt().lstDateien1.Handle(), L"x");
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"\u00C4rger.txt") << "no name fits: the selection stays";
}

TEST_F(ControlsTest, DroppedFilesReachTheSourceFileListsEvent) {
    std::vector<std::vector<std::wstring>> drops;
    Haupt().lstDateien1.onDrop = [&](const std::vector<std::wstring>& paths) { drops.push_back(paths); };
    std::vector<std::wstring> paths = {L"t:\\Briefe\\brief.txt", L"t:\\alpha.txt", L"t:\\\u00C4rger.txt"};
    Drop(Haupt().lstDateien1.Handle(), paths);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], paths);
}

TEST_F(ControlsTest, KeyDownReachesTheControlBeforeTheDialogKeys) {
    std::vector<unsigned> keys;
    Haupt().txtDatei2.onKeyDown = [&](unsigned key) {
        keys.push_back(key);
        return key == VK_ESCAPE;
    };
    Haupt().txtDatei2.SetFocus();
    PostKey(Haupt().txtDatei2.Handle(), VK_ESCAPE);
    PostKey(Haupt().txtDatei2.Handle(), VK_TAB);
    EXPECT_EQ(keys, (std::vector<unsigned>{VK_ESCAPE, VK_TAB}));
    EXPECT_NE(GetFocus(), Haupt().txtDatei2.Handle()) << "a key the handler leaves goes on to the dialog keys";
}

}  // namespace
}  // namespace falvori::test
