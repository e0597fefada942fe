#!/usr/bin/env python3
"""Validates the reference-data sources under data/ and prints a report.

Every source is UTF-8 text, one record per line, fields separated by "|",
lines starting with "#" are comments.  The checks here are the ones the
table build relies on: field counts, valid dates for their era and month,
unique ids and keys, resolvable references and links, and coverage of all
366 days by births, deaths and events.  Exit status 1 when any error was
found, so the check can gate a build.
"""
import functools
import math
import os
import re
import statistics
import sys
from collections import Counter, defaultdict

HERE = os.path.dirname(os.path.abspath(__file__))

errors = []
warnings = []


def err(path, line, msg):
    errors.append(f"{os.path.basename(path)}:{line}: {msg}")


def warn(path, line, msg):
    warnings.append(f"{os.path.basename(path)}:{line}: {msg}")


FIELD_SPLIT = re.compile(r"\|(?![^\[]*\]\])")


def split_fields(line):
    """Splits at "|" except inside a [[text|id]] link."""
    return FIELD_SPLIT.split(line)


def records(name, nfields):
    """Yields (line number, fields) of a source file; wrong field counts are errors."""
    path = os.path.join(HERE, name)
    with open(path, encoding="utf-8") as f:
        for no, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = split_fields(line)
            if len(fields) != nfields:
                err(path, no, f"{len(fields)} Felder statt {nfields}")
                continue
            if any(f != f.strip() for f in fields):
                err(path, no, "Leerzeichen am Feldrand")
            yield path, no, fields


# --- dates -------------------------------------------------------------------

QUALIFIERS = {"": 0, "vor": 2, "nach": 3, "um": 4, "get": 5, "beerd": 5,
              "verm": 6, "wahr": 7, "vum": 8}
DATE_RE = re.compile(r"^(?:(\d{1,2})\.)?(?:(\d{1,2})\.)?(\d{1,4})(v?)$")


def is_leap(year, ad):
    # Julian calendar before the 1582 reform, proleptic for BC (1 v.Chr. is a leap year).
    if not ad:
        return (year - 1) % 4 == 0
    if year < 1582:
        return year % 4 == 0
    return year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)


def days_in_month(month, year, ad):
    if month == 2:
        return 29 if is_leap(year, ad) else 28
    return 30 if month in (4, 6, 9, 11) else 31


def parse_date(text):
    """'[qual ]T.M.J[v]' -> (day, month, year, qualifier, ad) or raises ValueError."""
    if not text:
        return (0, 0, 0, 0, 1)
    qual = ""
    if " " in text:
        qual, text = text.split(" ", 1)
        if qual not in QUALIFIERS:
            raise ValueError(f"unbekannter Qualifier {qual!r}")
    m = DATE_RE.match(text)
    if not m:
        raise ValueError(f"Datum {text!r} unlesbar")
    a, b, y, bc = m.groups()
    if a and b:
        day, month = int(a), int(b)
    elif a:
        day, month = 0, int(a)
    else:
        day, month = 0, 0
    year, ad = int(y), 0 if bc else 1
    if year == 0:
        raise ValueError("Jahr 0 gibt es nicht")
    if month > 12 or (day and not month):
        raise ValueError(f"Monat {month} ungültig")
    if day and day > days_in_month(month, year, ad):
        raise ValueError(f"Tag {day}.{month}. gibt es im Jahr {year}{' v.Chr.' if not ad else ''} nicht")
    if ad and year == 1582 and month == 10 and 5 <= day <= 14:
        raise ValueError("5. bis 14. Oktober 1582 fielen der Kalenderreform zum Opfer")
    return (day, month, year, QUALIFIERS[qual], ad)


def check_event_date(text):
    m = re.match(r"^(\d{1,2})\.(\d{1,2})\.(\d{1,4})$", text)
    if not m:
        raise ValueError(f"Ereignisdatum {text!r} muss T.M.J sein")
    d, mo, y = map(int, m.groups())
    if not 1 <= mo <= 12 or not 1 <= d <= days_in_month(mo, y, 1):
        raise ValueError(f"Datum {text} gibt es nicht")
    return d, mo, y


LINK_RE = re.compile(r"\[\[([^\]|]+)\|(\d+)\]\]")


def check_links(path, no, text, persons, owner=None):
    for shown, pid in LINK_RE.findall(text):
        pid = int(pid)
        if pid not in persons:
            err(path, no, f"Verweis [[{shown}|{pid}]] zeigt auf keine Person")
            continue
        if pid == owner:
            err(path, no, "Verweis auf sich selbst")
        words = [w for w in re.findall(r"\w+", persons[pid]["name"]) if len(w) >= 3]
        if not any(w[:4].lower() in shown.lower() for w in words):
            warn(path, no, f"Verweistext {shown!r} passt nicht zu Person {pid} ({persons[pid]['name']})")
    rest = LINK_RE.sub("", text)
    if "[[" in rest or "]]" in rest:
        err(path, no, "unvollständiger Verweis")


# --- person remarks -----------------------------------------------------------

