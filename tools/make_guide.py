#!/usr/bin/env python3
"""Turns the German user guide (UTF-8, LF) into the file Windows users read:
Windows-1252 with CR LF line ends, version and notice filled in."""

import re
import sys


def main():
    source, target, version_header = sys.argv[1:4]
    header = open(version_header, encoding="utf-8").read()
    define = lambda name: re.search(rf'#define {name} +"?([^"\n]*)"?', header).group(1)
    version = ".".join(define(f"FALVORI_VERSION_{p}") for p in ("MAJOR", "MINOR", "PATCH"))
    notice = f"© {define('FALVORI_COPYRIGHT_YEARS')} {define('FALVORI_RIGHTS_HOLDER')}"

    text = open(source, encoding="utf-8").read()
    text = text.replace("@VERSION@", version).replace("@COPYRIGHT@", notice)
    # Fails loudly on a character a Windows editor could not show.
    data = text.replace("\n", "\r\n").encode("cp1252")
    with open(target, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
