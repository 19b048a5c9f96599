#include "HauptFixture.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

#include "TestFiles.h"

namespace falvori::window_test {

int AnsweringPlatform::messageBox(const std::string& text, const std::string& title, MsgIcon icon,
                                  MsgButtons buttons) {
    shown.push_back({text, title, icon, buttons});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected box \"" << title << "\": " << text;
        return kCancel;
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

void AnsweringPlatform::endProgram(int status) {
    ADD_FAILURE() << "the window ended the program with status " << status;
    std::fflush(stdout);
    std::_Exit(99);
}

std::string Bytes(const std::wstring& path) { return test::ReadBytes(path).value_or("<missing>"); }

namespace {

void Put(const std::wstring& path, const std::string& bytes) {
    ASSERT_TRUE(test::WriteBytes(path, bytes)) << test::Utf8(path);
}

// Everything on a drive, but not the drive's own folder.
void EmptyDrive(const std::wstring& root) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((root + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = root + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            test::RemoveTree(path);
        else
            DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void MakeTree() {
    for (const wchar_t* drive : {L"w:\\", L"v:\\"})
        ASSERT_NE(GetDriveTypeW(drive), static_cast<UINT>(DRIVE_NO_ROOT_DIR))
            << test::Utf8(drive) << " is not mapped; run tests/window/window-drives.sh map BUILD_DIR";
    EmptyDrive(L"w:\\");
    EmptyDrive(L"v:\\");
    for (const wchar_t* folder : {L"w:\\Quelle", L"w:\\Ziel", L"w:\\Ziel\\Unter", L"w:\\temp", L"v:\\Ablage"})
        ASSERT_TRUE(test::MakeFolder(folder));
    Put(L"w:\\Quelle\\mac.txt", kMacText);
    Put(L"w:\\Quelle\\win.txt", kWinText);
    Put(L"w:\\Quelle\\brief.txt", "brief");
    Put(L"w:\\Quelle\\brief.txt.bak", "alt");
    Put(L"w:\\Quelle\\\u00C4rger.txt", kMacText);
    Put(L"w:\\wurzel.txt", kMacText);
    Put(L"v:\\Ablage\\fern.txt", kMacText);
}

}  // namespace

void HauptFixture::SetUp() {
    MakeTree();
    if (HasFatalFailure()) return;
    // The core takes "temp" from the environment, as the program does.
    ASSERT_TRUE(SetEnvironmentVariableW(L"temp", L"w:\\temp"));
    haupt_ = std::make_unique<ui::Haupt>(platform);
    bool created = haupt_->Create(GetModuleHandleW(nullptr));
    DWORD error = GetLastError();
    ASSERT_TRUE(created) << "error " << error;
    platform.setOwnerWindow(haupt_->Handle());
    // The shipped table, beside this program as beside Falvori.exe.
    haupt_->core.TabelleLaden();
    haupt_->Show(SW_SHOW);
    SetForegroundWindow(haupt_->Handle());
    Pump();
}

void HauptFixture::TearDown() {
    haupt_.reset();
    Pump();
    EXPECT_TRUE(platform.answers.empty()) << platform.answers.size() << " answers were not asked for";
}

void HauptFixture::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (haupt_ && haupt_->TranslateDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void HauptFixture::PumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= milliseconds; }, milliseconds + 1000);
}

void HauptFixture::OpenSource(const std::wstring& folder, const std::wstring& file) {
    ASSERT_EQ(h().lstLaufwerk1.SetDrive(folder), 0u);
    ASSERT_EQ(h().lstOrdner1.SetPath(folder), 0u);
    if (file.empty()) return;
    int index = h().lstDateien1.FindName(file);
    ASSERT_GE(index, 0) << test::Utf8(file) << " not listed";
    ASSERT_TRUE(h().lstDateien1.SetListIndex(index));
}

void HauptFixture::OpenDestination(const std::wstring& folder) {
    ASSERT_EQ(h().lstLaufwerk2.SetDrive(folder), 0u);
    ASSERT_EQ(h().lstOrdner2.SetPath(folder), 0u);
}

void HauptFixture::Click(ui::CommandButton& button) {
    SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    Pump();
}

void HauptFixture::PostKey(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    Pump();
}

void HauptFixture::Drop(HWND target, const std::vector<std::wstring>& paths) {
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

void HauptFixture::DoubleClickItem(HWND list, int index) {
    RECT item;
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    LPARAM at = MAKELPARAM(item.left + 20, item.top + 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

}  // namespace falvori::window_test

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
