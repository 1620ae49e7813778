#!/usr/bin/env python3
"""Writes CHANGELOG.md as a Debian changelog (the package's /usr/share/doc/tovalinder/changelog):
one entry per version, its lines as items wrapped within 80 columns. CHANGELOG.md gives dates
only; versions of the same day get an hour each from noon on, oldest first, so that every entry
is dated after the one before it.

usage: debian-changelog.py CHANGELOG.md MAINTAINER OUTPUT
"""
import datetime
import re
import sys
import textwrap


def entries(text):
    """(version, date, [item text]) for each '## VERSION (DATE)' section."""
    found = []
    for block in re.split(r"^## ", text, flags=re.M)[1:]:
        heading, _, rest = block.partition("\n")
        version, date = re.fullmatch(r"(\S+) \((\d{4}-\d{2}-\d{2})\)", heading.strip()).groups()
        items = [" ".join(item.split()) for item in re.split(r"^- ", rest, flags=re.M)[1:]]
        found.append((version, date, items))
    return found


def main():
    changelog, maintainer, output = sys.argv[1:4]
    found = entries(open(changelog, encoding="utf-8").read())
    dates = [date for _, date, _ in found]
    lines = []
    for index, (version, date, items) in enumerate(found):
        lines += [f"tovalinder ({version}) unstable; urgency=medium", ""]
        for item in items:
            lines += textwrap.wrap(item.replace("`", ""), 78, initial_indent="  * ",
                                   subsequent_indent="    ")
        older_same_day = dates[index + 1:].count(date)
        day = datetime.datetime.strptime(date, "%Y-%m-%d") + datetime.timedelta(
            hours=12 + older_same_day)
        lines += ["", f" -- {maintainer}  {day.strftime('%a, %d %b %Y %H:%M:%S +0000')}", ""]
    with open(output, "w", encoding="utf-8") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
