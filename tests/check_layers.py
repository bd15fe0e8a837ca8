#!/usr/bin/env python3
"""Checks the layering the include lines promise.

  check_layers.py includes <src dir> <Qt include dir>
      core includes no gui header and no header of a widget module; no two
      areas of one library include each other in a circle.
  check_layers.py libraries <program>
      the program's ELF NEEDED entries name no widget library.
"""
import os
import re
import subprocess
import sys

WIDGET_MODULES = ("QtWidgets", "QtOpenGL", "QtCharts", "QtMultimediaWidgets")
WIDGET_LIBRARIES = ("Qt5Widgets", "Qt5OpenGL", "Qt5Charts", "Qt5MultimediaWidgets")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)


def sources(root):
    for folder, _, files in os.walk(root):
        for name in files:
            if name.endswith((".h", ".cpp")):
                yield os.path.join(folder, name)


def cycle(graph):
    """Returns one circle of areas as a list, or None."""
    state = {}

    def visit(node, path):
        state[node] = 1
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, path + [nxt])
                if found:
                    return found
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def check_includes(src, qt_include):
    faults = []
    widget_headers = set()
    for module in WIDGET_MODULES:
        folder = os.path.join(qt_include, module)
        if os.path.isdir(folder):
            widget_headers.update(os.listdir(folder))
    for library in ("core", "gui"):
        graph = {}
        for path in sources(os.path.join(src, library)):
            area = os.path.relpath(path, os.path.join(src, library)).split(os.sep)[0]
            with open(path, encoding="utf-8") as f:
                for header in INCLUDE.findall(f.read()):
                    first = header.split("/")[0]
                    if library == "core" and (first == "gui" or first in WIDGET_MODULES
                                              or header in widget_headers):
                        faults.append(f"{path}: core includes {header}")
                    parts = header.split("/")
                    if len(parts) == 3 and parts[0] == library and parts[1] != area:
                        graph.setdefault(area, set()).add(parts[1])
        found = cycle(graph)
        if found:
            faults.append(f"{library}: areas include each other in a circle: "
                          + " -> ".join(found))
    return faults


def check_libraries(program):
    out = subprocess.run(["readelf", "-d", program], capture_output=True, text=True,
                         check=True).stdout
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", out)
    if not needed:
        return [f"{program}: no NEEDED entries read"]
    return [f"{program} links {n}" for n in needed if any(w in n for w in WIDGET_LIBRARIES)]


def main():
    if sys.argv[1] == "includes":
        faults = check_includes(sys.argv[2], sys.argv[3])
    else:
        faults = check_libraries(sys.argv[2])
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
