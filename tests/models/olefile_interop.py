#!/usr/bin/python3
"""Reads a compound file with Debian's python3-olefile, a reader that shares
nothing with the program, for the models tests.

  olefile_interop.py check        exit 3 when olefile is not installed
  olefile_interop.py dump FILE    one line per storage and stream, sorted by
                                  path: "PATH<TAB>storage" or
                                  "PATH<TAB>stream<TAB>HEX OF THE BYTES"

Defects that olefile finds in the file's structure are errors here (exit 1).
"""
import sys

try:
    import olefile
except ImportError:
    sys.exit(3)


def dump(path):
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_POTENTIAL)
    for entry in sorted(ole.listdir(streams=True, storages=True)):
        name = "/".join(entry)
        if ole.get_type(entry) == olefile.STGTY_STORAGE:
            print(name + "\tstorage")
        else:
            print(name + "\tstream\t" + ole.openstream(entry).read().hex())


def main():
    if len(sys.argv) >= 2 and sys.argv[1] == "check":
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "dump":
        dump(sys.argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
