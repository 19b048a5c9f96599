// The Win32 platform adapter in-process, on real files in the Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/win32/CommandLineText.h"
#include "platform/win32/DeviceName.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf.h"
#include "platform/win32/Win32Platform.h"
#include "tests/wine/MessageBoxProbe.h"
#include "tests/wine/TestFiles.h"

namespace falvori::test {
namespace {

// Runs work on a thread of its own (GCC 12's win32 thread model has no
// std::thread); join() waits for it.
class Worker {
public:
    explicit Worker(std::function<void()> work) : work_(std::move(work)) {
        thread_ = CreateThread(nullptr, 0, &Worker::Run, this, 0, nullptr);
    }
    ~Worker() { join(); }
    void join() {
        if (!thread_) return;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<Worker*>(self)->work_();
        return 0;
    }
    std::function<void()> work_;
    HANDLE thread_ = nullptr;
};

TEST(StripProgramName, DropsTheFirstTokenAsTheRuntimeDoes) {
    struct Case {
        const wchar_t* line;
        const wchar_t* rest;
    } cases[] = {
        {L"Falvori.exe m a.txt", L"m a.txt"},
        {L"\"C:\\Program Files\\Falvori.exe\" m \"a b.txt\"", L"m \"a b.txt\""},
        {L"C:\\\"Program Files\"\\Falvori.exe w x", L"w x"},
        {L"Falvori.exe \t  m  a.txt ", L"m  a.txt "},  // only the blanks after the name go
        {L"Falvori.exe", L""},
        {L"\"C:\\a b\\Falvori.exe\"", L""},
        {L"\"C:\\a b\\Falvori.exe", L""},  // never closed: all of it is the name
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(StripProgramName(c.line), c.rest) << Utf8(c.line);
}

// Every path goes in the \\?\ form, absolute and normalised as the classic
// API would make it, and naming the file even where the classic API takes
// the last component for a device.
TEST(SystemPath, AbsoluteExtendedFormThatNamesTheFile) {
    const std::wstring part(60, L'x');
    const std::wstring tail = part + L"\\" + part + L"\\" + part + L"\\" + part + L"\\a.txt";
    wchar_t current[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_GT(n, 0u);
    std::wstring here(current, n);
    if (here.back() != L'\\') here += L'\\';
    struct Case {
        std::wstring path, expected;
    } cases[] = {
        {L"C:\\kurz\\a.txt", L"\\\\?\\C:\\kurz\\a.txt"},
        {L"C:\\kurz\\nul.txt", L"\\\\?\\C:\\kurz\\nul.txt"},
        {L"C:/kurz/Com1.txt. .", L"\\\\?\\C:\\kurz\\Com1.txt"},
        {L"C:\\kurz\\a.txt. .", L"\\\\?\\C:\\kurz\\a.txt"},
        {L"C:\\nul", L"\\\\?\\C:\\nul"},
        {L"nul.txt", L"\\\\?\\" + here + L"nul.txt"},
        {L"C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {L"C:\\" + part + L"\\.\\zu\\..\\\\" + tail.substr(part.size() + 1), L"\\\\?\\C:\\" + tail},
        {L"\\\\server\\share\\nul.txt", L"\\\\?\\UNC\\server\\share\\nul.txt"},
        {L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {L"\\\\.\\C:\\kurz\\a.txt", L"\\\\.\\C:\\kurz\\a.txt"},  // as the user wrote it
    };
    for (const auto& c : cases) EXPECT_EQ(SystemPath(c.path), c.expected) << Utf8(c.path);
}

TEST(DeviceName, ReservedNamesWithAnyExtension) {
    for (const wchar_t* name : {L"nul", L"NUL.txt", L"Con .log", L"aux.tar.gz", L"prn:x", L"COM1", L"lpt9.txt",
                                L"com\u00b9", L"CONOUT$"})
        EXPECT_TRUE(IsDeviceName(name)) << Utf8(name);
    for (const wchar_t* name : {L"null.txt", L"a.nul", L"com0", L"lpt10", L"nul1", L"console", L"x nul", L""})
        EXPECT_FALSE(IsDeviceName(name)) << Utf8(name);
}

// A device or a volume itself is no file to write, nor to read; a file on
// one is, in whichever form its path is written.
TEST(NamesDeviceOrVolume, TheDeviceItselfButNoFileOnIt) {
    for (const wchar_t* path : {L"\\\\.\\X:", L"\\\\?\\x:", L"//./X:", L"\\\\.\\X:\\dir\\..", L"\\\\.\\PhysicalDrive0",
                                L"\\\\.\\COM1", L"\\\\?\\Volume{2eca078d-5cbc-43d3-aff8-7e8511f60d0e}",
                                L"\\\\?\\Volume{2eca078d-5cbc-43d3-aff8-7e8511f60d0e}\\",
                                L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1",
                                L"\\\\?\\globalroot\\Device\\HarddiskVolume1\\dir\\f.txt"})
        EXPECT_TRUE(NamesDeviceOrVolume(path)) << Utf8(path);
    for (const wchar_t* path : {L"\\\\?\\Volume{2eca078d-5cbc-43d3-aff8-7e8511f60d0e}\\dir\\f.txt",
                                L"\\\\.\\C:\\dir\\f.txt", L"\\\\?\\C:\\dir\\f.txt", L"\\\\?\\UNC\\server\\share\\f.txt",
                                L"\\\\server\\share\\f.txt", L"C:\\dir\\PhysicalDrive0", L"f.txt"})
        EXPECT_FALSE(NamesDeviceOrVolume(path)) << Utf8(path);
}

TEST(Win32Platform, ProgramFolderIsTheFolderOfTheProgram) {
    Win32Platform platform;
    wchar_t module[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::wstring expected(module, n);
    expected.resize(expected.rfind(L'\\'));
    EXPECT_EQ(Widen(platform.ProgramFolder().value), expected);
}

TEST(Win32Platform, EnvironmentVariables) {
    Win32Platform platform;
    const std::wstring big(1000, L'ä');
    ASSERT_TRUE(SetEnvironmentVariableW(L"FALVORI_TEST_VALUE", big.c_str()));
    EXPECT_EQ(Widen(platform.EnvironmentVariable("falvori_test_value")), big) << "names ignore case";
    ASSERT_TRUE(SetEnvironmentVariableW(L"FALVORI_TEST_VALUE", L""));
    EXPECT_EQ(platform.EnvironmentVariable("FALVORI_TEST_VALUE"), "");
    ASSERT_TRUE(SetEnvironmentVariableW(L"FALVORI_TEST_VALUE", nullptr));
    EXPECT_EQ(platform.EnvironmentVariable("FALVORI_TEST_VALUE"), "");
}

class Win32FilesTest : public ::testing::Test {
protected:
    std::string U(const std::wstring& path) { return Narrow(path); }

    // A conversion's last steps: `bytes` written to an intermediate file in
    // `temp` (the test folder when empty) and placed at `to`.
    Failure Place(const std::string& bytes, const std::wstring& to, std::wstring temp = {}) {
        Failure failure;
        if (temp.empty()) temp = dir_ / L"temp";
        std::unique_ptr<Intermediate> file;
        failure = Take(platform_.CreateIntermediate(U(temp + L"\\~Falvori~")), file);
        if (!file) return failure;
        if (file->Write(bytes.data(), bytes.size()).count != bytes.size()) return {-1, "short write"};
        if ((failure = file->Close()) || (failure = file->PlaceAt(U(to)))) return failure;
        if ((failure = file->Settle())) return failure;
        return file->Discard();
    }

    void SetUp() override { ASSERT_TRUE(MakeFolder(dir_ / L"temp")); }

    Win32Platform platform_;
    ScratchFolder dir_{L"platform"};
};

TEST_F(Win32FilesTest, FileExistsCountsOrdinaryFilesOnly) {
    struct Case {
        const wchar_t* name;
        DWORD attributes;  // 0: do not create
        bool folder;
        bool present;
    } cases[] = {
        {L"normal.txt", FILE_ATTRIBUTE_NORMAL, false, true},
        {L"schreibgeschützt.txt", FILE_ATTRIBUTE_READONLY, false, true},
        {L"versteckt.txt", FILE_ATTRIBUTE_HIDDEN, false, false},
        {L"system.txt", FILE_ATTRIBUTE_SYSTEM, false, false},
        {L"Ordner", FILE_ATTRIBUTE_DIRECTORY, true, false},
        {L"fehlt.txt", 0, false, false},
        {L"fehlt\\auch.txt", 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        const std::wstring path = dir_ / c.name;
        if (c.folder) {
            ASSERT_TRUE(MakeFolder(path));
        } else if (c.attributes) {
            ASSERT_TRUE(WriteBytes(path, "x"));
            ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
        }
        bool present = !c.present;
        const Failure failure = Take(platform_.FileExists(U(path)), present);
        EXPECT_FALSE(failure) << failure.text;
        EXPECT_EQ(present, c.present);
    }
}

// A name the system cannot look up at all is a failure, not "absent".
TEST_F(Win32FilesTest, FileExistsReportsOtherErrors) {
    bool present = true;
    const Failure failure = Take(platform_.FileExists(U(dir_ / L"a|b.txt")), present);
    EXPECT_EQ(failure.code, ERROR_INVALID_NAME) << failure.text;
    EXPECT_EQ(Widen(failure.text), SystemText(ERROR_INVALID_NAME));
    EXPECT_FALSE(present);
}

TEST_F(Win32FilesTest, WildcardsNeverNameAFile) {
    ASSERT_TRUE(WriteBytes(dir_ / L"a1.txt", "x"));
    for (const wchar_t* pattern : {L"a?.txt", L"*.txt", L"a1.tx*"}) {
        SCOPED_TRACE(Utf8(pattern));
        const std::string path = U(dir_ / pattern);
        bool present = true;
        Failure failure = Take(platform_.FileExists(path), present);
        EXPECT_EQ(failure.code, ERROR_INVALID_NAME);
        EXPECT_FALSE(present);
        failure = Place("neu", dir_ / pattern);
        EXPECT_EQ(failure.code, ERROR_INVALID_NAME);
    }
    EXPECT_EQ(ReadBytes(dir_ / L"a1.txt"), "x");
}

TEST_F(Win32FilesTest, ReadsInTheSizesAskedAndReportsTheEndAsZeroBytes) {
    const std::wstring path = dir_ / L"Grüße ✓.txt";
    ASSERT_TRUE(WriteBytes(path, "abcde"));
    Failure failure;
    std::unique_ptr<File> file;
        failure = Take(platform_.OpenForReading(U(path)), file);
    ASSERT_TRUE(file) << failure.text;
    char buffer[8] = {};
    IoResult r = file->Read(buffer, 3);
    EXPECT_EQ(r.count, 3u);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    r = file->Read(buffer, 8);
    EXPECT_EQ(r.count, 2u);
    r = file->Read(buffer, 8);
    EXPECT_EQ(r.count, 0u);
    EXPECT_FALSE(r.failure);
    EXPECT_FALSE(file->Close());
}

TEST_F(Win32FilesTest, FailuresCarryTheSystemsDescription) {
    struct Case {
        std::wstring path;
        DWORD code;
    } cases[] = {
        // A missing file and a folder: FaultTest.cpp, through the program.
        {dir_ / L"fehlt\\a.txt", ERROR_PATH_NOT_FOUND},
        {L"\\\\.\\PhysicalDrive0", ERROR_BAD_DEVICE},  // a disk is no file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.path));
        Failure failure;
        std::unique_ptr<File> file;
        failure = Take(platform_.OpenForReading(U(c.path)), file);
        EXPECT_FALSE(file);
        EXPECT_EQ(failure.code, static_cast<int>(c.code));
        EXPECT_EQ(Widen(failure.text), SystemText(c.code));
    }
    const Failure end = platform_.EndOfFileFailure();
    EXPECT_EQ(end.code, ERROR_HANDLE_EOF);
    EXPECT_EQ(Widen(end.text), SystemText(ERROR_HANDLE_EOF));
}

// The intermediate file: emptied when it exists, closed to everybody else
// from creation until our own deletion, then gone.
TEST_F(Win32FilesTest, WrittenFileStaysLockedUntilDeleted) {
    const std::wstring path = dir_ / L"~Falvori~";
    ASSERT_TRUE(WriteBytes(path, std::string(1000, 'x')));
    Failure failure;
    std::unique_ptr<Intermediate> file;
        failure = Take(platform_.CreateIntermediate(U(path)), file);
    ASSERT_TRUE(file) << failure.text;
    ASSERT_EQ(file->Write("neu", 3).count, 3u);

    auto othersTry = [&] {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        const DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return error;
    };
    EXPECT_EQ(othersTry(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(file->Close());
    EXPECT_EQ(othersTry(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "unlocked before deletion";

    const std::wstring copy = L"Z:\\dev\\shm\\falvori-kopie-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    failure = file->PlaceAt(U(copy));
    EXPECT_FALSE(failure) << failure.text;
    failure = file->Settle();
    EXPECT_FALSE(failure) << failure.text;
    EXPECT_EQ(ReadBytes(copy), "neu");
    DeleteFileW(copy.c_str());
    EXPECT_EQ(othersTry(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << "unlocked before deletion";

    failure = file->Discard();
    EXPECT_FALSE(failure) << failure.text;
    EXPECT_FALSE(Exists(path));
}

// What a Linux shell says of a file (stat's format letters: %a mode, %F kind).
std::string Stat(const std::wstring& path, const char* format) {
    const std::wstring out = path + L".stat";
    if (!RunLinux(std::string("stat -c ") + ShellQuote(format) + " " + ShellQuote(LinuxPath(path)) + " 2>/dev/null > " +
                  ShellQuote(LinuxPath(out))))
        return "(not run)";
    std::string text = ReadBytes(out).value_or("(no output)");
    DeleteFileW(out.c_str());
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

DWORD KindOf(const std::wstring& path) {
    // \\?\ so that "nul.txt" is the file, not the device.
    const std::wstring name = path[1] == L':' ? L"\\\\?\\" + path : path;
    HANDLE h = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return FILE_TYPE_UNKNOWN;
    const DWORD kind = GetFileType(h);
    CloseHandle(h);
    return kind;
}

bool LinuxLink(const std::string& target, const std::wstring& link) {
    return RunLinux("ln -s " + ShellQuote(target) + " " + ShellQuote(LinuxPath(link)));
}

// Whatever lies at the intermediate file's name that is not an ordinary file
// of our own is refused, and nothing that it leads to is touched.
TEST_F(Win32FilesTest, IntermediateFileIsOnlyEverAnOrdinaryFileOfOurOwn) {
    const std::wstring other = dir_ / L"fremd.txt";
    const std::wstring sameName = dir_ / L"anders\\~Falvori~";
    ASSERT_TRUE(WriteBytes(other, "fremd"));
    ASSERT_TRUE(MakeFolder(dir_ / L"anders"));
    ASSERT_TRUE(WriteBytes(sameName, "fremd"));
    struct Case {
        const char* name;
        std::function<bool(const std::wstring&)> make;
        DWORD code;
    } cases[] = {
        {"link to /dev/null", [](const std::wstring& p) { return LinuxLink("/dev/null", p); }, ERROR_BAD_DEVICE},
        {"FIFO", [](const std::wstring& p) { return RunLinux("mkfifo " + ShellQuote(LinuxPath(p))); },
         ERROR_BAD_DEVICE},
        {"folder", [](const std::wstring& p) { return MakeFolder(p); }, ERROR_ACCESS_DENIED},
        {"link to a file", [&](const std::wstring& p) { return LinuxLink(LinuxPath(other), p); },
         ERROR_CANT_ACCESS_FILE},
        {"link to a file of the same name", [&](const std::wstring& p) { return LinuxLink(LinuxPath(sameName), p); },
         ERROR_CANT_ACCESS_FILE},
        {"second name of a file", [&](const std::wstring& p) { return !!CreateHardLinkW(p.c_str(), other.c_str(), nullptr); },
         ERROR_TOO_MANY_LINKS},
        {"link to nothing", [&](const std::wstring& p) { return LinuxLink(LinuxPath(dir_ / L"nichts"), p); },
         ERROR_FILE_NOT_FOUND},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring folder = dir_ / (L"temp" + std::to_wstring(++n));
        ASSERT_TRUE(MakeFolder(folder));
        const std::wstring path = folder + L"\\~Falvori~";
        ASSERT_TRUE(c.make(path));
        Failure failure;
        failure = platform_.CreateIntermediate(U(path)).failure;
        EXPECT_TRUE(failure);
        EXPECT_EQ(failure.code, static_cast<int>(c.code)) << failure.text;
        EXPECT_EQ(ReadBytes(other), "fremd");
        EXPECT_EQ(ReadBytes(sameName), "fremd");
        EXPECT_FALSE(Exists(dir_ / L"nichts")) << "created where a link points";
    }
}

// A destination that exists and is no ordinary file is refused and stays
// what it was.
TEST_F(Win32FilesTest, DestinationThatIsNoOrdinaryFileIsRefused) {
    struct Case {
        const char* name;
        std::wstring path;
        std::function<bool(const std::wstring&)> make;
        DWORD code;
        DWORD kind;  // what stays there
    } cases[] = {
        {"device", L"Z:\\dev\\null", nullptr, ERROR_BAD_DEVICE, FILE_TYPE_CHAR},
        {"link to a device", dir_ / L"null-link", [](const std::wstring& p) { return LinuxLink("/dev/null", p); },
         ERROR_BAD_DEVICE, FILE_TYPE_CHAR},
        {"FIFO", dir_ / L"fifo", [](const std::wstring& p) { return RunLinux("mkfifo " + ShellQuote(LinuxPath(p))); },
         ERROR_BAD_DEVICE, FILE_TYPE_PIPE},
        {"link to nothing", dir_ / L"ins-leere",
         [&](const std::wstring& p) { return LinuxLink(LinuxPath(dir_ / L"nichts"), p); }, ERROR_FILE_NOT_FOUND,
         FILE_TYPE_UNKNOWN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.make) {
            ASSERT_TRUE(c.make(c.path));
        }
        // Never write onto a /dev/null that something else has broken.
        ASSERT_EQ(KindOf(c.path), c.kind) << "not there as the case needs it";
        const std::wstring before = ListFolder(dir_.Path());
        const Failure failure = Place("neu", c.path);
        EXPECT_EQ(failure.code, static_cast<int>(c.code)) << failure.text;
        EXPECT_EQ(Widen(failure.text), SystemText(c.code));
        EXPECT_EQ(KindOf(c.path), c.kind);
        EXPECT_EQ(ListFolder(dir_.Path()), before) << "nothing made beside it";

    }
}

// Another file in the folder of path.
std::wstring Beside(const std::wstring& path, const std::wstring& name) {
    return path.substr(0, path.rfind(L'\\') + 1) + name;
}

// The destination stays what it was to the system: its mode (its security
// under Wine), its other names, the file a link leads to. With the
// intermediate file on the destination's drive, the file itself moves into
// place, and its name is free at once; from another drive it is copied.
// Settled, it is open to other programs again.
TEST_F(Win32FilesTest, ReplacedDestinationStaysWhatItWas) {
    struct Kind {
        const char* name;
        std::function<bool(const std::wstring&)> make;  // beside the plain old file
        std::function<void(const std::wstring&)> check;
        bool moves;  // on the same drive; under Wine only where the mode stays as it is
        bool typedShort = false;  // given by its 8.3 short name
    } kinds[] = {
        {"mode 0644", [](const std::wstring&) { return true; },
         [](const std::wstring& p) { EXPECT_EQ(Stat(p, "%a"), "644"); }, true},
        {"mode 0600", [](const std::wstring& p) { return RunLinux("chmod 600 " + ShellQuote(LinuxPath(p))); },
         [](const std::wstring& p) { EXPECT_EQ(Stat(p, "%a"), "600"); }, false},
        {"mode 0644, new", [](const std::wstring& p) { return DeleteFileW(p.c_str()) != 0; },
         [](const std::wstring& p) { EXPECT_EQ(Stat(p, "%a"), "644"); }, true},
        {"second name", [](const std::wstring& p) { return !!CreateHardLinkW((p + L"2").c_str(), p.c_str(), nullptr); },
         [](const std::wstring& p) { EXPECT_EQ(ReadBytes(p + L"2"), "neu"); }, false},
        {"symbolic link",
         [](const std::wstring& p) {
             return MoveFileW(p.c_str(), (p + L"-ziel").c_str()) && LinuxLink(LinuxPath(p + L"-ziel"), p);
         },
         [](const std::wstring& p) {
             EXPECT_EQ(ReadBytes(p + L"-ziel"), "neu");
             EXPECT_EQ(Stat(p, "%F"), "symbolic link");
         }, false},
        {"symbolic link to the same name in another folder",
         [](const std::wstring& p) {
             const std::wstring there = Beside(p, L"anders\\" + LeafName(p));
             return MakeFolder(Beside(p, L"anders")) && MoveFileW(p.c_str(), there.c_str()) &&
                    LinuxLink(LinuxPath(there), p);
         },
         [](const std::wstring& p) {
             EXPECT_EQ(ReadBytes(Beside(p, L"anders\\" + LeafName(p))), "neu");
             EXPECT_EQ(Stat(p, "%F"), "symbolic link");
         }, false},
        {"in a folder reached through a link",
         [](const std::wstring& p) {
             const std::wstring folder = p.substr(0, p.rfind(L'\\'));
             return MoveFileW(folder.c_str(), (folder + L"-echt").c_str()) &&
                    LinuxLink(LinuxPath(folder + L"-echt"), folder);
         },
         [](const std::wstring& p) { EXPECT_EQ(Stat(p, "%F"), "regular file"); }, true},
        {"typed as its short name", [](const std::wstring&) { return true; }, [](const std::wstring&) {}, true, true},
    };
    int n = 0;
    for (const bool otherDrive : {false, true}) {
        for (const auto& kind : kinds) {
            SCOPED_TRACE(std::string(kind.name) + (otherDrive ? ", temp on another drive" : ", temp on the same drive"));
            const std::wstring folder = dir_ / (L"fall" + std::to_wstring(++n));
            ASSERT_TRUE(MakeFolder(folder));
            const std::wstring target = folder + L"\\Zieldatei.txt";
            ASSERT_TRUE(WriteBytes(target, "alter, längerer Inhalt"));  // written in place, it is cut
            ASSERT_TRUE(kind.make(target));
            const std::string before = Stat(target, "%a %F %h");
            std::wstring typed = target;
            if (kind.typedShort) {
                wchar_t name[MAX_PATH];
                const DWORD length = GetShortPathNameW(target.c_str(), name, MAX_PATH);
                ASSERT_TRUE(length > 0 && length < MAX_PATH);
                typed = Beside(target, LeafName(name));
                ASSERT_NE(LeafName(typed), L"Zieldatei.txt");
            }
            // /dev/shm: a file system of its own, so the file is copied.
            const std::wstring temp =
                otherDrive ? FromLinuxPath("/dev/shm/falvori-test-" + std::to_string(GetCurrentProcessId())) : folder;
            ASSERT_TRUE(MakeFolder(temp));
            const std::wstring intermediate = temp + L"\\~Falvori~";

            Failure failure;
            std::unique_ptr<Intermediate> file;
        failure = Take(platform_.CreateIntermediate(U(intermediate)), file);
            ASSERT_TRUE(file) << failure.text;
            ASSERT_EQ(file->Write("neu", 3).count, 3u);
            ASSERT_FALSE(file->Close());
            failure = file->PlaceAt(U(typed));
            ASSERT_FALSE(failure) << failure.text;
            failure = file->Settle();
            ASSERT_FALSE(failure) << failure.text;
            EXPECT_EQ(ReadBytes(target), "neu");
            kind.check(target);
            if (kind.name != std::string("mode 0644, new")) {
                EXPECT_EQ(Stat(target, "%a %F %h"), before);
            }

            // Moved: another program may take the free name, and keeps it.
            const bool moved = !otherDrive && kind.moves;
            EXPECT_EQ(Exists(intermediate), !moved);
            if (moved) {
                ASSERT_TRUE(WriteBytes(intermediate, "fremd"));
            }
            failure = file->Discard();
            EXPECT_FALSE(failure) << failure.text;
            EXPECT_EQ(ReadBytes(intermediate), moved ? std::optional<std::string>("fremd") : std::nullopt);
            EXPECT_EQ(ListFolder(folder).find(L"~fv"), std::wstring::npos) << "stray copy left behind";
            if (otherDrive) RemoveTree(temp);
        }
    }
}

// \\.\Q: names the volume behind the drive Q: (for Wine, the file that
// dosdevices/q:: leads to), which was once overwritten with the bytes.
TEST_F(Win32FilesTest, VolumeIsNotWritten) {
    const std::wstring image = dir_ / L"laufwerk.img";
    ASSERT_TRUE(WriteBytes(image, "Abbild"));
    std::string devices = LinuxPath(L"C:\\");
    devices = devices.substr(0, devices.find_last_of('/', devices.size() - 2));
    const std::string link = ShellQuote(devices + "/q::");
    ASSERT_TRUE(RunLinux("ln -s " + ShellQuote(LinuxPath(image)) + " " + link));
    struct Unlinked {
        std::string link;
        ~Unlinked() { RunLinux("rm -f " + link); }
    } unlinked{link};
    ASSERT_EQ(ReadBytes(L"\\\\.\\Q:"), "Abbild") << "Wine does not take q:: for the volume";

    const Failure failure = Place("neu", L"\\\\.\\Q:");
    EXPECT_EQ(failure.code, ERROR_BAD_DEVICE) << failure.text;
    EXPECT_EQ(ReadBytes(image), "Abbild");
}

TEST_F(Win32FilesTest, CopyBesideAFileAnotherProgramHoldsFailsAndKeepsIt) {
    const std::wstring target = dir_ / L"offen.txt";
    ASSERT_TRUE(WriteBytes(target, "alt"));
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Failure failure = Place("neu", target);
    CloseHandle(held);
    EXPECT_TRUE(failure) << "replaced a file that is open without sharing";
    EXPECT_EQ(ReadBytes(target), "alt");
    EXPECT_EQ(ListFolder(dir_.Path()), L"offen.txt|temp");
}

// Each kind of box as the user sees it; the answer is the button's code.
TEST(Win32MessageBox, IconsButtonsDefaultAndAnswer) {
    struct Case {
        MsgIcon icon;
        MsgButtons buttons;
        BoxIcon shown;
        std::vector<int> ids;
        int press;
    } cases[] = {
        {MsgIcon::Critical, MsgButtons::Ok, BoxIcon::Stop, {IDOK}, IDOK},
        {MsgIcon::Question, MsgButtons::YesNo, BoxIcon::Question, {IDYES, IDNO}, IDNO},
        {MsgIcon::Exclamation, MsgButtons::RetryCancel, BoxIcon::Exclamation, {IDRETRY, IDCANCEL}, IDRETRY},
        {MsgIcon::Information, MsgButtons::Ok, BoxIcon::Information, {IDOK}, IDOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Name(c.shown));
        Win32Platform platform;
        int answer = -1;
        Worker shows([&] {
            answer = platform.ShowBox("Erste Zeile\r\rÜbersetzung", "Achtung!", c.icon, c.buttons);
        });
        const auto box = WaitForMessageBox(GetCurrentProcessId(), 10000);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->title, L"Achtung!");
        EXPECT_EQ(box->text, L"Erste Zeile\r\rÜbersetzung");
        EXPECT_EQ(box->buttons, c.ids);
        EXPECT_EQ(box->defaultButton, c.ids.front());
        EXPECT_EQ(box->icon, c.shown) << Name(box->icon);
        EXPECT_EQ(box->owner, nullptr);
        ASSERT_TRUE(PressButton(*box, c.press));
        shows.join();
        EXPECT_EQ(answer, c.press);
    }
}

TEST(Win32MessageBox, BelongsToTheOwnerWindow) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"Besitzer", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    Win32Platform platform;
    platform.SetOwnerWindow(owner);
    // The owner's thread must keep handling messages while the box is up.
    HWND boxOwner = nullptr;
    bool pressed = false;
    Worker answers([&] {
        if (const auto box = WaitForMessageBox(GetCurrentProcessId(), 10000)) {
            boxOwner = box->owner;
            pressed = PressButton(*box, IDOK);
        }
    });
    EXPECT_EQ(platform.ShowBox("x", "y", MsgIcon::Information, MsgButtons::Ok), IDOK);
    answers.join();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(boxOwner, owner);
    DestroyWindow(owner);
}

}  // namespace
}  // namespace falvori::test
