#!/usr/bin/env bash
# Builds the application and the sample timetable, then saves a PNG of every view.
#
#     tools/screenshots.sh [OUTDIR]        # default: build-ui/screenshots
#
# The views go into OUTDIR/zh-540x960, zh-1366x768, en-540x960 and en-1366x768: Chinese and
# English, at a phone's size and a laptop's.
# Runs on the offscreen platform (no display needed) with the WenQuanYi Micro Hei font from
# Debian's fonts-wqy-microhei, so that the Chinese texts render. The views include the station
# fields taking pinyin, the date line over dated answers, the unknown-station message, the
# stations used last and the boxes that show a link or message the desktop cannot open. The
# last views are an update from a slow server on 127.0.0.1 (the update tests' server), cancelled
# half-way: the script checks that the timetable is unchanged afterwards.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZELVAN_BUILD_DIR:-$root/build-ui}"
out="${1:-$build/screenshots}"

if [ ! -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ]; then
    echo "fonts-wqy-microhei is not installed (tools/deps.sh installs it)" >&2
    exit 1
fi
if [ ! -f /usr/share/rime-data/pinyin_simp.dict.yaml ]; then
    echo "rime-data-pinyin-simp is not installed (tools/deps.sh installs it);" \
        "the station fields would not take pinyin" >&2
    exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVAN_BUILD_BENCH=OFF
fi
cmake --build "$build" --target zelvan zelvan-cli -j2

# The sample timetable, compiled into a folder of its own.
work="$(mktemp -d)"
server=""
trap '[ -z "$server" ] || kill "$server"; rm -rf "$work"' EXIT
data="$work/data"
"$build/bin/zelvan-cli" build "$root/data/sample" "$data"

# On offer: the sample with a newer version, sent in 1 KB pieces 50 ms apart.
mkdir -p "$work/site" "$work/offered"
cp -r "$root/data/sample/." "$work/offered/source"
echo "2099.01.01" >"$work/offered/source/version.txt"
"$build/bin/zelvan-cli" build "$work/offered/source" "$work/offered/data"
python3 "$root/tests/update/http_server.py" "$work/site" 0.05 >"$work/port" &
server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
base="http://127.0.0.1:$(head -n1 "$work/port")"
"$build/bin/zelvan-cli" pack "$work/offered/data" "$work/site/wm.db" --url "$base/slow/wm.db" \
    >/dev/null
mv "$work/site/wm.db.ver" "$work/site/wm.ver"
before="$(cd "$data" && sha1sum -- *)"

# Every view in both languages, on a phone's portrait screen and on a small laptop's; each
# run walks the cancelled update again, so each checks that the timetable stays unchanged.
rm -rf "$out"
for language in zh_CN en_US; do
    for size in 540x960 1366x768; do
        shots="$out/${language%%_*}-$size"
        mkdir -p "$shots"
        LANGUAGE= LC_ALL= LC_MESSAGES= LANG="$language.UTF-8" QT_QPA_PLATFORM=offscreen \
            QT_QPA_FONTDIR=/usr/share/fonts/truetype/wqy \
            "$build/bin/zelvan" --data "$data" --server "$base" --size "$size" --screenshots "$shots"
        if [ "$(cd "$data" && sha1sum -- *)" != "$before" ]; then
            echo "the cancelled update changed the timetable" >&2
            exit 1
        fi
    done
done
ls "$out"