# A person's remark is read in two places: after ", " on the day page
# ("… († 28.1.1956), schrieb …, Namenspatron am …") and alone in the data
# window. So it ends without a full stop, unless the stop belongs to the last
# word ("Ludwigs XIII.", "v. Chr."), and it starts with a noun ("Verfasser der
# …") or in lower case. A capital that only a sentence start would give is
# told by the first word: the finite verbs the remarks use, any weak past form
# by its ending (-ete, -elte, -erte: "gründete", "entwickelte", "eroberte"),
# articles, pronouns, prepositions and ordinals, and adjectives in -isch
# ("französischer"). Nouns that open a remark do not end like that ("Fischer"
# aside, hence the exception).
REMARK_END_ABBREVIATION = re.compile(r"(?:\b[IVXLCDM]+|\bChr|\bu\. a|\busw|\betc)\.$")
REMARK_VERBS = set("""arbeitete baute befreite begleitete begründete berechnete berief beschrieb
besiegte bestieg bestimmte bestätigte betrat bewahrte bewegte bewies brach brachte dankte deutete
dichtete dirigierte drehte durchquerte einte entdeckte entkam entschied entschlüsselte entwarf
entwickelte entzifferte erfand erforschte erhielt erkannte erklärte erließ erneuerte eroberte
erreichte errichtete erweiterte eröffnete fand fasste flog folgte forderte formulierte
fotografierte fragte förderte führte gab gelang gestaltete gewann gilt ging grub gründete hat hatte
herrschte hielt holte ist kleidete komponierte konstruierte kämpfte lebte lehnte lehrte leitete lief
ließ machte malt malte missionierte moderierte nahm nannte ordnete organisierte pflegte prägte
putschte reformierte regierte reiste rettete revolutionierte richtete rief sagte sah sang saß
schilderte schloss schlug schob schoss schrieb schuf segelte setzt setzte sicherte siegte spielte
spürte stand starb stellte stieg stiftete tanzte tauchte teilte trat trug turnte umsegelte
unterhielt unternahm untersuchte unterzeichnete verband verbesserte verbreitete verfasste verfilmte
verhandelte verhüllte verkörperte verkündete verlas verpflanzte versöhnte verteidigte vertonte
verwandelte verübte vollendete war weigerte wies wirkte wollte wurde zeichnete zeigte zerlegte zog
zwang zweifelte öffnete überflog übersetzte übertrug""".split())
REMARK_FUNCTION_WORDS = set("""der die das dem den des ein eine einer eines sein seine seinem seinen
seiner ihr ihre ihrem ihren ihrer in im an am auf aus bei mit nach seit unter von vom zum zur für als
erster erste erstes zweiter zweite letzter letzte""".split())
WEAK_PAST_ENDING = re.compile(r"(?:ete|elte|erte)$")
ADJECTIVE_ENDING = re.compile(r"(?<!f)ische[mnrs]?$")


def remark_faults(text):
    """What keeps a person's remark from reading right after ", " and alone."""
    faults = []
    if text.endswith(".") and not REMARK_END_ABBREVIATION.search(text):
        faults.append("Anmerkung endet mit Punkt; die Seite setzt \", \" dahinter")
    first = re.match(r"[\w-]+", text)
    if first and first.group(0)[0].isupper():
        word = first.group(0).lower()
        if (word in REMARK_VERBS or word in REMARK_FUNCTION_WORDS
                or WEAK_PAST_ENDING.search(word) or ADJECTIVE_ENDING.search(word)):
            faults.append(f"Anmerkung beginnt mit {first.group(0)!r}; hinter \", \" steht es klein")
    return faults


# --- places, nations, professions ------------------------------------------

PREPOSITIONS = {"in": 1, "im": 2, "in den": 3, "in der": 4, "auf": 5, "am": 6,
                "bei": 7, "vor": 8, "verschollen in": 9, "auf den": 10,
                "auf der": 11, "auf dem": 12, "auf See vor": 13,
                "vermutlich in": 14, "im heutigen": 16, "vermutlich bei": 17,
                "vermutlich auf": 18, "auf der Reise nach": 19}
ALT_TYPES = {"eigentlich": 1, "auch": 2, "genannt": 3, "buergerlich": 4,
             "pseudonym": 5, "vollstaendig": 6, "geb": 7, "orden": 8}


FIELD_LIMITS = {"orte.txt": {1: 40, 2: 20}, "nationen.txt": {1: 5, 2: 40},
                "berufe.txt": {1: 40, 2: 40, 3: 20}}


# The pages write a place in brackets ("(in Frankfurt an der Oder)"), so a
# place name carries none of its own.
BRACKET_FREE = {"orte.txt": 1}


