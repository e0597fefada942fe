#!/usr/bin/env python3
"""Maintenance helper: adds places and professions that personen.txt uses
but orte.txt / berufe.txt do not list yet (new entries get default
attributes and the regular female form, to be reviewed by hand).
Also maps female profession words in personen.txt to their male key."""
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
SP = re.compile(r"\|(?![^\[]*\]\])")

FEMALE = {"Arzt": "Ärztin", "Abt": "Äbtissin", "Landgraf": "Landgräfin", "Graf": "Gräfin",
          "Herzog": "Herzogin", "Erzherzog": "Erzherzogin", "Bischof": "Bischöfin",
          "Erzbischof": "Erzbischöfin", "Papst": "Päpstin", "Mönch": "Nonne",
          "Augustinermönch": "Augustinernonne", "Koch": "Köchin", "Beamter": "Beamtin",
          "Geistlicher": "Geistliche", "Gelehrter": "Gelehrte", "Reisender": "Reisende",
          "Industrieller": "Industrielle", "Versicherungsangestellter": "Versicherungsangestellte",
          "Angestellter": "Angestellte", "Knecht": "Magd", "Krankenpfleger": "Krankenschwester",
          "Ordensmann": "Ordensfrau", "Salonnier": "Salonnière", "Bundesrat": "Bundesrätin",
          "Kosmonaut": "Kosmonautin", "Astronaut": "Astronautin", "Vorsitzender": "Vorsitzende",
          "Abgeordneter": "Abgeordnete", "Kardinal": "Kardinal", "Domherr": "Stiftsdame",
          "Zar": "Zarin", "Fürst": "Fürstin", "Prinz": "Prinzessin", "Held": "Heldin",
          "Kriegsheld": "Kriegsheldin", "Freiheitsheld": "Freiheitsheldin", "Hirte": "Hirtin",
          "Franzose": "Französin", "Kunde": "Kundin", "Experte": "Expertin", "Pädagoge": "Pädagogin",
          "Psychologe": "Psychologin", "Biologe": "Biologin", "Philologe": "Philologin",
          "Theologe": "Theologin", "Geologe": "Geologin", "Soziologe": "Soziologin",
          "Astronom": "Astronomin", "Diplomat": "Diplomatin", "Prophet": "Prophetin",
          "Anwalt": "Anwältin", "Rechtsanwalt": "Rechtsanwältin", "Kaufmann": "Kauffrau",
          "Staatsmann": "Staatsfrau", "Geschäftsmann": "Geschäftsfrau", "Bauer": "Bäuerin",
          "Thomaskantor": "Thomaskantorin", "Kantor": "Kantorin", "Chirurg": "Chirurgin",
          "Bürgermeister": "Bürgermeisterin", "Oberbürgermeister": "Oberbürgermeisterin"}
MALE_OF = {v: k for k, v in FEMALE.items()}
MALE_OF.update({"Zoologin": "Zoologe", "Markgräfin": "Markgraf", "Archäologin": "Archäologe",
                "Pharaonin": "Pharao", "Zimmerin": "Zimmermann"})


FEMALE.update({"Zimmermann": "Zimmerin", "First Lady": "First Lady", "Hofdame": "Hofdame",
               "Kanonisse": "Kanonisse", "Pharao": "Pharaonin", "Markgraf": "Markgräfin",
               "Kardinal": "Kardinal", "Salonnière": "Salonnière"})


def female(m):
    if m in FEMALE:
        return FEMALE[m]
    if m.endswith("mann"):
        return m[:-4] + "frau"
    if m.endswith("beamter"):
        return m[:-2] + "in"
    if m.endswith("ender") or m.endswith("ter") and m.endswith("ellter"):
        return m[:-1]
    if m.endswith("e"):
        return m[:-1] + "in"
    return m + "in"


def main():
    path = os.path.join(HERE, "personen.txt")
    lines = open(path, encoding="utf-8").read().split("\n")
    prof_path = os.path.join(HERE, "berufe.txt")
    profs = {}
    prof_lines = []
    if os.path.exists(prof_path):
        for l in open(prof_path, encoding="utf-8").read().split("\n"):
            if l and not l.startswith("#"):
                f = l.split("|")
                profs[f[1]] = f
            if l:
                prof_lines.append(l)
    else:
        prof_lines = ["# Berufe: Nummer|männliche Form|weibliche Form|Zusatz (vorangestellt, meist leer)"]
    female_to_male = {f[2]: f[1] for f in profs.values()}
    female_to_male.update(MALE_OF)
    female_to_male.update({"Zoologin": "Zoologe", "Markgräfin": "Markgraf", "Hofdame": "Hofdame",
                           "Kanonisse": "Kanonisse", "First Lady": "First Lady"})
    places = []
    out = []
    for l in lines:
        if l and not l.startswith("#"):
            f = SP.split(l)
            # a nameless-prefix line written with one "|" too many
            if len(f) == 16 and f[2] == f[3] == f[4] == "" and f[5] in ("m", "w"):
                del f[4]
            plist = []
            for p in filter(None, f[10].split(",")):
                if f[4] == "w":
                    if p in female_to_male:
                        p = female_to_male[p]
                    elif p.endswith("in") and p not in profs and len(p) > 4:
                        p = p[:-2]
                plist.append(p)
            f[10] = ",".join(plist)
            l = "|".join(f)
            for i in (6, 8):
                if f[i]:
                    places.append(f[i].split(":", 1)[-1])
            for p in plist:
                if p not in profs:
                    nid = max([int(x[0]) for x in profs.values()] + [0]) + 1
                    profs[p] = [str(nid), p, female(p), ""]
                    prof_lines.append("|".join(profs[p]))
        out.append(l)
    open(path, "w", encoding="utf-8").write("\n".join(out))
    open(prof_path, "w", encoding="utf-8").write("\n".join(prof_lines) + "\n")

    orte_path = os.path.join(HERE, "orte.txt")
    known = {}
    orte_lines = []
    if os.path.exists(orte_path):
        for l in open(orte_path, encoding="utf-8").read().split("\n"):
            if l and not l.startswith("#"):
                f = l.split("|")
                known[f[1]] = f
            if l:
                orte_lines.append(l)
    else:
        orte_lines = ["# Orte: Nummer|Name|Zusatz|Zusatz anzeigen (1/0)"]
    for p in places:
        if p not in known:
            nid = max([int(x[0]) for x in known.values()] + [0]) + 1
            known[p] = [str(nid), p, "", "0"]
            orte_lines.append("|".join(known[p]))
    open(orte_path, "w", encoding="utf-8").write("\n".join(orte_lines) + "\n")


if __name__ == "__main__":
    main()
