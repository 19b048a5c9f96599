// What the pickers read from the disk: full folder paths from what code and
// the user assign, and the drives as the lists show them, where a network
// drive never makes the window wait for its server.
#include "tests/ui/WindowTest.h"

#include "tests/wine/TestFiles.h"
#include "ui/Folders.h"

namespace falvori::test {
namespace {

class FoldersTest : public WindowTest {};

struct ResolveCase {
    const wchar_t* text;
    const wchar_t* current;
    const wchar_t* full;
};

TEST_F(FoldersTest, ResolvesWhatCodeAndUserAssign) {
    const ResolveCase cases[] = {
        {L"t:\\Briefe", L"", L"t:\\Briefe"},
        {L"T:\\Briefe\\", L"", L"t:\\Briefe"},
        {L"t:\\", L"", L"t:\\"},
        {L"t:", L"", L"t:\\"},  // the drive's current folder: its root here
        {L"\\", L"t:\\Briefe", L"t:\\"},
        {L"\\Leer", L"t:\\Briefe", L"t:\\Leer"},
        {L"Unterordner", L"t:\\Briefe", L"t:\\Briefe\\Unterordner"},
        {L"..", L"t:\\Briefe", L"t:\\"},
        {L"\\\\server\\share\\dir\\", L"", L"\\\\server\\share\\dir"},
    };
    for (const ResolveCase& c : cases) {
        std::wstring full;
        EXPECT_FALSE(ResolveFolder(c.text, c.current, full)) << Utf8(c.text);
        EXPECT_EQ(full, c.full) << "for " << Utf8(c.text);
    }
    std::wstring full;
    EXPECT_TRUE(ResolveFolder(L"", L"t:\\", full));
}

struct DriveCase {
    const char* label;
    UINT type;
    const wchar_t* shown;
    bool asksLabel, asksNetwork;
};

TEST_F(FoldersTest, OnlyLocalDisksAreAskedForTheirLabelAndNetworkDrivesShowTheirShare) {
    const DriveCase cases[] = {
        {"fixed", DRIVE_FIXED, L"x: [DATEN]", true, false},
        {"RAM disk", DRIVE_RAMDISK, L"x: [DATEN]", true, false},
        {"network", DRIVE_REMOTE, L"x: [\\\\server\\freigabe]", false, true},
        // A medium could spin up or be waited for.
        {"removable", DRIVE_REMOVABLE, L"x:", false, false},
        {"optical", DRIVE_CDROM, L"x:", false, false},
        {"unknown", DRIVE_UNKNOWN, L"x:", false, false},
    };
    for (const DriveCase& c : cases) {
        SCOPED_TRACE(c.label);
        int labels = 0, networks = 0;
        DriveQuestions ask{[&] {
                               ++labels;
                               return std::wstring(L"DATEN");
                           },
                           [&] {
                               ++networks;
                               return std::wstring(L"\\\\server\\freigabe");
                           }};
        EXPECT_EQ(DescribeDrive(L'x', c.type, ask), c.shown);
        EXPECT_EQ(labels, c.asksLabel ? 1 : 0);
        EXPECT_EQ(networks, c.asksNetwork ? 1 : 0);
    }
    EXPECT_EQ(DescribeDrive(L'x', DRIVE_FIXED, {[] { return std::wstring(); }, nullptr}), L"x:")
        << "a disk without a label shows its letter alone";
}

TEST_F(FoldersTest, DriveListsShowTheLabelOfALocalDiskButNotOfANetworkDrive) {
    ASSERT_EQ(GetDriveTypeW(L"n:\\"), static_cast<UINT>(DRIVE_REMOTE)) << "test-drives.sh makes n: a network drive";
    // Both have a label (test-drives.sh): the system gives it for either.
    wchar_t label[MAX_PATH + 1] = L"";
    ASSERT_TRUE(GetVolumeInformationW(L"n:\\", label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0));
    ASSERT_STREQ(label, L"FERN");
    ASSERT_TRUE(MakeFolder(L"n:\\Fern"));
    // Opening the list asks for the drives anew.
    HWND box = Haupt().lstLaufwerk2.Handle();
    SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
    std::vector<std::wstring> shown;
    std::wstring letters;
    for (int i = 0, count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0)); i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        if (text.rfind(L"n:", 0) == 0 || text.rfind(L"v:", 0) == 0) shown.push_back(text);
        letters += text.substr(0, 1);
    }
    // Wine remembers no share for a drive mapped to a folder: the letter alone.
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"n:", L"v: [LOKAL]"}));
    // The drive without a medium is listed too.
    for (const wchar_t* letter : {L"c", L"t", L"u"})
        EXPECT_NE(letters.find(letter), std::wstring::npos) << Utf8(letter) << ": not listed";

    ASSERT_FALSE(Haupt().ChooseDrive(Haupt().lstLaufwerk2, L"n:"));
    EXPECT_EQ(Haupt().lstOrdner2.Path(), L"n:\\");
    EXPECT_EQ(Entries(Haupt().lstOrdner2.Handle()), (std::vector<std::wstring>{L"n:\\", L"Fern"}));
    EXPECT_TRUE(platform.shown.empty());
}

}  // namespace
}  // namespace falvori::test
