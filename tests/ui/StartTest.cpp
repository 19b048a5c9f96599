// The window right after start: geometry, starting states, keyboard.
#include "tests/ui/WindowTest.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace falvori::test {
namespace {

using ui::Control;

class StartTest : public WindowTest {
public:
    struct Placed {
        const char* name;
        RECT r;
    };
    // Every control's rectangle in client pixels, in tab order.
    std::vector<Placed> Controls() {
        std::vector<Placed> placed;
        for (auto [name, control] : std::initializer_list<std::pair<const char*, Control*>>{
                 {"lstLaufwerk1", &Haupt().lstLaufwerk1}, {"lstOrdner1", &Haupt().lstOrdner1},
                 {"lstDateien1", &Haupt().lstDateien1},   {"btnGleichmachen", &Haupt().btnGleichmachen},
                 {"optMacWin", &Haupt().optMacWin},       {"optWinMac", &Haupt().optWinMac},
                 {"lstLaufwerk2", &Haupt().lstLaufwerk2}, {"lstOrdner2", &Haupt().lstOrdner2},
                 {"lstDateien2", &Haupt().lstDateien2},   {"fraMW", &Haupt().fraMW},
                 {"txtDatei2", &Haupt().txtDatei2},       {"btnLos", &Haupt().btnLos}})
            placed.push_back({name, ClientRect(control->Handle())});
        return placed;
    }
    RECT At(const char* name) {
        for (const Placed& p : Controls())
            if (std::string(p.name) == name) return p.r;
        ADD_FAILURE() << "no control " << name;
        return {};
    }

    // What a person sees of the window, at any DPI: two sides one above the
    // other, each with its drive list over its folder list and its file list
    // beside them; the frame with the option buttons between the sides,
    // make-equal left of it; the name box and "&los" along the bottom.
    void ExpectTheWindowsShape() {
        RECT client;
        GetClientRect(Haupt().Handle(), &client);
        RECT drive1 = At("lstLaufwerk1"), folder1 = At("lstOrdner1"), files1 = At("lstDateien1");
        RECT drive2 = At("lstLaufwerk2"), folder2 = At("lstOrdner2"), files2 = At("lstDateien2");
        RECT frame = At("fraMW"), mac = At("optMacWin"), win = At("optWinMac"), gleich = At("btnGleichmachen");
        RECT name = At("txtDatei2"), los = At("btnLos");

        // Each side: drive over folder in one column, files beside them.
        for (auto [drive, folder, files] : {std::tuple{drive1, folder1, files1}, std::tuple{drive2, folder2, files2}}) {
            EXPECT_EQ(drive.left, folder.left);
            EXPECT_EQ(drive.right, folder.right);
            EXPECT_LT(drive.top, folder.top);
            EXPECT_GT(files.left, folder.right);
            EXPECT_EQ(files.top, drive.top);
        }
        // The destination side is the source side moved down.
        int down = folder2.top - folder1.top;
        EXPECT_GT(down, folder1.bottom - drive1.top);
        EXPECT_EQ(drive2.top - drive1.top, down);
        EXPECT_EQ(files2.top - files1.top, down);
        EXPECT_EQ(files2.bottom - files1.bottom, down);
        EXPECT_EQ(folder2.left, folder1.left);
        EXPECT_EQ(files2.right, files1.right);

        // Between the sides: the frame, as wide as reaches the file lists'
        // right edge, holding both option buttons on one line.
        EXPECT_GE(frame.top, folder1.bottom);
        EXPECT_LE(frame.bottom, drive2.top);
        EXPECT_NEAR(frame.right, files1.right, 1);
        for (RECT option : {mac, win}) {
            EXPECT_GT(option.left, frame.left);
            EXPECT_LT(option.right, frame.right);
            EXPECT_GT(option.top, frame.top);
            EXPECT_LT(option.bottom, frame.bottom);
        }
        EXPECT_EQ(mac.top, win.top);
        EXPECT_LT(mac.right, win.left);
        // Make-equal left of the frame, in the band between the sides.
        EXPECT_EQ(gleich.left, folder1.left);
        EXPECT_LE(gleich.right, frame.left);
        EXPECT_GE(gleich.top, folder1.bottom);
        EXPECT_LE(gleich.bottom, drive2.top);
        EXPECT_EQ(gleich.right - gleich.left, gleich.bottom - gleich.top) << "a square picture button";

        // Along the bottom: the name box under the lists, "&los" at its right.
        EXPECT_GE(name.top, std::max(folder2.bottom, files2.bottom));
        EXPECT_EQ(name.left, folder2.left);
        EXPECT_EQ(los.top, name.top);
        EXPECT_GE(los.left, name.right);
        EXPECT_LE(los.right, files2.right);

        // Nothing overlaps but the option buttons in their frame, and
        // everything lies inside the client area, off its edges.
        std::vector<Placed> placed = Controls();
        for (const Placed& p : placed) {
            SCOPED_TRACE(p.name);
            EXPECT_GT(p.r.left, 0);
            EXPECT_GT(p.r.top, 0);
            EXPECT_LT(p.r.right, client.right);
            EXPECT_LT(p.r.bottom, client.bottom);
            for (const Placed& q : placed) {
                if (&p == &q || std::string(p.name) == "fraMW" || std::string(q.name) == "fraMW") continue;
                RECT overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &p.r, &q.r)) << "overlaps " << q.name;
            }
        }
    }
};

