#!/usr/bin/env python3
"""Types command lines and TAB at an interactive shell on a pseudo-terminal.

usage: complete_at_tty.py SETUP LINE... -- SHELL [ARG...]

SETUP runs first: it loads the completions and sets the prompt to "READY> ",
spelt apart so that its echo does not match (PS1='RE''ADY> '). For each LINE it types the line
and TAB, then Ctrl-A and a printf in front of it, and prints the words of the
completed line as the shell would pass them, joined by "|".
"""
import os
import pty
import select
import sys
import time

split = sys.argv.index("--")
setup, lines, shell = sys.argv[1], sys.argv[2:split], sys.argv[split + 1:]
pid, fd = pty.fork()
if pid == 0:
    os.execvp(shell[0], shell)


def read_until(marker, timeout=5.0):
    received = b""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        ready, _, _ = select.select([fd], [], [], 0.05)
        if ready:
            try:
                received += os.read(fd, 4096)
            except OSError:
                break
            if marker in received:
                return received
    sys.exit(f"{shell[0]} did not answer; it wrote {received[-300:]!r}")


os.write(fd, setup.encode() + b"\n")
read_until(b"READY> ")
for line in lines:
    os.write(fd, line.encode() + b"\t\x01printf '<<%s>>\\n' \n")
    answer = read_until(b"READY> ").decode(errors="replace").replace("\r", "")
    # Each word on a line of its own; the echo and terminal controls may
    # precede the first.
    words = [line.rpartition("<<")[2][:-2] for line in answer.split("\n") if line.endswith(">>")]
    print("|".join(words))
os.write(fd, b"exit\n")
os.waitpid(pid, 0)
