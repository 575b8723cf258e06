#!/bin/sh
# full-disk.sh DIR COMMAND...: mounts a small tmpfs on DIR, fills it, runs
# COMMAND with FULL_DISK_DIR naming an empty folder on it, and unmounts.
# Needs root; exits with 77 (skipped) when the mount can't be made.
set -u
dir=$1
shift
if [ "$(id -u)" != 0 ]; then
    echo "not root: no tmpfs can be mounted"
    exit 77
fi
mkdir -p "$dir" || exit 1
if mountpoint -q "$dir"; then
    umount -l "$dir"
fi
if ! mount -t tmpfs -o size=64k tmpfs "$dir"; then
    echo "mount -t tmpfs failed"
    exit 77
fi
trap 'umount -l "$dir"' EXIT
mkdir "$dir/target"
dd if=/dev/zero of="$dir/filler" bs=4096 >/dev/null 2>&1
FULL_DISK_DIR="$dir/target" "$@"
