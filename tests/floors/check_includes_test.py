#!/usr/bin/env python3
"""The floor check on small trees made for it, and its table against docs/architecture.md."""
import pathlib
import re
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import check_includes  # noqa: E402

SCRIPT = pathlib.Path(check_includes.__file__).resolve()
REPOSITORY = SCRIPT.parents[2]


class FloorCheckTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.scratch.name)

    def tearDown(self):
        self.scratch.cleanup()

    def write(self, name, *lines):
        path = self.root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text("".join(line + "\n" for line in lines))

    def test_allowed_includes_pass(self):
        self.write("text/a.h", "#pragma once")
        self.write("regex/program.h", '#include "text/a.h"')
        self.write("regex/matcher.cpp", '#include "regex/program.h"')
        self.write("results/r.h", '#include "tagset/t.h"')
        self.write("report/w.cpp", '#include "results/r.h"', '#include "gtest/gtest.h"',
                   '#include "local.h"', "#include <text/system.h>")
        self.write("count/c_test.cpp", '#include "testing/scratch.h"', '#include "count/c.h"')
        self.write("app/fake_platform.h", '#include "testing/scratch.h"')
        self.write("testing/scratch.h", '#include "run/coding_run.h"')
        self.write("build/report/gen.cpp", '#include "count/c.h"')
        self.write("build/CMakeCache.txt")
        self.write("bench/b.cpp", '#include "regex/matcher.h"')
        self.assertEqual(check_includes.check(self.root), [])

    def test_each_breach_is_named_with_file_and_line(self):
        self.write("report/w.h", "// report", '  #  include "count/stat_info.h"')
        self.write("count/scan.cpp", '#include "regex/program_nodes.h"',
                   '#if __has_include("run/pool.h")', "#endif")
        self.write("app/window.cpp", '#include "testing/scratch.h"', '#include "tests/x.h"')
        self.write("testing/reference.cpp", '#include "regex/matcher.h"')
        self.write("export/x.cpp", '#include "text/a.h"')
        problems = check_includes.check(self.root)
        self.assertEqual([p.split(": ", 1)[0] for p in problems], [
            "app/window.cpp:1", "app/window.cpp:2", "count/scan.cpp:1", "count/scan.cpp:2",
            "export/", "report/w.h:2", "testing/reference.cpp:1"])
        self.assertIn("report/ may not include count/stat_info.h", problems[5])
        self.assertIn("regex/program_nodes.h is internal to regex/", problems[2])

    def test_command_line_exit_status_and_graph(self):
        self.write("report/w.h", '#include "count/c.h"', '#include "text/a.h"',
                   '#include "text/b.h"')
        self.write("text/a.h", "")

        def run(*arguments):
            return subprocess.run([sys.executable, str(SCRIPT), "--root", str(self.root),
                                   *arguments], capture_output=True, text=True, timeout=60)

        failed = run()
        self.assertEqual(failed.returncode, 1)
        self.assertIn("report/w.h:1:", failed.stdout)
        graph = run("--graph")
        self.assertEqual(graph.returncode, 0)
        self.assertEqual(graph.stdout.split("\n"), ["report -> count: 1", "report -> text: 2", ""])
        (self.root / "report/w.h").write_text('#include "results/r.h"\n')
        self.assertEqual(run().returncode, 0)


class FloorTableTest(unittest.TestCase):
    def test_floors_form_one_order_without_cycles(self):
        floors = check_includes.FLOORS
        placed = []
        for folder, below in floors.items():
            self.assertNotIn(folder, below)
            for lower in below:
                self.assertIn(lower, placed, f"{folder} may include {lower}, listed above it")
            placed.append(folder)

    def test_architecture_page_states_the_same_table(self):
        page = (REPOSITORY / "docs" / "architecture.md").read_text()
        rows = re.findall(r"^\| `(\w+)/` \| ([^|]*) \|", page, re.MULTILINE)
        stated = {folder: sorted(re.findall(r"`(\w+)/`", may)) for folder, may in rows}
        self.assertEqual(stated, {k: sorted(v) for k, v in check_includes.FLOORS.items()})


if __name__ == "__main__":
    unittest.main()
