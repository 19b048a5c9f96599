#include "WindowTest.h"

#include <commctrl.h>

#include <cstdlib>

namespace falvori::test {

void MakeFile(const std::wstring& path, const std::string& content) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create test file";
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
                RemoveDirectoryW(child.c_str());
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
}

void MakeTestTree() {
    ASSERT_NE(GetDriveTypeW(L"t:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
        << "drive t: is not mapped; run tests/ui/test-drives.sh map BUILD_DIR first";
    RemoveTree(L"t:");
    for (const wchar_t* name : {L"alpha.txt", L"beta.txt", L"bett.txt", L"\u00C4rger.txt", L".punkt",
                                L"versteckt.txt", L"system.txt"})
        MakeFile(std::wstring(L"t:\\") + name);
    SetFileAttributesW(L"t:\\versteckt.txt", FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(L"t:\\system.txt", FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryW(L"t:\\Briefe", nullptr);
    CreateDirectoryW(L"t:\\Leer", nullptr);
    CreateDirectoryW(L"t:\\Briefe\\Unterordner", nullptr);
    CreateDirectoryW(L"t:\\Briefe\\Zweiter", nullptr);
    MakeFile(L"t:\\Briefe\\brief.txt");
    MakeFile(L"t:\\Briefe\\Antwort.txt");
}

std::wstring MediumFolder() {
    const char* unixPath = std::getenv("FALVORI_UI_MEDIUM");
    if (!unixPath) return {};
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

std::vector<std::wstring> Entries(HWND list) {
    std::vector<std::wstring> entries;
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        entries.push_back(text);
    }
    return entries;
}

RECT ClientRect(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void WindowTest::SetUp() {
    MakeTestTree();
    haupt_ = std::make_unique<ui::Haupt>(platform);
    bool created = haupt_->Create(GetModuleHandleW(nullptr));
    DWORD error = GetLastError();
    ASSERT_TRUE(created) << "error " << error;
    haupt_->Show(SW_SHOW);
    SetForegroundWindow(haupt_->Handle());
    Pump();
}

void WindowTest::TearDown() {
    haupt_.reset();
    Pump();
    EXPECT_TRUE(platform.answers.empty()) << platform.answers.size() << " scripted answers were not used";
}

void WindowTest::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (haupt_ && haupt_->TranslateDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void WindowTest::PumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
}

void WindowTest::PostKey(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    Pump();
}

void WindowTest::PostChars(HWND target, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(target, WM_CHAR, c, 1);
    Pump();
}

void WindowTest::ClickItem(HWND list, int index) {
    RECT item;
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    LPARAM at = MAKELPARAM(item.left + 30, item.top + 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void WindowTest::DoubleClickItem(HWND list, int index) {
    ClickItem(list, index);
    RECT item;
    SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM(item.left + 30, item.top + 2);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void WindowTest::FocusFromElsewhere(ui::Control& control) {
    ui::Control& elsewhere = &control == &h().txtDatei2 ? static_cast<ui::Control&>(h().lstDateien2)
                                                         : static_cast<ui::Control&>(h().txtDatei2);
    elsewhere.SetFocus();
    control.SetFocus();
    Pump();
}

void WindowTest::OpenTestFolders() {
    ASSERT_EQ(h().lstLaufwerk1.SetDrive(kTestDrive), 0u);
    ASSERT_EQ(h().lstOrdner1.SetPath(L"t:\\Briefe"), 0u);
    ASSERT_EQ(h().lstLaufwerk2.SetDrive(kTestDrive), 0u);
    ASSERT_EQ(h().lstOrdner2.SetPath(L"t:\\"), 0u);
    Pump();
}

}  // namespace falvori::test

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
