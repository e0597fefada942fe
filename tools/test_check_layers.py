#!/usr/bin/env python3
"""Tests of the layer check on small made-up trees."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402


class LayerCheck(unittest.TestCase):
    def tree(self, files):
        d = tempfile.TemporaryDirectory()
        self.addCleanup(d.cleanup)
        for rel, text in files.items():
            p = os.path.join(d.name, rel)
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "w") as f:
                f.write(text)
        return check_layers.check(d.name)

    def test_downward_and_own_includes_pass(self):
        self.assertEqual(self.tree({
            "platform/ui/forms.cpp": '#include "platform/ui/forms.h"\n#include "platform/gfx/canvas.h"\n',
            "platform/db/db.h": '#include "dbclient/bapi.h"\n#include "local.h"\n',
            "app/main.cpp": '#include "platform/qt/qt_host.h"\n#include "dbengine/dictionary.h"\n',
            "tests/ui/x_test.cpp": '#include "platform/qt/qt_host.h"\n#include "dbengine/btree.h"\n',
        }), [])

    def test_upward_and_sideways_includes_fail(self):
        problems = self.tree({
            "platform/ui/forms.cpp": '#include "platform/qt/qt_host.h"\n',
            "platform/db/dataset.cpp": '\n  #  include "dbengine/dictionary.h"\n',
            "platform/gfx/canvas.cpp": '#include "platform/ui/controls.h"\n',
            "widgets/w.cpp": '#include "richtext/model/text.h"\n',
            "dbcontrols/c.cpp": '#include "dbengine/engine.h"\n#include "platform/qt/qt_host.h"\n',
            "app/main.cpp": '#include "dbengine/btree.h"\n',
            "richtext/model/text.h": '#include "platform/ui/controls.h"\n',
        })
        self.assertEqual(len(problems), 8, problems)
        self.assertIn("platform/db/dataset.cpp:2: platform/db may not include dbengine/dictionary.h", problems)

    def test_an_unknown_folder_must_declare_itself(self):
        problems = self.tree({"gadgets/g.cpp": '#include "platform/rtl/classes.h"\n'})
        self.assertEqual(len(problems), 1)
        self.assertIn("unknown to the layer check", problems[0])


if __name__ == "__main__":
    unittest.main()
