#!/usr/bin/env python3
"""Tests of the source checker: date rules per era and calendar, field splitting
around links, and refusal of bad source lines with file name and line number.

Run: python3 data/test_check.py
"""
import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check  # noqa: E402
import gen_aux  # noqa: E402


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


class DateRules(unittest.TestCase):
    def test_full_partial_and_qualified_dates(self):
        self.assertEqual(check.parse_date("28.8.1749"), (28, 8, 1749, 0, 1))
        self.assertEqual(check.parse_date("um 570v"), (0, 0, 570, 4, 0))
        self.assertEqual(check.parse_date("verm 11.1930"), (0, 11, 1930, 6, 1))
        self.assertEqual(check.parse_date("get 17.12.1770"), (17, 12, 1770, 5, 1))
        self.assertEqual(check.parse_date(""), (0, 0, 0, 0, 1))

    def test_leap_days_follow_the_calendar_of_their_era(self):
        check.parse_date("29.2.1500")      # Julian: every fourth year
        check.parse_date("29.2.2000")
        check.parse_date("29.2.45v")       # 45 v.Chr. counts as a Julian leap year
        for bad in ("29.2.1900", "29.2.1700", "29.2.44v", "29.2.2001"):
            with self.assertRaises(ValueError, msg=bad):
                check.parse_date(bad)

    def test_impossible_dates_are_refused(self):
        for bad in ("31.4.2000", "10.10.1582", "1.13.2000", "0", "0v", "xx", "foo 1.1.2000", "1.1.-5"):
            with self.assertRaises(ValueError, msg=bad):
                check.parse_date(bad)

    def test_event_dates_need_day_month_and_year(self):
        self.assertEqual(check.check_event_date("9.11.1989"), (9, 11, 1989))
        for bad in ("11.1989", "1989", "30.2.2000"):
            with self.assertRaises(ValueError, msg=bad):
                check.check_event_date(bad)


class FieldSplitting(unittest.TestCase):
    def test_link_bars_do_not_split(self):
        self.assertEqual(check.split_fields("1|a [[B|2]] und [[C|3]]|d"),
                         ["1", "a [[B|2]] und [[C|3]]", "d"])
        self.assertEqual(check.split_fields("a||b"), ["a", "", "b"])


def write_sayings(tmp, own=None):
    """Own saying files with enough different sayings for a month each."""
    os.makedirs(os.path.join(tmp, "sprueche"), exist_ok=True)
    texts = {name: "".join(f"Spruch Nummer {i}|\n" for i in range(31))
             for name in ("bibel.txt", "liebe.txt", "katheder.txt")}
    texts["bauernregeln.txt"] = "".join(f"|Regel Nummer {i}\n" for i in range(31))
    texts["derb.txt"] = "# Wortanfänge\nmist\n"
    texts.update(own or {})
    for name, text in texts.items():
        write(os.path.join(tmp, "sprueche", name), text)


GOOD = {
    "nationen.txt": "1|D|Deutschland\n",
    "berufe.txt": "1|Dichter|Dichterin|\n",
    "orte.txt": "1|Weimar||0\n2|Marbach||0\n",
    "personen.txt": ("1|Goethe, Johann Wolfgang|von||m|28.8.1749|Weimar|22.3.1832|Weimar|D|Dichter||||"
                     "Freund von [[Schiller|2]]\n"
                     "2|Schiller, Friedrich|von||m|10.11.1759|Marbach|9.5.1805|Weimar|D|Dichter||||\n"),
    "ereignisse.txt": "1|9.11.1989|Die Mauer in Berlin öffnet sich.\n",
    "namen.txt": "m|Johannes|Hans,Jan\n",
    "patrone.txt": "24.06|m|Hans||hl. Johannes der Täufer|\n",
    "feiertage.txt": "1|1|1|Neujahr|D,A,CH||Beginn des bürgerlichen Jahres.\n"
                     "11|0|1|Ostermontag|D,A,CH||Gesetzlicher Feiertag nach Ostern.\n",
    "lage.txt": "Weimar|50.98N|11.33O\n",
}


