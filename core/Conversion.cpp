// Converts one file through the intermediate file into the destination.
#include <memory>

#include "core/ByteLoop.h"
#include "core/Core.h"
#include "core/Guard.h"

namespace falvori {

namespace {

// Closes what is still open; a file whose close failed counts as closed.
// The intermediate file stays held after its close.
Failure CloseAll(std::unique_ptr<File>& source, Intermediate* temp, bool& tempOpen) {
    if (source) {
        Failure failure = source->Close();
        source.reset();
        if (failure) return failure;
    }
    if (temp && tempOpen) {
        tempOpen = false;
        return temp->Close();
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

    // The source closes on the way out when a step is cancelled; the
    // intermediate file stays held until the next conversion.
    std::unique_ptr<File> source;
    zwischendatei_.reset();
    bool tempOpen = false;
    auto guarded = [this](const char* action, const std::string& path, auto&& step) {
        return Guarded(platform_, Doing{action, path}, step);
    };

    if (!guarded("Quelldatei kann nicht geöffnet werden", quelle, [&] {
            return Take(platform_.OpenForReading(quelle), source);
        }))
        return result;
    if (!guarded("Zwischendatei kann nicht angelegt werden", TempDatei, [&] {
            const Failure f = Take(platform_.CreateIntermediate(TempDatei), zwischendatei_);
            tempOpen = !f;
            return f;
        }))
        return result;

    const ByteMap map(RichtungMacWin ? MacZuWin : WinZuMac);
    const bool mapped = MapFile(platform_, map, *source, quelle, WithLineEnds(lineEnds, [&](const std::uint8_t* data, std::size_t n) {
        std::size_t written = 0;
        // A retried write goes on after the bytes that did reach the file.
        return guarded("Zwischendatei kann nicht geschrieben werden", TempDatei, [&] {
            while (written < n) {
                IoResult w = zwischendatei_->Write(data + written, n - written);
                written += w.count;
                if (w.failure) return w.failure;
            }
            return Failure{};
        });
    }));
    if (!mapped) return result;

    if (!guarded("Dateien können nicht geschlossen werden", TempDatei,
                 [&] { return CloseAll(source, zwischendatei_.get(), tempOpen); }))
        return result;
    result = false;

    bool present = false;
    if (!guarded("Zieldatei kann nicht geprüft werden", ziel,
                 [&] { return Take(platform_.FileExists(ziel), present); }))
        return result;
    const bool replace =
        !present || Stapelbetrieb ||
        platform_.ShowBox("Soll die Zieldatei überschrieben werden?", "Achtung",
                             MsgIcon::Question, MsgButtons::YesNo) == kYes;
    if (replace) {
        // Copied over the old file, never deleted first: a failing copy
        // leaves the old destination as it was.
        if (!guarded("Zieldatei kann nicht geschrieben werden", ziel,
                     [&] { return zwischendatei_->PlaceAt(ziel); }))
            return result;
        result = true;
        // The complete file is in place: a failing flush after that is told,
        // and the conversion stands whatever the answer.
        for (Failure f; (f = zwischendatei_->Settle());)
            if (platform_.WarningBox(f, Doing{"Zieldatei ist geschrieben, aber nicht gesichert", ziel}) != kRetry)
                break;
    }

    if (guarded("Zwischendatei kann nicht gelöscht werden", TempDatei,
                [&] { return zwischendatei_->Discard(); }))
        zwischendatei_.reset();
    return result;
}

}  // namespace falvori
