// Make-equal, by its button and by a double-click on a source file: the
// destination side takes drive, folder and file of the source side.
#include "tests/ui/WindowTest.h"
#include "tests/wine/TestFiles.h"

#include <functional>

namespace falvori::test {
namespace {

// What make-equal may change.
struct Destination {
    std::wstring drive, folder, file, name;
    HWND focus;
    DWORD selStart, selEnd;
    bool losEnabled, losDefault, gleichDefault;

    bool operator==(const Destination&) const = default;
};

void PrintTo(const Destination& d, std::ostream* out) {
    *out << test::Utf8(d.drive) << " | " << test::Utf8(d.folder) << " | " << test::Utf8(d.file) << " | ["
         << test::Utf8(d.name) << "] sel " << d.selStart << "-" << d.selEnd << " focus " << d.focus << " los "
         << d.losEnabled << "/" << d.losDefault << " gleich " << d.gleichDefault;
}

class MakeEqualTest : public WindowTest {
public:
    Destination Now() {
        Destination d{Haupt().lstLaufwerk2.Drive(), Haupt().lstOrdner2.Path(), Haupt().lstDateien2.FileName(),
                      Haupt().txtDatei2.Text(), GetFocus(), 0, 0, Haupt().btnLos.Enabled(), Haupt().btnLos.Default(),
                      Haupt().btnGleichmachen.Default()};
        SendMessageW(Haupt().txtDatei2.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&d.selStart),
                     reinterpret_cast<LPARAM>(&d.selEnd));
        return d;
    }

