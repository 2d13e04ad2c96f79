#!/usr/bin/env bash
# Checks that every include of our own code points down the layers:
#   res, base  <  platform  <  storage  <  actions  <  dialogs, editor, help  <  app
# A folder may include its own layer and those below; the windows' folders
# (dialogs, editor, help) may include one another. Prints each include that
# points up and fails if there is one.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)

level() {
  case "$1" in
    res | base) echo 0 ;;
    platform) echo 1 ;;
    storage) echo 2 ;;
    actions) echo 3 ;;
    dialogs | editor | help) echo 4 ;;
    app) echo 5 ;;
    *) echo "" ;;
  esac
}

# platform uses base only, whatever its level says of storage's neighbours.
allowed() {
  local from=$1 to=$2
  [ "$from" = platform ] && [ "$to" != base ] && [ "$to" != platform ] && return 1
  [ "$(level "$to")" -le "$(level "$from")" ]
}

found=0
for folder in res base platform storage actions dialogs editor help app; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
    [ -n "$(level "$target")" ] || continue
    if ! allowed "$folder" "$target"; then
      echo "include points up: ${file#"$root"/} -> $target/"
      found=1
    fi
  done < <(grep -rnE '^#include "[a-z]+/' "$root/$folder" --include='*.h' --include='*.cpp' --include='*.rc' || true)
done
[ $found -eq 0 ] && echo "Every include points down."
exit $found
