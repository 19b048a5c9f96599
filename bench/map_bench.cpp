// Speed of each mapping loop this processor runs, on the first 16 MiB of a
// file, in the 256 KiB blocks of the conversion. Prints GB/s per loop and
// fails when a loop's output differs from the plain loop's.
//
//   map_bench TABLE_FILE INPUT_FILE
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/ByteMap.h"

namespace {

using falvori::ByteMap;

// The shipped table file sets MacZuWin[mac] = win on every line after the header.
bool ReadMacToWin(const char* path, falvori::Tabelle& table) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::int16_t>(i);
    table[0] = 0;
    std::size_t pos = text.find('\r');
    if (pos == std::string::npos || text.compare(0, pos, "QUORIND-Textbau") != 0) return false;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) ++pos;
        const std::size_t end = std::min(text.find('\r', pos), text.size());
        const std::string line = text.substr(pos, end - pos);
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos) {
            const int mac = std::stoi(line.substr(0, tab));
            const int win = std::stoi(line.substr(tab + 1));
            if (mac > 0 && mac < 256) table[mac] = static_cast<std::int16_t>(win);
        }
        pos = end;
    }
    return true;
}

// out must be as long as in; returns the bytes written.
std::size_t MapAll(const ByteMap& map, const std::vector<std::uint8_t>& in,
                   std::vector<std::uint8_t>& out) {
    constexpr std::size_t kBlock = 256 * 1024;
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < in.size(); pos += kBlock) {
        std::size_t consumed = 0;
        n += map.Map(in.data() + pos, std::min(kBlock, in.size() - pos), out.data() + n, &consumed);
    }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: map_bench TABLE_FILE INPUT_FILE\n");
        return 2;
    }
    falvori::Tabelle table{};
    if (!ReadMacToWin(argv[1], table)) {
        std::fprintf(stderr, "map_bench: cannot read the table file %s\n", argv[1]);
        return 2;
    }
    std::ifstream file(argv[2], std::ios::binary);
    std::vector<std::uint8_t> in(16u << 20);
    file.read(reinterpret_cast<char*>(in.data()), static_cast<std::streamsize>(in.size()));
    in.resize(static_cast<std::size_t>(file.gcount()));
    if (in.empty()) {
        std::fprintf(stderr, "map_bench: nothing to read in %s\n", argv[2]);
        return 2;
    }

    std::vector<std::uint8_t> expected(in.size());
    expected.resize(MapAll(ByteMap(table, ByteMap::Kernel::Scalar), in, expected));
    std::vector<std::uint8_t> out(in.size());
    int status = 0;
    for (auto kernel : {ByteMap::Kernel::Scalar, ByteMap::Kernel::Avx2, ByteMap::Kernel::Avx512}) {
        if (!ByteMap::Supported(kernel)) {
            std::printf("  map loop %-11s not available here\n", ByteMap::Name(kernel));
            continue;
        }
        const ByteMap map(table, kernel);
        double best = 1e9;
        bool same = true;
        for (int run = 0; run < 7; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            const std::size_t n = MapAll(map, in, out);
            const std::chrono::duration<double> t = std::chrono::steady_clock::now() - t0;
            best = std::min(best, t.count());
            same = same && n == expected.size() && std::equal(expected.begin(), expected.end(), out.begin());
        }
        std::printf("  map loop %-11s %7.2f GB/s%s%s\n", ByteMap::Name(kernel),
                    static_cast<double>(in.size()) / best / 1e9,
                    map.UsedKernel() == ByteMap(table).UsedKernel() ? "  (used)" : "",
                    same ? "" : "  WRONG OUTPUT");
        if (!same) status = 1;
    }
    return status;
}
