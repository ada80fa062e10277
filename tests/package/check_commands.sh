#!/usr/bin/env bash
# Every command line as a user first tries it: --help prints a usage on
# stdout and --version the name and version, both with status 0; an unknown
# option is named in one line on stderr, with status 2, and nothing starts
# (no display and no terminal are offered to the program, and it has 10 s).
#   check_commands.sh COMMAND...
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
for command in "$@"; do
  name=$(basename "$command")
  "$command" --help >"$work/help" 2>&1 || fail "$name --help"
  grep -qi usage "$work/help" || fail "$name --help prints no usage"
  "$command" --version | grep -q "(Kalt #20)" || fail "$name --version"
  status=0
  DISPLAY= WAYLAND_DISPLAY= timeout 10 "$command" --no-such-option </dev/null >/dev/null 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || fail "$name --no-such-option exits $status, not 2"
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q -- --no-such-option "$work/err" ||
    fail "$name: not one line naming the option: $(cat "$work/err")"
  echo "   $name"
done
