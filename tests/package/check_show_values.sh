#!/usr/bin/env bash
# The shows' valued options as a user mistypes them: each bad value is named
# in one line on stderr with status 2, and nothing starts (no display and no
# terminal are offered, and each run has 10 s).
#   check_show_values.sh CONDEMO GLDEMO
set -euo pipefail
condemo=$1 gldemo=$2
err=$(mktemp)
trap 'rm -f "$err"' EXIT
bad() {
  local status=0
  DISPLAY= WAYLAND_DISPLAY= SDL_AUDIODRIVER=dummy timeout 10 "$@" </dev/null >/dev/null 2>"$err" || status=$?
  [ "$status" -eq 2 ] || { echo "FAILED: $* exits $status, not 2" >&2; exit 1; }
  [ "$(wc -l <"$err")" -eq 1 ] || { echo "FAILED: $*: not one line: $(cat "$err")" >&2; exit 1; }
  echo "   $(basename "$1") ${*:2}: $(cat "$err")"
}
for show in "$condemo" "$gldemo"; do
  bad "$show" --fps 0
  bad "$show" --fps 29.97
  bad "$show" --fps
  bad "$show" --from -1
  bad "$show" --from 1:30
done
bad "$condemo" --order 21
bad "$condemo" --order -1
bad "$condemo" --order 3 --from 20
bad "$condemo" --loop=yes
