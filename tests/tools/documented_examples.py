#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The example commands of the README and the manual pages, run as a reader would type them.

An example is a line "$ command" in a fenced code block of a Markdown file or in a .nf block of
a manual page, continued by lines after a trailing backslash or by "> " lines (the shell's
second prompt). The lines after it, up to the next "$ " line, the block's end or an empty
line, are what the text says the command shows (standard output and error together); "..."
there stands for any text. A command shown without output is run all the same, since later
ones may read what it wrote. The commands of one file run one after the other in a folder of
their own, with the built programs first on PATH.

Usage: documented_examples.py BIN_DIR FILE...
"""
import os
import re
import subprocess
import sys
import tempfile


def unroff(line):
    """A line of a roff .nf block as the manual shows it."""
    return line.replace("\\-", "-").replace("\\e", "\\").replace("\\(Bq", "\u201e").replace(
        "\\(lq", "\u201c")


def blocks(path):
    """The lines of each example block of the file, as shown to the reader."""
    with open(path, encoding="utf-8") as file:
        lines = file.read().split("\n")
    roff = path.endswith((".1", ".1.in"))
    block = None
    for line in lines:
        if block is None:
            if (roff and line == ".nf") or (not roff and line.startswith("```")):
                block = []
            continue
        if (roff and line == ".fi") or (not roff and line.startswith("```")):
            yield block
            block = None
            continue
        block.append(unroff(line) if roff else line)


def examples(block):
    """(command, shown output) for each "$ " line of a block."""
    i = 0
    while i < len(block):
        if not block[i].startswith("$ "):
            i += 1
            continue
        command = [block[i][2:]]
        i += 1
        while i < len(block) and (command[-1].endswith("\\") or block[i].startswith("> ")):
            command.append(block[i][2:] if block[i].startswith("> ") else block[i])
            i += 1
        shown = []
        while i < len(block) and block[i] and not block[i].startswith("$ "):
            shown.append(block[i])
            i += 1
        yield "\n".join(command), shown


def matches(shown, output):
    pattern = ".*".join(re.escape(part) for part in "\n".join(shown).split("..."))
    return re.fullmatch(pattern, output.rstrip("\n"), re.DOTALL) is not None


def main():
    bin_dir, files = sys.argv[1], sys.argv[2:]
    environment = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""),
                       LC_ALL="C.UTF-8")
    failures = checked = 0
    for path in files:
        with tempfile.TemporaryDirectory() as folder:
            for block in blocks(path):
                for command, shown in examples(block):
                    result = subprocess.run(["bash", "-c", command], cwd=folder,
                                            env=environment, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                            timeout=60, check=False)
                    if not shown:
                        continue
                    checked += 1
                    output = result.stdout.decode("utf-8", "replace")
                    if not matches(shown, output):
                        failures += 1
                        print(f"{os.path.basename(path)}: $ {command}\n  shown:\n"
                              + "\n".join("    " + line for line in shown)
                              + "\n  printed:\n"
                              + "\n".join("    " + line for line in output.splitlines()))
    print(f"{checked - failures} passed, {failures} failed")
    return 1 if failures or not checked else 0


if __name__ == "__main__":
    sys.exit(main())
