#include <gtest/gtest.h>

#include "CommandLine.h"
#include "Core.h"
#include "FakePlatform.h"

namespace falvori::test {
namespace {

struct Outcome {
    FakePlatform platform;
    Core core{platform};
    std::optional<int> endedWith;
};

std::unique_ptr<Outcome> Evaluate(const std::string& line) {
    auto r = std::make_unique<Outcome>();
    r->platform.commandLineText = line;
    try {
        r->core.BefehlszeileAuswerten();
    } catch (const ProgramEnded& e) {
        r->endedWith = e.status;
    }
    return r;
}

TEST(BefehlszeileAuswerten, WorkedExamples) {
    const struct {
        const char* line;
        bool macWin;
        const char* source;
        const char* dest;
    } cases[] = {
        {R"(m "C:\Texte\alter Brief.txt" "D:\Neu\Brief.txt")", true, R"(C:\Texte\alter Brief.txt)", R"(D:\Neu\Brief.txt)"},
        {R"(w C:\a.txt D:\b.txt)", false, R"(C:\a.txt)", R"(D:\b.txt)"},
        {R"(m C:\a.txt)", true, R"(C:\a.txt)", R"(C:\a.txt)"},
        {R"(M C:\a.txt)", true, R"(C:\a.txt)", R"(C:\a.txt)"},
        {R"(W "C:\a b.txt")", false, R"(C:\a b.txt)", R"(C:\a b.txt)"},
        {R"(m C:\a.txt "D:\b c.txt")", true, R"(C:\a.txt)", R"(D:\b c.txt)"},
        {R"(m C:\a.txt D:\b.txt E:\c.txt)", true, R"(C:\a.txt)", R"(D:\b.txt)"},
        {R"(m "C:\a b.txt)", true, R"(C:\a b.txt)", R"(C:\a b.txt)"},
        {R"(m ab"c d" x)", true, "c d", "x"},
        {R"(m "" D:\b.txt)", true, "", R"(D:\b.txt)"},
        {R"(m  C:\a.txt)", true, "", R"(C:\a.txt)"},
        {"  m C:\\a.txt  ", true, R"(C:\a.txt)", R"(C:\a.txt)"},
        {"m C:\\a\tb.txt", true, "C:\\a\tb.txt", "C:\\a\tb.txt"},
    };
    for (const auto& c : cases) {
        auto r = Evaluate(c.line);
        EXPECT_EQ(r->endedWith, kExitNotWritten) << c.line;  // the files do not exist
        EXPECT_TRUE(r->core.Stapelbetrieb) << c.line;
        EXPECT_EQ(r->core.RichtungMacWin, c.macWin) << c.line;
        EXPECT_EQ(r->core.QuellDatei, c.source) << c.line;
        EXPECT_EQ(r->core.ZielDatei, c.dest) << c.line;
    }
}

TEST(BefehlszeileAuswerten, UnrecognisedDirectionEndsSilently) {
    for (const char* line : {"m", "m ", "w", "x C:\\a.txt", "mC:\\a.txt", "m\tC:\\a.txt", "ä C:\\a.txt"}) {
        auto r = Evaluate(line);
        EXPECT_EQ(r->endedWith, kExitUsage) << line;
        EXPECT_TRUE(r->platform.boxes.empty()) << line;
        EXPECT_EQ(r->platform.fileOperations, 0) << line;
    }
}

TEST(BefehlszeileAuswerten, EmptyCommandLineReturnsForTheWindow) {
    for (const char* line : {"", "   "}) {
        auto r = Evaluate(line);
        EXPECT_FALSE(r->endedWith) << '"' << line << '"';
        EXPECT_FALSE(r->core.Stapelbetrieb);
        EXPECT_EQ(r->platform.fileOperations, 0);
    }
}

TEST(BefehlszeileAuswerten, ConvertsInPlaceWithoutAskingAndEndsWithStatus) {
    auto r = std::make_unique<Outcome>();
    for (int i = 0; i < 256; ++i) r->core.MacZuWin[i] = r->core.WinZuMac[i] = static_cast<std::int16_t>(i);
    r->core.MacZuWin['a'] = 'b';
    r->platform.files["C:\\x.txt"].data = "aa";
    r->platform.commandLineText = "m C:\\x.txt";
    try {
        r->core.BefehlszeileAuswerten();
    } catch (const ProgramEnded& e) {
        r->endedWith = e.status;
    }
    EXPECT_EQ(r->endedWith, kExitWritten);
    EXPECT_EQ(r->platform.files["C:\\x.txt"].data, "bb");
    EXPECT_TRUE(r->platform.boxes.empty());
}

TEST(ArgumentAbtrennen, SplitsAtTheFirstBlankOutsideQuotes) {
    const struct {
        const char* text;
        const char* argument;
        const char* rest;
    } cases[] = {
        {"a b c", "a", "b c"},      {"\"a b\" c", "a b", " c"}, {"abc", "abc", ""},
        {"", "", ""},                {"\"a b", "a b", ""},       {"x\"a b\"y z", "a b", "y z"},
        {" a", "", "a"},             {"\"\"", "", ""},           {"a\tb c", "a\tb", "c"},
    };
    for (const auto& c : cases) {
        auto [argument, rest] = ArgumentAbtrennen(c.text);
        EXPECT_EQ(argument, c.argument) << c.text;
        EXPECT_EQ(rest, c.rest) << c.text;
    }
}

TEST(Trim, RemovesBlanksOnlyNotTabs) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(Trim("   "), "");
}

}  // namespace
}  // namespace falvori::test
