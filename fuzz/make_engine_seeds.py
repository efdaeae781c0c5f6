#!/usr/bin/env python3
"""Writes the large seeds of the engine fuzz target into corpus/engine: long
operator chains, long else-if chains, many functions and constants, and lists
caught in cycles, the shapes generators and recorders write. Each stays under
100 kB so that libFuzzer's default input size keeps them whole.

    fuzz/make_engine_seeds.py
"""

import os

HERE = os.path.dirname(os.path.abspath(__file__))


def chain(first, more, count):
    return first + more * (count - 1)


SEEDS = {
    "long_plus_chain": "int x = " + chain("1", " + 1", 20000) + ";\nPrint(x);\n",
    "long_mixed_chain": "Print(" + chain("2 * 3", " - 4 / 2 + 1 % 3", 5000) + ");\n",
    "long_string_chain": "string s = " + chain('"ab"', ' + "ab"', 10000) + ";\nPrint(Len(s));\n",
    "long_and_or_chain": "int n = 3;\nif (" + chain("n > 0", " && n > 1 || n == 7", 2500) +
                         ") Print(\"yes\");\nbool b = " + chain("true", " && true", 4000) +
                         ";\nPrint(b);\n",
    "long_define_chain": "define N = " + chain("1", " + 1", 20000) + ";\nPrint(N);\n",
    "long_else_if_chain": "int v = 450;\n" + "".join(
        ("else " if k else "") + f"if (v == {k}) Print(\"b{k}\");\n" for k in range(500)) +
        "else Print(\"none\");\n",
    "many_functions": "".join(f"function int f{k}(int a) {{ return a + {k}; }}\n"
                              for k in range(2000)) + "Print(f0(1), f1999(1));\n",
    "many_constants": "string t = \"\";\nfloat d = 0;\n" + "".join(
        f"t = \"typed {k}\";\nd = {k}.5;\n" for k in range(3000)) + "Print(t, d);\n",
    "self_cycles": "int n = 0;\nfor (int i = 0; i < 3000; i++) {\n    list l = [i];\n"
                   "    Append(l, l);\n    list m = [l];\n    Append(l, m);\n    n += Count(l);\n}\n"
                   "Print(n);\n",
}


def main():
    folder = os.path.join(HERE, "corpus", "engine")
    for name, text in SEEDS.items():
        assert len(text) < 100000, name
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
