#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's prefix.
# Used by CTest as the cross-compiling emulator.
set -u
if [ -z "${BUILD_DIR:-}" ]; then
    # Called from CTest: the build folder is the one holding CTestTestfile.cmake
    d="$PWD"; while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d="$(dirname "$d")"; done
    [ -f "$d/CMakeCache.txt" ] && BUILD_DIR="$d"
fi
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_prefix_init
exec wine "$@"
