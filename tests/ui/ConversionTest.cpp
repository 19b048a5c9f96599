// "&los" on real files: the paths it builds, both directions, the
// overwrite question, and the green done indication.
#include "platform/win32/Utf.h"
#include "tests/ui/WindowTest.h"
#include "tests/wine/TestFiles.h"

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

struct PathCase {
    const char* label;
    bool macToWin;
    const wchar_t* sourceFolder;
    const wchar_t* sourceFile;
    const wchar_t* destinationFolder;
    const wchar_t* name;
    const char* quellDatei;     // UTF-8, as the core receives them
    const char* zielDatei;
    const wchar_t* written;     // where the converted file must be
};

// Byte for byte in the chosen direction, the source left as it was, a new
// destination written without a question, the intermediate file gone.
TEST_F(ConversionTest, ConvertsIntoThePathBuiltFromTheFoldersAndTheNameAsTyped) {
    const PathCase cases[] = {
        {"both in root folders", true, L"w:\\", L"wurzel.txt", L"w:\\", L"aus-wurzel.txt", "w:\\wurzel.txt",
         "w:\\aus-wurzel.txt", L"w:\\aus-wurzel.txt"},
        {"source in a root folder", true, L"w:\\", L"wurzel.txt", L"w:\\Ziel", L"a.txt", "w:\\wurzel.txt",
         "w:\\Ziel\\a.txt", L"w:\\Ziel\\a.txt"},
        {"destination in a root folder", true, L"w:\\Quelle", L"mac.txt", L"v:\\", L"b.txt", "w:\\Quelle\\mac.txt",
         "v:\\b.txt", L"v:\\b.txt"},
        {"Win -> Mac", false, L"w:\\Quelle", L"win.txt", L"w:\\Ziel", L"c.txt", "w:\\Quelle\\win.txt",
         "w:\\Ziel\\c.txt", L"w:\\Ziel\\c.txt"},
        {"leading and trailing blanks stay in the name", true, L"w:\\Quelle", L"mac.txt", L"w:\\Ziel",
         L"  blank.txt ", "w:\\Quelle\\mac.txt", "w:\\Ziel\\  blank.txt ", L"w:\\Ziel\\  blank.txt"},
        {"a backslash in the name reaches into a subfolder", true, L"w:\\Quelle", L"mac.txt", L"w:\\Ziel",
         L"Unter\\tief.txt", "w:\\Quelle\\mac.txt", "w:\\Ziel\\Unter\\tief.txt", L"w:\\Ziel\\Unter\\tief.txt"},
        {"names beyond the code page", true, L"w:\\Quelle", L"\u00C4rger.txt", L"w:\\Ziel", L"\u0416\u20AC.txt",
         "w:\\Quelle\\\xC3\x84rger.txt", "w:\\Ziel\\\xD0\x96\xE2\x82\xAC.txt", L"w:\\Ziel\\\u0416\u20AC.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OpenSource(c.sourceFolder, c.sourceFile);
        OpenDestination(c.destinationFolder);
        (c.macToWin ? Haupt().optMacWin : Haupt().optWinMac).SetValue(true);
        Haupt().txtDatei2.SetText(c.name);
        const std::string before = Bytes(Widen(c.quellDatei));
        Click(Haupt().btnLos);
        EXPECT_EQ(Haupt().core.QuellDatei, c.quellDatei);
        EXPECT_EQ(Haupt().core.ZielDatei, c.zielDatei);
        EXPECT_EQ(Haupt().core.RichtungMacWin, c.macToWin);
        EXPECT_EQ(Bytes(c.written), c.macToWin ? kWinText : kMacText);
        EXPECT_EQ(Bytes(Widen(c.quellDatei)), before);
        EXPECT_TRUE(Green());
        EXPECT_TRUE(platform.shown.empty());
        EXPECT_EQ(test::ListFolder(L"w:\\temp"), L"");
    }
    // Windows drops trailing blanks of a file name; the one with leading
    // blanks must keep them.
    EXPECT_EQ(test::ListFolder(L"w:\\Ziel"), L"  blank.txt|Unter|a.txt|c.txt|\u0416\u20AC.txt");
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
    const wchar_t* destinationFolder;
    const wchar_t* name;
    int answer;
    bool written;
};

TEST_F(ConversionTest, AsksBeforeOverwritingAndFlashesOnlyWhenWritten) {
    const OverwriteCase cases[] = {
        {"No", L"w:\\Ziel", L"da.txt", kNo, false},
        {"Yes", L"w:\\Ziel", L"da.txt", kYes, true},
        {"Yes, into the source itself", L"w:\\Quelle", L"mac.txt", kYes, true},
    };
    ASSERT_TRUE(test::WriteBytes(L"w:\\Ziel\\da.txt", "old"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        OpenSource(L"w:\\Quelle", L"mac.txt");
        OpenDestination(c.destinationFolder);
        Haupt().txtDatei2.SetText(c.name);
        const std::wstring destination = std::wstring(c.destinationFolder) + L"\\" + c.name;
        const std::string before = Bytes(destination);
        platform.shown.clear();
        platform.answers.push_back(c.answer);
        Click(Haupt().btnLos);
        EXPECT_EQ(platform.shown, std::vector{kOverwriteQuestion});
        EXPECT_EQ(Bytes(destination), c.written ? kWinText : before);
        EXPECT_EQ(Green(), c.written);
        EXPECT_EQ(Haupt().timFertig.Enabled(), c.written);
        // White again for the next case.
        Haupt().timFertig.SetEnabled(false);
        Haupt().txtDatei2.SetBackColor(kWhite);
    }
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
    PumpFor(600);
    EXPECT_EQ(ticks, 0) << "the timer ticks only while enabled";
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