def load_simple(name, nfields, keyfield):
    table = {}
    for path, no, f in records(name, nfields):
        for idx, limit in FIELD_LIMITS.get(name, {}).items():
            if len(f[idx]) > limit:
                err(path, no, f"Feld {idx + 1} länger als {limit} Zeichen")
        if name in BRACKET_FREE and re.search(r"[()]", f[BRACKET_FREE[name]]):
            err(path, no, f"Klammer im Ortsnamen {f[BRACKET_FREE[name]]!r}: die Seite klammert den Ort selbst")
        key = f[keyfield]
        if key in table:
            err(path, no, f"Schlüssel {key!r} doppelt")
        table[key] = f
    return table


CALENDAR_DIR = "/usr/share/calendar"
CAL_LINE = re.compile(r"^(\d\d)/(\d\d)\*?\s+(.*?),?\s+(\d{3,4})\b")


def cross_check_calendar(persons):
    """Compares birth and death dates with the installed calendar data files.

    A person matches a line when the line names the surname as a word, says
    born/died, and gives the same year; a different month or day is then a
    warning to look at (the calendar files are not always right either)."""
    if not os.path.isdir(CALENDAR_DIR):
        print("  Kalenderabgleich:    übersprungen (Paket calendar fehlt)")
        return
    by_key = defaultdict(list)
    for pid, p in persons.items():
        if len(p["key"]) >= 4:
            by_key[p["key"].lower()].append(pid)
    checked = mismatched = 0
    for root, _, files in os.walk(CALENDAR_DIR):
        for name in files:
            try:
                with open(os.path.join(root, name), encoding="utf-8") as f:
                    text = f.read()
            except (UnicodeDecodeError, OSError):
                continue
            for line in text.splitlines():
                m = CAL_LINE.match(line)
                if not m:
                    continue
                month, day, what, year = int(m.group(1)), int(m.group(2)), m.group(3), int(m.group(4))
                low = what.lower()
                if re.search(r"\b(born|geboren)\b", low):
                    idx = 5
                elif re.search(r"\b(died|dies|gestorben)\b", low):
                    idx = 7
                else:
                    continue
                for word in set(re.findall(r"[a-zäöüéèáíóúç'-]+", low)):
                    for pid in by_key.get(word, ()):
                        # the given name must appear too, so that "Born" or "King" in a
                        # sentence about someone else does not count as a match
                        pname = persons[pid]["name"]
                        if "," in pname:
                            given = pname.split(",", 1)[1].split()
                            if given and given[0].lower().rstrip(".") not in low:
                                continue
                        try:
                            d, mo, y, _, ad = parse_date(persons[pid]["f"][idx])
                        except ValueError:
                            continue
                        if y != year or not ad or not mo:
                            continue
                        checked += 1
                        if (mo, d) != (month, day):
                            mismatched += 1
                            warnings.append(f"Kalenderabgleich: {persons[pid]['name']} ({pid}) "
                                            f"{'Geburt' if idx == 5 else 'Tod'} {d}.{mo}.{y}, "
                                            f"{os.path.basename(name)}: {day}.{month}.{year}")
    print(f"  Kalenderabgleich:    {checked} Daten verglichen, {mismatched} abweichend")


# German place names of LAGE and their zone-table cities, for a coordinate check.
ZONE_CITIES = {"Berlin": "Europe/Berlin", "Wien": "Europe/Vienna", "Zürich": "Europe/Zurich",
               "Paris": "Europe/Paris", "London": "Europe/London", "Rom": "Europe/Rome",
               "Madrid": "Europe/Madrid", "Moskau": "Europe/Moscow", "Tokio": "Asia/Tokyo",
               "New York": "America/New_York", "Lissabon": "Europe/Lisbon", "Athen": "Europe/Athens",
               "Kairo": "Africa/Cairo", "Sydney": "Australia/Sydney", "Dublin": "Europe/Dublin",
               "Oslo": "Europe/Oslo", "Stockholm": "Europe/Stockholm", "Helsinki": "Europe/Helsinki",
               "Warschau": "Europe/Warsaw", "Prag": "Europe/Prague", "Budapest": "Europe/Budapest",
               "Bukarest": "Europe/Bucharest", "Sofia": "Europe/Sofia", "Istanbul": "Europe/Istanbul",
               "Teheran": "Asia/Tehran", "Kabul": "Asia/Kabul", "Dhaka": "Asia/Dhaka",
               "Jakarta": "Asia/Jakarta", "Manila": "Asia/Manila", "Seoul": "Asia/Seoul",
               "Buenos Aires": "America/Argentina/Buenos_Aires", "Lima": "America/Lima",
               "Bogotá": "America/Bogota", "Caracas": "America/Caracas", "Havanna": "America/Havana",
               "Mexiko-Stadt": "America/Mexico_City", "Nairobi": "Africa/Nairobi", "Lagos": "Africa/Lagos",
               "Algier": "Africa/Algiers", "Tunis": "Africa/Tunis", "Tripolis": "Africa/Tripoli",
               "Reykjavík": "Atlantic/Reykjavik", "Kiew": "Europe/Kyiv", "Amsterdam": "Europe/Amsterdam",
               "Brüssel": "Europe/Brussels", "Kopenhagen": "Europe/Copenhagen", "Riga": "Europe/Riga",
               "Vilnius": "Europe/Vilnius", "Tallinn": "Europe/Tallinn", "Belgrad": "Europe/Belgrade",
               "Minsk": "Europe/Minsk", "Chicago": "America/Chicago", "Los Angeles": "America/Los_Angeles",
               "Toronto": "America/Toronto", "Singapur": "Asia/Singapore", "Bangkok": "Asia/Bangkok",
               "Kathmandu": "Asia/Kathmandu", "Colombo": "Asia/Colombo", "Taipeh": "Asia/Taipei",
               "Auckland": "Pacific/Auckland", "Montevideo": "America/Montevideo", "La Paz": "America/La_Paz",
               "Asunción": "America/Asuncion", "Maputo": "Africa/Maputo", "Khartum": "Africa/Khartoum",
               "Kinshasa": "Africa/Kinshasa", "Windhuk": "Africa/Windhoek", "Accra": "Africa/Accra",
               "Dakar": "Africa/Dakar", "Bamako": "Africa/Bamako", "Luanda": "Africa/Luanda",
               "Harare": "Africa/Harare", "Kampala": "Africa/Kampala", "Addis Abeba": "Africa/Addis_Ababa",
               "Baku": "Asia/Baku", "Tiflis": "Asia/Tbilisi", "Eriwan": "Asia/Yerevan",
               "Taschkent": "Asia/Tashkent", "Bagdad": "Asia/Baghdad", "Riad": "Asia/Riyadh",
               "Damaskus": "Asia/Damascus", "Beirut": "Asia/Beirut", "Amman": "Asia/Amman",
               "Jerusalem": "Asia/Jerusalem", "Kuwait": "Asia/Kuwait", "Doha": "Asia/Qatar",
               "Pjöngjang": "Asia/Pyongyang", "Ulaanbaatar": "Asia/Ulaanbaatar", "Hanoi": "Asia/Bangkok"}


