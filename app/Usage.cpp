#include "Usage.h"

#include "PosixPlatform.h"
#include "Version.h"

namespace falvori {

std::string HelpText(const std::string& besideProgram, const std::string& shared) {
    return std::string(kUsageLine) + R"(
        falvori --help | --version

Wandelt eine Textdatei Byte für Byte zwischen dem Mac-Zeichensatz
(Mac OS Roman) und dem Windows-Zeichensatz (Windows-1252) um.

  m, M   von Mac nach Windows
  w, W   von Windows nach Mac

Ohne ZIELDATEI, oder mit einer leeren ("") ZIELDATEI, wird QUELLDATEI an Ort
und Stelle umgewandelt. Ein Wort nach ZIELDATEI wird abgelehnt, bevor etwas
geschieht. Eine bestehende Zieldatei wird ohne Rückfrage ersetzt.

"-" als QUELLDATEI liest die Standardeingabe, "-" als ZIELDATEI schreibt
die Standardausgabe, sobald die Bytes umgewandelt sind; "falvori m - -" ist
ein Filter. Ohne ZIELDATEI geht "-" auf die Standardausgabe. /dev/stdout,
/dev/stderr und /dev/fd/N als ZIELDATEI schreiben in diesen Deskriptor, wie
er übergeben wurde (">>" hängt an).

Die Umwandlung geht durch die Zwischendatei "~Falvori~" im Ordner $temp,
sonst $TMPDIR, sonst im eigenen Ordner /tmp/falvori-<uid> (Modus 0700, wird
angelegt, wenn er fehlt; ein Ordner, in den andere schreiben dürfen und der
nicht "sticky" ist, wird abgelehnt). Eine gewöhnliche Zieldatei mit einem
einzigen Link, deren Eigentümer, Gruppe, Rechte, erweiterte Attribute und
ACLs die neue Datei tragen kann, wird atomar ersetzt: sie ist immer die alte
oder die vollständige neue Datei, die vor dem Umbenennen auf die Platte
geschrieben wird. Sonst (harte Links, anderer Eigentümer, Ordner nicht
beschreibbar) werden die umgewandelten Bytes erst nach der ganzen Umwandlung
in die bestehende Datei geschrieben; ein Abbruch dabei hinterlässt sie teils
neu, teils alt. Ein Ziel, das keine gewöhnliche Datei ist
(Gerät, FIFO, Ordner), wird abgelehnt.

Bei einem Fehler fragt falvori am Terminal "[W]iederholen / [A]bbrechen?";
ohne Terminal gilt Abbrechen.

Die Übersetzungstabelle "ZeichenCodes Mac-Win.txt" liegt neben dem Programm
)" + "  " + besideProgram + "\noder, wenn sie dort fehlt, in\n  " + shared + R"(

Rückgabewerte:
  0  die Zieldatei wurde geschrieben (auch wenn danach nur das Sichern ihres
     Ordners misslang: dann mit einer Warnung)
  1  nichts geschrieben: ein leerer Pfad, oder Abbrechen nach einem Fehler
  2  Aufruf nicht erkannt (das erste Wort ist nicht m oder w, oder ein Wort
     nach ZIELDATEI); nichts umgewandelt
  3  Übersetzungstabelle fehlt oder ist defekt, die Standardausgabe ist nicht
     schreibbar, oder ein Laufzeitfehler

Mehr dazu: man falvori
)";
}

std::string VersionText() {
    return "falvori " FALVORI_VERSION_TEXT "\nCopyright " FALVORI_COPYRIGHT_YEARS " " FALVORI_RIGHTS_HOLDER "\n";
}

}  // namespace falvori
