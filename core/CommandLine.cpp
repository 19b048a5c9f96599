#include "core/CommandLine.h"

#include <optional>

#include "core/Core.h"

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

namespace {

// The direction word or letter, in either case; nothing when it is neither.
std::optional<bool> MacWin(std::string_view direction) {
    if (direction == "m" || direction == "M") return true;
    if (direction == "w" || direction == "W") return false;
    return std::nullopt;
}

}  // namespace

void Core::BefehlszeileAuswerten() {
    Befehlszeile = Trim(platform_.CommandLine());
    if (Befehlszeile.empty()) return;
    Stapelbetrieb = true;
    std::optional<bool> macWin;
    if (Befehlszeile.size() >= 2 && Befehlszeile[1] == ' ')
        macWin = MacWin(std::string_view(Befehlszeile).substr(0, 1));
    if (!macWin) platform_.EndProgram(kExitUsage);
    Befehlszeile = Befehlszeile.substr(2);
    auto [quelle, rest] = ArgumentAbtrennen(Befehlszeile);
    QuellDatei = std::move(quelle);
    Befehlszeile = Trim(rest);
    ZielDatei = ArgumentAbtrennen(Befehlszeile).first;
    RichtungMacWin = *macWin;
    if (ZielDatei.empty()) ZielDatei = QuellDatei;
    platform_.EndProgram(Convert(QuellDatei, ZielDatei));
}

ExitStatus Core::Convert(const std::string& quelle, const std::string& ziel) {
    const std::string& to = ziel.empty() ? quelle : ziel;
    if (platform_.NamesOutputStream(to)) return ConvertToStream(quelle, to);
    return DateiUmwandeln(quelle, to) == true ? kExitWritten : kExitNotWritten;
}

}  // namespace falvori
