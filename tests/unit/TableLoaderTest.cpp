#include <gtest/gtest.h>

#include "core/Core.h"
#include "tests/unit/FakePlatform.h"

namespace falvori::test {
namespace {

constexpr const char* kHeader = "QUORIND-Textbau\r\n";
constexpr const char* kBoxTail =
    "\r\rDie Übersetzungstabelle\r'ZeichenCodes Mac - Win.txt'\rmuss im Programm-Verzeichnis liegen.\r";

struct Loaded {
    FakePlatform platform;
    Core core{platform};
    std::optional<int> endedWith;
};

// Loads a table file with the given bytes; records how the program ended.
std::unique_ptr<Loaded> Load(const std::string& bytes) {
    auto l = std::make_unique<Loaded>();
    l->platform.files[l->platform.TableFilePath()].data = bytes;
    l->endedWith = EndStatus([&] { l->core.TabelleLaden(); });
    return l;
}

std::unique_ptr<Loaded> LoadLines(const std::string& body) { return Load(kHeader + body); }

void ExpectIdentityExcept(const Tabelle& t, const std::vector<int>& changed, const char* name) {
    for (int i = 0; i < 256; ++i) {
        if (std::find(changed.begin(), changed.end(), i) != changed.end()) continue;
        EXPECT_EQ(t[i], i) << name << '[' << i << ']';
    }
}

TEST(TabelleLaden, HeaderOnlyLeavesBothTablesTheIdentity) {
    for (const char* file : {"QUORIND-Textbau", "QUORIND-Textbau\r\n", "QUORIND-Textbau\r"}) {
        auto l = Load(file);
        EXPECT_FALSE(l->endedWith);
        ExpectIdentityExcept(l->core.MacZuWin, {}, "MacZuWin");
        ExpectIdentityExcept(l->core.WinZuMac, {}, "WinZuMac");
        EXPECT_TRUE(l->platform.shown.empty());
        EXPECT_EQ(l->platform.openFiles, 0);
    }
}

// One mapping file, the entries it must change; all others stay the identity.
struct MappingCase {
    const char* name;
    std::string body;
    std::vector<std::pair<int, int>> mac;  // MacZuWin[first] == second
    std::vector<std::pair<int, int>> win;  // WinZuMac[first] == second
};

class Mapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(Mapping, SetsExactlyTheseEntries) {
    const MappingCase& c = GetParam();
    auto l = LoadLines(c.body);
    ASSERT_FALSE(l->endedWith) << (l->platform.shown.empty() ? "" : l->platform.shown[0].text);
    std::vector<int> macIdx, winIdx;
    for (auto [i, v] : c.mac) {
        EXPECT_EQ(l->core.MacZuWin[i], v) << "MacZuWin[" << i << ']';
        macIdx.push_back(i);
    }
    for (auto [i, v] : c.win) {
        EXPECT_EQ(l->core.WinZuMac[i], v) << "WinZuMac[" << i << ']';
        winIdx.push_back(i);
    }
    ExpectIdentityExcept(l->core.MacZuWin, macIdx, "MacZuWin");
    ExpectIdentityExcept(l->core.WinZuMac, winIdx, "WinZuMac");
}

INSTANTIATE_TEST_SUITE_P(
    TabelleLaden, Mapping,
    ::testing::Values(
        MappingCase{"OnePair", "128\t196\r\n", {{128, 196}}, {{196, 128}}},
        MappingCase{"NothingAfterTab", "200\t\r\n", {{200, 32}}, {{0, 200}}},
        MappingCase{"ZeroAfterTab", "200\t0\r\n", {{200, 32}}, {{0, 200}}},
        MappingCase{"NoTabRightAfterHeader", "65\r\n", {{0, 65}}, {{65, 0}}},
        MappingCase{"NoTabUsesMacCodeOfLineBefore", "128\t196\r\n97", {{128, 97}}, {{196, 128}, {97, 128}}},
        MappingCase{"EmptyLineAfterPair", "128\t196\r\n\r\n", {{128, 32}}, {{196, 128}, {0, 128}}},
        MappingCase{"SeveralTabsKeepTheLastTwo", "65\t66\t67\r\n", {{66, 67}}, {{67, 66}}},
        MappingCase{"LaterLineWins", "128\t196\r\n129\t196\r\n", {{128, 196}, {129, 196}}, {{196, 129}}},
        MappingCase{"BlanksInsideNumbers", "1 2 8\t 1 9 6 \r\n", {{128, 196}}, {{196, 128}}},
        MappingCase{"HalvesToEven", "2.5\t3.5\r\n", {{2, 4}}, {{4, 2}}},
        MappingCase{"LoneCrEndsLines", "128\t196\r129\t197", {{128, 196}, {129, 197}}, {{196, 128}, {197, 129}}},
        MappingCase{"LineFeedAloneIsPartOfTheLine", "1\n28\t196\r\n", {{128, 196}}, {{196, 128}}},
        MappingCase{"LastLineWithoutLineEnd", "128\t196", {{128, 196}}, {{196, 128}}}),
    [](const auto& info) { return info.param.name; });

TEST(TabelleLaden, BrokenFilesShowTheTableBoxAndEnd) {
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"first column 0", std::string(kHeader) + "0\t65\r\n"},
        {"empty first column", std::string(kHeader) + "\t65\r\n"},
        {"letters in first column", std::string(kHeader) + "ab\t65\r\n"},
        {"header in other case", "quorind-textbau\r\n"},
        {"header with trailing blank", "QUORIND-Textbau \r\n"},
        {"header with leading blank", " QUORIND-Textbau\r\n"},
        {"header with byte-order mark", "\xEF\xBB\xBFQUORIND-Textbau\r\n"},
        {"header longer", "QUORIND-Textbau2\r\n"},
        {"header shorter", "QUORIND-Textba\r\n"},
        {"line feeds only", "QUORIND-Textbau\n128\t196\n"},
    };
    for (const auto& c : cases) {
        auto l = Load(c.file);
        EXPECT_EQ(l->endedWith, kExitFatal) << c.name;
        ASSERT_EQ(l->platform.shown.size(), 1u) << c.name;
        const ShownBox& box = l->platform.shown[0];
        EXPECT_EQ(box.text, std::string("Tabelle defekt.") + kBoxTail) << c.name;
        EXPECT_EQ(box.title, "Fehler!");
        EXPECT_EQ(box.icon, MsgIcon::Critical);
        EXPECT_EQ(box.buttons, MsgButtons::Ok);
        EXPECT_EQ(l->platform.openFiles, 0) << c.name;
    }
}

