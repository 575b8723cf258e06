# A throw-away Wine prefix inside the build tree, with a persistent wineserver
# whose streams are redirected (otherwise CTest waits for ever on pipes that
# Wine's services inherit). 32-bit for the x86 build, 64-bit for x64.

# wine_use_arch ARCH: the Wine that runs the ARCH build. Debian's wine wrapper
# always takes the 32-bit loader once wine32 is installed, so 64-bit Wine is
# called through its own loader, which also starts every child process
# (WINELOADER). The wineserver wrapper picks the 64-bit server by itself,
# and that one serves 32-bit prefixes too.
# Both are exported, so that scripts started from here (the tests' own) run
# the same Wine.
wine_use_arch() {
    case $1 in
        x86)
            export SETUP_WINE_ARCH=x86
            unset WINELOADER
            ;;
        x64)
            export SETUP_WINE_ARCH=x64
            local loader=/usr/lib/wine/wine64
            [ -x "$loader" ] || loader=$(command -v wine64 || true)
            if [ -z "$loader" ]; then
                # Never fall back to the wrapper: it would run 32-bit Wine.
                echo "wine_use_arch: no 64-bit Wine loader (install wine64)" >&2
                return 1
            fi
            export WINELOADER=$loader
            ;;
        *) echo "wine_use_arch: unknown architecture $1" >&2; return 1 ;;
    esac
}

# wine ARGUMENTS...: the chosen Wine (x86 unless wine_use_arch said otherwise),
# also for wineboot, reg, winepath and regedit.
wine() {
    if [ -n "${WINELOADER:-}" ]; then
        "$WINELOADER" "$@"
    else
        command wine "$@"
    fi
}

wine_prefix_env() {
    export WINEPREFIX="$1"
    if [ "${SETUP_WINE_ARCH:-x86}" = x64 ]; then
        export WINEARCH=win64
    else
        export WINEARCH=win32
    fi
    export WINEDEBUG=-all
    # Saving a shortcut must not write menu entries outside the prefix.
    export WINEDLLOVERRIDES="winemenubuilder.exe=d"
}

wine_server_start() {
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
}

wine_server_stop() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
}

# wine_prefix_unmount DIR: takes away what a test mounted inside DIR (a small
# tmpfs for a full disk) and a killed run left mounted, deepest first, so
# that the folder can be removed.
wine_prefix_unmount() {
    local mounted
    [ -r /proc/mounts ] || return 0
    awk -v dir="$1/" 'index($2, dir) == 1 { print $2 }' /proc/mounts | sort -r | while read -r mounted; do
        umount -l "$mounted" 2>/dev/null || true
    done
}

# wine_prefix_create DIR: a fresh prefix with the null graphics driver, so
# dialogs and message boxes exist without X.
wine_prefix_create() {
    wine_prefix_env "$1"
    wine_server_stop
    wine_prefix_unmount "$WINEPREFIX"
    rm -rf "$WINEPREFIX"
    # A 64-bit prefix reports once that syswow64\rundll32.exe is missing
    # (wine32 may not be installed), and works.
    wine wineboot -i </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    # Without a window manager each dialog close would wait for one.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wine_server_stop
    wine_server_start
}

# wine_prefix_fonts: Debian's Wine doesn't find its own TrueType fonts
# (Marlett draws the caption buttons); from the prefix's font folder it loads
# them. Only windows that are drawn need them. Windows draws the East Asian
# letters that its dialog font lacks from fonts it links to that one (MS UI
# Gothic first); Wine links the same names, so Debian's WenQuanYi Micro Hei
# (fonts-wqy-microhei), where it is installed, stands in for that font.
# wine_prefix_fonts all-scripts leaves Wine's own Tahoma out: with it, Wine
# links no other font into edit controls and captions, which then show East
# Asian letters as boxes; without it, Wine's font fallback draws every script.
wine_prefix_fonts() {
    local font fonts=(marlett.ttf tahoma.ttf tahomabd.ttf)
    [ "${1:-}" != all-scripts ] || fonts=(marlett.ttf)
    for font in "${fonts[@]}"; do
        if [ -f "/usr/share/wine/fonts/$font" ]; then
            cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
        fi
    done
    if fc-list 2>/dev/null | grep -q 'WenQuanYi Micro Hei'; then
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'WenQuanYi Micro Hei' /f \
            </dev/null >/dev/null 2>&1
    fi
}
