#include "platform/posix/Options.h"

#include "platform/posix/Messages.h"

namespace falvori {

namespace {

bool IsOption(const std::string& word) {
    if (word.size() < 2 || word[0] != '-') return false;
    const char c = word[1];
    return c == '-' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void Refuse(Options& o, const std::string& word, const char* problem) {
    if (o.problem) return;  // the first one counts
    o.badWord = word;
    o.problem = problem;
}

}  // namespace

Options ReadOptions(const std::vector<std::string>& words) {
    Options o;
    std::vector<std::string> operands;
    bool options = true;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (!options || !IsOption(w)) {
            operands.push_back(w);
        } else if (w == "--") {
            options = false;
        } else if (w == "-h" || w == "--help") {
            o.help = true;
        } else if (w == "--version") {
            o.version = true;
        } else if (w == "-i" || w == "--in-place") {
            o.inPlace = true;
        } else if (w == "--check") {
            o.check = true;
        } else if (w == "--crlf" || w == "--cr") {
            const LineEnds asked = w == "--crlf" ? LineEnds::CrLf : LineEnds::Cr;
            if (o.lineEnds != LineEnds::Keep && o.lineEnds != asked) Refuse(o, w, N_("only one of --crlf and --cr"));
            o.lineEnds = asked;
        } else if (w == "--table" || w.starts_with("--table=")) {
            const bool joined = w != "--table";
            if (!joined && i + 1 == words.size()) {
                Refuse(o, w, N_("a table file must follow"));
                continue;
            }
            o.table = joined ? w.substr(8) : words[++i];
            if (o.table->empty()) Refuse(o, w, N_("a table file must follow"));
        } else {
            Refuse(o, w, N_("unknown option"));
        }
    }
    if (o.help || o.version || o.problem) return o;

    if (operands.empty()) {
        o.badWord = "";
        o.problem = N_("a direction (m or w) and a file must follow");
        return o;
    }
    const std::string& direction = operands[0];
    if (direction != "m" && direction != "M" && direction != "w" && direction != "W") {
        Refuse(o, direction, N_("not a direction: m (Mac to Windows) or w (Windows to Mac)"));
        return o;
    }
    o.macWin = direction == "m" || direction == "M";
    o.files.assign(operands.begin() + 1, operands.end());
    if (o.files.empty()) Refuse(o, direction, N_("a file must follow"));
    // A glob that found three files would convert the first over the second.
    if (!o.inPlace && !o.check && o.files.size() > 2)
        Refuse(o, o.files[2], N_("a path too many (several files in place: -i)"));
    if (o.lineEnds == LineEnds::CrLf && !o.macWin) Refuse(o, "--crlf", N_("goes with m only (Mac to Windows)"));
    if (o.lineEnds == LineEnds::Cr && o.macWin) Refuse(o, "--cr", N_("goes with w only (Windows to Mac)"));
    if (o.check && (o.inPlace || o.lineEnds != LineEnds::Keep))
        Refuse(o, "--check", N_("writes nothing: not with -i, --crlf or --cr"));
    return o;
}

}  // namespace falvori
