#!/usr/bin/env bash
# make test: runs every CTest test under Wine, GUI tests under a private Xvfb.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
. scripts/xvfb.sh

cleanup() { wineserver -k 2>/dev/null; stop_xvfb; }
trap cleanup EXIT

start_xvfb || exit 1
wine_prefix_init
mkdir -p "$BUILD_DIR/screenshots"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 --timeout 600 "$@"
rc=$?
exit $rc
