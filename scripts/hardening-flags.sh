#!/usr/bin/env bash
# Prints, one a line, the CMake arguments that compile and link with the
# flags Debian packages are built with (dpkg-buildflags, hardening on), so
# debian/rules can make the packages from such a build without compiling again.
set -euo pipefail
get() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
# CMake has no CPPFLAGS: the preprocessor flags go with the compiler's.
echo "-DCMAKE_C_FLAGS=$(get CFLAGS) $(get CPPFLAGS)"
echo "-DCMAKE_CXX_FLAGS=$(get CXXFLAGS) $(get CPPFLAGS)"
for kind in EXE SHARED MODULE; do
    echo "-DCMAKE_${kind}_LINKER_FLAGS=$(get LDFLAGS)"
done
