#!/usr/bin/env python3
# Copies source files from UTF-8 into Windows-1251 for the clang fuzz build.
#
# The program's narrow literals are Windows-1251 (gcc: -fexec-charset=CP1251),
# but clang knows no execution charset other than UTF-8. Fed Windows-1251
# sources, clang keeps the bytes of each literal as they are, so the fuzzed
# code sees the same texts and lengths as the real program. Characters the
# code page lacks can only sit in comments (gcc would refuse them in a
# literal); they become '?'.
#
# Usage: to_cp1251.py SOURCE_ROOT TARGET_ROOT RELATIVE_PATH...
import os
import sys


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: to_cp1251.py SOURCE_ROOT TARGET_ROOT RELATIVE_PATH...")
    source_root, target_root = sys.argv[1], sys.argv[2]
    for relative in sys.argv[3:]:
        with open(os.path.join(source_root, relative), encoding="utf-8") as source:
            text = source.read()
        target = os.path.join(target_root, relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        data = text.encode("cp1251", errors="replace")
        # Unchanged files keep their time stamp, so nothing rebuilds for nothing.
        if os.path.exists(target):
            with open(target, "rb") as existing:
                if existing.read() == data:
                    continue
        with open(target, "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
