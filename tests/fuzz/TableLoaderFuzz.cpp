// Arbitrary bytes as the table file. Every run must end in one of three
// ways: complete tables, the "Fehler!" box, or the named run-time fault.
// The same bytes read in small pieces must give the same outcome, and files
// made only of numbers, TABs, blanks and line ends must give what a plain
// model of the format predicts.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/Core.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/unit/FakePlatform.h"

using namespace falvori;
using falvori::test::FakePlatform;
using falvori::test::ProgramEnded;

namespace {

constexpr std::string_view kBoxTail =
    "\r\rDie Übersetzungstabelle\r'ZeichenCodes Mac - Win.txt'\rmuss im Programm-Verzeichnis liegen.\r";
constexpr std::string_view kOverflowReport = "Laufzeitfehler '6':\r\rÜberlauf";
constexpr std::string_view kIndexReport = "Laufzeitfehler '9':\r\rIndex außerhalb des gültigen Bereichs";

struct Outcome {
    enum Kind { Loaded, TableBox, Fault } kind = Loaded;
    std::string text;  // the box: first line of the table box, or the fault report
    Tabelle mac{};
    Tabelle win{};

    bool operator==(const Outcome& o) const {
        return kind == o.kind && text == o.text && (kind != Loaded || (mac == o.mac && win == o.win));
    }
};

Outcome Load(const std::string& bytes, std::size_t readChunk) {
    FakePlatform platform;
    platform.readChunk = readChunk;
    platform.files[platform.TableFilePath()].data = bytes;
    Core core(platform);
    Outcome outcome;
    try {
        core.TabelleLaden();
        FUZZ_CHECK(platform.shown.empty());
        outcome.mac = core.MacZuWin;
        outcome.win = core.WinZuMac;
        for (int i = 0; i < 256; ++i) {
            FUZZ_CHECK(core.MacZuWin[i] >= 0 && core.MacZuWin[i] <= 255);
            FUZZ_CHECK(core.WinZuMac[i] >= 0 && core.WinZuMac[i] <= 255);
        }
    } catch (const ProgramEnded& e) {
        FUZZ_CHECK(e.status == kExitFatal);
        FUZZ_CHECK(platform.shown.size() == 1);
        const auto& box = platform.shown[0];
        FUZZ_CHECK(box.buttons == MsgButtons::Ok);
        FUZZ_CHECK(box.icon == MsgIcon::Critical);
        if (box.title == "Fehler!") {
            const std::string_view text = box.text;
            FUZZ_CHECK(text.size() > kBoxTail.size() && text.ends_with(kBoxTail));
            outcome.kind = Outcome::TableBox;
            outcome.text = text.substr(0, text.size() - kBoxTail.size());
            // No read fails here, so only an empty file reads past its end.
            FUZZ_CHECK(outcome.text == "Tabelle defekt." ||
                       (bytes.empty() && outcome.text == platform.EndOfFileFailure().text));
        } else {
            outcome.kind = Outcome::Fault;
            outcome.text = box.text;
            FUZZ_CHECK(outcome.text == kOverflowReport || outcome.text == kIndexReport);
        }
    }
    // Whichever way it ended, the table file is closed.
    FUZZ_CHECK(platform.openFiles == 0);
    return outcome;
}

// The leading decimal number of a column, blanks and line feeds left out,
// read by the C library. Empty for numbers longer than a table file would
// ever hold, where the two readers may part in the last bit.
std::optional<double> ColumnValue(std::string_view column) {
    std::string text;
    for (char c : column)
        if (c != ' ' && c != '\n') text += c;
    std::size_t end = 0;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    const std::size_t digitsFrom = end;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end < text.size() && text[end] == '.') {
        ++end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    }
    text.resize(end);
    if (text.size() > 40) return std::nullopt;
    if (text.find_first_of("0123456789", digitsFrom) == std::string::npos) return 0;
    return std::strtod(text.c_str(), nullptr);
}

// What the loader must do with a file of plain decimal numbers: the format as
// written down, one line and one column at a time. Empty for other files.
std::optional<Outcome> Model(std::string_view bytes) {
    Outcome outcome;
    auto ended = [&](Outcome::Kind kind, std::string_view text) {
        outcome.kind = kind;
        outcome.text = text;
        return outcome;
    };
    if (bytes.empty()) return std::nullopt;  // read past the end: checked in Load
    const std::size_t headerEnd = std::min(bytes.find('\r'), bytes.size());
    if (bytes.substr(0, headerEnd) != kTableHeader) return ended(Outcome::TableBox, "Tabelle defekt.");
    std::string_view body = bytes.substr(headerEnd);
    if (body.find_first_not_of("0123456789+-.\t \r\n") != std::string_view::npos) return std::nullopt;

    for (int i = 0; i < 256; ++i) outcome.mac[i] = outcome.win[i] = static_cast<std::int16_t>(i);
    // The header's CR (and an LF after it) ends the header line.
    std::size_t pos = 0;
    auto skipLineEnd = [&] {
        if (pos < body.size() && body[pos] == '\r') {
            ++pos;
            if (pos < body.size() && body[pos] == '\n') ++pos;
        }
    };
    skipLineEnd();
    int macCode = 0;
    while (pos < body.size()) {
        const std::size_t end = std::min(body.find('\r', pos), body.size());
        std::string_view line = body.substr(pos, end - pos);
        pos = end;
        skipLineEnd();

        std::size_t tab;
        while ((tab = line.find('\t')) != std::string_view::npos) {
            const auto column = ColumnValue(line.substr(0, tab));
            if (!column) return std::nullopt;
            const double code = std::nearbyint(*column);
            if (!(code >= 0 && code <= 255)) return ended(Outcome::Fault, kOverflowReport);
            if (code == 0) return ended(Outcome::TableBox, "Tabelle defekt.");
            macCode = static_cast<int>(code);
            line.remove_prefix(tab + 1);
        }
        const auto column = ColumnValue(line);
        if (!column) return std::nullopt;
        const double value = *column;
        const double whole = std::nearbyint(value);
        if (value != 0 && !(whole >= -32768 && whole <= 32767)) return ended(Outcome::Fault, kOverflowReport);
        outcome.mac[macCode] = static_cast<std::int16_t>(value == 0 ? 32 : whole);
        if (!(whole >= 0 && whole <= 255)) return ended(Outcome::Fault, kIndexReport);
        outcome.win[static_cast<int>(whole)] = static_cast<std::int16_t>(macCode);
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Outcome whole = Load(bytes, 0);

    // A header that is not exactly the first line never loads.
    const bool headerFirst = bytes.starts_with(kTableHeader) &&
                             (bytes.size() == std::string_view(kTableHeader).size() ||
                              bytes[std::string_view(kTableHeader).size()] == '\r');
    if (!headerFirst) FUZZ_CHECK(whole.kind == Outcome::TableBox);

    // Line ends and numbers split across reads change nothing.
    FUZZ_CHECK(Load(bytes, 1 + size % 5) == whole);

    if (auto expected = Model(bytes)) FUZZ_CHECK(*expected == whole);
    return 0;
}
