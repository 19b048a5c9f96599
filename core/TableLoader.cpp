// Fills the two translation tables from the table file.
#include <cstdlib>

#include <memory>

#include "core/Core.h"
#include "core/Fault.h"
#include "core/LineReader.h"
#include "core/Numeric.h"

namespace falvori {

namespace {

constexpr const char* kBrokenTable = "Tabelle defekt.";

[[noreturn]] void Tabellenfehler(Platform& platform, std::unique_ptr<File>& file, const std::string& firstLine,
                                 const std::string& path) {
    file.reset();  // close before the box, so the user may fix the file meanwhile
    platform.TableFailureBox(firstLine, path);
    platform.EndProgram(kExitFatal);
    std::abort();  // not reached: EndProgram does not return
}

// Compares the first line with the header as it streams past.
class HeaderMatch {
public:
    void operator()(char c) {
        if (length_ < header_.size() && header_[length_] == c)
            ++length_;
        else
            mismatch_ = true;
    }
    bool matches() const { return !mismatch_ && length_ == header_.size(); }

private:
    std::string_view header_{kTableHeader};
    std::size_t length_ = 0;
    bool mismatch_ = false;
};

}  // namespace

void Core::TabelleLaden() {
    for (int i = 0; i < 256; ++i) {
        MacZuWin[i] = static_cast<std::int16_t>(i);
        WinZuMac[i] = static_cast<std::int16_t>(i);
    }

    // Every failure up to and including the header line is the table box
    // with the system's description.
    // Not the working folder's table when the program's own is unknown.
    std::unique_ptr<File> file;
    Result<std::string> path;
    if (auto chosen = platform_.TableFile()) {
        path = std::move(*chosen);
    } else {
        path = platform_.ProgramFolder();
        path.value += platform_.Separator();
        path.value += kTableFileName;
    }
    if (path.failure) Tabellenfehler(platform_, file, path.failure.text, {});
    Failure failure = Take(platform_.OpenForReading(path.value), file);
    if (failure) Tabellenfehler(platform_, file, failure.text, path.value);

    LineReader lines(*file);
    if (lines.AtEnd(failure)) {
        if (!failure) failure = platform_.EndOfFileFailure();
        Tabellenfehler(platform_, file, failure.text, path.value);
    }
    HeaderMatch header;
    failure = lines.ReadLine(header);
    if (failure) Tabellenfehler(platform_, file, failure.text, path.value);
    if (!header.matches()) Tabellenfehler(platform_, file, kBrokenTable, path.value);

    // The Mac code carries over to the next line when a line holds no TAB.
    std::uint8_t macCode = 0;
    for (;;) {
        bool end = lines.AtEnd(failure);
        if (failure) ReportFault(platform_, {failure.code, failure.text}, path.value);
        if (end) break;

        NumberReader number;
        failure = lines.ReadLine([&](char c) {
            if (c != '\t') {
                number.Feed(c);
                return;
            }
            auto code = ToByte(number.Value());
            if (!code) ReportFault(platform_, kOverflow, path.value);
            macCode = *code;
            number.Reset();
            if (macCode == 0) Tabellenfehler(platform_, file, kBrokenTable, path.value);
        });
        if (failure) ReportFault(platform_, {failure.code, failure.text}, path.value);

        const double value = number.Value();
        if (value == 0) {
            MacZuWin[macCode] = 32;  // no counterpart: a blank
        } else {
            auto entry = ToInt16(value);
            if (!entry) ReportFault(platform_, kOverflow, path.value);
            MacZuWin[macCode] = *entry;
        }
        auto index = ToWhole(value);
        if (!index) ReportFault(platform_, kOverflow, path.value);
        if (*index < 0 || *index > 255) ReportFault(platform_, kIndexOutOfRange, path.value);
        WinZuMac[*index] = macCode;
    }
    // The file closes here.
}

}  // namespace falvori
