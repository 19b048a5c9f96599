#include <gtest/gtest.h>

#include "core/Core.h"
#include "tests/unit/FakePlatform.h"

namespace falvori::test {
namespace {

const std::string kSource = "C:\\Texte\\brief.txt";
const std::string kDest = "D:\\neu.txt";
const std::string kTemp = "C:\\Temp\\~Falvori~";

class Conversion : public ::testing::Test {
protected:
    Conversion() {
        // A table that changes something visible: Mac 0x8A (ä) -> Win 0xE4,
        // and the identity's 0 drops NUL bytes.
        FillIdentity(core.MacZuWin);
        FillIdentity(core.WinZuMac);
        core.MacZuWin[0x8A] = 0xE4;
        core.WinZuMac[0xE4] = 0x8A;
    }
    std::optional<bool> convert(const std::string& from = kSource, const std::string& to = kDest) {
        return core.DateiUmwandeln(from, to);
    }
    std::string& file(const std::string& path) { return platform.files[path].data; }
    bool exists(const std::string& path) const { return platform.files.count(path) > 0; }

    FakePlatform platform;
    Core core{platform};
};

TEST_F(Conversion, MapsEveryByteInOrderAndDropsZeroEntries) {
    file(kSource) = std::string("a\x8A" "b\0c\x8A", 6);
    EXPECT_EQ(convert(), true);
    EXPECT_EQ(file(kDest), "a\xE4" "bc\xE4");
    EXPECT_FALSE(exists(kTemp));
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_EQ(platform.openFiles, 0);
}

TEST_F(Conversion, DirectionChoosesTheTable) {
    file(kSource) = "\x8A\xE4";
    core.RichtungMacWin = false;
    EXPECT_EQ(convert(), true);
    EXPECT_EQ(file(kDest), "\x8A\x8A");
}

TEST_F(Conversion, SizesAtAndAroundBlockBoundaries) {
    const std::size_t block = 256 * 1024;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, block - 1, block, block + 1, 3 * block + 7}) {
        std::string data(size, '\x8A');
        if (size) data.back() = 'z';
        file(kSource) = data;
        platform.files.erase(kDest);
        EXPECT_EQ(convert(), true) << size;
        std::string want(size, '\xE4');
        if (size) want.back() = 'z';
        EXPECT_EQ(file(kDest), want) << size;
    }
}

TEST_F(Conversion, ShortReadsChangeNothing) {
    file(kSource) = std::string("x\x8A\0y", 4) + std::string(1000, '\x8A');
    platform.readChunk = 3;
    EXPECT_EQ(convert(), true);
    EXPECT_EQ(file(kDest), "x\xE4y" + std::string(1000, '\xE4'));
}

TEST_F(Conversion, EmptyPathTouchesNothing) {
    file(kSource) = "abc";
    for (auto [from, to] : {std::pair{std::string(), kDest}, std::pair{kSource, std::string()},
                            std::pair{std::string(), std::string()}}) {
        EXPECT_EQ(convert(from, to), std::nullopt);
    }
    EXPECT_EQ(platform.fileOperations, 0);
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_TRUE(core.TempDatei.empty());
}

TEST_F(Conversion, IntermediatePathFromTemp) {
    file(kSource) = "a";
    const struct {
        std::optional<std::string> temp;
        std::string path;
    } cases[] = {
        {"C:\\Temp", "C:\\Temp\\~Falvori~"},
        {"C:\\Temp\\", "C:\\Temp\\\\~Falvori~"},
        {std::nullopt, "c:\\~Falvori~"},
        {"", "c:\\~Falvori~"},
        {"  ", "  \\~Falvori~"},
    };
    for (const auto& c : cases) {
        platform.environment.erase("temp");
        if (c.temp) platform.environment["temp"] = *c.temp;
        convert();
        EXPECT_EQ(core.TempDatei, c.path);
    }
}

TEST_F(Conversion, ExistingDestinationInWindowModeAsksFirst) {
    file(kSource) = "\x8A";
    file(kDest) = "old";
    platform.answers = {kNo};
    EXPECT_EQ(convert(), false);
    EXPECT_EQ(file(kDest), "old");
    EXPECT_FALSE(exists(kTemp));
    EXPECT_EQ(platform.shown, std::vector{kOverwriteQuestion});

    platform.answers = {kYes};
    EXPECT_EQ(convert(), true);
    EXPECT_EQ(file(kDest), "\xE4");
}

