#!/usr/bin/env bash
# The layers of src/ point one way: a file includes headers of its own layer
# and of the layers below it only. Prints each include that points up and
# exits 1 if there is one.
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"
layers=(base model patterns select output driver)

rank() {
  local i
  for i in "${!layers[@]}"; do
    if [ "${layers[$i]}" = "$1" ]; then
      echo "$i"
      return
    fi
  done
  echo "unknown"
}

status=0
while IFS= read -r file; do
  relative="${file#"$src"/}"
  own=$(rank "${relative%%/*}")
  if [ "$own" = unknown ]; then
    echo "$relative: a folder outside the layers (${layers[*]})"
    status=1
    continue
  fi
  while IFS= read -r included; do
    theirs=$(rank "${included%%/*}")
    if [ "$theirs" = unknown ] || [ "$theirs" -gt "$own" ]; then
      echo "$relative includes $included, from a layer above its own"
      status=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -name '*.h' -o -name '*.cpp' | sort)
exit "$status"