TEST(TabelleLaden, MissingOrEmptyFileShowsTheSystemsDescription) {
    FakePlatform platform;
    Core core(platform);
    EXPECT_THROW(core.TabelleLaden(), ProgramEnded);
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text, kNotFound.text + kBoxTail);
    EXPECT_EQ(platform.shown[0].title, "Fehler!");

    auto empty = Load("");
    EXPECT_EQ(empty->endedWith, kExitFatal);
    ASSERT_EQ(empty->platform.shown.size(), 1u);
    EXPECT_EQ(empty->platform.shown[0].text, "Reached the end of the file." + std::string(kBoxTail));

    // Where the program lies is unknown: no table of the working folder.
    FakePlatform lost;
    lost.folderFailure = kNotFound;
    lost.folder = ".";
    lost.files[".\\ZeichenCodes Mac-Win.txt"].data = kHeader;
    Core lostCore(lost);
    EXPECT_THROW(lostCore.TabelleLaden(), ProgramEnded);
    ASSERT_EQ(lost.shown.size(), 1u);
    EXPECT_EQ(lost.shown[0].text, kNotFound.text + kBoxTail);
    EXPECT_EQ(lost.fileOperations, 0);
}

TEST(TabelleLaden, TablePathIsTheFolderAsGivenPlusTheName) {
    FakePlatform platform;
    platform.folder = "C:\\";
    platform.files["C:\\\\ZeichenCodes Mac-Win.txt"].data = kHeader;
    Core core(platform);
    EXPECT_NO_THROW(core.TabelleLaden());
}

TEST(TabelleLaden, NumbersOutOfRangeEndWithTheFaultReportNotTheTableBox) {
    const struct {
        const char* body;
        const char* fault;
    } cases[] = {
        {"256\t65\r\n", "Laufzeitfehler '6':\r\rÜberlauf"},
        {"-1\t65\r\n", "Laufzeitfehler '6':\r\rÜberlauf"},
        {"65\t40000\r\n", "Laufzeitfehler '6':\r\rÜberlauf"},
        {"65\t300\r\n", "Laufzeitfehler '9':\r\rIndex außerhalb des gültigen Bereichs"},
        {"65\t-5\r\n", "Laufzeitfehler '9':\r\rIndex außerhalb des gültigen Bereichs"},
        {"65\t255.5\r\n", "Laufzeitfehler '9':\r\rIndex außerhalb des gültigen Bereichs"},
    };
    for (const auto& c : cases) {
        auto l = LoadLines(c.body);
        EXPECT_EQ(l->endedWith, kExitFatal) << c.body;
        ASSERT_EQ(l->platform.shown.size(), 1u) << c.body;
        EXPECT_EQ(l->platform.shown[0].text, c.fault) << c.body;
        EXPECT_NE(l->platform.shown[0].title, "Fehler!");
    }
}

TEST(TabelleLaden, ReadFailureAfterTheHeaderIsAFault) {
    FakePlatform platform;
    platform.files[platform.TableFilePath()].data = std::string(kHeader) + "128\t196\r\n";
    platform.readChunk = 4;                   // the header takes five reads
    platform.succeedFirst[Step::Read] = 5;
    platform.failuresLeft[Step::Read] = 1;
    Core core(platform);
    EXPECT_EQ(EndStatus([&] { core.TabelleLaden(); }), kExitFatal);
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_NE(platform.shown[0].title, "Fehler!");
    EXPECT_NE(platform.shown[0].text.find(kInjected.text), std::string::npos);
}

TEST(TabelleLaden, AChosenTableFileIsTheOneReadAndNamed) {
    const std::string chosen = "C:\\etc\\ZeichenCodes Mac-Win.txt";
    const struct {
        const char* name;
        Result<std::string> tableFile;
        int wantMacZuWin65;  // 0: the table box ends the program
    } cases[] = {
        {"chosen, not the one beside", {chosen, {}}, 'S'},
        {"chosen but missing", {"C:\\fehlt.txt", {}}, 0},
        {"no place known", {{}, kNotFound}, 0},
    };
    for (const auto& c : cases) {
        Loaded l;
        l.platform.tableFile = c.tableFile;
        l.platform.files[l.platform.TableFilePath()].data = std::string(kHeader) + "65\t66";
        l.platform.files[chosen].data = std::string(kHeader) + "65\t83";
        l.endedWith = EndStatus([&] { l.core.TabelleLaden(); });
        if (c.wantMacZuWin65) {
            EXPECT_FALSE(l.endedWith) << c.name;
            EXPECT_EQ(l.core.MacZuWin[65], c.wantMacZuWin65) << c.name;
        } else {
            EXPECT_EQ(l.endedWith, kExitFatal) << c.name;
            ASSERT_EQ(l.platform.shown.size(), 1u) << c.name;
            EXPECT_EQ(l.platform.shown[0].title, "Fehler!") << c.name;
        }
    }
}

}  // namespace
}  // namespace falvori::test
