#!/usr/bin/env python3
"""Checks the layout of src/ and tools/: includes point down the layer table, and
every header's guard is named by its path.

The Layout table of README.md lists the folders in layer order, the lowest
first; a source file may include files of its own folder and of folders listed
before it. An include is resolved as the compiler would: next to the including
file, then under src/, tools/ and include/; a header generated at build time
belongs to the folder of its source (the version to src/version, the schema's
header to src/format). An include that reaches a later folder, or a folder the
table does not list, is reported with its file and line.

A header's guard is VYN_ and its path, upper-cased, with every other character
an underscore, then _H_: src/format/log_frames.h has VYN_FORMAT_LOG_FRAMES_H_,
tools/log/html/html_page.h has VYN_TOOLS_LOG_HTML_HTML_PAGE_H_, and the public
include/vyn/profiling/profile_event.h has VYN_PROFILING_PROFILE_EVENT_H_.

Usage: check_layout.py [REPOSITORY]   (default: the repository holding this script)
Exit status 0 when the layout holds, 1 otherwise, with one line per problem.
"""

import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
TABLE_ROW = re.compile(r"^\|\s*`((?:src|tools|include)/[^`]*)`\s*\|")
SEARCH_ROOTS = ("src", "tools", "include")
# Headers written into the build tree, and the folder whose layer they belong to.
GENERATED = {
    "profile_log_generated.h": "src/format",
    "version/viewer_version.h": "src/version",
}


def layer_table(readme):
    """The folders of the Layout table, lowest layer first, without a trailing slash."""
    folders = []
    for line in readme.read_text(encoding="utf-8").splitlines():
        match = TABLE_ROW.match(line)
        if match:
            folders.append(match.group(1).rstrip("/"))
    return folders


def folder_of(path, folders):
    """The listed folder that holds path (the longest that matches), or None."""
    best = None
    for folder in folders:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def resolve(repo, including, target):
    """The repository path an include names, or None when it is not in the tree."""
    candidates = [including.parent / target]
    candidates += [repo / root / target for root in SEARCH_ROOTS]
    for candidate in candidates:
        if candidate.is_file():
            return candidate.resolve().relative_to(repo).as_posix()
    return GENERATED.get(target)


def expected_guard(relative):
    """The guard a header at this repository path should have."""
    for prefix in ("src/", "include/vyn/"):
        if relative.startswith(prefix):
            relative = relative[len(prefix):]
    stem = relative[:-len(".h")]
    return "VYN_" + re.sub(r"[^A-Z0-9]", "_", stem.upper()) + "_H_"


def guard_problem(relative, lines):
    """Why a header's guard does not follow its path, or None."""
    guard = expected_guard(relative)
    found = next((line.split()[1] for line in lines
                  if line.startswith("#ifndef ") and len(line.split()) > 1), None)
    if found != guard:
        return f"{relative}: its guard should be {guard}, not {found}"
    if f"#define {guard}" not in lines:
        return f"{relative}: #ifndef {guard} is not followed by #define {guard}"
    return None


def check(repo):
    folders = layer_table(repo / "README.md")
    if not folders:
        return ["README.md: no layer table found under Layout"]
    rank = {folder: index for index, folder in enumerate(folders)}
    problems = []
    sources = sorted(p for root in ("src", "tools", "include") if (repo / root).is_dir()
                     for p in (repo / root).rglob("*")
                     if p.suffix in (".h", ".cpp", ".in") and p.is_file())
    for source in sources:
        relative = source.relative_to(repo).as_posix()
        own = folder_of(relative, folders)
        if own is None:
            problems.append(f"{relative}: its folder is not in the layer table")
            continue
        lines = source.read_text(encoding="utf-8", errors="replace").splitlines()
        if source.suffix == ".h" or relative.endswith(".h.in"):
            problem = guard_problem(relative[:-len(".in")] if relative.endswith(".in")
                                    else relative, lines)
            if problem:
                problems.append(problem)
        for number, line in enumerate(lines, start=1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = resolve(repo, source, match.group(1))
            if target is None:
                continue  # a library's header, found on the system include path
            theirs = folder_of(target, folders)
            if theirs is None:
                problems.append(f"{relative}:{number}: includes {target}, "
                                "whose folder is not in the layer table")
            elif rank[theirs] > rank[own]:
                problems.append(f"{relative}:{number}: includes {target}: "
                                f"{own}/ may not include {theirs}/, a later layer")
    return problems


def main():
    repo = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                        pathlib.Path(__file__).resolve().parent.parent).resolve()
    problems = check(repo)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} problem(s) with the layout described in README.md")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
