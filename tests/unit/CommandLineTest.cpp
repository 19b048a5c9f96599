#include <gtest/gtest.h>

#include "core/CommandLine.h"
#include "core/Core.h"
#include "tests/unit/FakePlatform.h"

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
    r->endedWith = EndStatus([&] { r->core.BefehlszeileAuswerten(); });
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
        EXPECT_TRUE(r->platform.shown.empty()) << line;
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
    Outcome r;
    FillIdentity(r.core.MacZuWin);
    r.core.MacZuWin['a'] = 'b';
    r.platform.files["C:\\x.txt"].data = "aa";
    r.platform.commandLineText = "m C:\\x.txt";
    EXPECT_EQ(EndStatus([&] { r.core.BefehlszeileAuswerten(); }), kExitWritten);
    EXPECT_EQ(r.platform.files["C:\\x.txt"].data, "bb");
    EXPECT_TRUE(r.platform.shown.empty());
}

TEST(Convert, DashIsStandardOutputOnlyWhereThePlatformHasIt) {
    const struct {
        std::vector<std::string> words;
        bool streams;
        int status;
        const char* stdoutGets;  // nullptr: standard output untouched
        const char* fileDash;    // what the file named "-" holds afterwards
    } cases[] = {
        {{"m", "-"}, true, kExitWritten, "bbc", "aqc"},
        {{"m", "-", "-"}, true, kExitWritten, "bbc", "aqc"},
        {{"m", "src", "-"}, true, kExitWritten, "xb", "aqc"},
        {{"m", "-", "out"}, true, kExitWritten, nullptr, "aqc"},
        {{"m", "src", "-"}, false, kExitWritten, nullptr, "xb"},  // a file named "-"
        {{"m", "fehlt", "-"}, true, kExitNotWritten, nullptr, "aqc"},
    };
    for (const auto& c : cases) {
        const std::string shown = ::testing::PrintToString(c.words) + (c.streams ? " streams" : "");
        Outcome r;
        r.platform.standardStreams = c.streams;
        r.core.Stapelbetrieb = true;
        r.platform.files["-"].data = "aqc";  // standard input
        r.platform.files["src"].data = "xa";
        FillIdentity(r.core.MacZuWin);
        r.core.MacZuWin['a'] = 'b';
        r.core.MacZuWin['q'] = 'b';
        EXPECT_EQ(r.core.Convert(c.words[1], c.words.size() > 2 ? c.words[2] : ""), c.status) << shown;
        const auto out = r.platform.files.find(kStandardOutput);
        if (c.stdoutGets) {
            ASSERT_NE(out, r.platform.files.end()) << shown;
            EXPECT_EQ(out->second.data, c.stdoutGets) << shown;
            EXPECT_FALSE(r.platform.files.contains(r.core.TempDatei)) << shown;
            EXPECT_TRUE(r.core.TempDatei.empty()) << shown << ": went through the intermediate file";
        } else {
            EXPECT_EQ(out, r.platform.files.end()) << shown;
        }
        EXPECT_EQ(r.platform.files["-"].data, c.fileDash) << shown;
        EXPECT_EQ(r.platform.openFiles, 0) << shown;
    }
}

TEST(Convert, FailingStandardOutputEndsFatallyAfterOneMessage) {
    // Fails the first write, or the one after a whole block went out.
    for (int succeed : {0, 1}) {
        Outcome r;
        r.platform.standardStreams = true;
        r.platform.files["big"].data = std::string(600 * 1024, 'z');
        r.platform.succeedFirst[Step::Write] = succeed;
        r.platform.failuresLeft[Step::Write] = 1;
        r.platform.answers = {kRetry, kRetry};  // nothing may ask: a pipe cannot be retried
        FillIdentity(r.core.MacZuWin);
        EXPECT_EQ(r.core.Convert("big", "-"), kExitFatal) << succeed;
        ASSERT_EQ(r.platform.shown.size(), 1u) << succeed;
        EXPECT_EQ(r.platform.shown[0].text, kInjected.text);
        EXPECT_EQ(r.platform.shown[0].buttons, MsgButtons::Ok);
        EXPECT_LT(r.platform.files[kStandardOutput].data.size(), r.platform.files["big"].data.size());
        EXPECT_EQ(r.platform.openFiles, 0);
    }
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
