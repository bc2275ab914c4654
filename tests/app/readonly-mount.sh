#!/bin/bash
# readonly-mount.sh mount DIR PROGRAM | unmount DIR
# DIR becomes a read-only bind mount of DIR.src holding a copy of PROGRAM: a folder that
# refuses writes as "Program Files" does for a standard user. Needs root; elsewhere DIR
# is left absent and the tests that want it run without it.
set -u
[ "$(id -u)" = 0 ] || { echo "readonly-mount: not root, no read-only folder"; exit 0; }
case $1 in
  mount)
    dir=$2
    mountpoint -q "$dir" && { umount "$dir" || exit 1; }
    rm -rf "$dir" "$dir.src"
    mkdir -p "$dir" "$dir.src" && cp "$3" "$dir.src/" || exit 1
    if ! mount --bind "$dir.src" "$dir" || ! mount -o remount,bind,ro "$dir"; then
      mountpoint -q "$dir" && umount "$dir"
      rmdir "$dir"
      echo "readonly-mount: mount refused, no read-only folder"
    fi ;;
  unmount)
    dir=$2
    if mountpoint -q "$dir"; then umount "$dir" || exit 1; fi
    rm -rf "$dir" "$dir.src" ;;
esac
exit 0
