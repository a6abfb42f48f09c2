#!/usr/bin/env bash
# make bench: builds the bench programs and prints one table, measured in
# this one run under Wine, in a prefix and on an X server of its own.
#   copy    ResourceCopier against CopyFileA and the safe-write floor (one
#           WriteFile, flush, replace) on the same bytes: the 1,359,819-byte
#           archive and a 64 MiB payload; medians of BENCH_RUNS runs
#   patch   the real patch.exe: start-up to a visible dialog, fix click to
#           the completion message
#   image   patch.exe's size, its payloads, its own overhead, its imports
# Absolute times vary between runs and machines; the ratios are the figures.
set -u
cd "$(dirname "$0")/.."
: "${BUILD_DIR:=build}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
export BUILD_DIR
export WINEPREFIX="$BUILD_DIR/bench-prefix"
. scripts/wine-env.sh
. scripts/xvfb.sh
RUNS="${BENCH_RUNS:-7}"
PATCH_RUNS="${BENCH_PATCH_RUNS:-5}"

echo "bench: building the bench programs (the 64 MiB payload is made once)"
cmake --build "$BUILD_DIR" --target bench_tools -j2 >"$BUILD_DIR/bench-build.log" 2>&1 ||
    { cat "$BUILD_DIR/bench-build.log" >&2; exit 1; }

cleanup() { wineserver -k 2>/dev/null; stop_xvfb; }
trap cleanup EXIT
start_xvfb || exit 1
wine_prefix_init

rows="$BUILD_DIR/bench/rows.txt"
: >"$rows"
echo "bench: copies ($RUNS runs each)"
wine "$BUILD_DIR/bench/copier_bench.exe" 'C:\bench-copies' "$RUNS" >>"$rows" || { echo "bench: copier_bench failed" >&2; exit 1; }
echo "bench: patch.exe ($PATCH_RUNS runs)"
wine "$BUILD_DIR/bench/patch_bench.exe" "$PATCH_RUNS" >>"$rows" || { echo "bench: patch_bench failed" >&2; exit 1; }

exe="$BUILD_DIR/patch.exe"
echo "image|size|$(stat -c %s "$exe")" >>"$rows"
for p in system.xp3 system.xp3.sig; do
    echo "image|payload|$(stat -c %s "$BUILD_DIR/payloads/$p")|$p" >>"$rows"
done
echo "image|imports|$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')" >>"$rows"

python3 - "$rows" <<'PY'
import sys
rows = [line.rstrip("\n").split("|") for line in open(sys.argv[1]) if "|" in line]
copies = {}
for r in rows:
    if r[0] == "copy":
        copies.setdefault(r[1], {})[r[3]] = (int(r[2]), float(r[4]), int(r[5]))
print()
print("Copy of one payload (median of runs; ratio = time / safe-write floor)")
print(f"{'payload':<9} {'bytes':>10}  {'method':<10} {'ms':>9} {'MB/s':>8} {'ratio':>6}")
for name in ("archive", "64MiB"):
    methods = copies.get(name, {})
    floor = methods.get("safewrite", (0, 0.0, 0))[1]
    for method in ("copier", "copyfile", "safewrite"):
        if method not in methods:
            continue
        size, ms, runs = methods[method]
        mbps = size / 1e6 / (ms / 1000) if ms > 0 else float("inf")
        ratio = ms / floor if floor > 0 else float("nan")
        print(f"{name:<9} {size:>10,}  {method:<10} {ms:>9.2f} {mbps:>8.1f} {ratio:>6.2f}")
big = copies.get("64MiB", {})
if "copier" in big and "safewrite" in big:
    ratio = big["copier"][1] / big["safewrite"][1]
    verdict = "met" if ratio <= 1.10 else "not met"
    print(f"goal: copier within 10% of the safe-write floor on 64 MiB: {verdict} ({(ratio - 1) * 100:+.1f}%)")
print()
print("patch.exe (median of runs)")
for r in rows:
    if r[0] == "patch":
        label = {"startup": "start-up to visible dialog", "fix-to-complete": "fix click to completion message"}[r[1]]
        print(f"  {label:<32} {float(r[2]):>8.1f} ms  ({r[3]} runs)")
size = next(int(r[2]) for r in rows if r[:2] == ["image", "size"])
payloads = [(r[3], int(r[2])) for r in rows if r[:2] == ["image", "payload"]]
imports = next(r[2] for r in rows if r[:2] == ["image", "imports"])
total = sum(b for _, b in payloads)
print()
print("patch.exe image")
print(f"  executable size      {size:>10,} bytes")
for name, b in payloads:
    print(f"  payload {name:<12} {b:>10,} bytes")
print(f"  overhead             {size - total:>10,} bytes ({(size - total) / 1024:.1f} KiB)")
print(f"  imports              {imports.strip()}")
PY