def zone_coord(text):
    sign = -1 if text[0] == "-" else 1
    digits = text[1:]
    deg_len = 2 if len(digits) in (4, 6) else 3
    deg = int(digits[:deg_len])
    minutes = int(digits[deg_len:deg_len + 2])
    seconds = int(digits[deg_len + 2:] or 0)
    return sign * (deg + minutes / 60 + seconds / 3600)


def cross_check_positions():
    """Compares LAGE coordinates with the time-zone table where a city is listed there."""
    path = "/usr/share/zoneinfo/zone.tab"
    if not os.path.exists(path):
        print("  Lagenabgleich:       übersprungen (zone.tab fehlt)")
        return
    zones = {}
    with open(path, encoding="utf-8") as f:
        zone_lines = f.readlines()
    for line in zone_lines:
        if line.startswith("#"):
            continue
        f = line.split("\t")
        m = re.match(r"^([+-]\d+)([+-]\d+)$", f[1])
        if m:
            zones[f[2].strip()] = (zone_coord(m.group(1)), zone_coord(m.group(2)))
    compared = bad = 0
    for p, no, f in records("lage.txt", 3):
        zone = ZONE_CITIES.get(f[0])
        if zone not in zones:
            continue
        lat = float(f[1][:-1]) * (1 if f[1].endswith("N") else -1)
        lon = float(f[2][:-1]) * (1 if f[2].endswith("O") else -1)
        zlat, zlon = zones[zone]
        if zone == "Asia/Bangkok":  # Hanoi shares Bangkok's zone; no coordinate to compare
            continue
        compared += 1
        if abs(lat - zlat) > 0.3 or abs(lon - zlon) > 0.3:
            bad += 1
            err(p, no, f"{f[0]}: {lat:.2f}/{lon:.2f} weicht von {zone} {zlat:.2f}/{zlon:.2f} ab")
    print(f"  Lagenabgleich:       {compared} Orte mit der Zeitzonentabelle verglichen, {bad} abweichend")


FORTUNES_DIR = "/usr/share/games/fortunes/de"
# category number -> (title, fortune files in order, own file)
SAYING_SOURCES = {
    0: ("Spruch", ["sprueche", "lieberals"], None),
    1: ("Murphys Gesetz", ["murphy"], None),
    2: ("Kindermund", ["kinderzitate"], None),
    3: ("Stilblüte", ["stilblueten"], None),
    4: ("Kathederblüte", [], "katheder.txt"),
    5: ("Liebeserklärung", [], "liebe.txt"),
    6: ("Sprichwort", ["sprichworte", "sprichwortev"], None),
    7: ("Zitat", ["zitate"], None),
    8: ("Bauernregel", [], "bauernregeln.txt"),
    9: ("Bibelspruch", [], "bibel.txt"),
    10: ("Goethe", ["zitate"], None),
    11: ("Jean Paul", ["zitate"], None),
}
POETS = {10: ("Goethe", "Johann Wolfgang von Goethe"), 11: ("Jean Paul",)}
# The categories whose kind of saying each fortune file holds; a file not
# listed ("regeln", mock farmers' rules; "mathematiker", jokes) is no
# category's kind.
FORTUNE_KINDS = {"sprueche": {0}, "lieberals": {0}, "murphy": {1}, "kinderzitate": {2}, "stilblueten": {3},
                 "sprichworte": {6}, "sprichwortev": {6}, "zitate": {6, 7, 10, 11}}


