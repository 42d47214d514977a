# shellcheck shell=sh
# Sourced, with root set to the project's folder: the environment of the project's own Wine
# prefix, which is made on first use. An inherited WINEPREFIX is never used: that prefix is the
# contributor's own. Another folder for the project's prefix can be named in
# TIMED_SHUTDOWN_WINEPREFIX.
export WINEPREFIX="${TIMED_SHUTDOWN_WINEPREFIX:-$root/build/wineprefix}"
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Only Wine's own commands run in Chinese: code page 936 makes the program's GBK texts render.
wine_locale=zh_CN.UTF-8

# Debian's Wine looks for its own fonts in /usr/share/fonts, while its fonts-wine package puts
# them in /usr/share/wine/fonts: without Marlett, a caption's close box shows an "r". The
# prefix's Fonts folder, which Wine reads, gets them; wine-prefix.reg makes Wine 10 draw the
# caption and texts as Wine 8 does. A prefix counts as made once its last step has written the
# marker; what a stopped making left is removed first, as wineboot takes a half-made prefix for a
# whole one. A named folder that these scripts did not begin is never touched.
make_wine_prefix() {
    if [ -n "${TIMED_SHUTDOWN_WINEPREFIX:-}" ] && [ ! -e "$WINEPREFIX.making" ] &&
        [ -n "$(ls -A "$WINEPREFIX" 2>/dev/null)" ]; then
        echo "$WINEPREFIX holds what these scripts did not make: name a new or empty folder"
        return 1
    fi
    touch "$WINEPREFIX.making" && rm -rf "$WINEPREFIX" &&
        LC_ALL=$wine_locale wineboot -i &&
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" &&
        LC_ALL=$wine_locale wine regedit /S "$(winepath -w "$root/scripts/wine-prefix.reg")" &&
        wineserver -w && # the server writes the registry as it ends
        touch "$WINEPREFIX/.made-by-timed-shutdown" && rm "$WINEPREFIX.making"
}

if [ ! -f "$WINEPREFIX/.made-by-timed-shutdown" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Parallel first runs must not make the prefix twice.
    {
        flock 9
        [ -f "$WINEPREFIX/.made-by-timed-shutdown" ] ||
            make_wine_prefix >"$WINEPREFIX.log" 2>&1 ||
            { echo "the Wine prefix $WINEPREFIX could not be made; see $WINEPREFIX.log" >&2 && exit 1; }
    } 9>"$WINEPREFIX.lock"
fi
