// Fills the two translation tables from the table file beside the program.
#include <cstdlib>

#include <memory>

#include "Core.h"
#include "Fault.h"
#include "LineReader.h"
#include "Numeric.h"

namespace falvori {

namespace {

constexpr const char* kBrokenTable = "Tabelle defekt.";

[[noreturn]] void Tabellenfehler(Platform& platform, std::unique_ptr<File>& file,
                                 const std::string& firstLine) {
    file.reset();  // close before the box, so the user may fix the file meanwhile
    platform.ShowBox(firstLine +
                            "\r\r"
                            "Die Übersetzungstabelle\r"
                            "'ZeichenCodes Mac - Win.txt'\r"
                            "muss im Programm-Verzeichnis liegen.\r",
                        "Fehler!", MsgIcon::Critical, MsgButtons::Ok);
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
    Result<std::string> folder = platform_.ProgramFolder();
    std::unique_ptr<File> file;
    if (folder.failure) Tabellenfehler(platform_, file, folder.failure.text);
    Failure failure;
    std::string path = folder.value + platform_.Separator() + kTableFileName;
    // An installed program finds the file in its shared data folder; one
    // beside the program wins, whatever it holds.
    if (const std::string shared = platform_.SharedDataFolder(); !shared.empty()) {
        bool beside = false;
        failure = platform_.FileExists(path, beside);
        if (!failure && !beside) path = shared + platform_.Separator() + kTableFileName;
        failure = {};
    }
    file = platform_.OpenForReading(path, failure);
    if (failure || !file) Tabellenfehler(platform_, file, failure.text);

    LineReader lines(*file);
    if (lines.AtEnd(failure)) {
        if (!failure) failure = platform_.EndOfFileFailure();
        Tabellenfehler(platform_, file, failure.text);
    }
    HeaderMatch header;
    failure = lines.ReadLine(header);
    if (failure) Tabellenfehler(platform_, file, failure.text);
    if (!header.matches()) Tabellenfehler(platform_, file, kBrokenTable);

    // The Mac code carries over to the next line when a line holds no TAB.
    std::uint8_t macCode = 0;
    for (;;) {
        bool end = lines.AtEnd(failure);
        if (failure) ReportFault(platform_, {failure.code, failure.text});
        if (end) break;

        NumberReader number;
        failure = lines.ReadLine([&](char c) {
            if (c != '\t') {
                number.Feed(c);
                return;
            }
            auto code = ToByte(number.Value());
            if (!code) ReportFault(platform_, kOverflow);
            macCode = *code;
            number.Reset();
            if (macCode == 0) Tabellenfehler(platform_, file, kBrokenTable);
        });
        if (failure) ReportFault(platform_, {failure.code, failure.text});

        const double value = number.Value();
        if (value == 0) {
            MacZuWin[macCode] = 32;  // no counterpart: a blank
        } else {
            auto entry = ToInt16(value);
            if (!entry) ReportFault(platform_, kOverflow);
            MacZuWin[macCode] = *entry;
        }
        auto index = ToWhole(value);
        if (!index) ReportFault(platform_, kOverflow);
        if (*index < 0 || *index > 255) ReportFault(platform_, kIndexOutOfRange);
        WinZuMac[*index] = macCode;
    }
    // The file closes here.
}

}  // namespace falvori
