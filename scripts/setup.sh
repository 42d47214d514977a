#!/usr/bin/env bash
# Installs everything the build, the tests and the run need (Debian 12 or 13, as root),
# and generates the zh_CN.UTF-8 locale. Idempotent: does nothing when all is there.
set -euo pipefail

packages=(
    g++ cmake ninja-build googletest clang clang-format           # host build, second compiler
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64          # Windows build
    wine wine64 fonts-wine xvfb xauth xdotool imagemagick         # real window, screenshots
    locales fonts-wqy-microhei                                    # GBK texts shown as Chinese
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup: generating the zh_CN.UTF-8 locale"
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: generating a locale needs root" >&2
        exit 1
    fi
    sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
