// Converts into an output stream: no intermediate file, the bytes go out as
// they are made, so a pipe sees them at once and a stream of any length
// converts in constant memory.
#include <memory>

#include "core/ByteLoop.h"
#include "core/Core.h"
#include "core/Guard.h"

namespace falvori {

ExitStatus Core::ConvertToStream(const std::string& quelle, const std::string& ziel) {
    if (quelle.empty()) return kExitNotWritten;

    std::unique_ptr<File> source;
    if (!Guarded(platform_, Doing{"Quelldatei kann nicht geöffnet werden", quelle}, [&] {
            return Take(platform_.OpenForReading(quelle), source);
        }))
        return kExitNotWritten;

    // Nothing can retry a closed pipe or a full disk behind standard output,
    // and no reader may take a cut-off stream for a whole one.
    const Doing writing{"Standardausgabe kann nicht geschrieben werden", ziel};
    std::unique_ptr<File> out;
    Failure failure = Take(platform_.OpenOutputStream(ziel, *source), out);
    if (failure) {
        platform_.ShowFailure(failure, writing);
        return kExitFatal;
    }

    const ByteMap map(RichtungMacWin ? MacZuWin : WinZuMac);
    bool outputFailed = false;
    const bool mapped = MapFile(platform_, map, *source, quelle, WithLineEnds(lineEnds, [&](const std::uint8_t* data, std::size_t n) {
        for (std::size_t written = 0; written < n;) {
            IoResult w = out->Write(data + written, n - written);
            written += w.count;
            if (w.failure) {
                failure = w.failure;
                outputFailed = true;
                return false;
            }
        }
        return true;
    }));
    source.reset();  // only read: its close tells nothing about the result
    if (outputFailed) {
        platform_.ShowFailure(failure, writing);
        return kExitFatal;
    }
    if (!mapped) return kExitNotWritten;
    // Data that the system still holds can fail here (a full disk, NFS).
    failure = out->Close();
    if (failure) {
        platform_.ShowFailure(failure, writing);
        return kExitFatal;
    }
    return kExitWritten;
}

}  // namespace falvori
