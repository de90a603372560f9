#!/usr/bin/env python3
"""Writes the maps-file fixtures of this folder from the byte layout of the
maps file, independently of the program's own writer:

  two_sheets.map  binary maps file: header, two sheets with parts, offcuts
                  and cuts, one used-sheet record (every pad byte zero, so
                  the program's writer must reproduce it byte for byte)
  old_format.map  INI-style maps file of the older form, code page 1251

Run from this folder: python3 make_fixtures.py
"""
import struct


def f80(value):
    """10-byte x87 extended float (explicit integer bit, bias 16383)."""
    if value == 0:
        return bytes(10)
    sign = 0x8000 if value < 0 else 0
    value = abs(value)
    exp = 0
    # normalise to [1, 2)
    while value >= 2:
        value /= 2
        exp += 1
    while value < 1:
        value *= 2
        exp -= 1
    mantissa = int(value * (1 << 63))
    return struct.pack('<QH', mantissa, sign | (exp + 16383))


def strn(text, n):
    raw = text.encode('cp1251')[:n]
    return bytes([len(raw)]) + raw + bytes(n - len(raw))


def pen(colour, style=0, width=1):
    return struct.pack('<iBB', colour, style, width)


def brush(colour, style=0):
    return struct.pack('<iB', colour, style)


def font(name='Arial', size=8, colour=0, style=0, charset=204):
    return strn(name, 30) + struct.pack('<BiBB', size, colour, style, charset)


SYS_WORKSPACE = -2147483636  # 0x8000000C
MAP_FONT = font('Tahoma', 9, 0x000080, 1, 204)


def header():
    h = strn('ZK_MAP', 6) + struct.pack('<HH', 1, 0)
    h += strn('Кухня "Ольха"', 100)
    h += struct.pack('<BBBB', 2, 1, 0, 1)  # cuts on the last map; border, no offcut text, hints
    h += pen(0) + pen(0) + pen(0) + pen(0xFF0000) + pen(0)
    h += brush(0xFFFFFF) + brush(255) + brush(0) + brush(SYS_WORKSPACE)
    h += MAP_FONT * 4
    assert len(h) == 318
    return h


def sheet(index, name, caption, remark, code, length, width, kerf, quantity, is_scrap,
          scrap, lost, detals, mills, mill_length):
    r = struct.pack('<H', index) + strn(name, 50) + strn(caption, 50) + strn(remark, 100)
    r += struct.pack('<iHH', code, length, width)
    r += pen(0) + brush(SYS_WORKSPACE) + MAP_FONT
    r += struct.pack('<HHBB', kerf, quantity, is_scrap, 1)
    r += f80(scrap) + f80(lost) + f80(detals) + struct.pack('<H', mills) + f80(mill_length)
    assert len(r) == 310
    return b'\x01' + r


def part(index, title, x, y, length, width, edges, edge_colours):
    r = struct.pack('<H', index) + strn(title, 50) + struct.pack('<hhhh', x, y, length, width)
    r += bytes(4) + pen(0) + brush(0xFFFFFF) + MAP_FONT
    r += struct.pack('<BBB', 1, 1, 1)
    r += struct.pack('<iiii', *edges) + struct.pack('<iiii', *edge_colours)
    assert len(r) == 149
    return b'\x02' + r


def offcut(index, name, x, y, length, width, useless):
    r = struct.pack('<H', index) + strn(name, 50) + struct.pack('<hhhh', x, y, length, width)
    r += bytes(4) + pen(0) + brush(0 if useless else 255) + MAP_FONT
    r += struct.pack('<BBB', useless, 0 if useless else 1, 0 if useless else 1)
    assert len(r) == 117
    return b'\x03' + r


def cut(index, x, y, length, width, along_x, visible):
    r = struct.pack('<Hhhhh', index, x, y, length, width) + pen(0xFF0000)
    r += struct.pack('<BB', along_x, visible)
    assert len(r) == 18
    return b'\x04' + r


def used_sheet(code, length, width, remaining, initial):
    r = strn('', 50) + struct.pack('<ihhHH', code, length, width, remaining, initial)
    assert len(r) == 63
    return b'\x05' + r


def two_sheets():
    out = header()
    # Map 1: a standard sheet 2800 x 2070, kerf 4, two parts, one useful and
    # one useless offcut, two cuts.
    out += sheet(0, '', '1: Листы 1 - 2', 'фасады', 3, 2800, 2070, 4, 2, 0,
                 1250000.5, 3010000.25, 1536000.0, 2, 2874.0)
    out += part(0, 'Дверь левая', 10, 10, 600, 400, (1, 0, 2, 0), (0x00FF00, 0xFFFFFF, 0x0000FF, 0xFFFFFF))
    out += part(0, 'Полка', 614, 10, 2176, 400, (0, 0, 0, 0), (0xFFFFFF,) * 4)
    out += offcut(0, '', 10, 414, 2780, 450, 0)
    out += offcut(0, '', 10, 868, 40, 1192, 1)
    out += cut(0, 10, 410, 2780, 4, 1, 0)
    out += cut(0, 610, 10, 4, 400, 0, 0)
    # Map 2: an offcut from stock named "A-7" (no parts).
    out += sheet(1, 'A-7', '2: Лист 3 (A-7)', '', 3, 1200, 600, 4, 1, 1,
                 0.0, 720000.0, 0.0, 0, 0.0)
    out += offcut(1, 'A-7/1', 0, 0, 1200, 600, 0)
    out += used_sheet(3, 2800, 2070, 5, 7)
    return out


OLD_FORMAT = """[Global]
Caption=Старый вариант
SheetsCount=2
MillState=1
ShowHints=0
ShowBorder=1
ShowScrapsText=0

[Font]
Name=Arial Cyr
Bold=1
Size=10
Color=128
Charset=204

[Sheet1]
MatCode=3
MillsCount=2
DetalsCount=2
ScrapsCount=1
Remark=заказ 12
Width=2800
Heigth=2070
Color=$8000000C
MillSize=4
Quantity=3
IsScraps=0
MillLinesCount=2
MillLinesLength=2874.5
Title=
PageTitle=1: Листы 1 - 3
DetLeft1=10
DetTop1=10
DetWidth1=600
DetHeigth1=400
DetTitle1=Дверь
LBorder1=1
TBorder1=2
ShowBorder1=0
ScrLeft1=10
ScrTop1=414
ScrWidth1=2780
ScrHeigth1=450
ScrName1=Б-1
MillLeft1=10
MillTop1=410
MillWidth1=2780
MillHeigth1=4
MillLeft2=610
MillTop2=10
MillWidth2=4
MillHeigth2=400
MillOrient2=0

[sheet2]
matcode=4
width=1200
heigth=600
IsScraps=1
Title=Остаток 5
DetalsCount=1
DetTitle1=Полка
DetWidth1=500
DetHeigth1=300
ShowBorder1=1
"""


if __name__ == '__main__':
    with open('two_sheets.map', 'wb') as f:
        f.write(two_sheets())
    with open('old_format.map', 'wb') as f:
        f.write(OLD_FORMAT.replace('\n', '\r\n').encode('cp1251'))
