# The pieces of tools/demo: a private X display, a throw-away Wine prefix with
# a simulated CD-ROM drive, the sample medium, the road itself and the check of
# its transcript against README.md. Needs tools/lib/wine-prefix.sh.

# The drive that holds the medium; its letter shows in the transcript.
DEMO_DRIVE=e:
# Where an uninstall parks the running Setup.exe (in the temporary folder).
DEMO_PARKED_NAME='_$_Morvelan_Remove_Me_$_'
# Pictures as the driver names them, and the names they are saved under.
DEMO_PICTURES=(install-dialog:install-dialog install-box-1:install-success run-box-1:run-patch
               run-box-2:run-game uninstall-dialog:uninstall-dialog uninstall-box-1:uninstall-success
               progress-window:install-progress)
# The progress window's install goes into a folder of its own, beside the
# road's, so that whatever it might leave can't be taken for the road's.
DEMO_PROGRESS_FOLDER_MARK=' (progress picture)'


demo_xvfb_pid=""
demo_prefix=""

# demo_locate_built_files CROSS_DIR: the files of the medium and the driver.
demo_locate_built_files() {
    local dir=$1
    demo_setup_exe=$dir/src/Setup.exe
    demo_gamepatch_exe=$dir/examples/GamePatch.exe
    demo_rallypatch_exe=$dir/examples/RallyPatch.exe
    demo_rally_exe=$dir/examples/Rally.exe
    demo_rallyfix_dll=$dir/examples/RallyFix.dll
    demo_driver_exe=$dir/tests/demo/demo_driver.exe
    # A Setup.exe built with test hooks: it can make each change of its install take a while.
    demo_slow_setup_exe=$dir/tests/helpers/kill_after_step_setup.exe
    local file
    for file in "$demo_setup_exe" "$demo_gamepatch_exe" "$demo_rallypatch_exe" "$demo_rally_exe" \
        "$demo_rallyfix_dll" "$demo_driver_exe" "$demo_slow_setup_exe"; do
        if [ ! -f "$file" ]; then
            echo "tools/demo: $file has not been built" >&2
            return 1
        fi
    done
}

# demo_start_xvfb WORK: a display of our own; Xvfb picks a free number.
demo_start_xvfb() {
    local number_file=$1/xvfb-display
    rm -f "$number_file"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >"$1/xvfb.log" 2>&1 &
    demo_xvfb_pid=$!
    local tries
    for tries in $(seq 100); do
        if [ -s "$number_file" ]; then
            export DISPLAY=":$(head -1 "$number_file")"
            return 0
        fi
        sleep 0.1
    done
    echo "tools/demo: Xvfb did not start (see $1/xvfb.log)" >&2
    return 1
}

# demo_stop: ends what tools/demo started: its wineserver, its display, and
# the prefix itself, which no later run reuses.
demo_stop() {
    if [ -n "$demo_prefix" ]; then
        wine_server_stop
        rm -rf "$demo_prefix"
    fi
    if [ -n "$demo_xvfb_pid" ]; then
        kill "$demo_xvfb_pid" 2>/dev/null || true
        wait "$demo_xvfb_pid" 2>/dev/null || true
    fi
}

# demo_make_prefix DIR INTERACTIVE: a fresh prefix of the chosen architecture
# (wine_use_arch) that draws real windows (the X11 driver), so that they can be pictured or clicked.
demo_make_prefix() {
    wine_prefix_env "$1"
    # No add-on installers: their questions would wait for ever on Xvfb.
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
    wine_server_stop
    rm -rf "$WINEPREFIX"
    demo_prefix=$WINEPREFIX
    echo "== Fresh Wine prefix in $WINEPREFIX"
    wine wineboot -i </dev/null >/dev/null 2>&1
    wine_prefix_fonts
    # A crashing program must not leave a dialog behind that nobody answers.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    if [ "$2" -eq 0 ]; then
        # Without a window manager each dialog close would wait for one.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    fi
}

