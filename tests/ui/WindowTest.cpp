#include "tests/ui/WindowTest.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>

#include "tests/wine/TestFiles.h"

namespace falvori::test {

namespace {

void Put(const std::wstring& path, const std::string& bytes = "x") {
    ASSERT_TRUE(WriteBytes(path, bytes)) << Utf8(path);
}

// Everything on a drive, but not the drive's own folder nor its label.
void EmptyDrive(const std::wstring& root) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((root + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || name == L".windows-label") continue;
        std::wstring path = root + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void FillDrives() {
    for (const wchar_t* drive : {L"t:\\", L"w:\\", L"v:\\", L"n:\\"})
        ASSERT_NE(GetDriveTypeW(drive), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
            << Utf8(drive) << " is not mapped; run tests/ui/test-drives.sh map BUILD_DIR";
    for (const wchar_t* drive : {L"t:\\", L"w:\\", L"v:\\", L"n:\\"}) EmptyDrive(drive);

    for (const wchar_t* name : {L"alpha.txt", L"beta.txt", L"bett.txt", L"\u00C4rger.txt", L".punkt",
                                L"versteckt.txt", L"system.txt"})
        Put(std::wstring(L"t:\\") + name);
    SetFileAttributesW(L"t:\\versteckt.txt", FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(L"t:\\system.txt", FILE_ATTRIBUTE_SYSTEM);
    for (const wchar_t* folder : {L"t:\\Briefe", L"t:\\Leer", L"t:\\Briefe\\Unterordner", L"t:\\Briefe\\Zweiter",
                                  L"w:\\Quelle", L"w:\\Ziel", L"w:\\Ziel\\Unter", L"w:\\temp", L"v:\\Ablage"})
        ASSERT_TRUE(MakeFolder(folder)) << Utf8(folder);
    Put(L"t:\\Briefe\\brief.txt");
    Put(L"t:\\Briefe\\Antwort.txt");

    Put(L"w:\\Quelle\\mac.txt", kMacText);
    Put(L"w:\\Quelle\\win.txt", kWinText);
    Put(L"w:\\Quelle\\brief.txt", "brief");
    Put(L"w:\\Quelle\\brief.txt.bak", "alt");
    Put(L"w:\\Quelle\\\u00C4rger.txt", kMacText);
    Put(L"w:\\wurzel.txt", kMacText);
    Put(L"v:\\Ablage\\fern.txt", kMacText);
}

}  // namespace

std::wstring MediumFolder() {
    const char* unixPath = std::getenv("FALVORI_UI_MEDIUM");
    return unixPath ? FromLinuxPath(unixPath) : std::wstring();
}

std::string Bytes(const std::wstring& path) { return ReadBytes(path).value_or("<missing>"); }

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
    FillDrives();
    if (HasFatalFailure()) return;
    // The core takes "temp" from the environment, as the program does.
    ASSERT_TRUE(SetEnvironmentVariableW(L"temp", L"w:\\temp"));
    haupt_ = std::make_unique<ui::Haupt>(platform);
    bool created = haupt_->Create(GetModuleHandleW(nullptr));
    DWORD error = GetLastError();
    ASSERT_TRUE(created) << "error " << error;
    platform.SetOwnerWindow(haupt_->Handle());
    // The shipped table, beside this program as beside Falvori.exe.
    haupt_->core.TabelleLaden();
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
    PumpUntil([&] { return GetTickCount() - start >= milliseconds; }, milliseconds + 1000);
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

void WindowTest::Click(ui::CommandButton& button) {
    SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    Pump();
}

void WindowTest::ClickItem(HWND list, int index) {
    RECT item;
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    LPARAM at = MAKELPARAM(item.left + 20, item.top + 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void WindowTest::DoubleClickItem(HWND list, int index) {
    ClickItem(list, index);
    RECT item;
    SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM(item.left + 20, item.top + 2);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void WindowTest::Drop(HWND target, const std::vector<std::wstring>& paths) {
    size_t chars = 1;  // the list ends with an empty name
    for (const auto& path : paths) chars += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    ASSERT_NE(memory, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& path : paths) {
        path.copy(names, path.size());
        names += path.size() + 1;
    }
    GlobalUnlock(memory);
    // The receiver frees the data (DragFinish).
    ASSERT_TRUE(PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0));
    Pump();
}

void WindowTest::FocusFromElsewhere(ui::Control& control) {
    ui::Control& elsewhere = &control == &Haupt().txtDatei2 ? static_cast<ui::Control&>(Haupt().lstDateien2)
                                                         : static_cast<ui::Control&>(Haupt().txtDatei2);
    elsewhere.SetFocus();
    control.SetFocus();
    Pump();
}

void WindowTest::OpenSource(const std::wstring& folder, const std::wstring& file) {
    ASSERT_FALSE(Haupt().ChooseDrive(Haupt().lstLaufwerk1, folder));
    ASSERT_FALSE(Haupt().OpenFolder(Haupt().lstOrdner1, folder));
    if (file.empty()) return;
    int index = Haupt().lstDateien1.FindName(file);
    ASSERT_GE(index, 0) << Utf8(file) << " not listed";
    ASSERT_TRUE(Haupt().lstDateien1.SetListIndex(index));
}

void WindowTest::OpenDestination(const std::wstring& folder) {
    ASSERT_FALSE(Haupt().ChooseDrive(Haupt().lstLaufwerk2, folder));
    ASSERT_FALSE(Haupt().OpenFolder(Haupt().lstOrdner2, folder));
}

void WindowTest::OpenTestFolders() {
    OpenSource(L"t:\\Briefe");
    OpenDestination(L"t:\\");
    Pump();
}

}  // namespace falvori::test

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
