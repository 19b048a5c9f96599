// The pickers' handlers: the cascade from drive to folder to file list,
// the enabling rule and the moves of the default button.
#include "tests/ui/WindowTest.h"

#include <algorithm>
#include <functional>

namespace falvori::test {
namespace {

class PickersTest : public WindowTest {
public:
    // Counts an event and still runs the window's own handler.
    template <typename Event>
    void Count(Event& event, int& counter) {
        auto original = event;
        event = [original, &counter](auto&&... args) {
            ++counter;
            if (original) return original(args...);
            using Result = decltype(original(args...));
            if constexpr (!std::is_void_v<Result>) return Result{};
        };
    }

    bool LosIsDefault() { return Haupt().btnLos.Default(); }
    bool GleichIsDefault() { return Haupt().btnGleichmachen.Default(); }
    bool NoDefault() { return HIWORD(SendMessageW(Haupt().Handle(), DM_GETDEFID, 0, 0)) != DC_HASDEFID; }
    int IndexOf(ui::FileList& list, const std::wstring& name) {
        auto entries = Entries(list.Handle());
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i] == name) return static_cast<int>(i);
        ADD_FAILURE() << "no entry for the name";
        return -1;
    }
};

TEST_F(PickersTest, NewDriveMovesFolderListAndFileListEachOnce) {
    int drive = 0, folder = 0, files = 0;
    Count(Haupt().lstLaufwerk1.onChange, drive);
    Count(Haupt().lstOrdner1.onChange, folder);
    Count(Haupt().lstDateien1.onClick, files);

    ASSERT_FALSE(Haupt().ChooseDrive(Haupt().lstLaufwerk1, L"T:\\whatever")) << "only the letter counts";
    EXPECT_EQ(Haupt().lstLaufwerk1.Drive(), L"t:");
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\");
    EXPECT_EQ(Haupt().lstDateien1.Path(), L"t:\\");
    EXPECT_EQ(drive, 1);
    EXPECT_EQ(folder, 1);
    EXPECT_EQ(files, 0) << "a new folder selects no file";

    // The same drive again changes nothing.
    ASSERT_FALSE(Haupt().ChooseDrive(Haupt().lstLaufwerk1, L"t:"));
    EXPECT_EQ(drive, 1);
    EXPECT_EQ(folder, 1);
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(PickersTest, BothFileListsShowEveryFileHiddenAndSystemIncluded) {
    OpenTestFolders();
    std::vector<std::wstring> expected = {L".punkt",        L"alpha.txt",     L"beta.txt", L"bett.txt",
                                          L"system.txt",    L"versteckt.txt", L"\u00C4rger.txt"};
    auto listed = Entries(Haupt().lstDateien2.Handle());
    std::vector<std::wstring> sortedListed = listed;
    std::sort(sortedListed.begin(), sortedListed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sortedListed, expected);

    ASSERT_FALSE(Haupt().OpenFolder(Haupt().lstOrdner1, L"t:\\"));
    EXPECT_EQ(Entries(Haupt().lstDateien1.Handle()), listed) << "same folder, same entries, same order";
}

TEST_F(PickersTest, FolderListShowsThePathDownToTheOpenFolderThenItsSubfolders) {
    OpenTestFolders();
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe");
    std::vector<std::wstring> expected = {L"t:\\", L"Briefe", L"Unterordner", L"Zweiter"};
    EXPECT_EQ(Entries(Haupt().lstOrdner1.Handle()), expected);
    EXPECT_EQ(Entries(Haupt().lstDateien1.Handle()), (std::vector<std::wstring>{L"Antwort.txt", L"brief.txt"}));
}

TEST_F(PickersTest, FolderPathIsRaisedOnlyWhenTheFolderDiffers) {
    OpenTestFolders();
    int folder = 0;
    Count(Haupt().lstOrdner1.onChange, folder);
    for (const wchar_t* same : {L"t:\\Briefe", L"t:\\Briefe\\", L"T:\\BRIEFE", L"t:\\Briefe\\Zweiter\\.."})
        EXPECT_FALSE(Haupt().OpenFolder(Haupt().lstOrdner1, same));
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe");

    EXPECT_FALSE(Haupt().OpenFolder(Haupt().lstOrdner1, L"\\")) << "the root of the list's own drive";
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\");
    EXPECT_EQ(Haupt().lstDateien1.Path(), L"t:\\");
    EXPECT_EQ(folder, 1);

    EXPECT_FALSE(Haupt().OpenFolder(Haupt().lstOrdner1, L"Leer")) << "relative to the open folder";
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Leer");
    EXPECT_EQ(folder, 2);
}

TEST_F(PickersTest, DoubleClickOpensAFolderAndAClickOnlySelectsIt) {
    OpenTestFolders();
    int opened = 0, clicked = 0;
    Count(Haupt().lstOrdner1.onChange, opened);
    Count(Haupt().lstOrdner1.onClick, clicked);
    HWND list = Haupt().lstOrdner1.Handle();
    ClickItem(list, 3);  // Zweiter
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe");

    DoubleClickItem(list, 3);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe\\Zweiter");
    EXPECT_EQ(Haupt().lstDateien1.Path(), L"t:\\Briefe\\Zweiter");
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2) << "the open folder is the selected line";
}

