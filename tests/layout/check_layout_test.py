#!/usr/bin/env python3
"""The layout check finds includes that run back up the layers and guards that do not
follow their path, and passes a tree that keeps both."""

import importlib.util
import pathlib
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check_layout.py"
found = importlib.util.spec_from_file_location("check_layout", SCRIPT)
check_layout = importlib.util.module_from_spec(found)
found.loader.exec_module(check_layout)

README = """# A tree
## Layout
| folder | what it holds |
|---|---|
| `include/vyn/api/` | the interface |
| `src/low/` | the bottom |
| `src/high/` | above it |
| `tools/front/` | a front end |
| `tools/front/pages/` | its pages |
"""


class CheckLayoutTest(unittest.TestCase):
    def tree(self, files):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        root = pathlib.Path(scratch.name)
        (root / "README.md").write_text(README)
        for path, text in files.items():
            if path.endswith(".h") and "#ifndef" not in text and "#pragma" not in text:
                guard = check_layout.expected_guard(path)
                text = f"#ifndef {guard}\n#define {guard}\n{text}#endif\n"
            (root / path).parent.mkdir(parents=True, exist_ok=True)
            (root / path).write_text(text)
        return root

    def test_includes_that_point_down_pass(self):
        root = self.tree({
            "include/vyn/api/api.h": "",
            "src/low/a.h": '#include "vyn/api/api.h"\n',
            "src/low/b.cpp": '#include "a.h"\n#include "low/a.h"\n#include <vector>\n',
            "src/high/c.cpp": '#include "low/a.h"\n',
            "tools/front/pages/page.cpp": '#include "front/tool.h"\n#include "high/c.h"\n',
            "tools/front/tool.h": '#include "high/c.h"\n',
            "src/high/c.h": "",
        })
        self.assertEqual(check_layout.check(root), [])

    def test_each_upward_include_is_named_with_its_line(self):
        root = self.tree({
            "src/low/a.h": '// a planted include\n#include "high/c.h"\n',
            "src/high/c.h": "",
            "tools/front/tool.cpp": '#include "front/pages/page.h"\n',
            "tools/front/pages/page.h": "",
        })
        self.assertEqual(check_layout.check(root), [
            "src/low/a.h:4: includes src/high/c.h: src/low/ may not include src/high/, a later layer",
            "tools/front/tool.cpp:1: includes tools/front/pages/page.h: "
            "tools/front/ may not include tools/front/pages/, a later layer",
        ])

    def test_folders_outside_the_table_are_reported(self):
        root = self.tree({
            "src/low/a.h": '#include "common/x.h"\n',
            "tools/common/x.h": "",
        })
        self.assertEqual(check_layout.check(root), [
            "src/low/a.h:3: includes tools/common/x.h, whose folder is not in the layer table",
            "tools/common/x.h: its folder is not in the layer table",
        ])

    def test_guards_follow_the_path(self):
        root = self.tree({
            "include/vyn/api/api.h": "#ifndef VYN_API_API_H_\n#define VYN_API_API_H_\n#endif\n",
            "src/low/a_b.h": "#ifndef VYN_LOW_A_B_H_\n#define VYN_LOW_A_B_H_\n#endif\n",
            "src/low/moved.h": "#ifndef VYN_HIGH_MOVED_H_\n#define VYN_HIGH_MOVED_H_\n#endif\n",
            "tools/front/x.h": "#ifndef VYN_TOOLS_FRONT_X_H_\n#define VYN_TOOLS_FRONT_Y_H_\n#endif\n",
            "tools/front/pages/none.h": "#pragma once\n",
        })
        self.assertEqual(check_layout.check(root), [
            "src/low/moved.h: its guard should be VYN_LOW_MOVED_H_, not VYN_HIGH_MOVED_H_",
            "tools/front/pages/none.h: its guard should be VYN_TOOLS_FRONT_PAGES_NONE_H_, not None",
            "tools/front/x.h: #ifndef VYN_TOOLS_FRONT_X_H_ is not followed by "
            "#define VYN_TOOLS_FRONT_X_H_",
        ])

    def test_the_repository_keeps_its_layout(self):
        self.assertEqual(check_layout.check(SCRIPT.parents[1]), [])


if __name__ == "__main__":
    unittest.main()
