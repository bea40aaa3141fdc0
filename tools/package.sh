#!/usr/bin/env bash
# Builds the Debian package in the release build and checks it: lintian, the file list, the
# desktop entry and metadata, and the unpacked programs answering from their own timetable.
#
#     tools/package.sh            # leaves build-release/zelvan_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

cmake --preset release >/dev/null
cmake --build build-release -j"$(nproc)"
(cd build-release && cpack -G DEB)
deb="$(ls build-release/zelvan_*.deb)"
echo "== $deb"
dpkg-deb --field "$deb"

# Errors and warnings fail. Shown but accepted (information only):
#   binary-has-unneeded-section .comment: the compiler's version note, a few hundred bytes;
#   package-contains-documentation-outside-usr-share-doc: ads.txt, name.txt, ver.txt and
#     pinyin.txt are timetable data files that the programs read, not documentation.
echo "== lintian"
lintian --fail-on error,warning --display-info "$deb"

echo "== files, validation, and the unpacked programs"
python3 "$root/tests/packaging/check_install.py" --deb "$deb"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
"$scratch/usr/bin/zelvan-cli" --data "$scratch/usr/share/zelvan/timetable" info
"$scratch/usr/bin/zelvan-cli" --data "$scratch/usr/share/zelvan/timetable" route 北京 上海 | head -5
