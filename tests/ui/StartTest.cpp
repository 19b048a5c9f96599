// The window right after start: geometry, starting states, keyboard.
#include "WindowTest.h"

#include "Layout.h"

namespace falvori::test {
namespace {

using ui::Control;

struct Expected {
    const char* name;
    int id;
    RECT pixels;  // at 96 dpi: twips / 15, rounded
};

// Drive lists: the platform gives them their height, so only the top line
// and the width are checked for them.
constexpr int kPlatformHeight = -1;

const Expected kAt96Dpi[] = {
    {"lstLaufwerk1", ui::kIdLstLaufwerk1, {8, 8, 153, kPlatformHeight}},
    {"lstOrdner1", ui::kIdLstOrdner1, {8, 32, 153, 152}},
    {"lstDateien1", ui::kIdLstDateien1, {160, 8, 337, 144}},
    {"btnGleichmachen", ui::kIdBtnGleichmachen, {8, 160, 41, 193}},
    {"optMacWin", ui::kIdOptMacWin, {96, 168, 185, 185}},
    {"optWinMac", ui::kIdOptWinMac, {216, 168, 313, 185}},
    {"lstLaufwerk2", ui::kIdLstLaufwerk2, {8, 200, 153, kPlatformHeight}},
    {"lstOrdner2", ui::kIdLstOrdner2, {8, 224, 153, 344}},
    {"lstDateien2", ui::kIdLstDateien2, {160, 200, 337, 336}},
    {"fraMW", ui::kIdFraMW, {48, 152, 337, 193}},
    {"txtDatei2", ui::kIdTxtDatei2, {8, 352, 297, 371}},
    {"btnLos", ui::kIdBtnLos, {303, 352, 336, 373}},
};

class StartTest : public WindowTest {};

TEST_F(StartTest, ControlsSitWhereTheTwipsTablePutsThemAt96Dpi) {
    ASSERT_EQ(h().Dpi(), 96u) << "the test display runs at 96 dpi";
    RECT client;
    GetClientRect(h().Handle(), &client);
    EXPECT_EQ(client.right, 344);
    EXPECT_EQ(client.bottom, 379);
    for (const Expected& e : kAt96Dpi) {
        SCOPED_TRACE(e.name);
        RECT r = ClientRect(GetDlgItem(h().Handle(), e.id));
        EXPECT_EQ(r.left, e.pixels.left);
        EXPECT_EQ(r.top, e.pixels.top);
        EXPECT_EQ(r.right, e.pixels.right);
        if (e.pixels.bottom != kPlatformHeight) {
            EXPECT_EQ(r.bottom, e.pixels.bottom);
        }
        EXPECT_LE(r.right, client.right);
        EXPECT_LE(r.bottom, client.bottom);
    }
}

TEST_F(StartTest, ADpiChangeScalesTheLayoutAndTheFont) {
    LOGFONTW before{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h().txtDatei2.Handle(), WM_GETFONT, 0, 0)), sizeof before,
               &before);
    RECT window;
    GetWindowRect(h().Handle(), &window);
    SendMessageW(h().Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&window));

    RECT files = ClientRect(h().lstDateien1.Handle());
    EXPECT_EQ(files.left, 240);
    EXPECT_EQ(files.top, 12);
    EXPECT_EQ(files.right - files.left, 265);
    EXPECT_EQ(files.bottom - files.top, 204);
    RECT los = ClientRect(h().btnLos.Handle());
    EXPECT_EQ(los.left, 455);
    EXPECT_EQ(los.top, 528);
    EXPECT_EQ(los.right - los.left, 49);
    EXPECT_EQ(los.bottom - los.top, 31);
    RECT mac = ClientRect(h().optMacWin.Handle());
    EXPECT_EQ(mac.left, 144);
    EXPECT_EQ(mac.top, 252);

    LOGFONTW after{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h().txtDatei2.Handle(), WM_GETFONT, 0, 0)), sizeof after,
               &after);
    EXPECT_GT(std::abs(after.lfHeight), std::abs(before.lfHeight));
}

