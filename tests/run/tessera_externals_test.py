#!/usr/bin/env python3
"""Checks that `tessera` loads the libraries listed in "Externals.dat" in the
Wingmate home folder, logs list problems to "LibMgrMessages.log" there, stays
quiet without a list, and falls back to the terminal desktop (with the reason)
when $DISPLAY names no usable display."""

import os
import subprocess
import sys
import tempfile

TESSERA, PLUGIN = (os.path.abspath(p) for p in sys.argv[1:3])
failures = []


def check(name, condition, detail=""):
    if not condition:
        failures.append(f"{name}: {detail}")


def run(home, script, display=None):
    env = dict(os.environ, WINGMATE_HOME=home)
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    return subprocess.run([TESSERA, script], capture_output=True, timeout=30, env=env)


with tempfile.TemporaryDirectory() as home:
    script = os.path.join(home, "job.tsc")
    with open(script, "w") as f:
        f.write('Print(Capitalize("hello"), " ", Center("7", 3, "0"));\n')
    messages = os.path.join(home, "LibMgrMessages.log")

    r = run(home, script)
    check("no list: unknown function", r.returncode == 1 and b"unknown function 'Capitalize'"
          in r.stderr, r.stderr)
    check("no list: nothing logged", not os.path.exists(messages))

    with open(os.path.join(home, "Externals.dat"), "w") as f:
        f.write("/no/such/lib.so\n" + PLUGIN + "\n")
    r = run(home, script)
    check("listed plugin", r.returncode == 0 and r.stdout == b"Hello 070\n",
          (r.returncode, r.stdout, r.stderr))
    with open(messages) as f:
        log = f.read()
    check("bad line logged", log.startswith(
        "Error: Could not load DLL: /no/such/lib.so (See Externals.dat) - Error Code: "), log)

    alert = os.path.join(home, "alert.tsc")
    with open(alert, "w") as f:
        f.write('Alert("done");\n')
    r = run(home, alert, display=":9987")
    check("unusable display falls back", r.returncode == 0 and
          r.stderr.decode().splitlines()[-1] == "Alert: done" and
          r.stderr.startswith(b"tessera: "), r.stderr)

for f in failures:
    print("FAIL " + f)
sys.exit(1 if failures else 0)
