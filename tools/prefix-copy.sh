# shellcheck shell=bash
# Sourced by the scripts that start from a copy of an existing Wine prefix.
# qor_copy_prefix SOURCE DEST: DEST becomes a copy of the prefix SOURCE,
# Wine's own binaries hard-linked and the rest copied (Wine rewrites its
# registry files in place, and a file with several links would change in
# every copy at once).
qor_copy_prefix() {
  local dir
  mkdir -p "$2"
  tar -C "$1" -cf - --exclude=./wineserver --exclude=./drive_c/windows/system32 \
      --exclude=./drive_c/windows/syswow64 --exclude=./drive_c/windows/winsxs . | tar -C "$2" -xf -
  for dir in system32 syswow64 winsxs; do
    [ ! -d "$1/drive_c/windows/$dir" ] || cp -al "$1/drive_c/windows/$dir" "$2/drive_c/windows/"
  done
}
