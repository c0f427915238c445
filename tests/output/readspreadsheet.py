#!/usr/bin/env python3
"""Reads a spreadsheet export as a spreadsheet would and checks its form.

Prints {"title", "header", "rows"} as JSON: the header cells, and for every
data line its cells: None for "?", "" for a blank cell, a float otherwise. Exits 1 with the
reason on standard error when the file breaks the format: a byte-order mark,
a line not ended by CR LF, a line not ended by a tab, a trailing empty line,
a number not in the form d.dddddddde+ddd.
"""
import json
import re
import sys

NUMBER = re.compile(r"^-?\d\.\d{8}e[+-]\d{3}$")


def fail(reason):
    print(reason, file=sys.stderr)
    sys.exit(1)


def cell(text, line_number):
    if text.strip() == "":
        return ""  # the blank column of the logic level
    if text.strip() == "?":
        return None
    if not NUMBER.match(text):
        fail("line %d: %r is not a number of the export" % (line_number, text))
    return float(text)


def main(path):
    data = open(path, "rb").read()
    if data.startswith(b"\xef\xbb\xbf") or data.startswith(b"\xff\xfe"):
        fail("byte-order mark")
    if not data.endswith(b"\r\n") or data.endswith(b"\r\n\r\n"):
        fail("the file does not end with exactly one CR LF")
    lines = data[:-2].split(b"\r\n")
    if any(b"\n" in line or b"\r" in line for line in lines):
        fail("a line end other than CR LF")
    text = [line.decode("cp1252") for line in lines]
    if len(text) < 2:
        fail("no header")
    rows = []
    for number, line in enumerate(text[2:], start=3):
        if line and not line.endswith("\t"):
            fail("line %d does not end with a tab" % number)
        cells = line.split("\t")[:-1]
        rows.append([cell(c, number) for c in cells])
    header = text[1].split("\t")[:-1] if text[1] else []
    json.dump({"title": text[0], "header": header, "rows": rows}, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
