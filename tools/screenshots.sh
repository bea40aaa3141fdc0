#!/usr/bin/env bash
# Builds the application and the sample timetable, then saves a PNG of every view.
#
#     tools/screenshots.sh [OUTDIR]        # default: build-ui/screenshots
#
# Runs on the offscreen platform (no display needed) with the WenQuanYi Micro Hei font from
# Debian's fonts-wqy-microhei, so that the Chinese texts render.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELVAN_BUILD_DIR:-$root/build-ui}"
out="${1:-$build/screenshots}"

if [ ! -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ]; then
    echo "fonts-wqy-microhei is not installed (tools/deps.sh installs it)" >&2
    exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVAN_BUILD_BENCH=OFF
fi
cmake --build "$build" --target zelvan zelvan-cli -j2

# The sample timetable, compiled into a folder of its own.
data="$(mktemp -d)"
trap 'rm -rf "$data"' EXIT
"$build/bin/zelvan-cli" build "$root/data/sample" "$data"

mkdir -p "$out"
rm -f "$out"/*.png
QT_QPA_PLATFORM=offscreen QT_QPA_FONTDIR=/usr/share/fonts/truetype/wqy \
    "$build/bin/zelvan" --data "$data" --screenshots "$out"
ls "$out"
