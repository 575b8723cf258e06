#!/bin/sh
# setup-check's exit status and output lines: 2 when it can't check, 1 with
# errors, 0 with warnings only; tools/make-medium refuses a medium with errors.
#   command-line.sh SETUP_CHECK SAMPLE_DIR WORK_DIR
check=$1 sample=$2 work=$3
make_medium=$(dirname "$0")/../../tools/make-medium
failed=0
expect() {  # expect STATUS DESCRIPTION -- COMMAND...
    want=$1 what=$2
    shift 3
    "$@" >"$work/out" 2>"$work/err"
    got=$?
    if [ "$got" -ne "$want" ]; then
        echo "FAIL: $what: status $got, expected $want"; cat "$work/out" "$work/err"; failed=1
    fi
}
rm -rf "$work" && mkdir -p "$work/medium"

# The guide's table of findings names every code with each kind it comes in,
# and its example prints what the checker prints for it.
guide=$(dirname "$0")/../../docs/setup-ini.md
src=$(dirname "$0")/../../src/check
perl -ne 'print lc("$1 $2\n") if /c\.(Error|Warning)\([^"]*"([a-z][a-z-]*)"/' "$src"/*.cpp | sort -u >"$work.code"
perl -ne 'print "$2 $1\n" if /^\| `([a-z][a-z-]*)` \| (error|warning) \|/' "$guide" | sort -u >"$work.guide"
diff "$work.code" "$work.guide" >/dev/null ||
    { echo "FAIL: the guide's findings (+) against the checker's (-)"; diff "$work.code" "$work.guide"; failed=1; }
mkdir -p "$work/example/Data"
echo setup >"$work/example/Setup.exe"
echo patch >"$work/example/GamePatch.exe"
echo tracks >"$work/example/Data/Tracks.dat"
awk '/^A medium holding/ { medium = 1 } medium && /^```/ { if (++fence == 2) exit; next } fence == 1' "$guide" |
    sed 's/$/\r/' >"$work/example/Setup.ini"
awk '/^\$ setup-check medium$/ { shown = 1; next } shown && /^```/ { exit } shown' "$guide" >"$work/example.guide"
(cd "$work" && "$check" example) >"$work/example.out"
diff "$work/example.out" "$work/example.guide" >/dev/null ||
    { echo "FAIL: the guide's example output (+) against the checker's (-)"; diff "$work/example.out" "$work/example.guide"; failed=1; }
expect 2 "no arguments" -- "$check"
expect 2 "two media" -- "$check" "$work/medium" "$work/medium"
expect 2 "unknown option" -- "$check" --gamedisc x "$work/medium"
expect 2 "no Setup.ini" -- "$check" "$work/medium"
[ -s "$work/err" ] || { echo "FAIL: no reason on standard error"; failed=1; }
cp "$sample"/* "$work/medium/"
expect 2 "missing game disc" -- "$check" --game-disc "$work/none" "$work/medium"
# The sample without the built programs: errors.
expect 1 "errors" -- "$check" "$work/medium"
grep -qx 'Setup.ini:0: error: \[no-setup-exe\] no Setup.exe on the medium; put it beside Setup.ini' "$work/out" ||
    { echo "FAIL: finding line"; cat "$work/out"; failed=1; }
tail -1 "$work/out" | grep -qx '4 errors, 0 warnings' || { echo "FAIL: count line"; cat "$work/out"; failed=1; }
export SETUP_CHECK="$check"
expect 1 "make-medium with errors" -- "$make_medium" "$work/medium" "$work/bad.iso"
[ ! -e "$work/bad.iso" ] || { echo "FAIL: make-medium made an image of a medium with errors"; failed=1; }
# With them and one warning: status 0.
touch "$work/medium/Setup.exe" "$work/medium/GamePatch.exe" "$work/medium/RallyPatch.exe" "$work/medium/RallyFix.dll"
printf 'Fake=1\r\n' >>"$work/medium/Setup.ini"
expect 0 "warnings only" -- "$check" "$work/medium"
tail -1 "$work/out" | grep -qx '0 errors, 1 warning' || { echo "FAIL: count line"; cat "$work/out"; failed=1; }
mv "$work/medium/Setup.exe" "$work/Setup.exe"
expect 1 "one error" -- "$check" "$work/medium"
tail -1 "$work/out" | grep -qx '1 error, 1 warning' || { echo "FAIL: count line"; cat "$work/out"; failed=1; }
mv "$work/Setup.exe" "$work/medium/Setup.exe"
[ "$("$check" --value general VOLUME "$work/medium")" = SKYRALLY ] || { echo "FAIL: --value"; failed=1; }

# tools/make-medium reads its image back by the Joliet names that Windows
# shows; a run that fails leaves no image.
#   image_row STATUS DESCRIPTION IMAGE MESSAGE [--label LABEL]
image_row() {
    want=$1 what=$2 image=$3 message=$4
    shift 4
    expect "$want" "$what" -- "$make_medium" "$work/medium" "$image" "$@"
    if [ "$want" -eq 0 ] && [ ! -s "$image" ]; then
        echo "FAIL: $what: no image"; failed=1
    fi
    if [ "$want" -ne 0 ] && [ -e "$image" ]; then
        echo "FAIL: $what: an image left behind"; failed=1
    fi
    grep -qF -- "$message" "$work/out" "$work/err" || { echo "FAIL: $what: no \"$message\""; cat "$work/err"; failed=1; }
}
if command -v xorriso >/dev/null; then
    # Names and labels are UTF-8, whatever the locale says.
    export LC_ALL=C
    touch "$work/medium/it's.dat" "$work/medium/Café.dat"
    image_row 0 "make-medium, names with a quotation mark and an accent" "$work/names.iso" \
        "label SKYRALLY (ISO 9660 and Joliet)"
    long=$(printf '%0196d' 0).dat
    touch "$work/medium/$long"
    image_row 1 "make-medium, a name that Joliet cuts" "$work/long.iso" "Joliet names differ"
    rm "$work/medium/$long"
    # A Setup.ini in UTF-16 LE: its Volume labels the image, and it reaches
    # the image byte for byte.
    cp "$work/medium/Setup.ini" "$work/ansi.ini"
    { printf '\377\376'; iconv -f WINDOWS-1252 -t UTF-16LE "$work/ansi.ini"; } >"$work/medium/Setup.ini"
    image_row 0 "make-medium, a Setup.ini in UTF-16 LE" "$work/utf16.iso" "label SKYRALLY (ISO 9660 and Joliet)"
    xorriso -osirrox on -indev "$work/utf16.iso" -extract /Setup.ini "$work/utf16.ini" >/dev/null 2>&1
    cmp -s "$work/medium/Setup.ini" "$work/utf16.ini" ||
        { echo "FAIL: the image's Setup.ini differs from the medium's UTF-16 one"; failed=1; }
    cp "$work/ansi.ini" "$work/medium/Setup.ini"
    # Run mode compares the label with Volume folding A to Z alone; a disc
    # that it would refuse is never made.
    image_row 0 "make-medium, a label in other letter case" "$work/case.iso" "label SkyRally" --label SkyRally
    image_row 1 "make-medium, a label that Volume doesn't match" "$work/other.iso" \
        "doesn't match the disc's label \"SKYRALLY2\"" --label SKYRALLY2
    sed 's/^Volume=.*/Volume="SKY*RALLY"/' "$work/ansi.ini" >"$work/medium/Setup.ini"
    image_row 1 "make-medium, a Volume that no disc can carry" "$work/star.iso" "holds \"*\""
    sed '/^Volume=/d' "$work/ansi.ini" >"$work/medium/Setup.ini"
    image_row 1 "make-medium, a label that no disc can carry" "$work/star.iso" "holds \"*\"" --label "SKY*"
    image_row 0 "make-medium, any label for no Volume" "$work/any.iso" "label ANY" --label ANY
    # Room for 16 characters, but 33 bytes of the 32 that the ISO 9660 label holds.
    image_row 1 "make-medium, 11 euro signs" "$work/euro.iso" "takes 33 bytes" --label "€€€€€€€€€€€"
    cp "$work/ansi.ini" "$work/medium/Setup.ini"
else
    echo "tools/make-medium not tried: no xorriso"
fi
exit $failed
