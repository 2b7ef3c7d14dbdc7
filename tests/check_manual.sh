#!/usr/bin/env bash
# The manual page renders without a warning, and it, the README's command
# line table and the --help text name the same options.
# Usage: check_manual.sh TVCOMPACT_BINARY
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
page="$root/doc/tvcompact.1"
binary="$1"
status=0

warnings=$(groff -ww -z -man "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "groff warns about the manual page:"
  echo "$warnings"
  status=1
fi
if ! MANWIDTH=80 man -l "$page" 2>&1 >/dev/null | { ! grep -q .; }; then
  echo "man -l writes to standard error for the manual page"
  status=1
fi
rendered=$(MANWIDTH=80 man -l "$page" 2>/dev/null)

help=$("$binary" --help)
# Every option the help text lists: the words starting with '-' at the start of its lines.
options=$(printf '%s\n' "$help" | sed -n 's/^  \(-[^ ,]*\(, -[^ ,]*\)*\).*/\1/p' | tr ',' '\n' | tr -d ' ')
if [ -z "$options" ]; then
  echo "no options found in the help text"
  status=1
fi
for option in $options; do
  # A here-string, not a pipe: grep -q stops at its match, and the writer of
  # a longer text would then die of SIGPIPE, which pipefail counts as a miss.
  if ! grep -q -- "$option" <<<"$rendered"; then
    echo "the manual page does not name $option"
    status=1
  fi
  if ! grep -q -- "\`$option" "$root/README.md"; then
    echo "the README does not name $option"
    status=1
  fi
done
exit "$status"
