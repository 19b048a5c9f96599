// The about box on a double-click of the window's bare surface.
#include "core/Version.h"
#include "tests/ui/WindowTest.h"
#include "tests/wine/TestFiles.h"
#include "ui/Layout.h"

namespace falvori::test {
namespace {

class ShortcutsTest : public WindowTest {};

// Everything a double-click could have touched.
struct WindowState {
    std::wstring drive1, folder1, file1, drive2, folder2, file2, name;
    HWND focus;
    bool losEnabled, gleichDefault, macWin;
    bool operator==(const WindowState&) const = default;
};

struct DoubleClickCase {
    const char* label;
    POINT at;  // client pixels at 96 dpi
    bool about;
};

TEST_F(ShortcutsTest, ADoubleClickOnTheBareSurfaceShowsTheAboutBoxAndChangesNothing) {
    OpenSource(L"w:\\Quelle", L"mac.txt");
    OpenDestination(L"w:\\Ziel");
    auto state = [this] {
        return WindowState{Haupt().lstLaufwerk1.Drive(), Haupt().lstOrdner1.Path(), Haupt().lstDateien1.FileName(),
                           Haupt().lstLaufwerk2.Drive(), Haupt().lstOrdner2.Path(), Haupt().lstDateien2.FileName(),
                           Haupt().txtDatei2.Text(),     GetFocus(),           Haupt().btnLos.Enabled(),
                           Haupt().btnGleichmachen.Default(), Haupt().optMacWin.Value()};
    };
    UINT dpi = Haupt().Dpi();
    const DoubleClickCase cases[] = {
        {"the top margin", {4, 4}, true},
        {"between the side's lists and the frame", {3, 300}, true},
        {"inside the frame, beside the option buttons", {60, 170}, false},
        {"the disabled button \"&los\"", {315, 360}, false},
    };
    ASSERT_FALSE(Haupt().btnLos.Enabled());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WindowState before = state();
        platform.shown.clear();
        if (c.about) platform.answers.push_back(kOk);
        POINT screen{MulDiv(c.at.x, static_cast<int>(dpi), 96), MulDiv(c.at.y, static_cast<int>(dpi), 96)};
        ClientToScreen(Haupt().Handle(), &screen);
        ASSERT_TRUE(SetCursorPos(screen.x, screen.y));
        INPUT clicks[4]{};
        for (int i = 0; i < 4; ++i) {
            clicks[i].type = INPUT_MOUSE;
            clicks[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
        }
        ASSERT_EQ(SendInput(4, clicks, sizeof(INPUT)), 4u);
        PumpFor(300);
        ASSERT_EQ(platform.shown.size(), c.about ? 1u : 0u);
        if (c.about) {
            const ShownBox& box = platform.shown[0];
            EXPECT_EQ(box.title, "Freeware");
            EXPECT_EQ(box.icon, MsgIcon::Information);
            EXPECT_EQ(box.buttons, MsgButtons::Ok);
            for (const char* part : {"Falvori " FALVORI_VERSION_TEXT, "\xC2\xA9 " FALVORI_COPYRIGHT_YEARS,
                                     FALVORI_RIGHTS_HOLDER})
                EXPECT_NE(box.text.find(part), std::string::npos) << part << " in " << box.text;
            EXPECT_EQ(box.text.find_first_of("\r\n"), std::string::npos) << "one line";
        }
        EXPECT_EQ(state(), before);
        PumpFor(600);  // the next clicks are not part of this double-click
    }
}

}  // namespace
}  // namespace falvori::test
