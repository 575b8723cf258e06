#!/bin/sh
# The program's folders include only downward: app (the entry) includes the
# jobs, the jobs include process, and all of them the bottom: ui, which may
# include setupfile, and setupfile. A job never includes another job. The
# checker stands beside app.
#   include_layers.sh SRC_DIR
src=$1
rank() {
    case $1 in
        app|check) echo 4 ;;
        install|uninstall|launch) echo 3 ;;
        process) echo 2 ;;
        ui) echo 1 ;;
        setupfile) echo 0 ;;
        *) echo "" ;;
    esac
}
failed=0
for file in "$src"/*/*.h "$src"/*/*.cpp; do
    from=$(basename "$(dirname "$file")")
    from_rank=$(rank "$from")
    if [ -z "$from_rank" ]; then
        echo "FAIL: $file lies in a folder of no layer"; failed=1; continue
    fi
    for to in $(sed -n 's/^#include "\([a-z]*\)\/.*/\1/p' "$file" | sort -u); do
        [ "$to" = "$from" ] && continue
        to_rank=$(rank "$to")
        if [ -z "$to_rank" ] || [ "$to_rank" -ge "$from_rank" ]; then
            echo "FAIL: $file ($from) includes $to"; failed=1
        fi
    done
done
exit $failed
