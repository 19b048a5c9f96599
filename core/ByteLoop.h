// The byte loop that every conversion shares: read the source block by
// block, map each byte, hand the mapped bytes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/ByteMap.h"
#include "core/LineEnds.h"
#include "core/Platform.h"

namespace falvori {

// Takes mapped bytes; returns false to stop the loop.
using MappedBytes = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// `emit` itself for Keep; otherwise `emit` behind a stage that rewrites the
// line ends of the bytes handed to it (a CR LF split across two calls too).
MappedBytes WithLineEnds(LineEnds to, MappedBytes emit);

// Reads source to its end through map into emit. Returns false when the user
// cancelled a failed step or emit stopped the loop.
bool MapFile(Platform& platform, const ByteMap& map, File& source, const std::string& quelle,
             const MappedBytes& emit);

}  // namespace falvori
