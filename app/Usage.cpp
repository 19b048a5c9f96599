#include "app/Usage.h"

#include "core/Version.h"
#include "platform/posix/Messages.h"

namespace falvori {

std::string UsageText() {
    return std::string(_("Usage: falvori [OPTION]... m|w SOURCE [DEST]\n"
                         "       falvori [OPTION]... -i m|w FILE...\n"
                         "       falvori --check m|w FILE...\n")) +
           _("More: falvori --help\n");
}

std::string HelpText(const std::vector<std::string>& tablePlaces) {
    std::string text = _("Usage: falvori [OPTION]... m|w SOURCE [DEST]\n"
                         "       falvori [OPTION]... -i m|w FILE...\n"
                         "       falvori --check m|w FILE...\n");
    text += "       falvori --help | --version\n\n";
    text += _("Converts text files byte for byte between the Mac character set\n"
              "(Mac OS Roman) and the Windows character set (Windows-1252).\n"
              "\n"
              "  m, M   from Mac to Windows\n"
              "  w, W   from Windows to Mac\n"
              "\n"
              "Without DEST, or with an empty DEST (\"\"), SOURCE is converted in\n"
              "place. A path after DEST is refused before anything is done. An\n"
              "existing destination is replaced without a question.\n");
    text += '\n';
    text += _("Options may stand anywhere before \"--\", which ends them; a file whose\n"
              "name starts with \"-\" is written ./-name or after \"--\".\n"
              "  -i, --in-place  convert each FILE in place, on its own and as safely as\n"
              "                  one; a file named twice, or through a link, once\n"
              "  --check         write nothing; one line per FILE on standard output:\n");
    text += std::string("                    ") + kCheckFormat + '\n';
    text += _("                  bytes that would change, that the way back would not\n"
              "                  restore (the first one's offset and value), that would\n"
              "                  be dropped; the line ends; input that looks like UTF-8,\n"
              "                  UTF-16 or binary\n"
              "  --crlf          with m: CR, LF and CR LF become CR LF\n"
              "  --cr            with w: CR LF, LF and CR become CR\n"
              "  --table FILE    the table file to use\n"
              "  -h, --help      this text\n"
              "  --version       the version\n");
    text += '\n';
    text += _("\"-\" as SOURCE reads standard input, \"-\" as DEST writes standard output\n"
              "as the bytes are converted: \"falvori m - -\" is a filter. Without DEST,\n"
              "\"-\" goes to standard output. /dev/stdout, /dev/stderr and /dev/fd/N as\n"
              "DEST write to that descriptor as it was handed over (\">>\" appends).\n");
    text += '\n';
    text += _("The conversion goes through the intermediate file \"~Falvori~\" in the\n"
              "folder $temp, else $TMPDIR, else the user's own /tmp/falvori-<uid>\n"
              "(mode 0700, made when missing; a folder that others may write and that\n"
              "is not sticky is refused). An ordinary destination with one link, whose\n"
              "owner, group, mode, extended attributes and ACLs the new file can carry,\n"
              "is replaced atomically: it is always the old or the complete new file,\n"
              "which reaches the disk before the rename. Otherwise (hard links, another\n"
              "owner, a folder we may not write) the converted bytes are written into\n"
              "the existing file after the whole conversion; a kill then leaves it part\n"
              "new, part old. A destination that is no ordinary file (a device, a FIFO,\n"
              "a folder) is refused.\n");
    text += '\n';
    text += _("When a step fails, falvori asks \"[R]etry / [C]ancel?\" at a terminal;\n"
              "without one, the answer is Cancel. With -i, Cancel skips that file.\n");
    text += '\n';
    text += _("The table file is the one given with --table, else the first of these\n"
              "that exists (one that is broken ends the program, it is not passed over):\n");
    for (const std::string& place : tablePlaces) text += "  " + place + '\n';
    text += '\n';
    text += _("Exit status:\n"
              "  0  the destination was written (also when only the flush of its folder\n"
              "     failed afterwards: then with a warning); --check: nothing is lost\n"
              "  1  nothing written: an empty path, or Cancel after a failure; with -i or\n"
              "     --check: a file failed or could not be read\n"
              "  2  the command line was refused; nothing converted\n"
              "  3  the table file is missing or broken, standard output failed, or a\n"
              "     run-time fault\n"
              "  4  --check: some byte would be replaced or dropped\n"
              "With several files the most severe counts: 3, then 1, then 4.\n");
    text += '\n';
    text += _("More: man falvori\n");
    return text;
}

std::string VersionText() {
    return "falvori " FALVORI_VERSION_TEXT "\nCopyright " FALVORI_COPYRIGHT_YEARS " " FALVORI_RIGHTS_HOLDER "\n";
}

}  // namespace falvori
