#!/usr/bin/env bash
# check_install.sh BUILD_DIR CONSUMER_SOURCE WORK_DIR
set -euo pipefail
build=$1 consumer=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libcella.so' -print -quit)")
[ -n "$libdir" ] || { echo "libcella.so was not installed" >&2; exit 1; }

# 1. CMake: find_package(cella) and the exported target.
cmake -S "$consumer" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/cmake-build/consumer"

# 2. pkg-config, with the oldest language the header promises.
flags=$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs cella)
# shellcheck disable=SC2086
c++ -std=c++11 -Wall -Wextra -Werror "$consumer/main.cpp" -o "$work/consumer-pc" $flags
LD_LIBRARY_PATH=$libdir "$work/consumer-pc"

# 3. The run tree and its launchers.
for file in lib*/kalt20/data lib*/kalt20/Data20/gradient.bin; do
  compgen -G "$prefix/$file" >/dev/null || { echo "missing $file in the installed tree" >&2; exit 1; }
done
echo "install ok"
