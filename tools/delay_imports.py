#!/usr/bin/env python3
"""Makes delay-import libraries for the DLLs only the window and the boxes
need, named like the system's import libraries (libuser32.a, ...), so that
a link that searches OUT_DIR first takes them wherever -luser32 appears,
CMake's default libraries included. Each one holds just the functions the
given objects and archives call, found as the system library's symbols
(the __imp_ pointer or the direct-call thunk) among their undefined ones;
on 32-bit x86 they keep their @N decoration, which -k drops from the name
looked up at run time.

GNU ld drops an import library's jump stub that nothing calls by name, as
a dllimport call goes through the __imp_ pointer instead; but a delay
import's pointer starts out at that stub, which loads the DLL. So
OUT_DIR/stubs.rsp names every stub as undefined (-u), for the link.

  delay_imports.py CC NM DLLTOOL OUT_DIR DLL[,DLL...] OBJECT_OR_ARCHIVE...
"""

import os
import shutil
import subprocess
import sys


def symbols(nm, paths, *options):
    out = subprocess.run([nm, "-g", *options, *paths], check=True, capture_output=True, text=True).stdout
    return {line.split()[-1] for line in out.splitlines() if line.strip() and not line.endswith(":")}


def main():
    cc, nm, dlltool, out_dir, dlls, *inputs = sys.argv[1:]
    machine = subprocess.run([cc, "-dumpmachine"], check=True, capture_output=True, text=True).stdout
    underscore = machine.startswith(("i686", "i586", "i386"))
    wanted = symbols(nm, inputs, "--undefined-only")
    # Nothing left from an earlier list of DLLs.
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    stubs = []
    for dll in dlls.split(","):
        system_lib = subprocess.run([cc, f"-print-file-name=lib{dll}.a"], check=True, capture_output=True,
                                    text=True).stdout.strip()
        if not os.path.isabs(system_lib):
            sys.exit(f"delay_imports: no lib{dll}.a for {cc}")
        pointers = {s for s in symbols(nm, [system_lib], "--defined-only") if s.startswith("__imp_")}
        names = set()
        for s in wanted:
            pointer = s if s.startswith("__imp_") else "__imp_" + s
            if pointer in pointers:
                name = pointer[len("__imp_"):]
                names.add(name[1:] if underscore else name)
                stubs.append(name)
        with open(os.path.join(out_dir, f"{dll}.def"), "w") as f:
            f.write(f"LIBRARY {dll.upper()}.dll\nEXPORTS\n")
            f.writelines(f"  {n}\n" for n in sorted(names))
        # In OUT_DIR: the library's name becomes part of its symbols' names.
        subprocess.run([dlltool, "-k", "--def", f"{dll}.def", "--dllname", f"{dll.upper()}.dll",
                        "--output-delaylib", f"lib{dll}.a"], check=True, cwd=out_dir)
    with open(os.path.join(out_dir, "stubs.rsp"), "w") as f:
        f.writelines(f"-Wl,-u,{s}\n" for s in sorted(set(stubs)))


if __name__ == "__main__":
    main()
