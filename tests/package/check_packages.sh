#!/usr/bin/env bash
# check_packages.sh BUILD_DIR SOURCE_DIR WORK_DIR
# Builds the packages of BUILD_DIR with cpack and checks them as a user
# would meet them. Prints what it checks; exits non-zero at the first fault.
set -euo pipefail
build=$1 source=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
root=$work/root
step() { printf '== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*" >&2; exit 1; }

# 1. The packages.
step "cpack"
(cd "$build" && cpack --config CPackConfig.cmake >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
debs=("$build"/packages/*.deb)
[ ${#debs[@]} -eq 3 ] || fail "expected 3 Debian packages, found ${#debs[@]}"
compgen -G "$build/packages/kalt20-*.tar.gz" >/dev/null || fail "no .tar.gz of the install tree"
for deb in "${debs[@]}"; do
  dpkg-deb --field "$deb" Package Version Depends | sed 's/^/   /'
done
dpkg-deb --field "$build"/packages/kalt20_*.deb Depends | grep -q 'libcella1 (= ' || fail "kalt20 does not depend on libcella1"
dpkg-deb --field "$build"/packages/kalt20_*.deb Depends | grep -q 'libsdl2' || fail "kalt20's dependencies were not computed"

# 2. lintian: no errors (warnings are printed; the accepted ones are listed
#    in the README).
step "lintian"
lintian --fail-on error "${debs[@]}" \
  || fail "lintian reports errors"

# 3. Everything unpacked into one root.
for deb in "${debs[@]}"; do dpkg -x "$deb" "$root"; done
bin=$root/usr/bin
libdir=$(dirname "$(find "$root" -name 'libcella.so.1' -print -quit)")
export LD_LIBRARY_PATH=$libdir

# 4. Every command: --help and --version exit 0, an unknown option exits 2
#    without starting anything.
step "commands"
"$(dirname "$0")/check_commands.sh" "$bin"/*

# 5. The manual pages render without warnings.
step "manual pages"
while IFS= read -r page; do
  MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>"$work/man.err"
  [ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "warnings in $page"; }
  echo "   ${page#"$root"/}"
done < <(find "$root/usr/share/man" -type f -name '*.gz' | sort)

# 6. condemo in tmux, silent: it draws shaded colour cells, and Escape ends it.
step "condemo in tmux"
socket=$work/tmux.socket
tm() { tmux -S "$socket" -f /dev/null "$@"; }
tm new-session -d -x 80 -y 50 -e SDL_AUDIODRIVER=dummy -e LANG=C.UTF-8 -e "LD_LIBRARY_PATH=$libdir" \
  "$bin/kalt20-condemo; echo condemo-ended-\$?; sleep 30"
trap 'tm kill-server 2>/dev/null || true' EXIT
drawn=0
for _ in $(seq 1 100); do
  sleep 0.1
  screen=$(tm capture-pane -p -e)
  if grep -q '[░▒▓█]' <<<"$screen" && grep -q $'\e\[[0-9;]*m' <<<"$screen"; then drawn=1; break; fi
done
[ $drawn -eq 1 ] || { tm capture-pane -p | head -5; fail "condemo drew no shaded colour cells"; }
tm send-keys Escape
for _ in $(seq 1 50); do sleep 0.1; tm capture-pane -p | grep -q condemo-ended-0 && break; done
tm capture-pane -p | grep -q condemo-ended-0 || fail "condemo did not end with status 0 on Escape"
tm kill-server

# 7. gldemo --windowed under Xvfb: a 640 x 400 window, and Escape ends it.
step "gldemo --windowed under Xvfb"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display SDL_AUDIODRIVER=dummy "$bin/kalt20-gldemo" --windowed >/dev/null 2>"$work/gldemo.err" &
gldemo=$!
window=
for _ in $(seq 1 100); do
  sleep 0.1
  window=$(DISPLAY=$display xdotool search --name RarodIdazer 2>/dev/null | head -1) && [ -n "$window" ] && break
done
[ -n "$window" ] || { cat "$work/gldemo.err"; fail "gldemo opened no window"; }
DISPLAY=$display xwininfo -id "$window" | grep -q 'Width: 640' || fail "gldemo's window is not 640 pixels wide"
DISPLAY=$display xdotool key --window "$window" Escape
status=0
for _ in $(seq 1 100); do kill -0 $gldemo 2>/dev/null || break; sleep 0.1; done
wait $gldemo || status=$?
[ "$status" -eq 0 ] || { cat "$work/gldemo.err"; fail "gldemo ended with status $status"; }
kill $xvfb 2>/dev/null || true

# 8. An outside CMake project finds cella in the development package.
step "find_package(cella) from libcella-dev"
cmake -S "$source/tests/install/consumer" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/consumer" >/dev/null || fail "the outside project's program"

echo "packages ok"