class SourceFiles(unittest.TestCase):
    def run_checker(self, minimums=None, **changes):
        files = dict(GOOD)
        files.update(changes)
        with tempfile.TemporaryDirectory() as tmp:
            write_sayings(tmp)
            for name, text in files.items():
                write(os.path.join(tmp, name), "# Kopf\n" + text)
            saved = check.HERE, check.DAY_MINIMUM, check.MEDIAN_MINIMUM, check.NAME_DAY_EVERY_DAY
            check.HERE = tmp
            # a handful of lines cannot fill the year's pages; coverage has tests of its own
            check.DAY_MINIMUM, check.MEDIAN_MINIMUM, check.NAME_DAY_EVERY_DAY = {}, {}, False
            check.DAY_MINIMUM.update(minimums or {})
            check.errors.clear()
            check.warnings.clear()
            out = io.StringIO()
            try:
                with contextlib.redirect_stdout(out):
                    rc = check.main()
            finally:
                check.HERE, check.DAY_MINIMUM, check.MEDIAN_MINIMUM, check.NAME_DAY_EVERY_DAY = saved
            return rc, list(check.errors), out.getvalue()

    def assertRefused(self, expected, **changes):
        rc, errors, _ = self.run_checker(**changes)
        self.assertEqual(rc, 1)
        self.assertTrue(any(expected in e for e in errors), f"{expected!r} not in {errors}")

    def test_good_sources_pass_and_report_counts(self):
        rc, errors, out = self.run_checker()
        self.assertEqual(errors, [])
        self.assertEqual(rc, 0)
        self.assertIn("Personen:            2", out)
        self.assertIn("Tage ohne Ereignis:  365", out)

    def test_wrong_field_count_names_file_and_line(self):
        self.assertRefused("personen.txt:4: 14 Felder statt 15",
                           **{"personen.txt": GOOD["personen.txt"] + "3|Muster, Anna|||w|1.1.1900|Weimar||D|Dichter||||\n"})

    def test_invalid_date_names_file_and_line(self):
        self.assertRefused("personen.txt:2: Tag 30.2.",
                           **{"personen.txt": GOOD["personen.txt"].replace("28.8.1749", "30.2.1749")})
        self.assertRefused("ereignisse.txt:2:", **{"ereignisse.txt": "1|31.6.1989|Ein Tag, den es nicht gibt.\n"})

    def test_links_and_references_must_resolve(self):
        self.assertRefused("zeigt auf keine Person",
                           **{"ereignisse.txt": "1|9.11.1989|Rede von [[Niemand|99]] in Berlin.\n"})
        self.assertRefused("Ort 'Jena' fehlt",
                           **{"personen.txt": GOOD["personen.txt"].replace("|Marbach|", "|Jena|")})
        self.assertRefused("Beruf 'Maler' fehlt",
                           **{"personen.txt": GOOD["personen.txt"].replace("|D|Dichter||||\n", "|D|Maler||||\n")})
        self.assertRefused("Name 'Peter' (m) fehlt", **{"patrone.txt": "29.06|m|Peter||hl. Petrus|\n"})

    def test_duplicate_ids_and_keys_are_refused(self):
        self.assertRefused("Id 1 doppelt",
                           **{"personen.txt": GOOD["personen.txt"].replace("2|Schiller", "1|Schiller")})
        self.assertRefused("Name 'hans' (m) doppelt".replace("'hans'", "'Hans'"),
                           **{"namen.txt": "m|Johannes|Hans\nm|Hans|\n"})
        self.assertRefused("Regel 11/0/1 mit Titel 'Ostermontag' doppelt",
                           **{"feiertage.txt": GOOD["feiertage.txt"] + "11|0|1|Ostermontag|D||Noch einmal derselbe Tag.\n"})

    def test_holiday_rules_are_checked_by_kind(self):
        self.assertRefused("Vorkommen muss 1 bis 5 oder 9",
                           **{"feiertage.txt": "10|5|7|Muttertag|D||Ehrentag der Mütter im Mai.\n"})
        self.assertRefused("Osterabstand", **{"feiertage.txt": "11|4|1|Ostermontag|D||Feiertag nach Ostern.\n"})

    def test_remarks_and_places_read_right_where_the_page_puts_them(self):
        # the day page writes "…, " + remark + ", Namenspatron …" and "(in " + place + ")"
        people = GOOD["personen.txt"]
        self.assertRefused("personen.txt:2: Anmerkung endet mit Punkt",
                           **{"personen.txt": people.replace("[[Schiller|2]]\n", "[[Schiller|2]].\n")})
        self.assertRefused("personen.txt:2: Anmerkung beginnt mit 'Schrieb'",
                           **{"personen.txt": people.replace("Freund von", "Schrieb den „Faust“; Freund von")})
        self.assertRefused("orte.txt:3: Klammer im Ortsnamen 'Marbach (Neckar)'",
                           **{"orte.txt": GOOD["orte.txt"].replace("Marbach", "Marbach (Neckar)"),
                              "personen.txt": people.replace("|Marbach|", "|Marbach (Neckar)|")})
        for bad in ("Hielt 1919 eine Rede", "Gestaltete den Petersplatz", "Stieg mit einem Ballon auf",
                    "Entwickelte den Motor", "Der „Eiserne Kanzler“", "Französischer Maler"):
            self.assertTrue(check.remark_faults(bad), bad)
        for good in ("Verfasser der „Schatzinsel“", "Fischer vom See Genezareth", "Gefährte [[Goethes|1]]",
                     "Wiener Arzt", "„King of Pop“", "schrieb „Emil und die Detektive“",
                     "leitender Minister Ludwigs XIII.", "zeigte den Vertrag: „Österreich ist frei!“"):
            self.assertEqual(check.remark_faults(good), [], good)

    def test_lifespan_and_positions_are_plausible(self):
        self.assertRefused("Lebensspanne",
                           **{"personen.txt": GOOD["personen.txt"].replace("22.3.1832", "22.3.1700")})
        self.assertRefused("Breite", **{"lage.txt": "Weimar|95.0N|11.33O\n"})


    def test_coverage_counts_only_full_dates(self):
        # a year-only or month-only date covers no day of the year
        people = GOOD["personen.txt"] + "3|Platon|||m|um 428v|Weimar|348v|Weimar|D|Dichter||||\n"
        rc, errors, out = self.run_checker(**{"personen.txt": people})
        self.assertEqual(errors, [])
        self.assertIn("Tage ohne Geburt:    364", out)
        self.assertIn("v.Chr.-Daten 2", out)

    def test_patron_takes_person_or_note(self):
        self.assertRefused("Person und Siehe-Verweis zugleich",
                           **{"patrone.txt": "24.06|m|Hans|1|hl. Johannes|2\n"})
        self.assertRefused("Person '77' unbekannt", **{"patrone.txt": "24.06|m|Hans|77||\n"})

    def saying_errors(self, **own):
        with tempfile.TemporaryDirectory() as tmp:
            write_sayings(tmp, own)
            saved = check.HERE
            check.HERE = tmp
            check.errors.clear()
            try:
                with contextlib.redirect_stdout(io.StringIO()):
                    check.check_sayings()
            finally:
                check.HERE = saved
            return list(check.errors)

    def test_own_saying_files_are_validated(self):
        rc, errors, _ = self.run_checker()
        self.assertEqual(errors, [])
        rules = "31.11|Kein Tag.\n|Ohne Tag geht es auch.\n" + "".join(f"|Regel {i}\n" for i in range(31))
        self.assertEqual(self.saying_errors(**{"bauernregeln.txt": rules}),
                         ["bauernregeln.txt:1: Tag '31.11' ungültig"])

    def test_crude_and_overlong_own_sayings_are_refused(self):
        fill = "".join(f"Spruch Nummer {i}|\n" for i in range(31))
        errors = self.saying_errors(**{"bibel.txt": fill + "Vom Misthaufen aus.|\n" + "W" * 301 + "|\n"})
        self.assertEqual(errors, ["bibel.txt:32: Spruch derb oder länger als 300 Zeichen",
                                  "bibel.txt:33: Spruch derb oder länger als 300 Zeichen"])
        # a stem counts only at a word start, in any case
        self.assertTrue(check.saying_shown("Kompost ist kein Unrat.", ["post"]))
        self.assertFalse(check.saying_shown("Die Postkutsche kommt.", ["post"]))
        self.assertFalse(check.saying_shown("POST!", ["post"]))
        self.assertTrue(check.saying_shown("W" * 300, []))
        self.assertFalse(check.saying_shown("W" * 301, []))

    def test_a_category_must_fill_a_month_without_repeating(self):
        # thirty different sayings and one repeated (case and marks aside) are too few
        few = "".join(f"Spruch Nummer {i}|\n" for i in range(30)) + "SPRUCH NUMMER 0!|\n"
        errors = self.saying_errors(**{"liebe.txt": few})
        self.assertEqual(len(errors), 1)
        self.assertIn("Kategorie 5", errors[0])
        self.assertIn("30 verschiedene", errors[0])

    def test_a_category_takes_no_sayings_of_another_kind(self):
        saved = check.SAYING_SOURCES[1]
        check.SAYING_SOURCES[1] = ("Murphys Gesetz", ["murphy", "regeln"], None)
        try:
            errors = self.saying_errors()
        finally:
            check.SAYING_SOURCES[1] = saved
        self.assertIn("Sprüche: Kategorie 1 (Murphys Gesetz) nimmt „regeln“, Sprüche einer anderen Art", errors)
        self.assertEqual(self.saying_errors(), [])

    def test_events_after_christ_must_not_link_persons_who_died_before(self):
        people = GOOD["personen.txt"] + "3|Caesar, Gaius Julius|||m|100v|Weimar|15.3.44v|Weimar|D|Dichter||||\n"
        self.assertRefused("gestorben vor Christus", **{
            "personen.txt": people,
            "ereignisse.txt": "1|15.3.44|[[Caesar|3]] wird im Senat ermordet.\n"})
        # a person born before and dead after Christ may well have events
        people = GOOD["personen.txt"] + "3|Augustus|||m|23.9.63v|Weimar|19.8.14|Weimar|D|Dichter||||\n"
        rc, errors, _ = self.run_checker(**{"personen.txt": people,
                                            "ereignisse.txt": "1|19.8.14|[[Augustus|3]] stirbt in Nola.\n"})
        self.assertEqual(errors, [])

    def test_duplicate_events_of_a_day_are_refused(self):
        # weights need a file of some size: twenty events on other days
        other = "".join(f"{i}|{i}.3.1900|Ereignis Nummer {i} im März.\n" for i in range(1, 21))
        # the same person on the same day
        self.assertRefused("Ereignis doppelt", **{"ereignisse.txt": other +
                           "21|9.5.1805|[[Schiller|2]] stirbt in Weimar.\n"
                           "22|9.5.1805|Der Dichter [[Friedrich Schiller|2]] ist tot.\n"})
        # a rare word both texts are about
        self.assertRefused("ereignisse.txt:23: Ereignis doppelt: gleicher Tag und gleiches Thema wie Zeile 22",
                           **{"ereignisse.txt": other +
                              "21|4.2.1945|In Jalta beginnt die Konferenz.\n"
                              "22|4.2.1945|In Jalta beraten die Großen Drei.\n"})
        # different things on the same day, and the same thing in another year
        rc, errors, _ = self.run_checker(**{"ereignisse.txt": other +
                                            "21|4.2.1945|In Jalta beginnt die Konferenz.\n"
                                            "22|4.2.1945|Ein Sturm zerstört die Ernte in Weimar.\n"
                                            "23|4.2.1946|In Jalta beraten die Großen Drei.\n"})
        self.assertEqual(errors, [])

    def test_pages_of_every_day_must_be_filled(self):
        rc, errors, out = self.run_checker(minimums={"Ereignisse": 1})
        self.assertIn("Ereignisse: 365 Tage mit weniger als 1", errors[0])
        self.assertIn("Ereignisse je Tag:   Median 0, Minimum 0", out)
        all_days = [(m, d) for m in range(1, 13) for d in range(1, check.days_in_month(m, 2000, 1) + 1)]
        full = {d: [1900, 1901] for d in all_days}
        thin = dict(full)
        thin[(2, 29)] = [1900]
        saved = check.DAY_MINIMUM, check.MEDIAN_MINIMUM
        check.DAY_MINIMUM, check.MEDIAN_MINIMUM = {"Geburten": 2}, {"Geburten": 2, "Todestage": 3}
        try:
            self.assertEqual(check.coverage_errors(all_days, {"Geburten": full, "Todestage": full}, set(all_days)),
                             ["Todestage: Median 2 je Tag, mindestens 3 nötig"])
            self.assertEqual(check.coverage_errors(all_days, {"Geburten": thin}, set(all_days) - {(4, 15)}),
                             ["Geburten: 1 Tage mit weniger als 2: 29.2.", "Namenstage fehlen an 15.4."])
        finally:
            check.DAY_MINIMUM, check.MEDIAN_MINIMUM = saved

    def test_link_text_that_names_someone_else_warns(self):
        rc, errors, _ = self.run_checker(**{"ereignisse.txt": "1|9.11.1989|Rede von [[Kennedy|1]] in Berlin.\n"})
        self.assertEqual(errors, [])
        self.assertTrue(any("passt nicht zu Person 1" in w for w in check.warnings))


class FemaleForms(unittest.TestCase):
    def test_regular_and_irregular_forms(self):
        cases = {"Dichter": "Dichterin", "Arzt": "Ärztin", "Kaufmann": "Kauffrau",
                 "Beamter": "Beamtin", "Polizeibeamter": "Polizeibeamtin", "Reisender": "Reisende",
                 "Pädagoge": "Pädagogin", "Abt": "Äbtissin", "Mönch": "Nonne", "Papst": "Päpstin"}
        for male, fem in cases.items():
            self.assertEqual(gen_aux.female(male), fem)


if __name__ == "__main__":
    unittest.main()
