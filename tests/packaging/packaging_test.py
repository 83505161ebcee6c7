#!/usr/bin/env python3
"""What an administrator installs: the files of `cmake --install`, each checked by the tool
Debian checks it with, and the .deb checked by lintian.

Usage: packaging_test.py installed-files|validators|lintian|daily-backup|security BUILD_DIR
SOURCE_DIR
"""
import datetime
import glob
import os
import shutil
import signal
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
    # The host's commands that the units call and other packages provide.
    for command in ("/bin/kill",):
        target = os.path.join(dest, command.lstrip("/"))
        if not os.path.lexists(target):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy(command, target)


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


def start_console(binary, data, env):
    """A headless console on DATA, once it has said it is ready (it makes the databases)."""
    p = subprocess.Popen([binary, "--headless", "--data-dir", data], env=env, text=True,
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = p.stdout.readline()
    if "ready" not in line:
        p.kill()
        p.wait()
        return None
    return p


def daily_backup(build, source, dest):
    """The installed timer's script with the installed program, while a console records: two
    dated copies that are databases of their kind, and only the newest 14 of each kind kept."""
    usr = os.path.join(dest, "usr")
    work = os.path.join(dest, "work")
    data, backups = os.path.join(work, "data"), os.path.join(work, "backups")
    os.makedirs(backups)
    env = dict(os.environ, TALLYPORT=os.path.join(usr, "bin/tallyport"),
               XDG_CONFIG_HOME=os.path.join(work, "config"),
               XDG_RUNTIME_DIR=os.path.join(work, "run"), QT_QPA_PLATFORM="offscreen")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    first = datetime.date.today() - datetime.timedelta(days=40)
    old_days = [(first + datetime.timedelta(days=i)).isoformat() for i in range(20)]
    for day in old_days:
        for kind in ("attend", "sysdat"):
            open(os.path.join(backups, f"{kind}-{day}.db"), "w").close()
    open(os.path.join(backups, "notes.txt"), "w").close()
    console = start_console(env["TALLYPORT"], data, env)
    if console is None:
        return "the installed console did not start"
    try:
        ran = run([os.path.join(usr, "lib/tallyport/tallyport-daily-backup"), data, backups, "14"],
                  env=env)
    finally:
        console.send_signal(signal.SIGTERM)
        console.wait(60)
    if ran:
        return ran
    today = datetime.date.today().isoformat()
    problems = []
    kept = sorted(os.listdir(backups))
    for kind in ("attend", "sysdat"):
        want = [f"{kind}-{d}.db" for d in old_days[-13:] + [today]]
        got = [f for f in kept if f.startswith(kind + "-")]
        if got != want:
            problems.append(f"{kind}: kept {got}, expected {want}")
    if "notes.txt" not in kept:
        problems.append("a file of another name was removed")
    # A restore takes only a file that opens with the key of its kind.
    for what, kind in (("log", "attend"), ("sys", "sysdat")):
        copy = os.path.join(backups, f"{kind}-{today}.db")
        if os.path.exists(copy):
            problems.append(run([env["TALLYPORT"], "restore", what, copy, "--data-dir", data],
                                env=env))
    return "\n".join(x for x in problems if x)


# The exposure each unit may have at most, as systemd's own analysis scores it (0 to 10).
MAX_EXPOSURE = {"tallyport.service": 2.5, "tallyport-backup.service": 3.0}


def security(build, source, dest):
    """Scores the installed units offline: no running service manager is needed."""
    problems = []
    for unit, limit in MAX_EXPOSURE.items():
        path = glob.glob(os.path.join(dest, "usr/lib/systemd/system", unit)) or \
            glob.glob(os.path.join(dest, "lib/systemd/system", unit))
        if not path:
            problems.append(f"{unit}: not installed")
            continue
        p = subprocess.run(["systemd-analyze", "security", "--offline=true", path[0]],
                           capture_output=True, text=True)
        score = None
        for line in p.stdout.splitlines():
            if "Overall exposure level" in line:
                score = float(line.split(":")[1].split()[0])
        if score is None:
            problems.append(f"{unit}: no score\n{p.stdout}{p.stderr}")
        elif score > limit:
            problems.append(f"{unit}: exposure {score} above {limit}")
        else:
            print(f"{unit}: exposure {score} (at most {limit})")
    return "\n".join(problems)


def main():
    check, build, source = sys.argv[1], sys.argv[2], sys.argv[3]
    with tempfile.TemporaryDirectory() as dest:
        install(build, dest)
        problems = {"installed-files": installed_files, "validators": validators,
                    "lintian": lintian, "daily-backup": daily_backup,
                    "security": security}[check](build, source, dest)
    if problems:
        print(problems)
        return 1
    print(f"{check}: nothing to report")
    return 0


if __name__ == "__main__":
    sys.exit(main())