TEST_F(StartTest, TheWindowHasItsShapeAt96DpiAndScalesItAt144Dpi) {
    ASSERT_EQ(Haupt().Dpi(), 96u) << "the test display runs at 96 dpi";
    RECT client;
    GetClientRect(Haupt().Handle(), &client);
    // screenshot.sh and the road as a person takes it click by this size.
    EXPECT_EQ(client.right, 344);
    EXPECT_EQ(client.bottom, 379);
    {
        SCOPED_TRACE("96 dpi");
        ExpectTheWindowsShape();
    }
    std::vector<Placed> at96 = Controls();
    LOGFONTW before{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Haupt().txtDatei2.Handle(), WM_GETFONT, 0, 0)), sizeof before,
               &before);

    RECT window;
    GetWindowRect(Haupt().Handle(), &window);
    SendMessageW(Haupt().Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&window));
    {
        SCOPED_TRACE("144 dpi");
        ExpectTheWindowsShape();
    }
    std::vector<Placed> at144 = Controls();
    for (size_t i = 0; i < at96.size(); ++i) {
        SCOPED_TRACE(at96[i].name);
        const RECT& a = at96[i].r;
        const RECT& b = at144[i].r;
        EXPECT_NEAR(b.left, a.left * 3 / 2, 2);
        EXPECT_NEAR(b.top, a.top * 3 / 2, 2);
        EXPECT_NEAR(b.right - b.left, (a.right - a.left) * 3 / 2, 2);
        // Closed drop-down lists take the height of their font.
        if (at96[i].name != std::string("lstLaufwerk1") && at96[i].name != std::string("lstLaufwerk2")) {
            EXPECT_NEAR(b.bottom - b.top, (a.bottom - a.top) * 3 / 2, 2);
        }
    }
    LOGFONTW after{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Haupt().txtDatei2.Handle(), WM_GETFONT, 0, 0)), sizeof after,
               &after);
    EXPECT_GT(std::abs(after.lfHeight), std::abs(before.lfHeight));
}

