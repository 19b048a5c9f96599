// The Linux program's command line: options and operands, as the shell split
// them. The window program's command line is the core's (BefehlszeileAuswerten).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/LineEnds.h"

namespace falvori {

struct Options {
    bool help = false;
    bool version = false;
    bool inPlace = false;  // -i: every file in place
    bool check = false;    // --check: tell, write nothing
    LineEnds lineEnds = LineEnds::Keep;
    std::optional<std::string> table;  // --table FILE
    bool macWin = true;
    std::vector<std::string> files;  // the operands after the direction

    // Set when the words are refused (exit status 2): the word to blame
    // (empty: none, just show how to call) and what is wrong with it, an id
    // for the catalog.
    std::optional<std::string> badWord;
    const char* problem = nullptr;
};

// Options start with "-" and a letter, or "--"; they may stand anywhere
// before "--", which ends them. "-" alone is an operand. Each word is taken
// as it is: quotes and blanks inside belong to it.
Options ReadOptions(const std::vector<std::string>& words);

}  // namespace falvori
