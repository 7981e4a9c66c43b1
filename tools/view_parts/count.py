#!/usr/bin/env python3
"""Counts how a view's parts lean on the view, and how wide render/'s classes are.

    tools/view_parts/count.py [source root]

Prints:
  - the calls from the parts of a view (render/View{Camera,Mapping2D,Materials,
    Navigation,Stereo,Text}.cpp) back into the view they belong to: each use of
    `mView.Name` or `mView->Name`, in total and by distinct name, with the names;
  - the calls of InvalidateCameraMatrix (declarations and definitions left out);
  - the uses of CurrentViewGroup() and ShareCurrentViewGroup() in every source;
  - the member functions of each class and struct of render/'s headers (declared in
    the class body, constructors and destructors included, deleted ones left out),
    widest first.
It reads the sources as text; comments and strings are dropped first.
"""

import collections
import os
import re
import sys

PARTS = ["ViewCamera", "ViewMapping2D", "ViewMaterials", "ViewNavigation", "ViewStereo", "ViewText"]
SOURCE_DIRS = ["app", "core", "construction", "dialogs", "files", "model", "nets", "platform", "render",
               "stellation", "symmetry", "ui", "tests", "bench"]


def strip(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    text = re.sub(r"//[^\n]*", "", text)
    text = re.sub(r'"(\\.|[^"\\\n])*"', '""', text)
    return text


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return strip(f.read())


def sources(root):
    for folder in SOURCE_DIRS:
        for base, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(base, name)


def view_calls(root):
    calls = collections.Counter()
    for part in PARTS:
        path = os.path.join(root, "render", part + ".cpp")
        for name in re.findall(r"\bmView(?:\.|->)([A-Za-z_]\w*)", read(path)):
            calls[name] += 1
    return calls


def invalidate_calls(root):
    n = 0
    for path in sources(root):
        for line in read(path).splitlines():
            if re.search(r"\bInvalidateCameraMatrix\s*\(", line) and not re.search(r"\bvoid\b", line):
                n += 1
    return n


def group_reads(root):
    per_file = collections.Counter()
    for path in sources(root):
        n = len(re.findall(r"(?:Share)?CurrentViewGroup\(\)", read(path)))
        if n:
            per_file[os.path.relpath(path, root)] = n
    return per_file


def class_bodies(text):
    """(name, body) of each class or struct defined at any depth."""
    for m in re.finditer(r"\b(class|struct)\s+([A-Za-z_]\w*)\s*(final\s*)?(:[^{;]*)?\{", text):
        start = m.end()
        depth = 1
        i = start
        while i < len(text) and depth:
            if text[i] == "{":
                depth += 1
            elif text[i] == "}":
                depth -= 1
            i += 1
        yield m.group(2), text[start:i - 1]


def member_functions(name, body):
    """Member function declarations at the top level of a class body."""
    top = []
    depth = 0
    for ch in body:
        if ch == "{":
            depth += 1
            if depth == 1:
                top.append("{};")
            continue
        if ch == "}":
            depth -= 1
            continue
        if depth == 0:
            top.append(ch)
    count = 0
    for statement in re.split(r"\{\};|;", "".join(top)):
        s = re.sub(r"\b(public|protected|private)\s*:", "", statement).strip()
        if not s or s.startswith(("using ", "friend ", "typedef ", "static_assert", "enum ")):
            continue
        if re.search(r"=\s*delete\s*$", s):
            continue
        head = s.split("=")[0] if "operator" not in s else s
        if re.search(r"(\boperator\s*[^\s(]+|~?\b[A-Za-z_]\w*)\s*\(", head) and not re.match(r"^(class|struct)\b", s):
            # A data member initialised by a call (int x{f()}) has its "(" after "=" or "{".
            count += 1
    return count


def render_classes(root):
    widths = {}
    folder = os.path.join(root, "render")
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".h"):
            continue
        for cls, body in class_bodies(read(os.path.join(folder, name))):
            widths[cls] = max(widths.get(cls, 0), member_functions(cls, body))
    return widths


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    calls = view_calls(root)
    print(f"calls from the parts into the view: {sum(calls.values())} ({len(calls)} distinct)")
    for name, n in calls.most_common():
        print(f"  {n:3} {name}")
    print(f"InvalidateCameraMatrix calls: {invalidate_calls(root)}")
    reads = group_reads(root)
    print(f"CurrentViewGroup() and ShareCurrentViewGroup() uses: {sum(reads.values())}")
    for path, n in sorted(reads.items()):
        print(f"  {n:3} {path}")
    widths = render_classes(root)
    over = [c for c, n in widths.items() if n > 80]
    print(f"render/ classes over 80 member functions: {len(over)}")
    for cls, n in sorted(widths.items(), key=lambda item: -item[1])[:8]:
        print(f"  {n:3} {cls}")


if __name__ == "__main__":
    main()