# demo_ini_value FILE SECTION KEY: a value as the tool reads it (names match
# ignoring case, one pair of enclosing quotation marks removed).
demo_ini_value() {
    awk -v section="$2" -v key="$3" '
        { sub(/\r$/, "") }
        /^[ \t]*\[/ { inside = (tolower($0) ~ "^[ \t]*\\[" tolower(section) "\\]") ; next }
        inside {
            split_at = index($0, "=")
            if (split_at == 0) next
            name = substr($0, 1, split_at - 1); gsub(/^[ \t]+|[ \t]+$/, "", name)
            if (tolower(name) != tolower(key)) next
            value = substr($0, split_at + 1); gsub(/^[ \t]+|[ \t]+$/, "", value)
            if (length(value) >= 2 && substr(value, 1, 1) == substr(value, length(value)) && substr(value, 1, 1) ~ /["\047]/)
                value = substr(value, 2, length(value) - 2)
            print value; exit
        }' "$1"
}

# demo_assemble_medium SAMPLE DIR: the sample's files and the built programs.
demo_assemble_medium() {
    local sample=$1 medium=$2
    rm -rf "$medium"
    mkdir -p "$medium/Game"
    cp "$sample"/* "$medium/"
    cp "$demo_setup_exe" "$demo_gamepatch_exe" "$demo_rallypatch_exe" "$demo_rallyfix_dll" "$medium/"
    cp "$demo_rally_exe" "$medium/Game/"
    # Wine reads a drive's volume label from this file.
    demo_ini_value "$medium/Setup.ini" General Volume >"$medium/.windows-label"
}

# demo_medium_from_image SOURCE MEDIUM: the assembled medium made into a disc
# image by tools/make-medium (which checks it first), and the image extracted
# as MEDIUM, labelled as the image is, as Wine would show the real disc.
demo_medium_from_image() {
    local source=$1 medium=$2 image=$2.iso
    "$(dirname "${BASH_SOURCE[0]}")/../make-medium" "$source" "$image"
    # A run stopped before the chmod below left read-only folders behind.
    if [ -d "$medium" ]; then
        chmod -R u+w "$medium"
    fi
    rm -rf "$medium"
    xorriso -osirrox on -indev "$image" -extract / "$medium" >/dev/null 2>&1
    # Extracted as a disc holds them, read-only; the next run must remove them.
    chmod -R u+w "$medium"
    xorriso -indev "$image" -pvd_info 2>/dev/null | sed -n 's/^Volume Id *: //p' >"$medium/.windows-label"
}

# demo_insert_disc MEDIUM: the medium becomes the disc in drive E:.
demo_insert_disc() {
    ln -sfn "$1" "$WINEPREFIX/dosdevices/$DEMO_DRIVE"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$DEMO_DRIVE" /d cdrom /f </dev/null >/dev/null 2>&1
    # New drives and labels are seen only by a new wineserver.
    wine_server_stop
    wine_server_start
}

# demo_windows_path PATH: a Unix path as Wine sees it through drive Z:.
demo_windows_path() {
    printf 'Z:%s\n' "$1" | tr / '\\'
}

demo_driver() {
    wine "$demo_driver_exe" "$@" </dev/null
}

# demo_where NAME: a folder of the prefix, as the driver reports it.
demo_where() {
    demo_driver where | sed -n "s/^$1: //p"
}

# demo_print_installed_setup WINDOWS_PATH: the file with its line ends told.
demo_print_installed_setup() {
    local file
    file=$(wine winepath -u "$1" </dev/null 2>/dev/null)
    if [ ! -f "$file" ]; then
        echo "$1: not there"
        return 0
    fi
    local lines crlf
    lines=$(wc -l <"$file")
    crlf=$(grep -c $'\r$' "$file" || true)
    echo "$1 ($lines lines, $crlf of them end in CR LF):"
    sed -e 's/\r$//' -e 's/^/  | /' -e 's/ $//' "$file"
}

# The entries of Settings > Apps (Programs and Features), in the registry
# view of the build that plays.
DEMO_APPS_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# demo_apps_entry NAME: the patch as Windows' own uninstaller lists it, and
# its entry's values; the date and the size of the copy, which differ from
# day to day and from build to build, as words.
demo_apps_entry() {
    local listed key
    listed=$(wine uninstaller --list </dev/null 2>/dev/null | tr -d '\r' | grep -F "|||$1" || true)
    if [ -z "$listed" ]; then
        echo "$1: not listed"
        return 0
    fi
    echo "listed: $listed"
    key=${listed%%|||*}
    wine reg query "$DEMO_APPS_KEY\\$key" </dev/null 2>/dev/null | tr -d '\r' |
        awk -F '    ' 'NF >= 4 { print "  " $2 " (" $3 "): " $4 }' |
        sed -E -e 's/^(  InstallDate \(REG_SZ\)): [0-9]{8}$/\1: <the day of the install>/' \
               -e 's/^(  EstimatedSize \(REG_DWORD\)): .*$/\1: <the KiB copied>/' | sort
}

# demo_road WORK [DRIVER OPTIONS]: install, run mode and uninstall, each with
# what the tool showed and what it left on disk. Run mode and uninstall start
# from their Start-menu shortcuts, as a user starts them.
demo_road() {
    local work=$1
    shift
    local ini=$work/medium/Setup.ini
    local app_name target_name start_name uninstall_name volume program_files programs temp
    app_name=$(demo_ini_value "$ini" General AppName)
    target_name=$(demo_ini_value "$ini" General TargetFolder)
    start_name=$(demo_ini_value "$ini" Text ShortcutStart)
    uninstall_name=$(demo_ini_value "$ini" Text ShortcutUninstall)
    volume=$(demo_ini_value "$ini" General Volume)
    program_files=$(demo_where "Program Files")
    programs=$(demo_where Programs)
    temp=$(demo_where Temp)
    local target="$program_files\\$target_name"
    local group="$programs\\$app_name"
    local drive_root="${DEMO_DRIVE^^}\\"

    echo "== The medium: the disc in drive ${DEMO_DRIVE^^} (a CD-ROM drive, label $volume)"
    demo_driver disk "$drive_root" | grep -v '^  \.windows-label'
    echo
    echo "== Install: Setup.exe started from the disc"
    demo_driver install "$drive_root" "$@" || true
    echo
    echo "== On disk after the install"
    demo_driver disk "$target" "$group"
    demo_print_installed_setup "$target\\Setup.ini"
    echo
    echo "== In Settings > Apps after the install"
    demo_apps_entry "$app_name"
    echo
    echo "== Run mode: the start shortcut \"$start_name\" opened through the shell, the disc in the drive"
    demo_driver run "$group\\$start_name.lnk" "$@" || true
    echo
    echo "== Uninstall: the shortcut \"$uninstall_name\" opened through the shell"
    demo_driver uninstall "$group\\$uninstall_name.lnk" "$@" || true
    echo
    echo "== On disk after the uninstall"
    demo_driver disk "$target" "$group" "$temp$DEMO_PARKED_NAME"
    echo
    echo "== In Settings > Apps after the uninstall"
    demo_apps_entry "$app_name"
}

# demo_progress_picture WORK PICTURES: the progress window, which the sample's
# quick install never shows, pictured on a copy of the medium whose Setup.exe
# is the slowed-down test build, installing into a folder of its own; its
# Cancel and Yes then put everything back. Not part of the road: its lines
# are no part of the transcript. Fails when the install left anything.
demo_progress_picture() {
    local work=$1 pictures=$2
    local medium=$work/progress-medium
    rm -rf "$medium"
    cp -r "$work/source" "$medium"
    cp "$demo_slow_setup_exe" "$medium/Setup.exe"
    sed -i -E "s/^(TargetFolder=\"[^\"]*)\"/\\1$DEMO_PROGRESS_FOLDER_MARK\"/" "$medium/Setup.ini"
    local ini=$medium/Setup.ini
    local target_name app_name target group
    target_name=$(demo_ini_value "$ini" General TargetFolder)
    if [ "${target_name%"$DEMO_PROGRESS_FOLDER_MARK"}" = "$target_name" ]; then
        echo "tools/demo: the copy's Setup.ini names no folder of its own (TargetFolder=$target_name)" >&2
        return 1
    fi
    app_name=$(demo_ini_value "$ini" General AppName)
    target="$(demo_where "Program Files")\\$target_name"
    group="$(demo_where Programs)\\$app_name"
    echo
    echo "== The progress window: a copy of the medium, slowed down, installs into $target and is cancelled"
    local status=0
    demo_driver progress "$(demo_windows_path "$medium")" --pictures "$pictures" || status=1
    echo
    echo "== On disk and in Settings > Apps after the cancel"
    local left
    left=$(demo_driver disk "$target" "$target.install-journal" "$group"; demo_apps_entry "$app_name")
    printf '%s\n' "$left"
    if grep -qvE ': not (there|listed)$' <<<"$left"; then
        echo "tools/demo: the cancelled install left something behind" >&2
        status=1
    fi
    return $status
}

# demo_save_pictures DIR: the driver's BMP pictures as PNG files.
demo_save_pictures() {
    local dir=$1 entry from to missing=0
    echo
    echo "== Pictures"
    for entry in "${DEMO_PICTURES[@]}"; do
        from=${entry%%:*}
        to=${entry#*:}
        if [ -f "$dir/$from.bmp" ]; then
            convert "$dir/$from.bmp" "$dir/$to.png"
            rm -f "$dir/$from.bmp"
            echo "$dir/$to.png"
        else
            echo "missing: $to (no picture $from.bmp was taken)"
            missing=1
        fi
    done
    return $missing
}

# demo_compare_with_readme TRANSCRIPT README: the road as README.md tells it,
# without the lines that depend on the machine (pictures, the user's name).
demo_compare_with_readme() {
    local transcript=$1 readme=$2
    local expected actual
    expected=$(sed -n '/<!-- demo-road:begin -->/,/<!-- demo-road:end -->/p' "$readme" | sed -e '1,2d' -e '$d' | sed '$d')
    grep -v '^  picture: ' "$transcript" | sed -E 's/\\users\\[^\\]+\\/\\users\\<user>\\/g' >"$transcript.readme"
    actual=$(cat "$transcript.readme")
    echo
    if [ "$expected" == "$actual" ]; then
        echo "== The road went as README.md tells it."
        return 0
    fi
    echo "== The road differs from README.md (- README, + this run):"
    diff -u <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | tail -n +3 || true
    echo "(This run's road, as README.md would tell it: $transcript.readme)"
    return 1
}
