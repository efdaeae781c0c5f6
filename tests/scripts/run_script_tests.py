#!/usr/bin/env python3
"""Runs every tests/scripts/<feature>/<behaviour>.tsc through `tessera` and
checks it against the expectations written in its own comments:

    // expect: TEXT                     next line of standard output
    // expect-error: LINE:COL: TEXT     compile error (exit status 1)
    // expect-runtime-error: LINE: TEXT uncaught runtime error (exit status 1)
    // expect-stderr: TEXT              a line of standard error
    // expect-status: N                 exit status (default 0, or 1 after an error)
    // args: TEXT                       passed with --args
    // stdin: TEXT                      a line of standard input
    // env: NAME=VALUE                  set in the environment

Files whose names start with "_" are helpers (includes), not tests. Scripts
run from a copy of the tree, so their logs land there; TEST_DIR names an
empty folder of their own."""

import argparse
import concurrent.futures
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

DIRECTIVES = ("expect:", "expect-error:", "expect-runtime-error:", "expect-stderr:",
              "expect-status:", "args:", "stdin:", "env:")


def parse(path):
    expected = {"stdout": [], "stderr": [], "status": None, "args": None, "stdin": [], "env": {}}
    for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
        at = line.find("// ")
        if at < 0:
            continue
        body = line[at + 3:]
        for d in DIRECTIVES:
            if body.startswith(d):
                value = body[len(d):]
                value = value[1:] if value.startswith(" ") else value
                if d == "expect:":
                    expected["stdout"].append(value)
                elif d == "expect-error:":
                    expected["error"] = value
                elif d == "expect-runtime-error:":
                    expected["runtime"] = value
                elif d == "expect-stderr:":
                    expected["stderr"].append(value)
                elif d == "expect-status:":
                    expected["status"] = int(value)
                elif d == "args:":
                    expected["args"] = value
                elif d == "stdin:":
                    expected["stdin"].append(value)
                else:
                    name, _, val = value.partition("=")
                    expected["env"][name] = val
                break
    return expected


def run_one(tessera, root, script):
    expected = parse(script)
    rel = script.relative_to(root)
    test_dir = tempfile.mkdtemp(prefix="tsc-")
    env = dict(os.environ, TEST_DIR=test_dir, TZ="UTC")
    # No desktop, X11 or Wayland: a script test never reaches the user's.
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "WINGMATE_BACKEND"):
        env.pop(name, None)
    env.update(expected["env"])
    command = [tessera, str(rel)]
    if expected["args"] is not None:
        command += ["--args", expected["args"]]
    try:
        proc = subprocess.run(command, cwd=root, env=env, capture_output=True, timeout=30,
                              input=("".join(s + "\n" for s in expected["stdin"])).encode())
    except subprocess.TimeoutExpired:
        return f"{rel}: timed out"
    finally:
        shutil.rmtree(test_dir, ignore_errors=True)
    out = proc.stdout.decode("utf-8", "replace").splitlines()
    err = proc.stderr.decode("utf-8", "replace").splitlines()
    problems = []
    expected_err = list(expected["stderr"])
    status = expected["status"]
    if "error" in expected:
        expected_err.append(f"{rel}:{expected['error']}")
        status = 1 if status is None else status
    if "runtime" in expected:
        line, _, text = expected["runtime"].partition(": ")
        expected_err.append(f"{rel}:{line}: runtime error: {text}")
        status = 1 if status is None else status
    if status is None:
        status = 0
    if out != expected["stdout"]:
        problems.append("standard output differs:\n  expected: %r\n  actual:   %r"
                        % (expected["stdout"], out))
    if err != expected_err:
        problems.append("standard error differs:\n  expected: %r\n  actual:   %r"
                        % (expected_err, err))
    if proc.returncode != status:
        problems.append(f"exit status {proc.returncode}, expected {status}")
    if problems:
        return f"{rel}: " + "\n".join(problems)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tessera", required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("filter", nargs="?", default="")
    opts = parser.parse_args()
    opts.tessera = os.path.abspath(opts.tessera)
    work = pathlib.Path(tempfile.mkdtemp(prefix="tessera-scripts-"))
    try:
        root = work / "scripts"
        shutil.copytree(opts.dir, root)
        scripts = sorted(p for p in root.rglob("*.tsc")
                         if not p.name.startswith("_") and opts.filter in str(p))
        with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
            results = list(pool.map(lambda s: run_one(opts.tessera, root, s), scripts))
        failures = [r for r in results if r]
        for f in failures:
            print("FAIL " + f)
        print(f"{len(scripts) - len(failures)} of {len(scripts)} scripts passed")
        return 1 if failures or not scripts else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
