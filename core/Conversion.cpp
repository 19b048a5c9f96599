// Converts one file through the intermediate file into the destination.
#include <memory>

#include "ByteLoop.h"
#include "Core.h"
#include "Guard.h"

namespace falvori {

namespace {

// Closes what is still open; a file whose close failed counts as closed.
Failure CloseAll(std::unique_ptr<File>& a, std::unique_ptr<File>& b) {
    for (auto* file : {&a, &b}) {
        if (!*file) continue;
        Failure failure = (*file)->Close();
        file->reset();
        if (failure) return failure;
    }
    return {};
}

}  // namespace

std::optional<bool> Core::DateiUmwandeln(const std::string& quelle, const std::string& ziel) {
    std::optional<bool> result;
    if (quelle.empty() || ziel.empty()) return result;

    TempDatei = platform_.EnvironmentVariable("temp");
    if (TempDatei.empty()) TempDatei = platform_.FallbackTempFolder();
    TempDatei += platform_.Separator();
    TempDatei += kTempFileName;

    // Files still open when a step is cancelled close on the way out.
    std::unique_ptr<File> source;
    std::unique_ptr<File> temp;
    auto guarded = [this](const char* action, const std::string& path, auto&& step) {
        return Guarded(platform_, Doing{action, path}, step);
    };

    if (!guarded("Quelldatei kann nicht geöffnet werden", quelle, [&] {
            Failure f;
            source = platform_.OpenForReading(quelle, f);
            return f;
        }))
        return result;
    if (!guarded("Zwischendatei kann nicht angelegt werden", TempDatei, [&] {
            Failure f;
            temp = platform_.CreateForWriting(TempDatei, f);
            return f;
        }))
        return result;

    const ByteMap map(RichtungMacWin ? MacZuWin : WinZuMac);
    const bool mapped = MapFile(platform_, map, *source, quelle, [&](const std::uint8_t* data, std::size_t n) {
        std::size_t written = 0;
        // A retried write goes on after the bytes that did reach the file.
        return guarded("Zwischendatei kann nicht geschrieben werden", TempDatei, [&] {
            while (written < n) {
                IoResult w = temp->Write(data + written, n - written);
                written += w.count;
                if (w.failure) return w.failure;
            }
            return Failure{};
        });
    });
    if (!mapped) return result;

    if (!guarded("Dateien können nicht geschlossen werden", TempDatei,
                 [&] { return CloseAll(source, temp); }))
        return result;
    result = false;

    bool present = false;
    if (!guarded("Zieldatei kann nicht geprüft werden", ziel,
                 [&] { return platform_.FileExists(ziel, present); }))
        return result;
    const bool replace =
        !present || Stapelbetrieb ||
        platform_.ShowBox("Soll die Zieldatei überschrieben werden?", "Achtung",
                             MsgIcon::Question, MsgButtons::YesNo) == kYes;
    if (replace) {
        // Copied over the old file, never deleted first: a failing copy
        // leaves the old destination as it was.
        if (!guarded("Zieldatei kann nicht geschrieben werden", ziel,
                     [&] { return platform_.PlaceFile(TempDatei, ziel); }))
            return result;
        result = true;
    }

    guarded("Zwischendatei kann nicht gelöscht werden", TempDatei,
            [&] { return platform_.RemoveFile(TempDatei); });
    return result;
}

}  // namespace falvori
