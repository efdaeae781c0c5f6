#!/usr/bin/env python3
"""Memory and compile-cost benchmarks of the `tessera` command, beside Lua 5.4:

  compile  a generated 6.6 MB script of 600,000 statements (`x = x + 1;`):
           best-of-N CPU time and peak memory, and the ratios to Lua (goals:
           at most 2x Lua's time and 8x its peak memory)
  cycles   a script that makes and drops a million lists that contain
           themselves: peak memory (goal: under 64 MB)

    bench/scripts/memory.py [--tessera build/bin/tessera] [--runs 5]
"""

import argparse
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
STATEMENTS = 600000


def run(command, cwd):
    """CPU seconds, peak resident megabytes and output of one run. GNU time
    measures the command alone (a forked Python child would report the
    parent's memory as its own peak)."""
    report = os.path.join(cwd, "time.out")
    done = subprocess.run(["/usr/bin/time", "-f", "%U %S %M", "-o", report] + command, cwd=cwd,
                          capture_output=True)
    if done.returncode != 0:
        sys.exit(f"{command}: exit status {done.returncode}: {done.stderr[-500:]!r}")
    with open(report) as f:
        user, system, kilobytes = f.read().split()[-3:]
    return float(user) + float(system), int(kilobytes) / 1024.0, done.stdout.strip()


def best(command, cwd, runs):
    results = [run(command, cwd) for _ in range(runs)]
    if len({r[2] for r in results}) != 1:
        sys.exit(f"{command}: output differs between runs")
    return min(r[0] for r in results), min(r[1] for r in results), results[0][2]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tessera", default=os.path.join(HERE, "../../build/bin/tessera"))
    parser.add_argument("--lua", default="lua5.4")
    parser.add_argument("--runs", type=int, default=5)
    opts = parser.parse_args()
    tessera = os.path.abspath(opts.tessera)
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "compile.tsc"), "w") as f:
            f.write("int x = 0;\n" + "x = x + 1;\n" * STATEMENTS + "Print(x);\n")
        with open(os.path.join(work, "compile.lua"), "w") as f:
            f.write("local x = 0\n" + "x = x + 1;\n" * STATEMENTS + "print(x)\n")
        with open(os.path.join(work, "cycles.tsc"), "w") as f:
            f.write("int n = 0;\nfor (int i = 0; i < 1000000; i++) {\n"
                    "    list l = [i];\n    Append(l, l);\n    n += Count(l);\n}\nPrint(n);\n")
        size = os.path.getsize(os.path.join(work, "compile.tsc")) / 1e6
        t, tm, out_t = best([tessera, "compile.tsc"], work, opts.runs)
        l, lm, out_l = best([opts.lua, "compile.lua"], work, opts.runs)
        if out_t != out_l:
            sys.exit(f"compile: results differ: {out_t!r} {out_l!r}")
        c, cm, _ = best([tessera, "cycles.tsc"], work, opts.runs)
    print("| benchmark | tessera (s) | tessera (MB) | lua 5.4 (s) | lua 5.4 (MB) | time ratio | memory ratio |")
    print("|---|---|---|---|---|---|---|")
    print(f"| compile {size:.1f} MB, {STATEMENTS} statements | {t:.3f} | {tm:.1f} | {l:.3f} | {lm:.1f} "
          f"| {t / l:.2f} | {tm / lm:.2f} |")
    print(f"| cycles (1M self-containing lists) | {c:.3f} | {cm:.1f} | | | | |")


if __name__ == "__main__":
    main()