@functools.lru_cache(maxsize=None)
def fortunes(name):
    """The sayings of a fortune file as (text, author) pairs."""
    path = os.path.join(FORTUNES_DIR, name)
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    result = []
    for chunk in text.split("\n%\n"):
        lines = [l for l in chunk.strip("\n%").split("\n") if l.strip()]
        if not lines:
            continue
        author = ""
        # the author line may be followed by a remark (dropped); quotations
        # the remark calls falsely attributed are left out, as the build does
        marks = [i for i, l in enumerate(lines) if l.strip().startswith("-- ")]
        if marks:
            i = marks[-1]
            if any("Falsch zugeordnete" in l for l in lines[i + 1:]):
                continue
            author = lines[i].strip()[3:].strip()
            lines = lines[:i]
        result.append((" ".join(l.strip() for l in lines), author))
    return result


MAX_SAYING_LENGTH = 300   # what a saying window shows
SAYING_GAP = 31           # one category repeats a saying only this many days later


def crude_stems():
    """Word starts of crude texts (sprueche/derb.txt), lower case."""
    return [f[0].lower() for _, _, f in records(os.path.join("sprueche", "derb.txt"), 1)]


def saying_shown(text, stems):
    """A saying is shown when it fits the window and no word starts crudely."""
    if len(text) > MAX_SAYING_LENGTH:
        return False
    return not stems or not crude_pattern(tuple(stems)).search(text.lower())


@functools.lru_cache(maxsize=8)
def crude_pattern(stems):
    # a stem counts at the text's start or after a character that is no letter or digit
    return re.compile(r"(?<![^\W_])(?:" + "|".join(re.escape(s) for s in stems) + ")")


def saying_key(text):
    return "".join(c for c in text.lower() if c.isalnum())


def check_sayings():
    """Validates the own saying files and counts what each category gets:
    crude or overlong texts are left out, and every category needs enough
    different sayings to fill a month without repeating one."""
    stems = crude_stems()
    counts = []
    for cat, (title, files, own) in SAYING_SOURCES.items():
        n = 0
        keys = set()
        if own:
            for path, no, f in records(os.path.join("sprueche", own), 2):
                text = f[1] if own == "bauernregeln.txt" else f[0]
                if text and not saying_shown(text, stems):
                    err(path, no, f"Spruch derb oder länger als {MAX_SAYING_LENGTH} Zeichen")
                keys.add(saying_key(text))
                if own == "bauernregeln.txt":
                    if f[0]:
                        try:
                            d, m = map(int, f[0].split("."))
                            if not 1 <= m <= 12 or not 1 <= d <= days_in_month(m, 2000, 1):
                                raise ValueError
                        except ValueError:
                            err(path, no, f"Tag {f[0]!r} ungültig")
                    if not f[1]:
                        err(path, no, "Text fehlt")
                elif not f[0]:
                    err(path, no, "Text fehlt")
                n += 1
        for name in files:
            if cat not in FORTUNE_KINDS.get(name, ()):
                errors.append(f"Sprüche: Kategorie {cat} ({title}) nimmt „{name}“, Sprüche einer anderen Art")
            items = fortunes(name)
            if cat in POETS:
                items = [i for i in items if i[1].split(" (")[0].split(",")[0] in POETS[cat]]
            elif name == "zitate":
                items = [i for i in items if not any(i[1].startswith(p) for ps in POETS.values() for p in ps)]
            items = [i for i in items if saying_shown(i[0], stems)]
            keys.update(saying_key(i[0]) for i in items)
            n += len(items)
        counts.append(f"{cat} {title}: {n}")
        if len(keys) < SAYING_GAP and (own or os.path.isdir(FORTUNES_DIR)):
            errors.append(f"Sprüche: Kategorie {cat} ({title}) hat nur {len(keys)} verschiedene Sprüche, "
                          f"zu wenige für {SAYING_GAP} Tage ohne Wiederholung")
    if not os.path.isdir(FORTUNES_DIR):
        print("  Sprüche:             fortunes-de fehlt, nur eigene Einträge gezählt")
    print("  Sprüche je Kategorie (Quelleinträge, 366 nötig, sonst Wiederholung):")
    print("    " + "; ".join(counts))


# Words too common to say what an event is about.
EVENT_STOPWORDS = set("""eine einer einem einen eines wird werden wurde nach sich seine seiner seinem
seinen ihre ihrer ihren ihrem über unter gegen durch zwischen erste ersten erster erstes zwei drei noch
auch dass damit diese dieser dieses beim für vom zum zur mehr wieder""".split())


def event_words(text):
    """What an event text is about: linked persons and word stems."""
    words = {"p" + pid for _, pid in LINK_RE.findall(text)}
    plain = LINK_RE.sub(lambda m: m.group(1), text)
    for w in re.findall(r"\w+", plain.lower()):
        if len(w) >= 4 and w not in EVENT_STOPWORDS:
            words.add(w[:6])
    return words


