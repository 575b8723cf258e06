# A throw-away 32-bit Wine prefix inside the build tree, with a persistent
# wineserver whose streams are redirected (otherwise CTest waits for ever on
# pipes that Wine's services inherit).

wine_prefix_env() {
    export WINEPREFIX="$1"
    export WINEARCH=win32
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

# wine_prefix_create DIR: a fresh prefix with the null graphics driver, so
# dialogs and message boxes exist without X.
wine_prefix_create() {
    wine_prefix_env "$1"
    wine_server_stop
    rm -rf "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
    # Without a window manager each dialog close would wait for one.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wine_server_stop
    wine_server_start
}
