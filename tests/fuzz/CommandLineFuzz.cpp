// Arbitrary command lines through the argument scan and the batch mode, and
// arbitrary words through the Linux program's options.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/CommandLine.h"
#include "core/Core.h"
#include "platform/posix/Options.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/unit/FakePlatform.h"

using namespace falvori;
using falvori::test::FakePlatform;
using falvori::test::ProgramEnded;

namespace {

constexpr char kQuote = '"';

// The scan said another way: the first blank or quote decides. A blank ends
// the argument there; a quote starts one that runs to the next quote.
std::pair<std::string_view, std::string_view> ExpectedSplit(std::string_view text) {
    const auto first = text.find_first_of("\" ");
    if (first == std::string_view::npos) return {text, {}};
    if (text[first] == ' ') return {text.substr(0, first), text.substr(first + 1)};
    const auto close = text.find(kQuote, first + 1);
    if (close == std::string_view::npos) return {text.substr(first + 1), {}};
    return {text.substr(first + 1, close - first - 1), text.substr(close + 1)};
}

std::string_view ExpectedTrim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

void CheckScan(std::string_view text) {
    const auto [argument, rest] = ArgumentAbtrennen(text);
    // Quotes never reach an argument; the rest is what follows the character
    // that ended it.
    FUZZ_CHECK(argument.find(kQuote) == std::string::npos);
    FUZZ_CHECK(text.ends_with(rest));
    FUZZ_CHECK(rest.empty() || rest.size() < text.size());
    if (text.find(kQuote) == std::string_view::npos) FUZZ_CHECK(argument.find(' ') == std::string::npos);
    const auto expected = ExpectedSplit(text);
    FUZZ_CHECK(argument == expected.first);
    FUZZ_CHECK(rest == expected.second);
    FUZZ_CHECK(Trim(text) == ExpectedTrim(text));
}

struct Run {
    FakePlatform platform;
    Core core{platform};
    bool ended = false;
    int status = -1;
};

const std::map<std::string, std::string> kFiles = {
    {"a", std::string("abc\0\x8a", 5)},
    {"C:\\a b.txt", "Grüße"},
    {"b", "old"},
};

std::unique_ptr<Run> Evaluate(const std::string& line) {
    auto run = std::make_unique<Run>();
    run->platform.commandLineText = line;
    for (const auto& [path, data] : kFiles) run->platform.files[path].data = data;
    for (int i = 0; i < 256; ++i) {
        run->core.MacZuWin[i] = static_cast<std::int16_t>(i);
        run->core.WinZuMac[i] = static_cast<std::int16_t>(255 - i);
    }
    run->core.MacZuWin[0] = run->core.WinZuMac[255] = 0;
    try {
        run->core.BefehlszeileAuswerten();
    } catch (const ProgramEnded& e) {
        run->ended = true;
        run->status = e.status;
    }
    return run;
}

std::string Converted(const std::string& data, const Tabelle& table) {
    std::string out;
    for (unsigned char c : data)
        if (table[c] > 0) out += static_cast<char>(table[c]);
    return out;
}

void CheckBatchMode(const std::string& line) {
    auto run = Evaluate(line);
    const Core& core = run->core;
    const FakePlatform& platform = run->platform;
    const std::string_view trimmed = ExpectedTrim(line);

    if (trimmed.empty()) {
        // The window's turn: nothing is done here.
        FUZZ_CHECK(!run->ended);
        FUZZ_CHECK(!core.Stapelbetrieb);
        FUZZ_CHECK(platform.fileOperations == 0 && platform.shown.empty());
        return;
    }
    FUZZ_CHECK(run->ended);
    FUZZ_CHECK(core.Stapelbetrieb);

    const char letter = trimmed[0] | 0x20;
    const bool recognised = trimmed.size() >= 2 && trimmed[1] == ' ' &&
                            (trimmed[0] == 'm' || trimmed[0] == 'M' || trimmed[0] == 'w' ||
                             trimmed[0] == 'W');
    if (!recognised) {
        FUZZ_CHECK(run->status == kExitUsage);
        FUZZ_CHECK(platform.fileOperations == 0 && platform.shown.empty());
        return;
    }
    FUZZ_CHECK(core.RichtungMacWin == (letter == 'm'));

    const auto [source, rest] = ExpectedSplit(trimmed.substr(2));
    std::string_view dest = ExpectedSplit(ExpectedTrim(rest)).first;
    if (dest.empty()) dest = source;
    FUZZ_CHECK(core.QuellDatei == source);
    FUZZ_CHECK(core.ZielDatei == dest);

    // Only the destination and the intermediate file may change.
    for (const auto& [path, data] : kFiles) {
        if (path == dest) continue;
        auto it = platform.files.find(path);
        FUZZ_CHECK(it != platform.files.end() && it->second.data == data);
    }
    if (source.empty()) {
        FUZZ_CHECK(run->status == kExitNotWritten);
        FUZZ_CHECK(platform.fileOperations == 0 && platform.shown.empty());
        return;
    }
    // Whether the intermediate file may be read or copied onto itself is the
    // platform's to refuse; this fake does not.
    if (source == core.TempDatei || dest == core.TempDatei) return;
    const auto known = kFiles.find(std::string(source));
    if (run->status == kExitWritten) {
        FUZZ_CHECK(platform.shown.empty());
        FUZZ_CHECK(known != kFiles.end());
        auto written = platform.files.find(std::string(dest));
        FUZZ_CHECK(written != platform.files.end());
        FUZZ_CHECK(written->second.data ==
                   Converted(known->second, core.RichtungMacWin ? core.MacZuWin : core.WinZuMac));
        FUZZ_CHECK(!platform.files.contains(core.TempDatei));
    } else {
        // Cancel on the first failure box ends the conversion.
        FUZZ_CHECK(run->status == kExitNotWritten);
        FUZZ_CHECK(platform.shown.size() == 1 && platform.shown[0].title == "Achtung!");
        FUZZ_CHECK(known == kFiles.end());
        auto old = kFiles.find(std::string(dest));
        if (old != kFiles.end()) FUZZ_CHECK(platform.files.at(old->first).data == old->second);
    }
}

// Words as the Linux program receives them, split at NUL bytes: every
// operand is taken as it is, whatever quotes or blanks it holds, and in order.
void CheckWords(std::string_view text) {
    std::vector<std::string> words;
    for (std::size_t start = 0; start < text.size();) {
        const auto nul = text.find('\0', start);
        words.emplace_back(text.substr(start, nul - start));
        if (nul == std::string_view::npos) break;
        start = nul + 1;
    }
    const Options o = ReadOptions(words);
    std::vector<std::string> operands;
    bool known = true;
    for (std::size_t i = 0, options = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        const bool option = options && w.size() >= 2 && w[0] == '-' && (w[1] == '-' || std::isalpha(static_cast<unsigned char>(w[1])));
        if (!option) operands.push_back(w);
        else if (w == "--") options = 0;
        else if (w == "--table") ++i;
        else if (w != "-i" && w != "--in-place" && w != "--check" && w != "--crlf" && w != "--cr" && w != "-h" &&
                 w != "--help" && w != "--version" && !w.starts_with("--table="))
            known = false;
    }
    if (o.help || o.version) return;
    FUZZ_CHECK(known || o.problem);
    if (o.problem) {
        FUZZ_CHECK(o.badWord && (o.badWord->empty() || o.badWord->starts_with("--") ||
                                 std::find(words.begin(), words.end(), *o.badWord) != words.end()));
        return;
    }
    FUZZ_CHECK(!operands.empty() && o.macWin == (operands[0] == "m" || operands[0] == "M"));
    FUZZ_CHECK(o.files == std::vector<std::string>(operands.begin() + 1, operands.end()));
    FUZZ_CHECK(o.inPlace || o.check || o.files.size() <= 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckScan(text);
    CheckBatchMode(text);
    CheckWords(text);
    return 0;
}
