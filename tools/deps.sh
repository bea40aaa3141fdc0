#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Zelvan need.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools libqt6svg6-dev qt6-qpa-plugins libgl-dev
    qt6-tools-dev qt6-l10n-tools
    libminizip-dev zlib1g-dev libcurl4-openssl-dev
    nlohmann-json3-dev libcli11-dev libutfcpp-dev
    libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
    python3 python3-icalendar tzdata xvfb xauth fonts-wqy-microhei clang-format time
    gettext help2man librsvg2-bin desktop-file-utils appstream lintian dpkg-dev file
    rime-data-pinyin-simp
    clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
