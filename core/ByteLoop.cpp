#include "core/ByteLoop.h"

#include <memory>

#include "core/Fault.h"
#include "core/Guard.h"

namespace falvori {

namespace {
constexpr std::size_t kBlockSize = 256 * 1024;
}

bool MapFile(Platform& platform, const ByteMap& map, File& source, const std::string& quelle,
             const MappedBytes& emit) {
    // Not zeroed: a small file then touches one page of each, not all of them.
    const std::unique_ptr<std::uint8_t[]> in(new std::uint8_t[kBlockSize]);
    const std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[kBlockSize]);
    for (;;) {
        IoResult got;
        if (!Guarded(platform, Doing{"Quelldatei kann nicht gelesen werden", quelle}, [&] {
                got = source.Read(in.get(), kBlockSize);
                return got.failure;
            }))
            return false;
        if (got.count == 0) return true;

        std::size_t pos = 0;
        while (pos < got.count) {
            std::size_t consumed = 0;
            const std::size_t n = map.Map(in.get() + pos, got.count - pos, out.get(), &consumed);
            if (!emit(out.get(), n)) return false;
            pos += consumed;
            if (pos < got.count) {
                // An entry that is no byte value cannot be mapped, however often retried.
                if (!Guarded(platform, Doing{"Zeichen kann nicht umgesetzt werden", quelle},
                             [] { return Failure{kOverflow.number, kOverflow.text}; }))
                    return false;
            }
        }
    }
}

}  // namespace falvori
