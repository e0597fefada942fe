#!/usr/bin/python3
"""Writes tests/calendar/data/gcal_holidays.txt: for the feasts whose status as
a legal holiday changed over the years, what GNU gcal's holiday lists say in
each year from 1950 to 2030 for a region that stands for a country and a
confession (Bavaria for Catholic Germany, Saxony and Lower Saxony for
Protestant Germany, Austria as a whole).

Each row: year month day region feast marker. The marker is gcal's: "+" a
legal holiday in the whole region, "#" in most of it, "*" in parts of it (for
part of the people), "-" a memorial day, "." not listed that year. The date is
the feast's date in that year, also where the region does not list it.

Needs the Debian package gcal:
    /usr/bin/python3 tests/calendar/make_gcal_reference.py
The output is committed; the holiday test compares it with gcal again when
gcal is installed.
"""
import os
import re
import subprocess

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "gcal_holidays.txt")
YEARS = range(1950, 2031)
REGIONS = ("DE_BY", "DE_SN", "DE_NI", "AT")
FEASTS = {"Reformation Day": "Reformation", "Day of Prayer and Repentance": "Repentance", "Good Friday": "GoodFriday"}
# One line per holiday in a fixed form: "Good Friday (AT)   * 1950 04 07"
# (in the current year followed by the distance from today).
COMMAND = ["gcal", "-u", "-n", "-X", "-H", "no", "--date-format=%>04*Y_%>02*M_%1%>02*D%2"]
LINE = re.compile(r"^(.*?) \((\w+)\)\s+([-+#*]) (\d{4}) (\d\d) (\d\d)( = .*)?$")


def listed(year, region):
    env = dict(os.environ, LC_ALL="C", LANG="C", LANGUAGE="")
    out = subprocess.run(COMMAND + ["--cc-holidays=" + region, str(year)],
                         capture_output=True, env=env, check=True).stdout.decode("latin-1")
    for line in out.splitlines():
        m = LINE.match(line)
        if m and m.group(1) in FEASTS:
            yield FEASTS[m.group(1)], m.group(3), (int(m.group(5)), int(m.group(6)))


def main():
    rows = []
    for year in YEARS:
        dates, markers = {}, {}
        for region in REGIONS:
            for feast, marker, date in listed(year, region):
                if dates.setdefault(feast, date) != date:
                    raise SystemExit(f"{feast} {year}: two dates")
                markers[region, feast] = marker
        for feast in sorted(FEASTS.values()):
            if feast not in dates:
                raise SystemExit(f"{feast} {year}: no region lists it")
            month, day = dates[feast]
            for region in REGIONS:
                rows.append(f"{year} {month} {day} {region} {feast} {markers.get((region, feast), '.')}")
    with open(OUT, "w") as f:
        f.write("# year month day region feast marker (GNU gcal holiday lists; . = not listed)\n")
        f.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
