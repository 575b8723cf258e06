#!/usr/bin/env bash
# Runs a test program under Wine with simulated CD-ROM drives and takes them
# away again afterwards, so that the prefix (shared by all tests) is left
# without CD-ROM drives.
#   with_cd_drives.sh WINE DRIVES_DIR [LETTER=LABEL | LETTER=-]... -- PROGRAM [ARGUMENTS...]
# LETTER=LABEL makes a CD-ROM drive on a fresh, empty folder whose volume
# label is LABEL (which may be empty); LETTER=- one whose folder is missing,
# Wine's nearest thing to a drive without a disc. Without drives the program
# just runs. Wine picks up new letters and labels only when the wineserver
# starts, so it is restarted after the drives are made and again after they
# are gone. WINEPREFIX (and the rest of Wine's environment) come from tools/test.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/lib/wine-prefix.sh"

wine=$1
drives_dir=$(realpath -m "$2")  # the links must not depend on where they lie
shift 2
letters=()
labels=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    spec=$1
    shift
    letter=${spec%%=*}
    case $letter in
        [a-z]) ;;
        *) echo "with_cd_drives.sh: bad drive '$spec'" >&2; exit 2 ;;
    esac
    letters+=("$letter")
    labels+=("${spec#*=}")
done
[ "${1:-}" = "--" ] || { echo "with_cd_drives.sh: no -- before the program" >&2; exit 2; }
shift

if [ ${#letters[@]} -eq 0 ]; then
    exec "$wine" "$@"
fi

if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX/dosdevices" ]; then
    echo "with_cd_drives.sh: WINEPREFIX must name the test prefix (run the tests through tools/test)" >&2
    exit 2
fi
dosdevices=$WINEPREFIX/dosdevices
for letter in "${letters[@]}"; do
    link=$dosdevices/$letter:
    # A link into our own folder is left over from a run that was killed.
    if [ -L "$link" ] && [[ $(readlink "$link") == "$drives_dir"/* ]]; then
        rm -f "$link"
    fi
    if [ -e "$link" ] || [ -L "$link" ]; then
        echo "with_cd_drives.sh: drive $letter: is taken already; not touching it" >&2
        exit 2
    fi
done

registry_file() {  # registry_file ADD|DELETE FILE
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n'
        for letter in "${letters[@]}"; do
            if [ "$1" = ADD ]; then
                printf '"%s:"="cdrom"\r\n' "$letter"
            else
                printf '"%s:"=-\r\n' "$letter"
            fi
        done
    } >"$2"
}

made_links=()
remove_drives() {
    local status=$?
    set +e  # take away as much as possible, whatever fails
    for letter in "${made_links[@]}"; do
        rm -f "$dosdevices/$letter:"
    done
    registry_file DELETE "$drives_dir/remove.reg"
    "$wine" regedit /S "$(winepath_of "$drives_dir/remove.reg")" </dev/null >/dev/null 2>&1 || true
    wine_server_stop
    wine_server_start
    rm -rf "$drives_dir"
    exit $status
}

winepath_of() {  # Wine sees the Unix root as drive Z:
    printf 'Z:%s' "${1//\//\\}"
}

rm -rf "$drives_dir"
mkdir -p "$drives_dir"
trap remove_drives EXIT
trap 'exit 143' TERM INT  # so that a time-out still takes the drives away
for i in "${!letters[@]}"; do
    letter=${letters[$i]}
    label=${labels[$i]}
    if [ "$label" = "-" ]; then
        ln -s "$drives_dir/$letter-missing" "$dosdevices/$letter:"
    else
        mkdir -p "$drives_dir/$letter"
        printf '%s\n' "$label" >"$drives_dir/$letter/.windows-label"
        ln -s "$drives_dir/$letter" "$dosdevices/$letter:"
    fi
    made_links+=("$letter")
done
registry_file ADD "$drives_dir/add.reg"
"$wine" regedit /S "$(winepath_of "$drives_dir/add.reg")" </dev/null >/dev/null 2>&1
wine_server_stop
wine_server_start

"$wine" "$@"
