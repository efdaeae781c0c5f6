#!/usr/bin/env python3
"""Runs each benchmark in Tessera, Lua 5.4 and Python 3 and prints the CPU
time of the best of N runs and the ratios tessera/lua and tessera/python.

    bench/scripts/run.py [--tessera build/bin/tessera] [--runs 5]
"""

import argparse
import os
import resource
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BENCHMARKS = ["fib", "loop", "calls", "strcat", "split", "list"]


def cpu_seconds(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    out = subprocess.run(command, capture_output=True, check=True, cwd=HERE).stdout
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime), out.strip()


def best(command, runs):
    times, outputs = [], set()
    for _ in range(runs):
        t, out = cpu_seconds(command)
        times.append(t)
        outputs.add(out)
    if len(outputs) != 1:
        sys.exit(f"{command}: output differs between runs")
    return min(times), outputs.pop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tessera", default=os.path.join(HERE, "../../build/bin/tessera"))
    parser.add_argument("--lua", default="lua5.4")
    parser.add_argument("--python", default="python3")
    parser.add_argument("--runs", type=int, default=5)
    opts = parser.parse_args()
    tessera = os.path.abspath(opts.tessera)
    print("| benchmark | tessera (s) | lua 5.4 (s) | python 3 (s) | tessera/lua | tessera/python |")
    print("|---|---|---|---|---|---|")
    for name in BENCHMARKS:
        t, out_t = best([tessera, f"{name}.tsc"], opts.runs)
        l, out_l = best([opts.lua, f"{name}.lua"], opts.runs)
        p, out_p = best([opts.python, f"{name}.py"], opts.runs)
        if not (out_t == out_l == out_p):
            sys.exit(f"{name}: results differ: {out_t!r} {out_l!r} {out_p!r}")
        print(f"| {name} | {t:.3f} | {l:.3f} | {p:.3f} | {t / l:.2f} | {t / p:.2f} |")


if __name__ == "__main__":
    main()
