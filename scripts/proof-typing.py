#!/usr/bin/env python3
"""Types a 200-character string (umlauts, accents, Cyrillic, an emoji) with
`tessera` into real programs on a private Xvfb under openbox, and counts the
runs in which the program got exactly that string.

Programs: chromium (a textarea; the page puts the text in its title),
xterm (`cat > file`), mousepad (GTK 3) and featherpad (Qt), each saved with
Ctrl+S. Not run by CI: it needs those programs and takes minutes.

    scripts/proof-typing.py [--runs N] [--layouts us,de,fr,us+ru]
                            [--apps chromium,xterm,mousepad,featherpad]
                            [--tessera build/bin/tessera]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

TEXT = ("Grüße aus Köln: Äpfel, Öl, Übermaß; café, crème brûlée, naïve façade, "
        "déjà vu, Noël, garçon, où? Привет, мир! Съешь же ещё этих мягких "
        "французских булок, да выпей чаю. Щука 😀 ÉÈÊËÀ éèêëà çÇ ß ñÑ ¿¡ ø!")
assert len(TEXT) == 200


class Session:
    def __init__(self, tessera, work):
        self.tessera = tessera
        self.work = work
        self.procs = []
        # A display number of its own, far from those test suites pick.
        for number in range(300 + os.getpid() % 200, 1000):
            if os.path.exists("/tmp/.X%d-lock" % number):
                continue
            self.display = ":%d" % number
            self.xvfb = subprocess.Popen(
                ["Xvfb", self.display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                stderr=subprocess.DEVNULL)
            for _ in range(50):
                time.sleep(0.1)
                ready = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                                       env=dict(os.environ, DISPLAY=self.display))
                if ready.returncode == 0 or self.xvfb.poll() is not None:
                    break
            if self.xvfb.poll() is None and ready.returncode == 0:
                break
            self.xvfb.kill()
            self.xvfb.wait()
        self.env = dict(os.environ, DISPLAY=self.display, LC_ALL="C.UTF-8",
                        HOME=work, XDG_CONFIG_HOME=work + "/config",
                        XDG_CACHE_HOME=work + "/cache", XDG_DATA_HOME=work + "/data",
                        NO_AT_BRIDGE="1")
        self.spawn(["openbox", "--sm-disable"])
        time.sleep(1)

    def spawn(self, argv):
        proc = subprocess.Popen(argv, env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        self.procs.append(proc)
        return proc

    def run(self, argv, check=False):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, check=check)

    def layout(self, layouts):
        for _ in range(20):
            result = self.run(["setxkbmap", "-layout", layouts])
            if result.returncode == 0:
                return
            time.sleep(0.3)
        raise RuntimeError("setxkbmap: " + result.stderr.strip())

    def type_keys(self, *pieces):
        script = os.path.join(self.work, "type.tsc")
        with open(script, "w", encoding="utf-8") as out:
            for piece in pieces:
                out.write('TypeKeys("%s");\n' % piece)
        result = self.run([self.tessera, script])
        if result.returncode != 0:
            raise RuntimeError("tessera failed: " + result.stdout + result.stderr)

    def window(self, name_pattern, timeout=30):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.run(["xdotool", "search", "--onlyvisible", "--name", name_pattern])
            ids = found.stdout.split()
            if ids:
                return ids[-1]
            time.sleep(0.2)
        raise RuntimeError("no window named " + name_pattern)

    def activate(self, window):
        self.run(["xdotool", "windowactivate", "--sync", window])
        time.sleep(0.3)

    def title(self, window):
        return self.run(["xdotool", "getwindowname", window]).stdout.rstrip("\n")

    def stop(self, proc):
        try:
            os.killpg(proc.pid, 15)
        except ProcessLookupError:
            pass
        proc.wait(timeout=10)

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                self.stop(proc)
        self.xvfb.terminate()
        self.xvfb.wait()


def wait_for(read, expected, timeout=15, settle=1.0):
    """Reads until it equals `expected` or stays unchanged for `settle` s."""
    deadline = time.time() + timeout
    last, since = None, time.time()
    while time.time() < deadline:
        now = read()
        if now == expected:
            return now
        if now != last:
            last, since = now, time.time()
        elif last and time.time() - since > settle:
            return last
        time.sleep(0.1)
    return last


def read_file(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def prove_chromium(s, runs):
    page = ("<title>proof</title><textarea id=t autofocus style='width:95%;height:90vh' "
            "oninput=\"document.title='['+this.value+']'\"></textarea>")
    url = "data:text/html;charset=utf-8," + urllib.parse.quote(page)
    proc = s.spawn(["chromium", "--no-sandbox", "--user-data-dir=" + s.work + "/chromium",
                    "--no-first-run", "--disable-gpu", "--password-store=basic",
                    "--app=" + url])
    window = s.window("^proof$", timeout=60)
    s.activate(window)
    exact = 0
    for _ in range(runs):
        s.type_keys("<CTRL>a<DEL>")
        wait_for(lambda: s.title(window), "[]", timeout=5)
        s.type_keys(TEXT)
        got = wait_for(lambda: s.title(window), "[" + TEXT + "]")
        exact += got == "[" + TEXT + "]"
        report_wrong(got, "[" + TEXT + "]")
    s.stop(proc)
    return exact


def prove_xterm(s, runs):
    exact = 0
    out = os.path.join(s.work, "xterm.txt")
    for _ in range(runs):
        if os.path.exists(out):
            os.remove(out)
        proc = s.spawn(["xterm", "-u8", "-T", "proofterm", "-e", "sh", "-c", "cat > " + out])
        window = s.window("^proofterm$")
        s.activate(window)
        s.type_keys(TEXT + "<ENTER>", "<CTRL>d")
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            s.stop(proc)
        got = read_file(out).rstrip("\n")
        exact += got == TEXT
        report_wrong(got, TEXT)
    return exact


def prove_editor(s, runs, program, name):
    path = os.path.join(s.work, name + ".txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write("x")
    proc = s.spawn([program, path])
    window = s.window(name + r"\.txt", timeout=30)
    s.activate(window)
    exact = 0
    for run in range(runs):
        s.type_keys("<CTRL>a", TEXT + " " + str(run), "<CTRL>s")
        expected = TEXT + " " + str(run)
        got = wait_for(lambda: read_file(path).rstrip("\n"), expected)
        exact += got == expected
        report_wrong(got, expected)
    s.stop(proc)
    return exact


def report_wrong(got, expected):
    if got == expected:
        return
    at = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b),
              min(len(got), len(expected)))
    print("    wrong at %d: got %r, expected %r" % (at, got[at:at + 12], expected[at:at + 12]),
          flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--layouts", default="us,de,fr,us+ru")
    parser.add_argument("--apps", default="chromium,xterm,mousepad,featherpad")
    parser.add_argument("--tessera", default="build/bin/tessera")
    args = parser.parse_args()
    tessera = os.path.abspath(args.tessera)
    results = []
    for layouts in args.layouts.split(","):
        layouts = layouts.replace("+", ",")
        for app in args.apps.split(","):
            work = tempfile.mkdtemp(prefix="proof-typing-")
            s = Session(tessera, work)
            try:
                s.layout(layouts)
                if app == "chromium":
                    exact = prove_chromium(s, args.runs)
                elif app == "xterm":
                    exact = prove_xterm(s, args.runs)
                else:
                    exact = prove_editor(s, args.runs, app, app)
            except Exception as error:  # a program that would not start
                print("%-6s %-10s error: %s" % (layouts, app, error), flush=True)
                exact = -1
            finally:
                s.close()
                shutil.rmtree(work, ignore_errors=True)
            results.append((layouts, app, exact))
            print("%-6s %-10s %d of %d exact" % (layouts, app, exact, args.runs), flush=True)
    return 0 if all(exact == args.runs for _, _, exact in results) else 1


if __name__ == "__main__":
    sys.exit(main())
