#!/bin/sh
# Checks that code built for the wider lane paths cannot run on the default
# one: in the given static libraries, every function that holds an AVX or
# AVX-512 instruction (a VEX or EVEX mnemonic, a ymm, zmm or mask register)
# is an entry of the AVX2 or AVX-512 path, and zmm and mask registers occur
# only in entries of the AVX-512 path; and no other function takes or
# returns 8 or 16 lanes out of line (every such template is inlined into an
# entry, so none is compiled for the default path or shared between paths).
#
# The entries are the instantiations of kalt::lanes::LaneEntry<P>::Run
# (kalt/lane_entry.h, the one place that gives functions a target), known
# by their mangled names: the compiler writes them from the template, path
# included, and keeps them in the parts it splits off (.cold and the like).
# No name written by hand exempts a function, and a template renamed
# without this check makes it fail, not pass.
#
#   isa_check.sh LIBRARY.a...
set -eu
status=0
for library in "$@"; do
  report=$(objdump -d --no-show-raw-insn "$library" | awk '
    /^[0-9a-f]+ <.*>:$/ {
      name = substr($0, index($0, "<") + 1); sub(/>:$/, "", name)
      path = 0
      if (name ~ /^_ZN4kalt5lanes9LaneEntryILNS_8LanePathE[23]EE3Run/)
        path = substr(name, length("_ZN4kalt5lanes9LaneEntryILNS_8LanePathE") + 1, 1) + 0
      # 8 or 16 floats or ints, 4 or 8 doubles or 64-bit ints.
      if (path == 0 && name ~ /Dv(8|16)_[fij]|Dv(4|8)_[dlmxy]/ && !(name in wide)) {
        wide[name] = 1; print "out of line with wide lanes: " name
      }
      next
    }
    /^ +[0-9a-f]+:\t/ {
      split($0, field, "\t"); instruction = field[2]
      if (path == 0 && (instruction ~ /^v[a-z]/ || instruction ~ /%[yz]mm|%k[0-7]/) && !(name in avx)) {
        avx[name] = 1; print "AVX outside a path entry: " name ": " instruction
      }
      if (path == 2 && instruction ~ /%zmm|%k[0-7]/ && !(name in avx512)) {
        avx512[name] = 1; print "AVX-512 in an AVX2 entry: " name ": " instruction
      }
    }' | c++filt)
  if [ -n "$report" ]; then
    echo "$library:"; echo "$report"; status=1
  fi
done
[ "$status" -eq 0 ] && echo "AVX and AVX-512 code only in the path entries of: $*"
exit "$status"
