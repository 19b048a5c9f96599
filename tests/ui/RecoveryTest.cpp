// A drive that cannot be read, and folders that vanish: the window offers
// Retry and Cancel, recovers, and never ends the program.
#include "tests/ui/WindowTest.h"

#include "platform/win32/SystemError.h"

namespace falvori::test {
namespace {

class RecoveryTest : public WindowTest {
public:
    void SetUp() override {
        WindowTest::SetUp();
        medium_ = MediumFolder();
        ASSERT_FALSE(medium_.empty()) << "FALVORI_UI_MEDIUM is not set";
        TakeOutMedium();
        ASSERT_NE(GetLogicalDrives() & (1u << ('u' - 'a')), 0u) << "drive u: is not listed";
    }
    void TearDown() override {
        TakeOutMedium();
        WindowTest::TearDown();
    }

    // u: points at medium_: a plain file is no medium, a folder is one.
    void TakeOutMedium() {
        RemoveTree(medium_);
        RemoveDirectoryW(medium_.c_str());
        WriteBytes(medium_, "no medium");
    }
    void InsertMedium() {
        DeleteFileW(medium_.c_str());
        CreateDirectoryW(medium_.c_str(), nullptr);
        WriteBytes(medium_ + L"\\auf-cd.txt", "x");
    }

    // What the system itself says when the drive is listed.
    std::string UnreadableDriveText() {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(L"u:\\*", &data);
        EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "drive u: can be read";
        DWORD error = GetLastError();
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
        return SystemFailure(error).text;
    }

    void ExpectFailureBoxes(size_t count) {
        const std::string text = UnreadableDriveText();
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(platform.shown, std::vector(count, FailureBox(text)));
    }

