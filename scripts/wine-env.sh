# Sourced: the environment of the project's private Wine prefix, which is made on first use.
root=$(cd "$(dirname "${BASH_SOURCE:-$0}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936 makes the program's GBK texts render as Chinese.
if locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then export LC_ALL=zh_CN.UTF-8; fi
# Debian's Wine looks for its own fonts in /usr/share/fonts, while its fonts-wine package puts
# them in /usr/share/wine/fonts: without Marlett, a caption's close box shows an "r". The
# prefix's Fonts folder, which Wine reads, gets them; wine-prefix.reg makes Wine 10 draw the
# caption and texts as Wine 8 does.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Parallel first runs must not build the prefix twice.
    flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || { wineboot -i &&
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" &&
        wine regedit /S "$(winepath -w "$0")"; }' "$root/scripts/wine-prefix.reg" >/dev/null 2>&1
fi
