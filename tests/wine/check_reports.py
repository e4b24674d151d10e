#!/usr/bin/env python3
"""Reads the reports the wine.reports test left, with Python's own HTML and CSV parsers.

Every fixture name (fixture-names.txt: one hexadecimal UTF-8 line each) must appear once as an
item title of the HTML log and once in the Title column of the spreadsheet's HKCU Run rows; the
page must hold no script element and link only web addresses; every spreadsheet line after the
heading must have the heading's nine columns.

With a golden folder, the fixture's parts of each report (the startup section of the page and of
the text, the spreadsheet's header lines and HKCU Run rows) must equal its files byte for byte
once the time and the product's version are masked; OBRIVO_UPDATE_GOLDEN=1 rewrites them.
"""
import csv
import html.parser
import os
import re
import sys
from pathlib import Path

TITLE_CUT = 127  # titles longer than this are cut by the item list


def shown(name: str) -> str:
    """The name with its control characters made visible, as the reports show it."""
    out = []
    for ch in name:
        code = ord(ch)
        if ch == "\0":
            out.append("\\0")
        elif ch == "\t":
            out.append("\\t")
        elif ch == "\r":
            out.append("\\r")
        elif ch == "\n":
            out.append("\\n")
        elif code < 0x20 or code == 0x7F:
            out.append("\\x%02X" % code)
        else:
            out.append(ch)
    return "".join(out)


def spreadsheet_cell(name: str) -> str:
    """The name as a spreadsheet cell holds it: NUL as \\0, a formula behind an apostrophe."""
    text = name.replace("\0", "\\0")
    stripped = text.lstrip(" ")
    if (stripped[:1] in ("=", "+", "-", "@")) or text[:1] in ("\t", "\r"):
        text = "'" + text
    return text


def matches(found: str, expected: str) -> bool:
    if len(expected) > TITLE_CUT:
        return len(found) >= TITLE_CUT and expected.startswith(found)
    return found == expected


class LogParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.titles = []
        self.tags = []
        self.links = []
        self._in_li = False
        self._title = None

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        if tag == "li":
            self._in_li = True
        elif tag == "b" and self._in_li:
            self._title = ""
        elif tag == "a":
            self.links.extend(value for key, value in attrs if key == "href")

    def handle_endtag(self, tag):
        if tag == "b" and self._title is not None:
            self.titles.append(self._title)
            self._title = None
            self._in_li = False

    def handle_data(self, data):
        if self._title is not None:
            self._title += data


def mask(text: str) -> str:
    """The volatile parts of a report: the time it was written and the product's version."""
    text = re.sub(r"[ \d]\d:\d\d:\d\d [AP]M, on [ \d]\d/\d\d/\d{4}", "<time>", text)
    text = re.sub(r"version \d+(\.\d+)*", "version <version>", text)
    return re.sub(r"build=\d+(\.\d+)*", "build=<version>", text)


def between(text: str, start: str, end: str) -> str:
    first = text.find(start)
    last = text.find(end, first + 1)
    return text[first:last] if first >= 0 and last > first else ""


def fixture_parts(folder: Path) -> dict:
    page = (folder / "ObrivoLog.html").read_bytes().decode("utf-8")
    text = (folder / "ObrivoLog.txt").read_bytes().decode("utf-8-sig")
    sheet = (folder / "ObrivoLog.csv").read_bytes().decode("utf-8-sig")
    header = sheet.split("\r\n", 3)
    # A quoted field may span lines: a record starts where a line starts with its Type column.
    records = re.split(r"\r\n(?=[A-Za-z ]+,)", header[3] if len(header) > 3 else "")
    rows_text = "\r\n".join(header[:3] + [r for r in records if r.startswith("HKCU,Run,")])
    return {
        "reports_startup.html": mask(between(page, '<A NAME="A0">', '<A NAME="A1">')),
        "reports_startup.txt": mask(between(text, "Startup Programs\r\n", " Delayed Start ")),
        "reports_startup.csv": mask(rows_text),
    }


def compare_golden(folder: Path, golden: Path) -> list:
    failures = []
    for name, actual in fixture_parts(folder).items():
        path = golden / name
        if os.environ.get("OBRIVO_UPDATE_GOLDEN") == "1":
            path.write_bytes(actual.encode("utf-8"))
            continue
        expected = path.read_bytes().decode("utf-8") if path.exists() else None
        if actual != expected:
            failures.append("%s differs from its golden file (OBRIVO_UPDATE_GOLDEN=1 rewrites it)"
                            % name)
    return failures


def main(folder: Path, golden) -> int:
    failures = compare_golden(folder, golden) if golden else []
    names = [bytes.fromhex(line).decode("utf-8")
             for line in (folder / "fixture-names.txt").read_text().split()]

    parser = LogParser()
    parser.feed((folder / "ObrivoLog.html").read_text(encoding="utf-8"))
    parser.close()
    if "script" in parser.tags:
        failures.append("the log holds a script element")
    for link in parser.links:
        if not (link.startswith("https://") or link.startswith("http://")
                or link.startswith("ObrivoLog.html#A")):
            failures.append("the log links %r" % link)
    for name in names:
        count = sum(1 for title in parser.titles if matches(title, shown(name)))
        if count != 1:
            failures.append("HTML: %r listed %d times" % (name[:40], count))

    with open(folder / "ObrivoLog.csv", encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f))
    heading = ["Type", "SubType", "Title", "Filename", "Company", "First Detected", "Path",
               "Description", " Version"]
    if len(rows) < 3 or not rows[0][0].startswith("Log created by ") or \
            not rows[1][0].startswith("Scan saved at ") or rows[2] != heading:
        failures.append("CSV: header lines %r" % rows[:3])
    for number, row in enumerate(rows[3:], start=4):
        if len(row) != len(heading):
            failures.append("CSV line %d has %d columns: %r" % (number, len(row), row[:3]))
    run_rows = [row for row in rows[3:] if row[:2] == ["HKCU", "Run"]]
    for name in names:
        found = [row for row in run_rows if matches(row[2], spreadsheet_cell(name))]
        if len(found) != 1:
            failures.append("CSV: %r in %d rows" % (name[:40], len(found)))
            continue
        row = found[0]
        if row[3] != " tool,1.exe" or row[6] != "C:\\Fixture\\tool,1.exe":
            failures.append("CSV: %r has file %r and path %r" % (name[:40], row[3], row[6]))

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1]), Path(sys.argv[2]) if len(sys.argv) > 2 else None))