TEST_F(StartTest, AnOpenDriveListShowsUpToTwelveDrivesAtOnce) {
    HWND box = Haupt().lstLaufwerk1.Handle();
    SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    Pump();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(box, &info));
    RECT list;
    GetWindowRect(info.hwndList, &list);
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
    int drives = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    int item = static_cast<int>(SendMessageW(box, CB_GETITEMHEIGHT, 0, 0));
    int folderLine = static_cast<int>(SendMessageW(Haupt().lstOrdner1.Handle(), LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(drives, 1);
    EXPECT_GE(list.bottom - list.top, std::min(drives, 12) * item) << "every drive without scrolling";
    EXPECT_LE(list.bottom - list.top, 12 * folderLine) << "no more than twelve lines";
}

TEST_F(StartTest, WindowHasItsCaptionAFixedBorderAndTheMessageFont) {
    wchar_t caption[32] = L"";
    GetWindowTextW(Haupt().Handle(), caption, 32);
    EXPECT_STREQ(caption, L"Falvori");
    LONG style = GetWindowLongW(Haupt().Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_NE(SendMessageW(Haupt().Handle(), WM_GETICON, ICON_BIG, 0), 0) << "the program icon is missing";

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Haupt().lstDateien1.Handle(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW used{};
    GetObjectW(font, sizeof used, &used);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    EXPECT_STREQ(used.lfFaceName, metrics.lfMessageFont.lfFaceName);
    EXPECT_EQ(used.lfHeight, metrics.lfMessageFont.lfHeight);
    for (const Placed& p : Controls()) {
        if (std::string(p.name) == "fraMW") continue;  // a plain box shows no text
        SCOPED_TRACE(p.name);
        HWND control = ChildWindowFromPointEx(Haupt().Handle(), POINT{p.r.left + 2, p.r.top + 2}, CWP_ALL);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), font);
    }
}

TEST_F(StartTest, StartingStates) {
    EXPECT_TRUE(Haupt().optMacWin.Value());
    EXPECT_FALSE(Haupt().optWinMac.Value());
    EXPECT_FALSE(Haupt().btnLos.Enabled());
    EXPECT_TRUE(Haupt().btnGleichmachen.Default());
    EXPECT_FALSE(Haupt().btnLos.Default());
    EXPECT_EQ(GetWindowLongW(Haupt().btnGleichmachen.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_NE(SendMessageW(Haupt().btnGleichmachen.Handle(), BM_GETIMAGE, IMAGE_ICON, 0), 0) << "no picture";
    EXPECT_EQ(GetWindowTextLengthW(Haupt().btnGleichmachen.Handle()), 0);
    EXPECT_EQ(GetFocus(), Haupt().lstLaufwerk1.Handle());
    EXPECT_FALSE(Haupt().timFertig.Enabled());
    EXPECT_EQ(Haupt().timFertig.Interval(), 400u);
    EXPECT_EQ(Haupt().txtDatei2.Text(), L"");
    EXPECT_EQ(Haupt().GemerktesLaufwerk, L"c:");
    // Activation shows the root of drive c: on both sides.
    EXPECT_EQ(Haupt().lstLaufwerk1.Drive(), L"c:");
    EXPECT_EQ(Haupt().lstOrdner1.Path(), L"c:\\");
    EXPECT_EQ(Haupt().lstDateien1.Path(), L"c:\\");
    EXPECT_EQ(Haupt().lstLaufwerk2.Drive(), L"c:");
    EXPECT_EQ(Haupt().lstOrdner2.Path(), L"c:\\");
    EXPECT_EQ(Haupt().lstDateien2.Path(), L"c:\\");
    EXPECT_TRUE(platform.shown.empty());

    wchar_t text[32];
    GetWindowTextW(Haupt().btnLos.Handle(), text, 32);
    EXPECT_STREQ(text, L"&los");
    GetWindowTextW(Haupt().optMacWin.Handle(), text, 32);
    EXPECT_STREQ(text, L"&Mac -> Win");
    GetWindowTextW(Haupt().optWinMac.Handle(), text, 32);
    EXPECT_STREQ(text, L"&Win -> Mac");
}

// btnLos is a stop once enabled; the Tab key follows the order, from the
// name box too.
TEST_F(StartTest, TabOrderSkipsTheFrameAndTheDisabledButton) {
    auto stops = [this] {
        std::vector<HWND> found;
        HWND at = Haupt().lstLaufwerk1.Handle();
        for (int i = 0; i < 12; ++i) {
            found.push_back(at);
            at = GetNextDlgTabItem(Haupt().Handle(), at, FALSE);
            if (at == Haupt().lstLaufwerk1.Handle()) break;
        }
        return found;
    };
    std::vector<HWND> expected = {Haupt().lstLaufwerk1.Handle(), Haupt().lstOrdner1.Handle(),   Haupt().lstDateien1.Handle(),
                                  Haupt().btnGleichmachen.Handle(), Haupt().optMacWin.Handle(), Haupt().lstLaufwerk2.Handle(),
                                  Haupt().lstOrdner2.Handle(),   Haupt().lstDateien2.Handle(),  Haupt().txtDatei2.Handle()};
    EXPECT_EQ(stops(), expected);
    Haupt().btnLos.SetEnabled(true);
    expected.push_back(Haupt().btnLos.Handle());
    EXPECT_EQ(stops(), expected);
    Haupt().txtDatei2.SetFocus();
    PostKey(Haupt().txtDatei2.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), Haupt().btnLos.Handle());
}

TEST_F(StartTest, OptionGroupIsOneTabStopAtItsSelectedButton) {
    Haupt().btnGleichmachen.SetFocus();
    PostKey(Haupt().btnGleichmachen.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), Haupt().optMacWin.Handle());

    PostKey(Haupt().optMacWin.Handle(), VK_RIGHT);
    EXPECT_EQ(GetFocus(), Haupt().optWinMac.Handle());
    EXPECT_TRUE(Haupt().optWinMac.Value());
    EXPECT_FALSE(Haupt().optMacWin.Value());

    Haupt().btnGleichmachen.SetFocus();
    PostKey(Haupt().btnGleichmachen.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), Haupt().optWinMac.Handle());
}

