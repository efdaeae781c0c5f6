#!/usr/bin/env python3
"""Checks the `tessera` command: usage errors, exit statuses, the script log
beside the script, --disassemble, and Ctrl+C stopping a running script."""

import os
import signal
import subprocess
import sys
import tempfile
import time

TESSERA = os.path.abspath(sys.argv[1])
failures = []


def check(name, condition, detail=""):
    if not condition:
        failures.append(f"{name}: {detail}")


def run(args, stdin="", cwd=None):
    return subprocess.run([TESSERA] + args, input=stdin.encode(), capture_output=True,
                          timeout=30, cwd=cwd)


with tempfile.TemporaryDirectory() as work:
    def script(name, text):
        path = os.path.join(work, name)
        with open(path, "w") as f:
            f.write(text)
        return path

    for args in ([], ["--bogus"], ["a.tsc", "b.tsc"], ["a.tsc", "--args"],
                 ["--disassemble", "a.tsc", "--args", "1"]):
        r = run(args)
        check("usage " + " ".join(args), r.returncode == 2 and b"usage:" in r.stderr,
              f"status {r.returncode}")

    ok = script("job.tsc", 'Print("out ", args[0]);\nstring s = Input("Name? ");\n'
                           'Write("hi ", s);\nexit 5;\n')
    r = run([ok, "--args", "7"], stdin="Ada\n")
    check("exit status", r.returncode == 5, f"status {r.returncode} {r.stderr!r}")
    check("stdout", r.stdout == b"out 7\nName? hi Ada", repr(r.stdout))
    with open(os.path.join(work, "job.log")) as f:
        log = f.read()
    check("log beside the script", log == "out 7\nName? \nAda\nhi Ada\n", repr(log))

    # A script whose log name would be itself keeps its text.
    for name, log in (("notes.log", "notes.log.log"), ("plain", "plain.log")):
        text = 'Print("kept");\n'
        path = script(name, text)
        r = run([path])
        with open(path) as f:
            kept = f.read()
        check("script not its own log " + name, r.returncode == 0 and kept == text
              and os.path.exists(os.path.join(work, log)), repr((r, kept)))

    # "-" reads the script from standard input; no log is written anywhere,
    # nor beside a device the script was read through.
    before = set(os.listdir(work))
    r = run(["-", "--args", "3"], stdin='Print("in ", args[0]);\n', cwd=work)
    check("script from stdin", r.returncode == 0 and r.stdout == b"in 3\n", repr(r))
    r = run(["--check", "-"], stdin="Print(1)\n", cwd=work)
    check("check from stdin", r.returncode == 1 and r.stderr.decode().strip() ==
          "<stdin>:2:1: error: expected ';', found end of file", repr(r.stderr))
    fifo = os.path.join(work, "pipe.tsc")
    os.mkfifo(fifo)
    r = subprocess.run(["sh", "-c", f'echo \'Print("piped");\' > "{fifo}" & exec "$0" "{fifo}"',
                        TESSERA], capture_output=True, timeout=30)
    check("script through a pipe", r.returncode == 0 and r.stdout == b"piped\n", repr(r))
    check("no log from stdin or a pipe", set(os.listdir(work)) == before | {"pipe.tsc"},
          repr(set(os.listdir(work)) - before))
    os.remove(fifo)

    bad = script("bad.tsc", "Print(1)\n")
    r = run([bad])
    check("compile error status", r.returncode == 1, f"status {r.returncode}")
    check("compile error on stderr", r.stderr.decode().strip() ==
          f"{bad}:2:1: error: expected ';', found end of file" and r.stdout == b"",
          repr(r.stderr))

    # --check compiles only: nothing runs, no log is written.
    quiet = script("quiet.tsc", 'Print("ran");\n')
    r = run(["--check", quiet])
    check("check clean", r.returncode == 0 and r.stdout == b"" and r.stderr == b""
          and not os.path.exists(os.path.join(work, "quiet.log")), repr(r))
    r = run(["--check", bad])
    check("check error", r.returncode == 1 and r.stderr.decode().strip() ==
          f"{bad}:2:1: error: expected ';', found end of file", repr(r.stderr))
    r = run(["--check", os.path.join(work, "missing.tsc")])
    check("check missing", r.returncode == 1 and b"error: cannot open script" in r.stderr,
          repr(r.stderr))
    for args in (["--check"], ["--check", bad, "--args", "1"], ["--check", "--disassemble", bad]):
        r = run(args)
        check("check usage " + " ".join(args), r.returncode == 2, f"status {r.returncode}")

    fail = script("fail.tsc", 'Print("a");\nthrow "boom";\n')
    r = run([fail])
    check("runtime error status", r.returncode == 1, f"status {r.returncode}")
    check("runtime error on stderr",
          r.stderr.decode().strip() == f"{fail}:2: runtime error: boom", repr(r.stderr))

    nul = script("nul.tsc", 'Print("a\\0b");\nthrow "c\\0d";\n')
    r = run([nul])
    error = f"{nul}:2: runtime error: c\0d\n".encode()
    check("NUL on stdout", r.stdout == b"a\0b\n", repr(r.stdout))
    check("NUL in the error", r.stderr == error, repr(r.stderr))
    with open(os.path.join(work, "nul.log"), "rb") as f:
        log = f.read()
    check("NUL in the log", log == b"a\0b\n" + error, repr(log))

    r = run([ok, "--args", "1,x"])
    check("rejected arguments", r.returncode == 1 and b"bad argument text" in r.stderr,
          repr(r.stderr))

    r = run(["--disassemble", ok])
    check("disassemble", r.returncode == 0 and b"main (registers" in r.stdout
          and b"EXIT" in r.stdout, repr(r.stdout[:200]))

    missing = os.path.join(work, "missing.tsc")
    r = run([missing])
    check("missing script", r.returncode == 1 and b"cannot open script" in r.stderr,
          repr(r.stderr))

    sleeper = script("sleeper.tsc", 'Print("sleeping");\nSleep(60000);\nPrint("woke");\n')
    proc = subprocess.Popen([TESSERA, sleeper], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    proc.stdout.readline()
    started = time.monotonic()
    proc.send_signal(signal.SIGINT)
    out, err = proc.communicate(timeout=10)
    elapsed = time.monotonic() - started
    check("ctrl+c stops", proc.returncode == 1 and b"script stopped" in err and elapsed < 2,
          f"status {proc.returncode} {err!r} {elapsed:.2f}s")

    # Ctrl+C while Choose waits for an answer stops the script at once.
    chooser = script("chooser.tsc", 'Print("asking");\nChoose("Pick", ["a", "b"]);\n'
                                    'Print("picked");\n')
    proc = subprocess.Popen([TESSERA, chooser], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    proc.stdout.readline()
    time.sleep(0.1)
    started = time.monotonic()
    proc.send_signal(signal.SIGINT)
    out, err = proc.communicate(timeout=10)
    elapsed = time.monotonic() - started
    check("ctrl+c ends a dialog", proc.returncode == 1 and b"script stopped" in err
          and out == b"" and elapsed < 2, f"status {proc.returncode} {err!r} {elapsed:.2f}s")

    # The last answer may lack its line end.
    r = run([script("last.tsc", 'Print(Choose("Pick", ["a", "b"]));\n')], stdin="2")
    check("last line without its end", r.returncode == 0 and r.stdout == b"b\n", repr(r))

    # On a terminal, Ctrl+D cancels a dialog (where a pipe's end is an error).
    confirmer = script("confirmer.tsc", 'Print("[", Choose("Pick", ["a"]), "]", Confirm("Ok?"));\n')
    leader, follower = os.openpty()
    proc = subprocess.Popen([TESSERA, confirmer], stdin=follower, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    os.close(follower)
    for _ in range(2):
        time.sleep(0.2)
        os.write(leader, b"\x04")
    out, err = proc.communicate(timeout=10)
    os.close(leader)
    check("ctrl+d cancels", proc.returncode == 0 and out == b"[]false\n",
          f"status {proc.returncode} {out!r} {err!r}")

for f in failures:
    print("FAIL " + f)
print("tessera command: %d problem(s)" % len(failures))
sys.exit(1 if failures else 0)