def duplicate_events(by_date):
    """(line, other line) of events that repeat another of the same day and
    year: both name the same person, or the words they share are those rare
    in the whole file and weigh at least a fifth of the lighter text
    (weight of a word: log of events per events using it)."""
    texts = [(no, event_words(t)) for day in by_date.values() for no, t in day]
    if not texts:
        return []
    use = Counter(w for _, ws in texts for w in ws)
    weight = {w: math.log(len(texts) / n) for w, n in use.items()}
    found = []
    for day in by_date.values():
        seen = []
        for no, text in day:
            words = event_words(text)
            for other, owords in seen:
                shared = words & owords
                persons = any(w.startswith("p") and w[1:].isdigit() for w in shared)
                light = min(sum(weight[w] for w in words), sum(weight[w] for w in owords)) or 1
                if persons or sum(weight[w] for w in shared) >= DUPLICATE_SHARE * light:
                    found.append((no, other))
                    break
            seen.append((no, words))
    return found


DUPLICATE_SHARE = 0.2


# A day page needs this much to be worth opening: at least so many births,
# deaths and events on every day, at least so many on the median day, and a
# name day on every day.
DAY_MINIMUM = {"Geburten": 2, "Todestage": 2, "Ereignisse": 2}
MEDIAN_MINIMUM = {"Geburten": 6, "Todestage": 4, "Ereignisse": 6}
NAME_DAY_EVERY_DAY = True


def coverage_errors(all_days, counts, patron_days):
    """Days below the minimums, medians below theirs, days without a name day."""
    found = []
    for what, table in counts.items():
        low = [d for d in all_days if len(table[d]) < DAY_MINIMUM.get(what, 0)]
        if low:
            found.append(f"{what}: {len(low)} Tage mit weniger als {DAY_MINIMUM[what]}: "
                         + ", ".join(f"{d}.{m}." for m, d in low))
        median = statistics.median(len(table[d]) for d in all_days)
        if median < MEDIAN_MINIMUM.get(what, 0):
            found.append(f"{what}: Median {median:g} je Tag, mindestens {MEDIAN_MINIMUM[what]} nötig")
    if NAME_DAY_EVERY_DAY:
        missing = [d for d in all_days if d not in patron_days]
        if missing:
            found.append("Namenstage fehlen an " + ", ".join(f"{d}.{m}." for m, d in missing))
    return found


