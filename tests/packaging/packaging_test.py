#!/usr/bin/env python3
"""What an administrator installs: the files of `cmake --install`, each checked by the tool
Debian checks it with, and the .deb checked by lintian.

Usage: packaging_test.py installed-files|validators|lintian BUILD_DIR SOURCE_DIR
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile


def install(build, dest):
    env = dict(os.environ, DESTDIR=dest)
    subprocess.run(["cmake", "--install", build, "--prefix", "/usr"], env=env, check=True,
                   stdout=subprocess.DEVNULL)


def listed(dest):
    files = []
    for root, _, names in os.walk(dest):
        for n in names:
            files.append("/" + os.path.relpath(os.path.join(root, n), dest))
    return sorted(files)


def run(cmd, env=None):
    """The command's output when it says anything or fails; empty when all is well."""
    p = subprocess.run(cmd, capture_output=True, text=True, env=env)
    out = (p.stdout + p.stderr).strip()
    if p.returncode != 0:
        return f"{' '.join(cmd)}: exit {p.returncode}\n{out}"
    return ""


def installed_files(build, source, dest):
    with open(os.path.join(source, "tests/data/packaging/installed-files.txt")) as fh:
        expected = fh.read().split()
    got = listed(dest)
    if got != expected:
        extra = sorted(set(got) - set(expected))
        missing = sorted(set(expected) - set(got))
        return f"installed files differ\nnot expected: {extra}\nmissing: {missing}"
    return ""


def systemd_root(dest):
    """systemd-analyze verify in the installed tree: the host's targets beside our units."""
    units = os.path.join(dest, "lib/systemd/system")
    for pattern in ("*.target", "*.slice", "*.socket"):
        for f in glob.glob(os.path.join("/lib/systemd/system", pattern)):
            target = os.path.join(units, os.path.basename(f))
            if not os.path.lexists(target):
                shutil.copy(f, target, follow_symlinks=False)


def validators(build, source, dest):
    problems = []
    share = os.path.join(dest, "usr/share")
    problems.append(run(["desktop-file-validate", os.path.join(share, "applications/tallyport.desktop")]))
    meta = os.path.join(share, "metainfo/org.tallyport.tallyport.metainfo.xml")
    # Even a pedantic remark counts: a clean file says only that it validated.
    check = subprocess.run(["appstreamcli", "validate", "--no-net", "--pedantic", meta],
                           capture_output=True, text=True)
    said = (check.stdout + check.stderr).strip()
    if check.returncode != 0 or said != "\u2714 Validation was successful.":
        problems.append(f"appstreamcli: {said}")
    systemd_root(dest)
    units = [os.path.join(dest, "lib/systemd/system", u)
             for u in ("tallyport.service", "tallyport-backup.service", "tallyport-backup.timer")]
    env = dict(os.environ, MANPATH=os.path.join(share, "man"))
    problems.append(run(["systemd-analyze", f"--root={dest}", "verify"] + units, env=env))
    for page in ("tallyport.1", "tallyport-readersim.1"):
        p = subprocess.run(["man", "--warnings", "-l", os.path.join(share, "man/man1", page + ".gz")],
                           capture_output=True, text=True)
        if p.returncode != 0 or p.stderr.strip():
            problems.append(f"man {page}: {p.stderr.strip()}")
    return "\n".join(x for x in problems if x)


def lintian(build, source, dest):
    out_dir = os.path.join(dest, "deb")
    os.makedirs(out_dir)
    p = subprocess.run(["cpack", "-G", "DEB", "-B", out_dir], cwd=build, capture_output=True,
                       text=True)
    debs = glob.glob(os.path.join(out_dir, "tallyport_*_amd64.deb"))
    if p.returncode != 0 or len(debs) != 1:
        return f"cpack failed:\n{p.stdout}{p.stderr}"
    p = subprocess.run(["lintian", debs[0]], capture_output=True, text=True)
    tags = [l for l in (p.stdout + p.stderr).splitlines()
            if l[:2] in ("E:", "W:")]
    return "\n".join(tags)


def main():
    check, build, source = sys.argv[1], sys.argv[2], sys.argv[3]
    with tempfile.TemporaryDirectory() as dest:
        install(build, dest)
        problems = {"installed-files": installed_files, "validators": validators,
                    "lintian": lintian}[check](build, source, dest)
    if problems:
        print(problems)
        return 1
    print(f"{check}: nothing to report")
    return 0


if __name__ == "__main__":
    sys.exit(main())
