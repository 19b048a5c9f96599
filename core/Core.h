// The conversion core: the two translation tables, the table-file loader,
// the conversion of one file and the command line. The window owns one Core
// and calls into it; the command-line programs use it alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/LineEnds.h"
#include "core/Platform.h"
#include "core/Survey.h"

namespace falvori {

using Tabelle = std::array<std::int16_t, 256>;

// Exit statuses for scripts.
enum ExitStatus : int {
    kExitWritten = 0,       // the destination was written
    kExitNotWritten = 1,    // empty path, answer No, or Cancel
    kExitUsage = 2,         // unrecognised direction letter (or no command line)
    kExitFatal = 3,         // table file missing or broken, standard output failed, or a run-time fault
};

inline constexpr const char* kTableFileName = "ZeichenCodes Mac-Win.txt";
inline constexpr const char* kTableHeader = "QUORIND-Textbau";
inline constexpr const char* kTempFileName = "~Falvori~";

class Core {
public:
    explicit Core(Platform& platform) : platform_(platform) {}

    // Fills both tables with the identity, then applies the table file beside
    // the program. Returns only when the whole file was read; otherwise the
    // program ends after the "Fehler!" box or the run-time fault report.
    void TabelleLaden();

    // Reads the command line. Returns only when it is empty; otherwise
    // converts the one file it names (or none) and ends the program.
    void BefehlszeileAuswerten();

    // Converts one file. Empty: ended early (empty path or Cancel); false:
    // converted but the destination was not written (answer No); true: the
    // destination holds the converted bytes.
    std::optional<bool> DateiUmwandeln(const std::string& quelle, const std::string& ziel);

    // Converts one file (or standard input) straight into an output stream
    // (standard output), without the intermediate file. Returns the exit
    // status: written, not written (a cancelled step), or fatal when the
    // stream failed.
    ExitStatus ConvertToStream(const std::string& quelle, const std::string& ziel);

    // Converts `quelle` into `ziel` (empty: in place), into an output stream
    // where `ziel` names one. Returns the exit status.
    ExitStatus Convert(const std::string& quelle, const std::string& ziel);

    // Reads `quelle` (or standard input) and tells what converting it would
    // change; writes nothing. Empty when it could not be read (Cancel).
    std::optional<SurveyReport> CheckFile(const std::string& quelle);

    Tabelle MacZuWin{};
    Tabelle WinZuMac{};

    bool RichtungMacWin = true;   // true: Mac to Windows
    bool Stapelbetrieb = false;   // started with a command line: never ask
    LineEnds lineEnds = LineEnds::Keep;  // what a conversion makes of line ends
    std::string QuellDatei;
    std::string ZielDatei;
    std::string TempDatei;
    std::string Befehlszeile;

    Platform& GetPlatform() { return platform_; }

private:
    Platform& platform_;
    // Held from its creation until it is removed or has become the
    // destination; after a Cancel, until the next conversion.
    std::unique_ptr<Intermediate> zwischendatei_;
};

}  // namespace falvori
