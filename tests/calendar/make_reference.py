#!/usr/bin/python3
"""Writes the reference files of the calendar tests from independent sources:
the astronomy package ephem (positions, phases, rise and set), dateutil's
Easter, the standard library's proleptic Gregorian ordinals and ISO weeks, and
the time zone database for Central European summer time.

Run with the system interpreter that has the packages:
    /usr/bin/python3 tests/calendar/make_reference.py
The output goes to tests/calendar/data/ and is committed.
"""
import datetime as dt
import math
import os
import random
from zoneinfo import ZoneInfo

import ephem
from dateutil.easter import easter, EASTER_WESTERN

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
BERLIN = ZoneInfo("Europe/Berlin")


def write(name, header, rows):
    with open(os.path.join(OUT, name), "w") as f:
        f.write("# " + header + "\n")
        for r in rows:
            f.write(" ".join(str(x) for x in r) + "\n")


def easter_dates():
    rows = []
    for y in range(1583, 4100):
        e = easter(y, EASTER_WESTERN)
        rows.append((y, e.month, e.day))
    write("easter.txt", "year month day of Easter Sunday (dateutil)", rows)


def ordinals():
    rnd = random.Random(1582)
    days = set()
    lo, hi = dt.date(1582, 10, 20).toordinal(), dt.date(8201, 12, 31).toordinal()
    for _ in range(3000):
        days.add(rnd.randint(lo, hi))
    # Every day around year ends, where week numbers turn over.
    for y in range(1990, 2041):
        for d in range(-7, 8):
            days.add(dt.date(y, 1, 1).toordinal() + d)
    rows = []
    for o in sorted(days):
        d = dt.date.fromordinal(o)
        iy, iw, iwd = d.isocalendar()
        rows.append((d.year, d.month, d.day, o, iwd % 7, iy, iw, d.timetuple().tm_yday))
    write("ordinals.txt", "year month day ordinal weekday(0=Sunday) isoyear isoweek dayofyear (datetime)", rows)


def summer_time():
    rows = []
    for y in range(1996, 2038):
        first = last = None
        d = dt.date(y, 1, 1)
        while d.year == y:
            noon = dt.datetime(d.year, d.month, d.day, 12, tzinfo=BERLIN)
            if noon.dst():
                first = first or d
                last = d
            d += dt.timedelta(days=1)
        rows.append((y, first.month, first.day, last.month, last.day))
    write("summertime.txt", "year first and last summer-time day at noon in Europe/Berlin", rows)


def civil(ephem_date):
    """Civil date and minutes to the nearest civil midnight, Europe/Berlin."""
    utc = ephem.Date(ephem_date).datetime().replace(tzinfo=dt.timezone.utc)
    local = utc.astimezone(BERLIN)
    minutes = local.hour * 60 + local.minute + local.second / 60
    return local.date(), min(minutes, 1440 - minutes)


def moon_phases():
    rows = []
    start = ephem.Date("2015/1/1")
    end = ephem.Date("2026/1/1")
    for phase, fn in ((1, ephem.next_new_moon), (3, ephem.next_first_quarter_moon),
                      (5, ephem.next_full_moon), (7, ephem.next_last_quarter_moon)):
        t = fn(start)
        while t < end:
            d, margin = civil(t)
            rows.append((d.isoformat(), phase, "%.1f" % margin))
            t = fn(t + 1)
    rows.sort()
    write("moonphases.txt", "civil date (Europe/Berlin) phase minutes-to-midnight (ephem)", rows)


PLACES = [
    # name, latitude north, longitude east (ephem's sign)
    ("Zuerich", 47.3769, 8.5417),
    ("Berlin", 52.5200, 13.4050),
    ("Wien", 48.2082, 16.3738),
    ("Tromsoe", 69.6492, 18.9553),
    ("Aequator", 0.0, -78.5),
]