    std::wstring medium_;
};

TEST_F(RecoveryTest, RetryThenCancelGoesBackToTheDriveSavedOnFocus) {
    OpenTestFolders();
    FocusFromElsewhere(Haupt().lstLaufwerk1);
    ASSERT_EQ(Haupt().GemerktesLaufwerk, L"t:");
    int driveChanges = 0, folderChanges = 0;
    auto driveHandler = Haupt().lstLaufwerk1.onChange;
    Haupt().lstLaufwerk1.onChange = [&] {
        ++driveChanges;
        driveHandler();
    };
    auto folderHandler = Haupt().lstOrdner1.onChange;
    Haupt().lstOrdner1.onChange = [&] {
        ++folderChanges;
        folderHandler();
    };

    platform.answers.push_back(kRetry);
    platform.answers.push_back(kCancel);
    ASSERT_FALSE(Haupt().ChooseDrive(Haupt().lstLaufwerk1, L"u:"));

    ExpectFailureBoxes(2);
    EXPECT_EQ(Haupt().lstLaufwerk1.Drive(), L"t:");
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\") << "the drive's current folder again";
    EXPECT_EQ(Haupt().lstDateien1.Path(), L"t:\\");
    EXPECT_EQ(driveChanges, 2) << "to u:, then back to t:";
    EXPECT_EQ(folderChanges, 1);
    EXPECT_EQ(Haupt().GemerktesLaufwerk, L"t:");
}

TEST_F(RecoveryTest, RetryAfterInsertingAMediumOpensTheDrive) {
    OpenTestFolders();
    platform.answers.push_back([this] {
        InsertMedium();
        return kRetry;
    });
    ASSERT_FALSE(Haupt().ChooseDrive(Haupt().lstLaufwerk1, L"u:"));
    EXPECT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(Haupt().lstLaufwerk1.Drive(), L"u:");
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"u:\\");
    EXPECT_EQ(Entries(Haupt().lstDateien1.Handle()), std::vector<std::wstring>{L"auf-cd.txt"});
}

TEST_F(RecoveryTest, DestinationCancelTakesTheDriveTheSourceListSaved) {
    OpenTestFolders();
    Haupt().ChooseDrive(Haupt().lstLaufwerk2, L"c:");
    FocusFromElsewhere(Haupt().lstLaufwerk1);
    ASSERT_EQ(Haupt().GemerktesLaufwerk, L"t:");

    platform.answers.push_back(kCancel);
    Haupt().ChooseDrive(Haupt().lstLaufwerk2, L"u:");
    ExpectFailureBoxes(1);
    EXPECT_EQ(Haupt().lstLaufwerk2.Drive(), L"t:");
    EXPECT_EQ(Haupt().lstOrdner2.Path(), L"t:\\");
    EXPECT_EQ(Haupt().lstDateien2.Path(), L"t:\\");
}

TEST_F(RecoveryTest, CancelWithNothingSavedKeepsTheFolderListsDrive) {
    OpenTestFolders();
    Haupt().GemerktesLaufwerk.clear();
    platform.answers.push_back(kCancel);
    Haupt().ChooseDrive(Haupt().lstLaufwerk1, L"u:");
    ExpectFailureBoxes(1);
    EXPECT_EQ(Haupt().lstLaufwerk1.Drive(), L"t:");
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\");
    EXPECT_TRUE(IsWindow(Haupt().Handle()));
}

TEST_F(RecoveryTest, CancelToASavedDriveThatCannotBeReadEither) {
    OpenTestFolders();
    Haupt().GemerktesLaufwerk = L"u:";
    platform.answers.push_back(kCancel);
    Haupt().ChooseDrive(Haupt().lstLaufwerk1, L"u:");
    // Going back to u: is no change, so there is one box and the window lives.
    ExpectFailureBoxes(1);
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe");
    EXPECT_TRUE(IsWindow(Haupt().Handle()));
}

TEST_F(RecoveryTest, FocusComingBackFromAnotherWindowDoesNotSaveTheDrive) {
    OpenTestFolders();
    FocusFromElsewhere(Haupt().lstLaufwerk1);
    int gotFocus = 0;
    auto handler = Haupt().lstLaufwerk1.onGotFocus;
    Haupt().lstLaufwerk1.onGotFocus = [&] {
        ++gotFocus;
        handler();
    };
    HWND other = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(other, nullptr);
    SetFocus(other);
    Pump();
    Haupt().lstLaufwerk1.SetFocus();
    Pump();
    DestroyWindow(other);
    EXPECT_EQ(gotFocus, 0);

    FocusFromElsewhere(Haupt().lstLaufwerk1);
    EXPECT_EQ(gotFocus, 1);
}

TEST_F(RecoveryTest, AFolderThatVanishedOffersRetryAndCancel) {
    OpenTestFolders();
    HWND list = Haupt().lstOrdner1.Handle();
    RemoveDirectoryW(L"t:\\Briefe\\Unterordner");

    platform.answers.push_back(kCancel);
    DoubleClickItem(list, 2);  // Unterordner
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].title, "Achtung!");
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe");
    EXPECT_TRUE(IsWindow(Haupt().Handle()));

    platform.answers.push_back([] {
        CreateDirectoryW(L"t:\\Briefe\\Unterordner", nullptr);
        return kRetry;
    });
    DoubleClickItem(list, 2);
    EXPECT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"t:\\Briefe\\Unterordner");
}

TEST_F(RecoveryTest, AFileListThatCannotBeReadIsLeftEmpty) {
    OpenTestFolders();
    Haupt().lstDateien1.SetListIndex(0);
    Haupt().txtDatei2.SetText(L"ziel.txt");
    RemoveTree(L"t:\\Briefe");
    RemoveDirectoryW(L"t:\\Briefe");
    platform.answers.push_back(kRetry);
    platform.answers.push_back(kCancel);
    // A click in the folder list reads the vanished folder again.
    PostKey(Haupt().lstOrdner1.Handle(), VK_DOWN);
    EXPECT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(Haupt().lstDateien1.ListCount(), 0);
    EXPECT_EQ(Haupt().lstDateien1.FileName(), L"");
    EXPECT_TRUE(IsWindow(Haupt().Handle()));
}

}  // namespace
}  // namespace falvori::test
