#!/usr/bin/env python3
"""The layer check itself: on a small tree with one wrong arrow of each kind it must fail and
name exactly those arrows (tests/data/layers/bad.expected)."""
import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
data = os.path.join(here, "..", "data", "layers")
run = subprocess.run([sys.executable, os.path.join(here, "check_includes.py"),
                      os.path.join(data, "bad"), sys.argv[1]], capture_output=True, text=True)
with open(os.path.join(data, "bad.expected"), encoding="utf-8") as fh:
    expected = fh.read()
if run.returncode != 1 or run.stdout != expected:
    print(f"exit code {run.returncode}, output:\n{run.stdout}{run.stderr}\nexpected:\n{expected}")
    sys.exit(1)
print("the check names every wrong arrow of the fixture")