TEST_F(StartTest, WindowHasItsCaptionAFixedBorderAndTheMessageFont) {
    wchar_t caption[32] = L"";
    GetWindowTextW(h().Handle(), caption, 32);
    EXPECT_STREQ(caption, L"Falvori");
    LONG style = GetWindowLongW(h().Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_NE(SendMessageW(h().Handle(), WM_GETICON, ICON_BIG, 0), 0) << "the program icon is missing";

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(h().lstDateien1.Handle(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW used{};
    GetObjectW(font, sizeof used, &used);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    EXPECT_STREQ(used.lfFaceName, metrics.lfMessageFont.lfFaceName);
    EXPECT_EQ(used.lfHeight, metrics.lfMessageFont.lfHeight);
    for (const Expected& e : kAt96Dpi) {
        if (e.id == ui::kIdFraMW) continue;  // a plain box shows no text
        SCOPED_TRACE(e.name);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(h().Handle(), e.id), WM_GETFONT, 0, 0)), font);
    }
}

TEST_F(StartTest, StartingStates) {
    EXPECT_TRUE(h().optMacWin.Value());
    EXPECT_FALSE(h().optWinMac.Value());
    EXPECT_FALSE(h().btnLos.Enabled());
    EXPECT_TRUE(h().btnGleichmachen.Default());
    EXPECT_FALSE(h().btnLos.Default());
    EXPECT_EQ(GetWindowLongW(h().btnGleichmachen.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_NE(SendMessageW(h().btnGleichmachen.Handle(), BM_GETIMAGE, IMAGE_ICON, 0), 0) << "no picture";
    EXPECT_EQ(GetWindowTextLengthW(h().btnGleichmachen.Handle()), 0);
    EXPECT_EQ(GetFocus(), h().lstLaufwerk1.Handle());
    EXPECT_FALSE(h().timFertig.Enabled());
    EXPECT_EQ(h().timFertig.Interval(), 400u);
    EXPECT_EQ(h().txtDatei2.Text(), L"");
    EXPECT_EQ(h().GemerktesLaufwerk, L"c:");

    wchar_t text[32];
    GetWindowTextW(h().btnLos.Handle(), text, 32);
    EXPECT_STREQ(text, L"&los");
    GetWindowTextW(h().optMacWin.Handle(), text, 32);
    EXPECT_STREQ(text, L"&Mac -> Win");
    GetWindowTextW(h().optWinMac.Handle(), text, 32);
    EXPECT_STREQ(text, L"&Win -> Mac");

    // Only the source file list takes dropped files.
    for (const Expected& e : kAt96Dpi) {
        SCOPED_TRACE(e.name);
        bool accepts = GetWindowLongW(GetDlgItem(h().Handle(), e.id), GWL_EXSTYLE) & WS_EX_ACCEPTFILES;
        EXPECT_EQ(accepts, e.id == ui::kIdLstDateien1);
    }
    EXPECT_FALSE(GetWindowLongW(h().Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(StartTest, ActivationShowsTheRootOfDriveCOnBothSides) {
    EXPECT_EQ(h().lstLaufwerk1.Drive(), L"c:");
    EXPECT_EQ(h().lstOrdner1.Path(), L"c:\\");
    EXPECT_EQ(h().lstDateien1.Path(), L"c:\\");
    EXPECT_EQ(h().lstLaufwerk2.Drive(), L"c:");
    EXPECT_EQ(h().lstOrdner2.Path(), L"c:\\");
    EXPECT_EQ(h().lstDateien2.Path(), L"c:\\");
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(StartTest, TabOrderSkipsTheFrameAndTheDisabledButton) {
    std::vector<HWND> stops;
    HWND at = h().lstLaufwerk1.Handle();
    for (int i = 0; i < 12; ++i) {
        stops.push_back(at);
        at = GetNextDlgTabItem(h().Handle(), at, FALSE);
        if (at == h().lstLaufwerk1.Handle()) break;
    }
    std::vector<HWND> expected = {h().lstLaufwerk1.Handle(), h().lstOrdner1.Handle(),   h().lstDateien1.Handle(),
                                  h().btnGleichmachen.Handle(), h().optMacWin.Handle(), h().lstLaufwerk2.Handle(),
                                  h().lstOrdner2.Handle(),   h().lstDateien2.Handle(),  h().txtDatei2.Handle()};
    EXPECT_EQ(stops, expected);
}

TEST_F(StartTest, TabKeyMovesThroughTheDestinationSide) {
    h().lstDateien2.SetFocus();
    PostKey(h().lstDateien2.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), h().txtDatei2.Handle());
    PostKey(h().txtDatei2.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), h().lstLaufwerk1.Handle()) << "btnLos is disabled and passed over";

    h().btnLos.SetEnabled(true);
    h().txtDatei2.SetFocus();
    PostKey(h().txtDatei2.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), h().btnLos.Handle());
}

TEST_F(StartTest, OptionGroupIsOneTabStopAtItsSelectedButton) {
    h().btnGleichmachen.SetFocus();
    PostKey(h().btnGleichmachen.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), h().optMacWin.Handle());

    PostKey(h().optMacWin.Handle(), VK_RIGHT);
    EXPECT_EQ(GetFocus(), h().optWinMac.Handle());
    EXPECT_TRUE(h().optWinMac.Value());
    EXPECT_FALSE(h().optMacWin.Value());

    h().btnGleichmachen.SetFocus();
    PostKey(h().btnGleichmachen.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), h().optWinMac.Handle());
}

TEST_F(StartTest, AccessKeysChooseTheDirectionAndPressLosOnlyWhenEnabled) {
    int losClicks = 0;
    h().btnLos.onClick = [&] { ++losClicks; };
    HWND focus = h().lstDateien1.Handle();
    h().lstDateien1.SetFocus();

    PostMessageW(focus, WM_SYSCHAR, L'w', 1 << 29);
    Pump();
    EXPECT_TRUE(h().optWinMac.Value());
    EXPECT_FALSE(h().optMacWin.Value());
    PostMessageW(GetFocus(), WM_SYSCHAR, L'm', 1 << 29);
    Pump();
    EXPECT_TRUE(h().optMacWin.Value());
    EXPECT_FALSE(h().optWinMac.Value());

    PostMessageW(GetFocus(), WM_SYSCHAR, L'l', 1 << 29);
    Pump();
    EXPECT_EQ(losClicks, 0) << "a disabled button cannot be pressed";
    h().btnLos.SetEnabled(true);
    PostMessageW(GetFocus(), WM_SYSCHAR, L'l', 1 << 29);
    Pump();
    EXPECT_EQ(losClicks, 1);
}

TEST_F(StartTest, EnterPressesTheDefaultButtonOrTheFocusedButton) {
    int gleich = 0, los = 0;
    h().btnGleichmachen.onClick = [&] { ++gleich; };
    h().btnLos.onClick = [&] { ++los; };

    h().lstDateien1.SetFocus();
    PostKey(h().lstDateien1.Handle(), VK_RETURN);
    EXPECT_EQ(gleich, 1);
    EXPECT_EQ(los, 0);

    h().btnLos.SetEnabled(true);
    h().btnLos.SetDefault(true);
    h().txtDatei2.SetFocus();
    PostKey(h().txtDatei2.Handle(), VK_RETURN);
    EXPECT_EQ(los, 1);

    h().btnGleichmachen.SetFocus();
    PostKey(h().btnGleichmachen.Handle(), VK_RETURN);
    EXPECT_EQ(gleich, 2) << "Enter on a focused button presses that button";
    EXPECT_EQ(los, 1);

    // Without a default button Enter presses nothing.
    h().btnLos.SetDefault(false);
    h().lstDateien1.SetFocus();
    PostKey(h().lstDateien1.Handle(), VK_RETURN);
    EXPECT_EQ(gleich, 2);
    EXPECT_EQ(los, 1);
}

TEST_F(StartTest, TheTimerTicksOnlyWhileEnabled) {
    int ticks = 0;
    h().timFertig.onTick = [&] {
        ++ticks;
        h().timFertig.SetEnabled(false);
    };
    PumpFor(600);
    EXPECT_EQ(ticks, 0);
    h().timFertig.SetEnabled(true);
    for (int waited = 0; ticks == 0 && waited < 3000; waited += 50) PumpFor(50);
    EXPECT_EQ(ticks, 1);
    PumpFor(600);
    EXPECT_EQ(ticks, 1);
}

TEST_F(StartTest, DoubleClickOnTheSurfaceRaisesItsEvent) {
    int clicks = 0;
    h().onSurfaceDblClick = [&] { ++clicks; };
    SendMessageW(h().Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 378));
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace falvori::test