    // The two ways to ask for make-equal, each on a selected source file.
    struct Trigger {
        const char* label;
        std::function<void(MakeEqualTest&, const std::wstring& file)> run;
    };
    static std::vector<Trigger> Triggers() {
        return {
            {"button", [](MakeEqualTest& t, const std::wstring& file) {
                 t.Haupt().lstDateien1.SetListIndex(t.Haupt().lstDateien1.FindName(file));
                 t.Click(t.Haupt().btnGleichmachen);
             }},
            {"double-click", [](MakeEqualTest& t, const std::wstring& file) {
                 t.DoubleClickItem(t.Haupt().lstDateien1.Handle(), t.Haupt().lstDateien1.FindName(file));
             }},
        };
    }
};

TEST_F(MakeEqualTest, WithoutASourceFileChangesNothing) {
    OpenSource(L"w:\\Quelle");
    OpenDestination(L"v:\\Ablage");
    Haupt().txtDatei2.SetText(L"x");
    Haupt().lstOrdner1.SetFocus();
    Pump();
    ASSERT_TRUE(Haupt().btnGleichmachen.Default());
    int presses = 0;
    auto gleichmachen = Haupt().btnGleichmachen.onClick;
    Haupt().btnGleichmachen.onClick = [&] {
        ++presses;
        gleichmachen();
    };
    Destination before = Now();

    // Enter in a list presses the default button, make-equal.
    PostKey(Haupt().lstOrdner1.Handle(), VK_RETURN);
    ASSERT_EQ(presses, 1);
    EXPECT_EQ(Now(), before);
    // A click takes the focus to the button itself, as a mouse click does.
    Click(Haupt().btnGleichmachen);
    before.focus = Haupt().btnGleichmachen.Handle();
    ASSERT_EQ(presses, 2);
    EXPECT_EQ(Now(), before);
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(MakeEqualTest, PointsTheDestinationAtTheSourceFileAndWaitsInTheName) {
    for (const auto& trigger : Triggers()) {
        SCOPED_TRACE(trigger.label);
        OpenSource(L"w:\\Quelle");
        OpenDestination(L"v:\\Ablage");
        Haupt().txtDatei2.SetText(L"alt.txt");
        Haupt().lstOrdner1.SetFocus();
        platform.shown.clear();

        trigger.run(*this, L"brief.txt");
        Destination d = Now();
        EXPECT_EQ(d.drive, L"w:");
        EXPECT_EQ(d.folder, L"w:\\Quelle");
        EXPECT_EQ(d.file, L"brief.txt");
        EXPECT_EQ(Haupt().lstDateien2.ListIndex(), Haupt().lstDateien1.ListIndex());
        EXPECT_EQ(d.name, L"brief.txt");
        EXPECT_EQ(d.focus, Haupt().txtDatei2.Handle());
        EXPECT_EQ(d.selStart, 9u) << "the caret after the last character, nothing selected";
        EXPECT_EQ(d.selEnd, 9u);
        EXPECT_TRUE(d.losEnabled);
        EXPECT_TRUE(d.losDefault);
        EXPECT_FALSE(d.gleichDefault);
        EXPECT_TRUE(platform.shown.empty());

        // Enter now presses "&los": the destination is the source itself.
        platform.answers.push_back(kNo);
        PostKey(Haupt().txtDatei2.Handle(), VK_RETURN);
        EXPECT_EQ(platform.shown, std::vector{kOverwriteQuestion});
        EXPECT_EQ(Bytes(L"w:\\Quelle\\brief.txt"), "brief");
    }
}

TEST_F(MakeEqualTest, ReadsTheDestinationFolderAgainWhenItShowsTheSourceFolderAlready) {
    OpenSource(L"w:\\Quelle", L"mac.txt");
    OpenDestination(L"w:\\Quelle");
    ASSERT_TRUE(test::WriteBytes(L"w:\\Quelle\\neu.txt", "n"));
    ASSERT_LT(Haupt().lstDateien2.FindName(L"neu.txt"), 0);
    Click(Haupt().btnGleichmachen);
    EXPECT_GE(Haupt().lstDateien2.FindName(L"neu.txt"), 0);
    EXPECT_EQ(Haupt().lstDateien2.FileName(), L"mac.txt");
    EXPECT_EQ(Haupt().txtDatei2.Text(), L"mac.txt");
}

TEST_F(MakeEqualTest, TakesTheSourceFileByItsNameWhenTheFolderChangedMeanwhile) {
    OpenSource(L"w:\\Quelle", L"mac.txt");
    OpenDestination(L"w:\\Ziel");
    // Sorts first: the source list's position of mac.txt now names the
    // file before it in a list read afresh.
    ASSERT_TRUE(test::WriteBytes(L"w:\\Quelle\\aaa.txt", "a"));
    Click(Haupt().btnGleichmachen);
    EXPECT_EQ(Haupt().lstDateien2.FileName(), L"mac.txt");
    EXPECT_EQ(Haupt().txtDatei2.Text(), L"mac.txt");
}

TEST_F(MakeEqualTest, KeepsTheNameOfASourceFileThatWasDeletedMeanwhile) {
    OpenSource(L"w:\\Quelle", L"brief.txt");
    OpenDestination(L"w:\\Ziel");
    ASSERT_TRUE(DeleteFileW(L"w:\\Quelle\\brief.txt"));
    Click(Haupt().btnGleichmachen);
    EXPECT_EQ(Haupt().lstDateien2.FileName(), L"") << "not another file at the same position";
    EXPECT_EQ(Haupt().txtDatei2.Text(), L"brief.txt");
    EXPECT_TRUE(Haupt().btnLos.Enabled());
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(MakeEqualTest, ASourceFolderThatHasGoneIsReportedAndTheWindowGoesOn) {
    OpenSource(L"w:\\Quelle", L"brief.txt");
    OpenDestination(L"v:\\Ablage");
    test::RemoveTree(L"w:\\Quelle");
    platform.answers = {kRetry, kCancel};
    Click(Haupt().btnGleichmachen);
    EXPECT_EQ(platform.shown, std::vector(2, FailureBox(test::Utf8(test::SystemText(ERROR_PATH_NOT_FOUND)))))
        << "Retry tries again";
    // Cancel ends make-equal there: no focus move, no button change.
    EXPECT_NE(GetFocus(), Haupt().txtDatei2.Handle());
    EXPECT_FALSE(Haupt().btnLos.Default());
    // The window still works.
    OpenSource(L"w:\\", L"wurzel.txt");
    Click(Haupt().btnGleichmachen);
    EXPECT_EQ(Haupt().txtDatei2.Text(), L"wurzel.txt");
}

}  // namespace
}  // namespace falvori::test