TEST_F(StartTest, AccessKeysChooseTheDirectionAndPressLosOnlyWhenEnabled) {
    int losClicks = 0;
    Haupt().btnLos.onClick = [&] { ++losClicks; };
    HWND focus = Haupt().lstDateien1.Handle();
    Haupt().lstDateien1.SetFocus();

    PostMessageW(focus, WM_SYSCHAR, L'w', 1 << 29);
    Pump();
    EXPECT_TRUE(Haupt().optWinMac.Value());
    EXPECT_FALSE(Haupt().optMacWin.Value());
    PostMessageW(GetFocus(), WM_SYSCHAR, L'm', 1 << 29);
    Pump();
    EXPECT_TRUE(Haupt().optMacWin.Value());
    EXPECT_FALSE(Haupt().optWinMac.Value());

    PostMessageW(GetFocus(), WM_SYSCHAR, L'l', 1 << 29);
    Pump();
    EXPECT_EQ(losClicks, 0) << "a disabled button cannot be pressed";
    Haupt().btnLos.SetEnabled(true);
    PostMessageW(GetFocus(), WM_SYSCHAR, L'l', 1 << 29);
    Pump();
    EXPECT_EQ(losClicks, 1);
}

TEST_F(StartTest, EnterPressesTheDefaultButtonOrTheFocusedButton) {
    int gleich = 0, los = 0;
    Haupt().btnGleichmachen.onClick = [&] { ++gleich; };
    Haupt().btnLos.onClick = [&] { ++los; };

    Haupt().lstDateien1.SetFocus();
    PostKey(Haupt().lstDateien1.Handle(), VK_RETURN);
    EXPECT_EQ(gleich, 1);
    EXPECT_EQ(los, 0);

    Haupt().btnLos.SetEnabled(true);
    Haupt().btnLos.SetDefault(true);
    Haupt().txtDatei2.SetFocus();
    PostKey(Haupt().txtDatei2.Handle(), VK_RETURN);
    EXPECT_EQ(los, 1);

    Haupt().btnGleichmachen.SetFocus();
    PostKey(Haupt().btnGleichmachen.Handle(), VK_RETURN);
    EXPECT_EQ(gleich, 2) << "Enter on a focused button presses that button";
    EXPECT_EQ(los, 1);

    // Without a default button Enter presses nothing.
    Haupt().btnLos.SetDefault(false);
    Haupt().lstDateien1.SetFocus();
    PostKey(Haupt().lstDateien1.Handle(), VK_RETURN);
    EXPECT_EQ(gleich, 2);
    EXPECT_EQ(los, 1);
}

}  // namespace
}  // namespace falvori::test
