#!/usr/bin/python3
"""Reads and writes dBASE tables with Debian's python3-dbf, for the
interoperability test of the table layer.

  dbf_interop.py check        exit 0 when the dbf module is present, 3 if not
  dbf_interop.py read PATH    print every record, one line each:
                              deleted flag, then the fields, tab-separated
  dbf_interop.py write PATH   write the sample table (see SAMPLE)
"""
import datetime
import sys

try:
    import dbf
except ImportError:
    sys.exit(3)

STRUCTURE = 'NAME C(40); LENGTH N(11,0); PRICE N(10,2); DAY D; OK L'
SAMPLE = [
    ('Боковина левая', 720, 12.5, datetime.date(2005, 3, 1), True),
    ('x', 1, 0, None, None),  # deleted after writing
    ('Полка "угловая" \'Ё\'', -5, -3.25, datetime.date(1999, 12, 31), False),
]


def show(value):
    if value is None:
        return '<null>'
    if isinstance(value, bool):
        return 'T' if value else 'F'
    if isinstance(value, str):
        return value.rstrip(' ')
    if isinstance(value, datetime.date):
        return value.strftime('%d.%m.%Y')
    if isinstance(value, float) and value == int(value):
        return str(int(value))
    return str(value)


def main():
    if len(sys.argv) == 2 and sys.argv[1] == 'check':
        return 0
    if len(sys.argv) != 3 or sys.argv[1] not in ('read', 'write'):
        print(__doc__, file=sys.stderr)
        return 2
    path = sys.argv[2]
    if sys.argv[1] == 'write':
        table = dbf.Table(path, STRUCTURE, dbf_type='db3', codepage='cp1251')
        table.open(dbf.READ_WRITE)
        for row in SAMPLE:
            table.append(row)
        dbf.delete(table[1])
        table.close()
        return 0
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    out = sys.stdout
    for record in table:
        fields = ['*' if dbf.is_deleted(record) else ' ']
        fields += [show(value) for value in record]
        out.write('\t'.join(fields) + '\n')
    table.close()
    return 0


if __name__ == '__main__':
    sys.exit(main())
