#!/usr/bin/env python3
"""Tests of the literal check on a small made-up tree."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_literals  # noqa: E402


class LiteralCheck(unittest.TestCase):
    def test_only_unconverted_literals_fail(self):
        src = (
            '// Grüße in a comment\n'
            'auto a = CP1252("Datenträger");\n'
            'auto b = CP1252(R"(Größe)").str() + CP1252("eins "\n'
            '                                         "zwei ä");\n'
            'auto c = "Bestätigen"_cp;\n'
            'auto d = L("Groß");  // utf8: L converts\n'
            "char e = '\\'';\n"
            'auto f = "Fehler des Datenträgers";\n'
            'auto g = CP1252("ein ") + "Mädchen";\n'
            'auto h = "plain";\n'
        )
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "app"))
            os.makedirs(os.path.join(root, "tests"))
            for rel in ("app/a.cpp", "tests/t.cpp"):
                with open(os.path.join(root, rel), "w", encoding="utf-8") as f:
                    f.write(src)
            problems = check_literals.check(root)
        self.assertEqual([p.split(": ")[0] for p in problems], ["app/a.cpp:8", "app/a.cpp:9"], problems)


if __name__ == "__main__":
    unittest.main()