def main():
    nations = load_simple("nationen.txt", 3, 1)
    nation_ids = Counter(f[0] for f in nations.values())
    for nid, n in nation_ids.items():
        if n > 1:
            errors.append(f"nationen.txt: Nummer {nid} doppelt")
    professions = load_simple("berufe.txt", 4, 1)
    for nid, n in Counter(f[0] for f in professions.values()).items():
        if n > 1:
            errors.append(f"berufe.txt: Nummer {nid} doppelt")
    places = load_simple("orte.txt", 4, 1)
    for nid, n in Counter(f[0] for f in places.values()).items():
        if n > 1:
            errors.append(f"orte.txt: Nummer {nid} doppelt")

    # persons: two passes, ids first so that links may point forward
    persons = {}
    rows = list(records("personen.txt", 15))
    for path, no, f in rows:
        try:
            pid = int(f[0])
        except ValueError:
            err(path, no, "Id keine Zahl")
            continue
        if pid in persons:
            err(path, no, f"Id {pid} doppelt")
        name = f[1]
        key = name.split(",")[0].split(" (")[0].split()[0] if name else ""
        try:
            death = parse_date(f[7])
        except ValueError:
            death = (0, 0, 0, 0, 1)
        persons[pid] = {"name": name, "key": key, "f": f, "died_bc": bool(death[2] and not death[4])}

    births = defaultdict(list)
    deaths = defaultdict(list)
    used_places = Counter()
    bc = uncertain = alt = 0
    for path, no, f in rows:
        pid = int(f[0]) if f[0].isdigit() else 0
        if not f[1]:
            err(path, no, "Name fehlt")
        for idx, limit, what in ((1, 60, "Name"), (2, 20, "Prädikat"), (11, 120, "Patronat")):
            if len(f[idx]) > limit:
                err(path, no, f"{what} länger als {limit} Zeichen")
        for idx in (12, 13):
            alt_name = f[idx].partition(":")[2].split("~")
            if len(alt_name[0]) > 60 or (len(alt_name) > 1 and len(alt_name[1]) > 20):
                err(path, no, "Altname oder Präfix zu lang")
        if f[3] not in ("", "hl", "sel"):
            err(path, no, f"Attribut {f[3]!r} unbekannt")
        if f[4] not in ("m", "w"):
            err(path, no, f"Geschlecht {f[4]!r} unbekannt")
        dates = []
        for idx, table in ((5, births), (7, deaths)):
            try:
                d = parse_date(f[idx])
            except ValueError as e:
                err(path, no, str(e))
                d = (0, 0, 0, 0, 1)
            dates.append(d)
            if d[0] and d[1]:
                table[(d[1], d[0])].append(pid)
            if not d[4] and d[2]:
                bc += 1
            if d[3] and d[2]:
                uncertain += 1
        (bd, bm, by, _, bad), (dd, dm, dy, _, dad) = dates
        if by and dy:
            born = by if bad else -by
            died = dy if dad else -dy
            if died < born or died - born > 110:
                err(path, no, f"Lebensspanne {by}–{dy} unplausibel")
            if died == born and (dm, dd) < (bm, bd):
                err(path, no, "Tod vor Geburt")
        for idx in (6, 8):
            place = f[idx]
            if not place:
                continue
            if ":" in place:
                prep, place = place.split(":", 1)
                if prep not in PREPOSITIONS:
                    err(path, no, f"Präposition {prep!r} unbekannt")
            if place not in places:
                err(path, no, f"Ort {place!r} fehlt in orte.txt")
            used_places[place] += 1
        for code in filter(None, f[9].split(",")):
            if code not in nations:
                err(path, no, f"Nation {code!r} fehlt in nationen.txt")
        for prof in filter(None, f[10].split(",")):
            if prof not in professions:
                err(path, no, f"Beruf {prof!r} fehlt in berufe.txt")
        for idx in (12, 13):
            if f[idx]:
                typ, _, rest = f[idx].partition(":")
                if typ not in ALT_TYPES or not rest:
                    err(path, no, f"Altname {f[idx]!r} ungültig")
                alt += 1
        if f[3] == "" and f[11]:
            warn(path, no, "Patronat bei Person ohne hl./sel.")
        for fault in remark_faults(f[14]):
            err(path, no, fault)
        check_links(path, no, f[14], persons, pid)

    # events
    events = defaultdict(list)
    ev_ids = set()
    ev_count = 0
    by_date = defaultdict(list)
    for path, no, f in records("ereignisse.txt", 3):
        if f[0] in ev_ids:
            err(path, no, f"Id {f[0]} doppelt")
        ev_ids.add(f[0])
        try:
            d, m, y = check_event_date(f[1])
            events[(m, d)].append(y)
            by_date[(d, m, y)].append((no, f[2]))
        except ValueError as e:
            err(path, no, str(e))
        if len(f[2]) < 15:
            err(path, no, "Text fehlt oder zu kurz")
        check_links(path, no, f[2], persons)
        # the event table has no era: its years are after Christ
        for shown, pid in LINK_RE.findall(f[2]):
            p = persons.get(int(pid))
            if p and p["died_bc"]:
                err(path, no, f"Ereignis nach Christus verweist auf [[{shown}|{pid}]], gestorben vor Christus")
        ev_count += 1
    for no, other in duplicate_events(by_date):
        err(os.path.join(HERE, "ereignisse.txt"), no, f"Ereignis doppelt: gleicher Tag und gleiches Thema wie Zeile {other}")

    # names and patrons
    names = {}
    name_count = 0
    for path, no, f in records("namen.txt", 3):
        gender, main, forms = f
        if gender not in ("m", "w"):
            err(path, no, f"Geschlecht {gender!r} unbekannt")
        for n in [main] + [x for x in forms.split(",") if x]:
            if len(n) > 30:
                err(path, no, f"Name {n!r} länger als 30 Zeichen")
            k = (gender, n.lower())
            if k in names:
                err(path, no, f"Name {n!r} ({gender}) doppelt")
            names[k] = main
            name_count += 1
    patron_count = 0
    patron_days = set()
    for path, no, f in records("patrone.txt", 6):
        date, gender, name, pers, note, see = f
        try:
            d, m = map(int, date.split("."))
            if not 1 <= m <= 12 or not 1 <= d <= days_in_month(m, 2000, 1):
                raise ValueError
            patron_days.add((m, d))
        except ValueError:
            err(path, no, f"Datum {date!r} ungültig")
        if (gender, name.lower()) not in names:
            err(path, no, f"Name {name!r} ({gender}) fehlt in namen.txt")
        for ref in (pers, see):
            if ref and (not ref.isdigit() or int(ref) not in persons):
                err(path, no, f"Person {ref!r} unbekannt")
        if pers and see:
            err(path, no, "Person und Siehe-Verweis zugleich")
        if len(note) > 120:
            err(path, no, "Vermerk länger als 120 Zeichen")
        if not pers and not note:
            warn(path, no, "weder Person noch Vermerk")
        patron_count += 1

    # holidays
    hol_count = 0
    hol_kinds = Counter()
    hol_keys = set()
    for path, no, f in records("feiertage.txt", 7):
        kind, month, day, title, lands, conf, text = f
        try:
            kind, month, day = int(kind), int(month), int(day)
        except ValueError:
            err(path, no, "Art, Monat und Tag müssen Zahlen sein")
            continue
        if kind == 1 and not (1 <= month <= 12 and 1 <= day <= days_in_month(month, 2000, 1)):
            err(path, no, "festes Datum ungültig")
        elif kind in (2, 3) and not (1 <= month <= 12 and 1 <= day <= days_in_month(month, 2000, 1)):
            err(path, no, "Stichtag ungültig")
        elif 4 <= kind <= 10 and not (1 <= month <= 12 and (1 <= day <= 5 or day == 9 or 11 <= day <= 15 or 21 <= day <= 25)):
            err(path, no, "Vorkommen muss 1 bis 5 oder 9 (letzter) sein, um Ostern verschoben 11 bis 15 oder 21 bis 25")
        elif kind in (11, 12) and not (month == 0 and 0 <= day <= 364):
            err(path, no, "Osterabstand: Monat 0, Tag 0 bis 364")
        elif kind in (13, 14) and not (month == 0 and 0 <= day <= 366):
            err(path, no, "Vollmondabstand: Monat 0, Tag 0 bis 366")
        elif not 1 <= kind <= 14:
            err(path, no, f"Regelart {kind} unbekannt")
        for land in lands.split(","):
            if land not in ("D", "A", "CH", "INT"):
                err(path, no, f"Land {land!r} unbekannt")
        if conf not in ("", "kath", "ev", "ref", "jüd", "welt", "orth"):
            err(path, no, f"Konfession {conf!r} unbekannt")
        if not title or len(text) < 20:
            err(path, no, "Titel oder Text fehlt")
        if len(title) > 60:
            err(path, no, "Titel länger als 60 Zeichen")
        # the holiday page lists every record of a key, one per name; the same name twice is a slip
        if 4 <= kind <= 12:
            if (kind, month, day, title) in hol_keys:
                err(path, no, f"Regel {kind}/{month}/{day} mit Titel {title!r} doppelt")
            hol_keys.add((kind, month, day, title))
        check_links(path, no, text, persons)
        hol_kinds[kind] += 1
        hol_count += 1

    # geographic positions
    lage = set()
    for path, no, f in records("lage.txt", 3):
        name, lat, lon = f
        if name.lower() in lage:
            err(path, no, f"Ort {name!r} doppelt")
        lage.add(name.lower())
        if len(name) > 30:
            err(path, no, "Ortsname länger als 30 Zeichen")
        if not re.match(r"^\d{1,2}(\.\d+)?[NS]$", lat) or float(lat[:-1]) > 90:
            err(path, no, f"Breite {lat!r} ungültig")
        if not re.match(r"^\d{1,3}(\.\d+)?[OW]$", lon) or float(lon[:-1]) > 180:
            err(path, no, f"Länge {lon!r} ungültig")

    check_sayings()
    cross_check_calendar(persons)
    cross_check_positions()

    # coverage
    all_days = [(m, d) for m in range(1, 13) for d in range(1, days_in_month(m, 2000, 1) + 1)]
    no_birth = [d for d in all_days if not births[d]]
    no_death = [d for d in all_days if not deaths[d]]
    no_event = [d for d in all_days if not events[d]]
    no_patron = [d for d in all_days if d not in patron_days]

    def days(lst):
        return ", ".join(f"{d}.{m}." for m, d in lst) if lst else "keine"


    print("Datenbericht")
    print(f"  Personen:            {len(persons)} (v.Chr.-Daten {bc}, unsichere Daten {uncertain}, Altnamen {alt})")
    print(f"  Ereignisse:          {ev_count}")
    print(f"  Namen und Formen:    {name_count}")
    print(f"  Patrone/Namenstage:  {patron_count}")
    print(f"  Feiertage:           {hol_count} (Regelarten: {', '.join(f'{k}:{v}' for k, v in sorted(hol_kinds.items()))})")
    print(f"  Orte:                {len(places)} (benutzt {len(used_places)})")
    print(f"  Nationen:            {len(nations)}")
    print(f"  Berufe:              {len(professions)}")
    print(f"  Geographische Lagen: {len(lage)}")
    print(f"  Tage ohne Geburt:    {len(no_birth)}: {days(no_birth)}")
    print(f"  Tage ohne Todestag:  {len(no_death)}: {days(no_death)}")
    print(f"  Tage ohne Ereignis:  {len(no_event)}: {days(no_event)}")
    print(f"  Tage ohne Namenstag: {len(no_patron)}: {days(no_patron)}")
    counts = {"Geburten": births, "Todestage": deaths, "Ereignisse": events}
    for what, table in counts.items():
        per_day = sorted(len(table[d]) for d in all_days)
        print(f"  {what + ' je Tag:':21}Median {statistics.median(per_day):g}, Minimum {per_day[0]}")
    for e in coverage_errors(all_days, counts, patron_days):
        errors.append(e)
    unused = [p for p in places if p not in used_places]
    if unused:
        warnings.append(f"orte.txt: {len(unused)} Orte unbenutzt: {', '.join(unused[:10])}")
    for w in warnings:
        print("Warnung:", w)
    for e in errors:
        print("Fehler:", e)
    print(f"{len(errors)} Fehler, {len(warnings)} Warnungen")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