def crossings(observer, body, day):
    """Rise, transit and set on the UT day from ephem's topocentric positions.

    ephem's own rise and set search can loop forever for the moon at high
    latitudes, so the roots are found here: samples every 5 minutes, then
    bisection to a tenth of a second, on the altitude of the upper limb
    against the horizon of -34' (no further refraction: pressure 0) and on
    the hour angle for the transit."""
    def limb(t):
        observer.date = t
        body.compute(observer)
        return float(body.alt) + float(body.radius) + math.radians(34 / 60)

    def hour_angle(t):
        observer.date = t
        body.compute(observer)
        h = float(body.ha)
        return h - 2 * math.pi if h > math.pi else h

    def bisect(f, a, fa, b):
        for _ in range(40):
            c = (a + b) / 2
            fc = f(c)
            if (fc < 0) == (fa < 0):
                a, fa = c, fc
            else:
                b = c
            if b - a < 1e-6:
                break
        return (a + b) / 2

    n = 288
    ts = [day + i / n for i in range(n + 1)]
    alts = [limb(t) for t in ts]
    has = [hour_angle(t) for t in ts]
    found = {"rise": None, "set": None, "transit": None}
    for i in range(n):
        a, b = alts[i], alts[i + 1]
        if found["rise"] is None and a < 0 <= b:
            found["rise"] = bisect(limb, ts[i], a, ts[i + 1]) - day
        if found["set"] is None and a >= 0 > b:
            found["set"] = bisect(limb, ts[i], a, ts[i + 1]) - day
        h0, h1 = has[i], has[i + 1]
        if found["transit"] is None and h0 < 0 <= h1 and h1 - h0 < 1:
            found["transit"] = bisect(hour_angle, ts[i], h0, ts[i + 1]) - day
    return found


def rise_set():
    rows = []
    for name, lat, lon in PLACES:
        o = ephem.Observer()
        o.lat, o.lon = str(lat), str(lon)
        o.elevation = 0
        # Refraction of 34' at the horizon and the upper limb, as almanacs do.
        o.pressure = 0
        o.horizon = "-0:34"
        step = 1 if name == "Tromsoe" else 4
        day = ephem.Date("2024/1/1")
        while day < ephem.Date("2025/1/1"):
            for body_name, body in (("sun", ephem.Sun()), ("moon", ephem.Moon())):
                found = crossings(o, body, day)
                for what in ("rise", "transit", "set"):
                    f = found[what]
                    date = ephem.Date(day).datetime().date().isoformat()
                    rows.append((name, lat, -lon, date, body_name, what,
                                 "none" if f is None else "%.7f" % f))
            day = ephem.Date(day + step)
    write("riseset.txt", "place latitude(N+) longitude(W+) UT date body event fraction-of-UT-day|none (ephem)", rows)


def zodiac():
    rows = []
    d = dt.date(2000, 1, 1)
    while d < dt.date(2030, 1, 1):
        if 15 <= d.day <= 27:
            out = [d.isoformat()]
            for flag, hour in ((0, 12), (1, 24)):
                local = dt.datetime(d.year, d.month, d.day, tzinfo=BERLIN) + dt.timedelta(hours=hour)
                # 24:00 is reckoned in the offset of the date itself.
                offset = dt.datetime(d.year, d.month, d.day, 12, tzinfo=BERLIN).utcoffset()
                utc = (local.replace(tzinfo=None) - offset)
                when = ephem.Date(utc)
                sun = ephem.Sun(when)
                # Apparent place of date (nutation and aberration included).
                apparent = ephem.Equatorial(sun.g_ra, sun.g_dec, epoch=when)
                lon = math.degrees(ephem.Ecliptic(apparent, epoch=when).lon)
                sign = int(lon // 30) % 12
                margin = min(lon % 30, 30 - lon % 30)
                out += [sign, "%.4f" % margin]
            rows.append(out)
        d += dt.timedelta(days=1)
    write("zodiac.txt", "date sign-at-12:00 margin(deg) sign-at-24:00 margin(deg) (ephem)", rows)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    easter_dates()
    ordinals()
    summer_time()
    moon_phases()
    rise_set()
    zodiac()
