#!/usr/bin/env python3
# scripts/cp932-rows.py > base/src/cp932_rows.inc
# Writes the double-byte rows of code page 932 for base/src/cp932_table.cpp: for every lead
# byte but the user-defined ones (0xF0-0xF9, which follow a rule), the characters of its
# 188 trail bytes in UTF-8, U+FFFD where the code page defines none. The rows come from
# Python's cp932 codec; base/tests/cp932_table_test.cpp checks every code against the C
# library's conversion, which the Linux build uses.
import sys

LEADS = [lead for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
         if not 0xF0 <= lead <= 0xF9]
# The trail bytes, split into three runs so that each source line stays short.
RUNS = [range(0x40, 0x7F), range(0x80, 0xC0), range(0xC0, 0xFD)]


def character(lead, trail):
    try:
        return bytes([lead, trail]).decode("cp932")
    except UnicodeDecodeError:
        return "\ufffd"


out = sys.stdout
out.write("// Made by scripts/cp932-rows.py; do not edit. Lead byte, then the characters of\n"
          "// trail bytes 0x40-0x7E, 0x80-0xBF and 0xC0-0xFC (U+FFFD: no character).\n")
for lead in LEADS:
    pieces = ["".join(character(lead, trail) for trail in run) for run in RUNS]
    out.write("{0x%02X,\n" % lead)
    for piece in pieces:
        out.write(' u8"%s"\n' % piece.replace("\\", "\\\\").replace('"', '\\"'))
    out.write("},\n")
