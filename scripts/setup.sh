#!/usr/bin/env bash
# Installs everything the build, the tests and the run need (Debian 12 or 13), and generates the
# zh_CN.UTF-8 locale. Idempotent: does nothing when all is there. Only the installs need root:
# through sudo where it exists; where it does not, it says what root must run.
set -euo pipefail

packages=(
    g++ cmake ninja-build googletest clang clang-format           # host build, second compiler
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64          # Windows build
    wine wine64 fonts-wine xvfb xauth xdotool imagemagick         # real window, screenshots
    locales fonts-wqy-microhei                                    # GBK texts shown as Chinese
    icoutils shellcheck python3 python3-yaml                      # checks of what ships
)

# The commands that need root, each one line of shell.
commands=()
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    commands+=("apt-get update -qq"
        "DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ${missing[*]} >/dev/null")
fi
if ! locale -a 2>/dev/null | grep -i '^zh_CN\.utf-\?8$' >/dev/null; then
    echo "setup: generating the zh_CN.UTF-8 locale"
    commands+=("sed -i -E 's/^# *(zh_CN.UTF-8 UTF-8)/\\1/' /etc/locale.gen"
        "grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen"
        "locale-gen >/dev/null")
fi

for command in "${commands[@]}"; do
    if [ "$(id -u)" -eq 0 ]; then
        sh -c "$command"
    elif command -v sudo >/dev/null; then
        sudo sh -c "$command"
    else
        echo "setup: installing needs root, and there is no sudo. As root, run:" >&2
        printf '    %s\n' "${commands[@]}" >&2
        exit 1
    fi
done
