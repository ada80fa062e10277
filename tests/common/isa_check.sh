#!/bin/sh
# Checks that code built for the wider lane paths cannot run on the default
# one: in the given static libraries, every function that holds an AVX or
# AVX-512 instruction (a VEX or EVEX mnemonic, a ymm, zmm or mask register)
# is a path entry, its name saying Avx2 or Avx512; and no function takes or
# returns 8 or 16 lanes out of line (every such template is inlined into an
# entry, so none is compiled for the default path or shared between paths).
#
#   isa_check.sh LIBRARY.a...
set -eu
status=0
for library in "$@"; do
  report=$(objdump -d --no-show-raw-insn -C "$library" | awk '
    /^[0-9a-f]+ <.*>:$/ {
      name = substr($0, index($0, "<") + 1); sub(/>:$/, "", name)
      if (name ~ /float __vector\((8|16)\)|int __vector\((8|16)\)|double __vector\((4|8)\)/ &&
          name !~ /Avx2|Avx512/ && !(name in wide)) { wide[name] = 1; print "out of line with wide lanes: " name }
      next
    }
    /^ +[0-9a-f]+:\t/ {
      split($0, field, "\t"); instruction = field[2]
      if ((instruction ~ /^v[a-z]/ || instruction ~ /%[yz]mm|%k[0-7]/) && name !~ /Avx2|Avx512/ && !(name in avx)) {
        avx[name] = 1; print "AVX outside a path entry: " name ": " instruction
      }
    }')
  if [ -n "$report" ]; then
    echo "$library:"; echo "$report"; status=1
  fi
done
[ "$status" -eq 0 ] && echo "AVX and AVX-512 code only in the path entries of: $*"
exit "$status"
