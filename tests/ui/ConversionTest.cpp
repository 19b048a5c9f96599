// "&los" on real files: the paths it builds, both directions, the
// overwrite question, and the green done indication.
#include "WindowTest.h"
#include "TestFiles.h"

namespace falvori::test {
namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class ConversionTest : public WindowTest {
public:
    bool Green() { return Haupt().txtDatei2.BackColor() == kGreen; }
    // Counts timFertig's ticks and notes when the last one came; the
    // window's own handler still runs.
    void CountTicks(int& ticks, DWORD& lastAt) {
        auto tick = Haupt().timFertig.onTick;
        Haupt().timFertig.onTick = [&ticks, &lastAt, tick] {
            ++ticks;
            lastAt = GetTickCount();
            tick();
        };
    }
};

struct Direction {
    const char* label;
    bool macToWin;
    const wchar_t* source;
    std::string expected;
};

TEST_F(ConversionTest, ConvertsInTheChosenDirectionByteForByte) {
    const Direction directions[] = {
        {"Mac -> Win", true, L"mac.txt", kWinText},
        {"Win -> Mac", false, L"win.txt", kMacText},
    };
    for (const auto& d : directions) {
        SCOPED_TRACE(d.label);
        OpenSource(L"w:\\Quelle", d.source);
        OpenDestination(L"w:\\Ziel");
        (d.macToWin ? Haupt().optMacWin : Haupt().optWinMac).SetValue(true);
        Haupt().txtDatei2.SetText(L"ergebnis.txt");
        ASSERT_TRUE(Haupt().btnLos.Enabled());
        std::string before = Bytes(std::wstring(L"w:\\Quelle\\") + d.source);

        Click(Haupt().btnLos);
        EXPECT_EQ(Bytes(L"w:\\Ziel\\ergebnis.txt"), d.expected);
        EXPECT_EQ(Bytes(std::wstring(L"w:\\Quelle\\") + d.source), before) << "the source stays as it was";
        EXPECT_EQ(Haupt().core.RichtungMacWin, d.macToWin);
        EXPECT_TRUE(Green());
        EXPECT_TRUE(platform.shown.empty()) << "a new destination is written without a question";
        EXPECT_EQ(test::ListFolder(L"w:\\temp"), L"") << "the intermediate file is gone";
        DeleteFileW(L"w:\\Ziel\\ergebnis.txt");
    }
}

struct PathCase {
    const char* label;
    const wchar_t* sourceFolder;
    const wchar_t* sourceFile;
    const wchar_t* destinationFolder;
    const wchar_t* name;
    const char* quellDatei;     // UTF-8, as the core receives them
    const char* zielDatei;
    const wchar_t* written;     // where the converted file must be
};

TEST_F(ConversionTest, BuildsThePathsFromTheFoldersAndTheNameAsTyped) {
    const PathCase cases[] = {
        {"both in root folders", L"w:\\", L"wurzel.txt", L"w:\\", L"aus-wurzel.txt", "w:\\wurzel.txt",
         "w:\\aus-wurzel.txt", L"w:\\aus-wurzel.txt"},
        {"source in a root folder", L"w:\\", L"wurzel.txt", L"w:\\Ziel", L"a.txt", "w:\\wurzel.txt",
         "w:\\Ziel\\a.txt", L"w:\\Ziel\\a.txt"},
        {"destination in a root folder", L"w:\\Quelle", L"mac.txt", L"v:\\", L"b.txt", "w:\\Quelle\\mac.txt",
         "v:\\b.txt", L"v:\\b.txt"},
        {"leading and trailing blanks stay in the name", L"w:\\Quelle", L"mac.txt", L"w:\\Ziel", L"  blank.txt ",
         "w:\\Quelle\\mac.txt", "w:\\Ziel\\  blank.txt ", L"w:\\Ziel\\  blank.txt"},
        {"a backslash in the name reaches into a subfolder", L"w:\\Quelle", L"mac.txt", L"w:\\Ziel",
         L"Unter\\tief.txt", "w:\\Quelle\\mac.txt", "w:\\Ziel\\Unter\\tief.txt", L"w:\\Ziel\\Unter\\tief.txt"},
        {"names beyond the code page", L"w:\\Quelle", L"\u00C4rger.txt", L"w:\\Ziel", L"\u0416\u20AC.txt",
         "w:\\Quelle\\\xC3\x84rger.txt", "w:\\Ziel\\\xD0\x96\xE2\x82\xAC.txt", L"w:\\Ziel\\\u0416\u20AC.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OpenSource(c.sourceFolder, c.sourceFile);
        OpenDestination(c.destinationFolder);
        Haupt().txtDatei2.SetText(c.name);
        Click(Haupt().btnLos);
        EXPECT_EQ(Haupt().core.QuellDatei, c.quellDatei);
        EXPECT_EQ(Haupt().core.ZielDatei, c.zielDatei);
        EXPECT_EQ(Bytes(c.written), kWinText);
        EXPECT_TRUE(Green());
        EXPECT_TRUE(platform.shown.empty());
    }
    // Windows drops trailing blanks of a file name; the one with leading
    // blanks must keep them.
    EXPECT_EQ(test::ListFolder(L"w:\\Ziel"), L"  blank.txt|Unter|a.txt|\u0416\u20AC.txt");
}

struct NothingCase {
    const char* label;
    const wchar_t* sourceFile;  // empty: none selected
    const wchar_t* name;
};

TEST_F(ConversionTest, DoesNothingWithoutASourceFileOrANonBlankName) {
    // The button is forced on: the handler must test both things itself.
    const NothingCase cases[] = {
        {"no source file", L"", L"ziel.txt"},
        {"an empty name", L"mac.txt", L""},
        {"a name of blanks", L"mac.txt", L"   "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OpenSource(L"w:\\Quelle", c.sourceFile);
        if (!*c.sourceFile) Haupt().lstDateien1.SetListIndex(-1);
        OpenDestination(L"w:\\Ziel");
        Haupt().txtDatei2.SetText(c.name);
        Haupt().btnLos.SetEnabled(true);
        Click(Haupt().btnLos);
        EXPECT_EQ(Haupt().core.QuellDatei, "");
        EXPECT_EQ(Haupt().core.ZielDatei, "");
        EXPECT_EQ(test::ListFolder(L"w:\\Ziel"), L"Unter");
        EXPECT_FALSE(Green());
        EXPECT_FALSE(Haupt().timFertig.Enabled());
        EXPECT_TRUE(platform.shown.empty());
    }
}

struct OverwriteCase {
    const char* label;
    int answer;
    bool written;
};

TEST_F(ConversionTest, AsksBeforeOverwritingAndFlashesOnlyWhenWritten) {
    const OverwriteCase cases[] = {{"No", kNo, false}, {"Yes", kYes, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(test::WriteBytes(L"w:\\Ziel\\da.txt", "old"));
        OpenSource(L"w:\\Quelle", L"mac.txt");
        OpenDestination(L"w:\\Ziel");
        Haupt().txtDatei2.SetText(L"da.txt");
        platform.shown.clear();
        platform.answers.push_back(c.answer);
        Click(Haupt().btnLos);
        EXPECT_EQ(platform.shown, std::vector{kOverwriteQuestion});
        EXPECT_EQ(Bytes(L"w:\\Ziel\\da.txt"), c.written ? kWinText : "old");
        EXPECT_EQ(Green(), c.written);
        EXPECT_EQ(Haupt().timFertig.Enabled(), c.written);
    }
}

TEST_F(ConversionTest, ConvertsASourceFileIntoItselfAfterYes) {
    OpenSource(L"w:\\Quelle", L"mac.txt");
    OpenDestination(L"w:\\Quelle");
    Haupt().txtDatei2.SetText(L"mac.txt");
    platform.answers.push_back(kYes);
    Click(Haupt().btnLos);
    EXPECT_EQ(Bytes(L"w:\\Quelle\\mac.txt"), kWinText);
    EXPECT_TRUE(Green());
}

TEST_F(ConversionTest, StaysUncolouredWhenTheConversionIsCancelled) {
    OpenSource(L"w:\\Quelle", L"mac.txt");
    OpenDestination(L"w:\\Ziel");
    Haupt().txtDatei2.SetText(L"fehlt\\x.txt");  // no such subfolder: the copy fails
    platform.answers.push_back(kCancel);
    Click(Haupt().btnLos);
    EXPECT_EQ(platform.shown, std::vector{FailureBox(test::Utf8(test::SystemText(ERROR_PATH_NOT_FOUND)))});
    EXPECT_FALSE(Green());
    EXPECT_FALSE(Haupt().timFertig.Enabled());
}

TEST_F(ConversionTest, GreenTurnsWhiteAfterOneIntervalAndTheTimerStops) {
    // White before the first indication too, so that the test sees a change.
    Haupt().txtDatei2.SetBackColor(RGB(10, 20, 30));
    int ticks = 0;
    DWORD whiteAt = 0;
    CountTicks(ticks, whiteAt);
    OpenSource(L"w:\\Quelle", L"mac.txt");
    OpenDestination(L"w:\\Ziel");
    Haupt().txtDatei2.SetText(L"neu.txt");
    Click(Haupt().btnLos);
    DWORD greenAt = GetTickCount();
    ASSERT_TRUE(Green());
    EXPECT_TRUE(Haupt().timFertig.Enabled());
    EXPECT_EQ(Haupt().timFertig.Interval(), 400u);

    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 5000)) << "the timer never ticked";
    EXPECT_EQ(Haupt().txtDatei2.BackColor(), kWhite);
    EXPECT_FALSE(Haupt().timFertig.Enabled());
    // A timer never fires early; the upper bound is only against a lost stop.
    EXPECT_GE(whiteAt - greenAt, 380u);
    PumpFor(1000);
    EXPECT_EQ(ticks, 1) << "each indication gets one tick";
}

TEST_F(ConversionTest, ASecondIndicationStartsTheIntervalAgain) {
    int ticks = 0;
    DWORD whiteAt = 0;
    CountTicks(ticks, whiteAt);
    Haupt().Fertig();
    PumpFor(200);
    ASSERT_EQ(ticks, 0) << "the first interval cannot be over yet";
    Haupt().Fertig();
    DWORD secondAt = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 5000));
    EXPECT_GE(whiteAt - secondAt, 380u) << "green for a full interval after the second indication";
    EXPECT_EQ(Haupt().txtDatei2.BackColor(), kWhite);
    PumpFor(800);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(Haupt().timFertig.Enabled());
}

}  // namespace
}  // namespace falvori::test