TEST_F(PickersTest, ClickInTheSourceFolderListRereadsTheSourceFiles) {
    OpenTestFolders();
    ASSERT_TRUE(Haupt().lstDateien1.SetListIndex(IndexOf(Haupt().lstDateien1, L"brief.txt")));
    WriteBytes(L"t:\\Briefe\\neu.txt", "x");
    PostKey(Haupt().lstOrdner1.Handle(), VK_DOWN);
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe") << "a click selects, it does not open";
    auto entries = Entries(Haupt().lstDateien1.Handle());
    EXPECT_NE(std::find(entries.begin(), entries.end(), L"neu.txt"), entries.end());
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"brief.txt") << "the selected file stays selected";
}

TEST_F(PickersTest, ClickInTheDestinationFolderListAssignsItsFolderAgain) {
    OpenTestFolders();
    WriteBytes(L"t:\\neu.txt", "x");
    PostKey(Haupt().lstOrdner2.Handle(), VK_DOWN);
    auto entries = Entries(Haupt().lstDateien2.Handle());
    EXPECT_NE(std::find(entries.begin(), entries.end(), L"neu.txt"), entries.end());
}

TEST_F(PickersTest, ClickedDestinationFileFillsTheNameBox) {
    OpenTestFolders();
    int nameChanges = 0;
    Count(Haupt().txtDatei2.onChange, nameChanges);
    ASSERT_TRUE(Haupt().lstDateien2.SetListIndex(IndexOf(Haupt().lstDateien2, L"alpha.txt")));
    EXPECT_EQ(Haupt().txtDatei2.Text(), L"alpha.txt");
    EXPECT_EQ(nameChanges, 1);
    // The same file again leaves the text, so the name box raises nothing.
    ASSERT_TRUE(Haupt().lstDateien2.SetListIndex(IndexOf(Haupt().lstDateien2, L"alpha.txt")));
    EXPECT_EQ(nameChanges, 1);
}

struct RuleCase {
    const char* source;  // "" or the name of the selected source file
    const wchar_t* name;
    bool enabled;
};

TEST_F(PickersTest, EnablingRuleNeedsASourceFileAndANonBlankName) {
    const RuleCase cases[] = {
        {"", L"", false},          {"", L"ziel.txt", false},     {"brief.txt", L"", false},
        {"brief.txt", L"   ", false}, {"brief.txt", L"ziel.txt", true}, {"brief.txt", L"  z  ", true},
        {"brief.txt", L"\t", true},  // only blanks are trimmed, a TAB is a name
    };
    OpenTestFolders();
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(std::string("source=") + c.source);
        Haupt().lstDateien1.SetListIndex(*c.source ? IndexOf(Haupt().lstDateien1, L"brief.txt") : -1);
        Haupt().txtDatei2.SetText(L"vorher");
        Haupt().txtDatei2.SetText(c.name);
        EXPECT_EQ(Haupt().btnLos.Enabled(), c.enabled);
        EXPECT_EQ(LosIsDefault(), c.enabled) << "the name's change makes btnLos the default when enabled";
    }
}

struct Step {
    const char* action;
    std::function<void(PickersTest&, ui::Haupt&)> run;
    bool losEnabled;  // a source file is selected and a name is given
};

