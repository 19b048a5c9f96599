#include "CommandLine.h"

#include "Core.h"

namespace falvori {

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::pair<std::string, std::string> ArgumentAbtrennen(std::string_view text) {
    bool quoting = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            if (quoting) return {std::string(text.substr(0, i)), std::string(text.substr(i + 1))};
            // What stood before the quote is dropped.
            text.remove_prefix(i + 1);
            quoting = true;
            i = static_cast<std::size_t>(-1);
        } else if (c == ' ' && !quoting) {
            return {std::string(text.substr(0, i)), std::string(text.substr(i + 1))};
        }
    }
    return {std::string(text), {}};
}

void Core::BefehlszeileAuswerten() {
    Befehlszeile = Trim(platform_.commandLine());
    if (Befehlszeile.empty()) return;
    Stapelbetrieb = true;

    std::string direction = Befehlszeile.substr(0, 2);
    for (char& c : direction)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (direction == "m ") {
        RichtungMacWin = true;
    } else if (direction == "w ") {
        RichtungMacWin = false;
    } else {
        platform_.showUsage();
        platform_.endProgram(kExitUsage);
    }

    Befehlszeile = Befehlszeile.substr(2);
    auto [quelle, rest] = ArgumentAbtrennen(Befehlszeile);
    QuellDatei = std::move(quelle);
    Befehlszeile = Trim(rest);
    ZielDatei = ArgumentAbtrennen(Befehlszeile).first;
    if (ZielDatei.empty()) ZielDatei = QuellDatei;

    const std::optional<bool> written = DateiUmwandeln(QuellDatei, ZielDatei);
    platform_.endProgram(written == true ? kExitWritten : kExitNotWritten);
}

}  // namespace falvori
