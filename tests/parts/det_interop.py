#!/usr/bin/python3
"""Writes a version 2.0 parts database with Debian's python3-dbf: a header
file NAME.det and the table NAME.dbf beside it, whose edge fields are
logical (version 2.0 and below).

  det_interop.py check        exit 0 when the dbf module is present, 3 if not
  det_interop.py write FOLDER NAME
"""
import os
import sys

try:
    import dbf
except ImportError:
    sys.exit(3)

STRUCTURE = ('NAME C(60); LENGTH N(11,0); WIDTH N(11,0); MANY N(11,0); ROTATE N(2,0); '
             'LBORDER L; RBORDER L; TBORDER L; BBORDER L')
ROWS = [
    ('Боковина', 720, 560, 2, 1, True, False, True, False),
    ('x', 1, 1, 1, 0, False, False, False, False),  # deleted after writing
    ("Полка 'угловая' \"Л\"", 564, 300, 3, 0, False, False, False, True),
    ('Дно', 800, 500, 1, 2, None, None, None, None),
]


def main():
    if len(sys.argv) == 2 and sys.argv[1] == 'check':
        return 0
    if len(sys.argv) != 4 or sys.argv[1] != 'write':
        print(__doc__, file=sys.stderr)
        return 2
    folder, name = sys.argv[2], sys.argv[3]
    table = dbf.Table(os.path.join(folder, name + '.dbf'), STRUCTURE, dbf_type='db3', codepage='cp1251')
    table.open(dbf.READ_WRITE)
    for row in ROWS:
        table.append(row)
    dbf.delete(table[1])
    table.close()
    # No VersionHi/VersionLo: the header of a version 2.0 base.
    with open(os.path.join(folder, name + '.det'), 'wb') as header:
        header.write(('[Header]\r\nFName=%s.dbf\r\nCode=2\r\n' % name).encode('cp1251'))
    return 0


if __name__ == '__main__':
    sys.exit(main())
