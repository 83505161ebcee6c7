#!/usr/bin/env python3
"""Reads every #include under src/ and tools/ and fails on an arrow against the layers.

The layers, lowest first (an include may point at its own layer or a lower one):

  base                 Result/Error, Operator, Clock, small helpers        Qt Core only
  store                databases, settings, photos, log texts              -> base
  readers              wire protocol, reader client                        -> base, store
  features (core)      staff admin workbook reports notify web peripherals -> the above, and
                       each other sideways as long as the folders form no cycle
  app                  composition, start-up, card events, command line    -> every core folder
  ui                   shared widget helpers                               -> every core folder
                                                                              but app
  <feature>/ui         a feature's dialogs                                 -> core folders but
                                                                              app, src/ui, its own ui
  app/ui               the main window and the wiring of the menus         -> everything
  main                 the executables                                     -> everything
  tools/readersim      the reader simulator                                -> base, readers

Core folders (everything outside a ui/ folder and main/) link no GUI module: a Qt header there
must come from Qt Core or Qt Network (Qt HttpServer in web/); base takes Qt Core only. Module
prefixed forms such as <QtWidgets/QWidget> count the same.

Usage: check_includes.py REPO_ROOT QT_INCLUDE_DIR
"""
import os
import re
import sys

FEATURES = {"staff", "admin", "workbook", "reports", "notify", "web", "peripherals"}
CORE_BELOW = {"base": set(), "store": {"base"}, "readers": {"base", "store"}}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_FOR = {
    "base": {"QtCore"},
    "web": {"QtCore", "QtNetwork", "QtHttpServer"},
}
QT_CORE_DEFAULT = {"QtCore", "QtNetwork"}


def unit_of(rel):
    """The layer unit of a path relative to the repository: ('src', top, is_ui) or tools."""
    parts = rel.split("/")
    if parts[0] == "tools":
        return ("tools", parts[1], False)
    top = parts[1]
    if top == "ui":
        return ("src", "ui", True)
    is_ui = len(parts) > 3 and parts[2] == "ui"
    return ("src", top, is_ui)


def allowed(src_unit, dst_unit):
    """None when the arrow is allowed, else the reason."""
    s_root, s_top, s_ui = src_unit
    d_root, d_top, d_ui = dst_unit
    if d_root == "tools":
        return None if s_root == "tools" and s_top == d_top else "a tool is no library"
    if s_root == "tools":
        return None if d_top in ("base", "readers") and not d_ui else "the simulator takes base and readers only"
    if s_top == "main":
        return None
    if s_top == "app" and s_ui:
        return None if d_top != "main" else "nothing includes main"
    if d_top == "main":
        return "nothing includes main"
    # Below here the destination is core, src/ui or a feature's ui.
    if d_top == "ui":
        return None if s_ui else "a core folder includes a widget helper"
    if d_ui:
        if d_top == "app":
            return "only the main window's own files include it"
        if s_ui and s_top == d_top:
            return None
        return "a feature's dialogs are opened by the main window's wiring, not by others"
    # Destination is a core folder.
    if s_ui:
        if d_top == "app":
            return "dialogs hold no composition: they take what they need as arguments"
        return None
    if s_top == d_top:
        return None
    if s_top == "app":
        return None
    if d_top == "app":
        return "the composition layer is above every core folder"
    if s_top in CORE_BELOW:
        return None if d_top in CORE_BELOW[s_top] else "points up"
    if s_top in FEATURES:
        return None if d_top in CORE_BELOW or d_top in FEATURES else "points up"
    return "unknown folder " + s_top


def qt_module_of(header, qt_dir, cache):
    """The Qt module a <Header> comes from, or None when it is no Qt header."""
    if "/" in header:
        mod = header.split("/", 1)[0]
        return mod if mod.startswith("Qt") else None
    if not re.match(r"^Q[A-Za-z0-9_]+$|^qt[a-z0-9_]*\.h$|^q[a-z0-9_]+\.h$", header):
        return None
    if header not in cache:
        cache[header] = None
        for mod in sorted(os.listdir(qt_dir)):
            if os.path.isfile(os.path.join(qt_dir, mod, header)):
                cache[header] = mod
                break
    return cache[header]


def sources(root):
    for base in ("src", "tools"):
        for dirpath, _, files in os.walk(os.path.join(root, base)):
            for f in files:
                if f.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(dirpath, f), root)


def resolve(root, rel, target):
    """The repository path a quoted include names, or None for generated headers."""
    here = os.path.dirname(rel)
    for cand in (os.path.join(here, target), os.path.join("src", target)):
        if os.path.isfile(os.path.join(root, cand)):
            return os.path.normpath(cand)
    return None


def feature_cycles(edges):
    """Cycles among the feature folders' core parts, as lists of folder names."""
    graph = {f: set() for f in FEATURES}
    for a, b in edges:
        graph[a].add(b)
    cycles, state = [], {}

    def visit(node, path):
        state[node] = 1
        for nxt in sorted(graph[node]):
            if state.get(nxt) == 1:
                cycles.append(path[path.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt, path + [nxt])
        state[node] = 2

    for f in sorted(FEATURES):
        if f not in state:
            visit(f, [f])
    return cycles


def main():
    root, qt_dir = sys.argv[1], sys.argv[2]
    problems, feature_edges, cache = [], set(), {}
    for rel in sorted(sources(root)):
        src_unit = unit_of(rel)
        core = not src_unit[2] and src_unit[1] not in ("main",) and src_unit[0] == "src"
        with open(os.path.join(root, rel), encoding="utf-8") as fh:
            for n, line in enumerate(fh, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                kind, target = m.groups()
                where = f"{rel}:{n}: #include {kind}{target}{'>' if kind == '<' else chr(34)}"
                if kind == "<":
                    mod = qt_module_of(target, qt_dir, cache)
                    if core and mod and mod not in QT_FOR.get(src_unit[1], QT_CORE_DEFAULT):
                        problems.append(f"{where}: {mod} in a core folder")
                    if src_unit[0] == "tools" and mod and mod not in QT_CORE_DEFAULT:
                        problems.append(f"{where}: {mod} in the simulator")
                    continue
                dst = resolve(root, rel, target)
                if dst is None:
                    continue
                dst_unit = unit_of(dst)
                why = allowed(src_unit, dst_unit)
                if why:
                    problems.append(f"{where}: {why}")
                if (src_unit[1] in FEATURES and dst_unit[1] in FEATURES and not src_unit[2]
                        and not dst_unit[2] and src_unit[1] != dst_unit[1]):
                    feature_edges.add((src_unit[1], dst_unit[1]))
    for cycle in feature_cycles(feature_edges):
        problems.append("feature folders include each other in a cycle: " + " -> ".join(cycle))
    for p in problems:
        print(p)
    print(f"{len(problems)} include(s) against the layers")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
