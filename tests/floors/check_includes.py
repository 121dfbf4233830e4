#!/usr/bin/env python3
"""Holds the source folders to their floors: fails, naming file and line, when a folder
includes a folder it may not, when product code includes the test library, or when code
outside regex/ includes one of the pattern engine's internal headers.

Every `#include "dir/..."` (and `__has_include("dir/...")`) whose first part names a folder
of the repository is checked; system and library headers are not. Test code (`*_test.cpp`,
`*_test.h`, `fake_*.h`, and everything in testing/) may also include testing/. A folder of
C++ sources at the top of the repository with no row in FLOORS is an error too, so that a
new folder is placed on a floor when it is made. docs/architecture.md states the same table.

Usage: check_includes.py [--root DIR] [--graph]
  --graph  prints the include graph by folder (folder -> folder: count) instead of checking.
"""
import argparse
import collections
import pathlib
import re
import sys

# What each folder may include (besides itself), lowest floor first.
FLOORS = {
    "text": [],
    "regex": ["text"],
    "tagset": ["text", "regex"],
    "results": ["text", "regex", "tagset"],
    "count": ["text", "regex", "tagset", "results"],
    "report": ["text", "results"],
    "run": ["text", "regex", "tagset", "results", "count", "report"],
    "cli": ["text", "regex", "tagset", "results", "count", "report", "run"],
    "app": ["text", "regex", "tagset", "results", "count", "report", "run"],
    "testing": ["text", "regex", "tagset", "results", "count", "report", "run"],
}
TEST_LIBRARY = "testing"
# The pattern engine's insides: the rest of the program uses pattern_engine.h and
# pattern_search.h.
ENGINE_FOLDER = "regex"
ENGINE_INTERNALS = {
    "regex/program_nodes.h",
    "regex/program.h",
    "regex/matcher.h",
    "regex/backtrack_stack.h",
}
# Top-level folders that hold no product code: never scanned, never to be included by it.
NOT_PRODUCT = {"tests", "bench", "docs", "cmake", "scripts", "templates", "resources", "examples"}
SOURCE_SUFFIXES = {".h", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"|__has_include\s*\(\s*"([^"]+)"\s*\)')
TEST_NAME = re.compile(r"(_test\.(cpp|h)|^fake_.*\.h)$")


def top_folders(root):
    """The repository's top-level folders: the ones on disk (build trees aside: the ones named
    build* as .gitignore has them, and any with a CMake cache, even one still being
    configured) and the ones the tables name, whether made yet or not."""
    on_disk = {
        p.name for p in root.iterdir()
        if p.is_dir() and not p.name.startswith((".", "build"))
        and not (p / "CMakeCache.txt").exists()}
    return on_disk | set(FLOORS) | NOT_PRODUCT


def sources(folder):
    return sorted(p for p in folder.rglob("*") if p.suffix in SOURCE_SUFFIXES and p.is_file())


def includes(path, known_folders):
    """(line number, included path) for every include of a repository folder in path."""
    with open(path, encoding="utf-8", errors="replace") as lines:
        for number, line in enumerate(lines, 1):
            for match in INCLUDE.finditer(line):
                included = match.group(1) or match.group(2)
                if "/" in included and included.split("/", 1)[0] in known_folders:
                    yield number, included


def is_test_code(folder, path):
    return folder == TEST_LIBRARY or TEST_NAME.search(path.name) is not None


def check(root):
    """The problems found under root, one line each, as `file:line: message`."""
    problems = []
    known = top_folders(root)
    for folder in sorted(known - NOT_PRODUCT):
        if not (root / folder).is_dir():
            continue
        files = sources(root / folder)
        if folder not in FLOORS:
            if files:
                problems.append(f"{folder}/: a folder of sources that has no floor in "
                                f"tests/floors/check_includes.py")
            continue
        for path in files:
            allowed = {folder, *FLOORS[folder]}
            if is_test_code(folder, path):
                allowed.add(TEST_LIBRARY)
            name = path.relative_to(root).as_posix()
            for number, included in includes(path, known):
                target = included.split("/", 1)[0]
                where = f"{name}:{number}: "
                if target not in allowed:
                    may = ", ".join(sorted(allowed - {folder})) or "nothing else"
                    problems.append(f"{where}{folder}/ may not include {included} "
                                    f"({folder}/ may include: {may})")
                elif included in ENGINE_INTERNALS and folder != ENGINE_FOLDER:
                    problems.append(f"{where}{included} is internal to {ENGINE_FOLDER}/")
    return problems


def graph(root):
    """Lines `folder -> folder: count` over every product folder, includes of itself left out."""
    known = top_folders(root)
    edges = collections.Counter()
    for folder in sorted(known - NOT_PRODUCT):
        if not (root / folder).is_dir():
            continue
        for path in sources(root / folder):
            for _, included in includes(path, known):
                target = included.split("/", 1)[0]
                if target != folder:
                    edges[folder, target] += 1
    return [f"{source} -> {target}: {count}" for (source, target), count in sorted(edges.items())]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", type=pathlib.Path,
                        default=pathlib.Path(__file__).resolve().parents[2])
    parser.add_argument("--graph", action="store_true")
    args = parser.parse_args(argv)
    if args.graph:
        print("\n".join(graph(args.root)))
        return 0
    problems = check(args.root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) break the floors", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