TEST_F(Conversion, BatchModeReplacesWithoutAsking) {
    file(kSource) = "\x8A";
    file(kDest) = "old";
    core.Stapelbetrieb = true;
    EXPECT_EQ(convert(), true);
    EXPECT_EQ(file(kDest), "\xE4");
    EXPECT_TRUE(platform.shown.empty());
}

TEST_F(Conversion, FileIntoItself) {
    file(kSource) = "\x8A\x8A";
    platform.answers = {kYes};
    EXPECT_EQ(convert(kSource, kSource), true);
    EXPECT_EQ(file(kSource), "\xE4\xE4");
    EXPECT_EQ(platform.shown.size(), 1u);
}

TEST_F(Conversion, EntryThatIsNoByteFailsEveryRetryUntilCancel) {
    core.MacZuWin['b'] = 300;
    file(kSource) = "abc";
    platform.answers = {kRetry, kRetry, kCancel};
    EXPECT_EQ(convert(), std::nullopt);
    ASSERT_EQ(platform.shown.size(), 3u);
    EXPECT_EQ(platform.shown[2].text, "Überlauf");
    EXPECT_FALSE(exists(kDest));
    EXPECT_EQ(platform.openFiles, 1);  // the intermediate file, held until the next conversion
}

// Each guarded step: one failure and Retry gives the undisturbed result;
// Cancel leaves files as the way out says.
struct StepCase {
    const char* name;
    Step step;
    std::optional<bool> cancelled;  // result after Cancel
    bool destWritten;               // after Cancel
    bool tempLeft;                  // after Cancel
    int heldOpen;                   // the intermediate file, still open for writing after Cancel
};

class GuardedStep : public Conversion, public ::testing::WithParamInterface<StepCase> {};

TEST_P(GuardedStep, RetryFinishesNormally) {
    const StepCase& c = GetParam();
    file(kSource) = std::string(700000, '\x8A') + "end";
    file(kDest) = "old";
    core.Stapelbetrieb = true;
    platform.failuresLeft[c.step] = 1;
    platform.answers = {kRetry};
    EXPECT_EQ(convert(), true);
    EXPECT_EQ(file(kDest), std::string(700000, '\xE4') + "end");
    EXPECT_FALSE(exists(kTemp));
    EXPECT_EQ(platform.shown, std::vector{FailureBox(kInjected.text)});
    EXPECT_EQ(platform.openFiles, 0);
}

TEST_P(GuardedStep, CancelLeavesWhatTheWayOutSays) {
    const StepCase& c = GetParam();
    file(kSource) = "\x8A";
    file(kDest) = "old";
    core.Stapelbetrieb = true;
    platform.failuresLeft[c.step] = 1;
    EXPECT_EQ(convert(), c.cancelled);
    EXPECT_EQ(file(kDest), c.destWritten ? "\xE4" : "old");
    EXPECT_EQ(exists(kTemp), c.tempLeft);
    EXPECT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.openFiles, c.heldOpen) << "files left open after Cancel";
}

INSTANTIATE_TEST_SUITE_P(
    DateiUmwandeln, GuardedStep,
    ::testing::Values(StepCase{"OpenSource", Step::Open, std::nullopt, false, false, 0},
                      StepCase{"CreateIntermediate", Step::Create, std::nullopt, false, false, 0},
                      StepCase{"Read", Step::Read, std::nullopt, false, true, 1},
                      StepCase{"Write", Step::Write, std::nullopt, false, true, 1},
                      StepCase{"Close", Step::Close, std::nullopt, false, true, 1},
                      StepCase{"ExistenceTest", Step::Exists, false, false, true, 0},
                      StepCase{"Copy", Step::Copy, false, false, true, 0},
                      // A failure after the destination is written leaves it written.
                      StepCase{"SettleAfterPlacing", Step::Settle, true, true, false, 0},
                      StepCase{"DeleteIntermediate", Step::Delete, true, true, true, 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(Conversion, MissingSourceOffersRetryUntilCancel) {
    platform.answers = {kRetry};
    EXPECT_EQ(convert(), std::nullopt);  // Retry, then Cancel
    EXPECT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text, kNotFound.text);
    EXPECT_FALSE(exists(kTemp));
}

}  // namespace
}  // namespace falvori::test
