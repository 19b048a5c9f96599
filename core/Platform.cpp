#include "core/Platform.h"

namespace falvori {

void Platform::TableFailureBox(const std::string& reason, const std::string& path) {
    (void)path;
    ShowBox(reason +
                "\r\r"
                "Die Übersetzungstabelle\r"
                "'ZeichenCodes Mac - Win.txt'\r"
                "muss im Programm-Verzeichnis liegen.\r",
            "Fehler!", MsgIcon::Critical, MsgButtons::Ok);
}

void Platform::FaultBox(int number, const std::string& text, const std::string& path) {
    (void)path;
    ShowBox("Laufzeitfehler '" + std::to_string(number) + "':\r\r" + text, "Falvori", MsgIcon::Critical,
            MsgButtons::Ok);
}

}  // namespace falvori