TEST_F(PickersTest, AfterEveryPickerActionLosShowsWhetherAConversionCanStart) {
    OpenTestFolders();
    Haupt().lstDateien1.SetListIndex(IndexOf(Haupt().lstDateien1, L"brief.txt"));
    Haupt().txtDatei2.SetText(L"ziel.txt");
    ASSERT_TRUE(Haupt().btnLos.Enabled());
    const Step steps[] = {
        {"another destination drive", [](PickersTest&, ui::Haupt& w) { w.ChooseDrive(w.lstLaufwerk2, L"c:"); }, true},
        {"another destination folder",
         [](PickersTest&, ui::Haupt& w) {
             w.ChooseDrive(w.lstLaufwerk2, L"t:");
             w.OpenFolder(w.lstOrdner2, L"t:\\Leer");
             EXPECT_EQ(w.lstDateien2.ListCount(), 0);
             EXPECT_EQ(w.txtDatei2.Text(), L"ziel.txt") << "the name stays";
         },
         true},
        {"a click in the destination folders", [](PickersTest& t, ui::Haupt& w) { t.PostKey(w.lstOrdner2.Handle(), VK_DOWN); },
         true},
        {"a click in the source folders", [](PickersTest& t, ui::Haupt& w) { t.PostKey(w.lstOrdner1.Handle(), VK_DOWN); },
         true},
        {"another source file",
         [](PickersTest& t, ui::Haupt& w) { w.lstDateien1.SetListIndex(t.IndexOf(w.lstDateien1, L"Antwort.txt")); }, true},
        {"a blank name", [](PickersTest&, ui::Haupt& w) { w.txtDatei2.SetText(L"   "); }, false},
        {"a destination file clicked",
         [](PickersTest& t, ui::Haupt& w) {
             w.OpenFolder(w.lstOrdner2, L"t:\\");
             w.lstDateien2.SetListIndex(t.IndexOf(w.lstDateien2, L"beta.txt"));
         },
         true},
        {"another source folder", [](PickersTest&, ui::Haupt& w) { w.OpenFolder(w.lstOrdner1, L"t:\\Leer"); }, false},
        {"a source file there",
         [](PickersTest& t, ui::Haupt& w) {
             w.OpenFolder(w.lstOrdner1, L"t:\\");
             w.lstDateien1.SetListIndex(t.IndexOf(w.lstDateien1, L"alpha.txt"));
         },
         true},
        {"another source drive", [](PickersTest&, ui::Haupt& w) { w.ChooseDrive(w.lstLaufwerk1, L"c:"); }, false},
    };
    for (const Step& step : steps) {
        step.run(*this, Haupt());
        EXPECT_EQ(Haupt().btnLos.Enabled(), step.losEnabled) << "after " << step.action;
    }
}

TEST_F(PickersTest, DefaultButtonMoves) {
    OpenTestFolders();
    int brief = IndexOf(Haupt().lstDateien1, L"brief.txt");
    int antwort = IndexOf(Haupt().lstDateien1, L"Antwort.txt");

    Haupt().lstDateien1.SetListIndex(brief);
    EXPECT_TRUE(GleichIsDefault());
    EXPECT_FALSE(Haupt().btnLos.Enabled());

    Haupt().txtDatei2.SetText(L"ziel.txt");
    EXPECT_TRUE(Haupt().btnLos.Enabled());
    EXPECT_TRUE(LosIsDefault());
    EXPECT_FALSE(GleichIsDefault());
    EXPECT_EQ(GetWindowLongW(Haupt().btnLos.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongW(Haupt().btnGleichmachen.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

    // A blank name while btnLos is the default leaves no default button.
    Haupt().txtDatei2.SetText(L"   ");
    EXPECT_FALSE(Haupt().btnLos.Enabled());
    EXPECT_TRUE(NoDefault());
    Haupt().txtDatei2.SetText(L"ziel.txt");
    EXPECT_TRUE(LosIsDefault());

    // Selecting a source file takes the default back; btnLos stays enabled.
    Haupt().lstDateien1.SetListIndex(antwort);
    EXPECT_TRUE(GleichIsDefault());
    EXPECT_TRUE(Haupt().btnLos.Enabled());

    // A destination file with the name already in the box changes no text.
    Haupt().txtDatei2.SetText(L"beta.txt");
    Haupt().lstDateien1.SetListIndex(brief);
    Haupt().lstDateien2.SetListIndex(IndexOf(Haupt().lstDateien2, L"beta.txt"));
    EXPECT_TRUE(GleichIsDefault());
    // A different one does.
    Haupt().lstDateien2.SetListIndex(IndexOf(Haupt().lstDateien2, L"alpha.txt"));
    EXPECT_TRUE(LosIsDefault());

    // Opening another source folder empties the selection.
    Haupt().OpenFolder(Haupt().lstOrdner1, L"t:\\");
    EXPECT_FALSE(Haupt().btnLos.Enabled());
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"");
}

}  // namespace
}  // namespace falvori::test
