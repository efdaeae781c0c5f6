#!/usr/bin/env bash
# Builds the programs without tests, installs them into a temporary prefix and
# runs them from there (home folder under $XDG_DATA_HOME, help and plugin
# header found), validates the desktop entry and the metainfo, then makes the
# Debian package and installs, runs and removes it. Needs root for apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-package}
JOBS=${JOBS:-$(nproc)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# REUSE_BUILD=1 takes BUILD_DIR as it is configured (CI hands it the test
# build, so the programs are not compiled a second time).
if [ -z "${REUSE_BUILD:-}" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWINGMATE_BUILD_TESTS=OFF \
        -DWINGMATE_BUILD_BENCH=OFF ${CMAKE_ARGS:-} >/dev/null
fi
cmake --build "$BUILD_DIR" -j"$JOBS"

fail() { echo "package-check: $*" >&2; exit 1; }

echo "== Install into a temporary prefix"
prefix="$work/prefix"
cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WINGMATE_HOME
version=$(sed -n 's/^project(Wingmate VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for program in tessera wingmatectl wingmate; do
    [ "$("$prefix/bin/$program" --version)" = "$program $version" ] || fail "$program --version"
    "$prefix/bin/$program" --help >/dev/null || fail "$program --help"
done
set +e
"$prefix/bin/wingmatectl" frobnicate 2>/dev/null
[ $? = 2 ] || fail "bad usage must exit 2"
"$prefix/bin/wingmatectl" status 2>"$work/status.err"
[ $? = 1 ] && grep -qx "Wingmate is not running." "$work/status.err" || fail "status without a program"
set -e

printf 'Print("hello from " + "tessera");\n' >"$work/hello.tsc"
[ "$("$prefix/bin/tessera" "$work/hello.tsc")" = "hello from tessera" ] || fail "installed tessera"

# The first start lays out the home folder under XDG_DATA_HOME, not beside the
# program, with the examples; status then answers over the socket.
QT_QPA_PLATFORM=offscreen "$prefix/bin/wingmate" >"$work/wingmate.out" 2>&1 &
wingmate_pid=$!
for _ in $(seq 100); do
    "$prefix/bin/wingmatectl" status >/dev/null 2>&1 && break
    sleep 0.2
done
"$prefix/bin/wingmatectl" status --json | grep -q '"running": true' || fail "status of the running program"
kill -TERM "$wingmate_pid"
wait "$wingmate_pid" || true
[ -f "$XDG_DATA_HOME/Wingmate/Macros.mcf" ] || fail "no library in \$XDG_DATA_HOME/Wingmate"
[ ! -e "$prefix/bin/Macros.mcf" ] || fail "the installed program wrote beside itself"
"$prefix/bin/wingmatectl" list | grep -q "Examples" || fail "the first start's examples"
for script in "$XDG_DATA_HOME"/Wingmate/Scripts/Examples/*.tsc; do
    "$prefix/bin/tessera" --disassemble "$script" >/dev/null || fail "example $script compiles"
done
for page in Wingmate Tessera; do
    grep -q "<title>" "$prefix/share/wingmate/help/$page.html" || fail "help page $page"
done
[ -z "$(ls "$prefix/bin/Glimmer" 2>/dev/null)" ] || [ -x "$prefix/bin/Glimmer" ] || fail "Glimmer"

# A plugin author's build against the installed header.
PKG_CONFIG_PATH="$prefix/lib/pkgconfig:$prefix/lib/$(gcc -print-multiarch)/pkgconfig" \
    pkg-config --cflags tessera-plugin >"$work/cflags"
c++ -std=c++20 -shared -fPIC $(cat "$work/cflags") examples/plugins/TextUtils.cpp \
    -o "$work/libmine.so" || fail "plugin against the installed header"

echo "== Validate desktop entry and metainfo"
desktop-file-validate "$prefix"/share/applications/*.desktop
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml
if command -v man >/dev/null; then
    for page in tessera wingmatectl wingmate; do
        LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" >/dev/null
    done
fi
for program in tessera wingmatectl; do
    bash -n "$prefix/share/bash-completion/completions/$program"
    if command -v zsh >/dev/null; then zsh -n "$prefix/share/zsh/vendor-completions/_$program"; fi
    if command -v fish >/dev/null; then
        fish --no-execute "$prefix/share/fish/vendor_completions.d/$program.fish"
    fi
done

echo "== Debian package round trip"
(cd "$BUILD_DIR" && rm -f wingmate_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD_DIR"/wingmate_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || fail "the package does not depend on $needed"
done
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath "$deb")" >/dev/null
[ "$(/usr/bin/tessera "$work/hello.tsc")" = "hello from tessera" ] || fail "packaged tessera"
/usr/bin/wingmatectl --version
/usr/bin/wingmate --version
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq wingmate >/dev/null
[ ! -e /usr/bin/wingmatectl ] || fail "the package was not removed"
echo "package-check: all good"
