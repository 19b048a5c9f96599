#include "platform/posix/Messages.h"

#include <clocale>
#include <libintl.h>
#include <string_view>
#include <sys/stat.h>

namespace falvori {

namespace {

constexpr const char* kDomain = "falvori";

// The core's German texts and their ids.
constexpr std::pair<std::string_view, const char*> kCoreTexts[] = {
    {"Quelldatei kann nicht geöffnet werden", N_("cannot open the source file")},
    {"Quelldatei kann nicht gelesen werden", N_("cannot read the source file")},
    {"Zwischendatei kann nicht angelegt werden", N_("cannot create the intermediate file")},
    {"Zwischendatei kann nicht geschrieben werden", N_("cannot write the intermediate file")},
    {"Zwischendatei kann nicht gelöscht werden", N_("cannot delete the intermediate file")},
    {"Dateien können nicht geschlossen werden", N_("cannot close the files")},
    {"Zieldatei kann nicht geprüft werden", N_("cannot check the destination")},
    {"Zieldatei kann nicht geschrieben werden", N_("cannot write the destination")},
    {"Zieldatei ist geschrieben, aber nicht gesichert", N_("destination written, but not flushed to disk")},
    {"Zeichen kann nicht umgesetzt werden", N_("cannot convert a character")},
    {"Standardausgabe kann nicht geschrieben werden", N_("cannot write standard output")},
    {"Soll die Zieldatei überschrieben werden?", N_("Replace the destination?")},
    {"Achtung", N_("Attention")},
    {"Tabelle defekt.", N_("broken table")},
    {"Überlauf", N_("overflow")},
    {"Index außerhalb des gültigen Bereichs", N_("index out of range")},
};

}  // namespace

void UseUsersLanguage(const std::string& programFolder) {
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_CTYPE, "");
    // A folder: /usr/bin/locale is a program.
    std::string folder = programFolder + "/locale";
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) folder = programFolder + "/../share/locale";
    ::bindtextdomain(kDomain, folder.c_str());
    ::textdomain(kDomain);
}

const char* _(const char* msgid) { return ::gettext(msgid); }

std::string Translated(const std::string& text) {
    if (text.empty()) return text;  // gettext("") is the catalog's header
    for (const auto& [german, id] : kCoreTexts)
        if (text == german) return _(id);
    return _(text.c_str());
}

}  // namespace falvori
