// kalt/lane_entry.h - the entries of the lane paths: for each path
// (kalt/lane_path.h) one function that runs a kernel on the path's lanes,
// built for the path's instruction set, and the table of a kernel's entries
// by path.
//
// A kernel is a struct with a static function template Run over the number
// type of the lanes: float on the scalar path, F4 on SSE2, F8 on AVX2, F16
// on AVX-512 (kalt/lanes.h):
//
//   struct DrawRow {
//     template <class T>
//     static void Run(const View& view, int row);
//   };
//   using RowEntries = kalt::lanes::LaneEntries<void(const View&, int)>;
//   constexpr RowEntries kDrawRow = RowEntries::Of<DrawRow>();
//   kDrawRow[kalt::ActiveLanePath()](view, row);
//
// A kernel that one source file uses belongs in its unnamed namespace: its
// entries are then that file's own functions, which the compiler may split
// into hot and cold parts (it leaves functions shared between files whole).
//
// An entry inlines the whole kernel ([[gnu::flatten]]), so everything the
// kernel runs is built for the entry's instruction set: the templates of
// kalt/lanes.h carry no target of their own. The entries of the AVX2 and
// AVX-512 paths are the only functions built for more than x86-64's
// baseline; their target attributes are written here and nowhere else. (No
// FMA: the pictures are defined without fused multiply-add.)
//
// tests/common/isa_check.sh reads the disassembly: AVX instructions may
// appear only in instantiations of LaneEntry<LanePath::kAvx2>::Run and
// LaneEntry<LanePath::kAvx512>::Run (ymm and zmm registers, or AVX-512 mask
// registers, only in the latter), and no function outside them may take or
// return 8 or 16 lanes. It knows the entries by the template's own name,
// which the compiler writes into each instantiation and its clones.
//
// Builds without the wide paths (KALT_WIDE_LANES 0, set by the CMake
// option of that name: other processors, WebAssembly) have the scalar and
// SSE2 entries only, and no target attributes at all.
#pragma once

#include <algorithm>
#include <tuple>

#include "kalt/lane_path.h"
#include "kalt/lanes.h"

namespace kalt::lanes {

// The number type of a path's lanes.
template <LanePath P>
using LanesOfPath = std::tuple_element_t<static_cast<int>(P), std::tuple<float, F4, F8, F16>>;

// The entry of path P: Kernel::Run on the path's lanes, with the arguments
// of types A, returning R.
template <LanePath P>
struct LaneEntry {
  template <class Kernel, class R, class... A>
  [[gnu::flatten]] static R Run(A... a) {
    return Kernel::template Run<LanesOfPath<P>>(a...);
  }
};
#if KALT_WIDE_LANES
template <>
struct LaneEntry<LanePath::kAvx2> {
  template <class Kernel, class R, class... A>
  [[gnu::target("avx2"), gnu::flatten]] static R Run(A... a) {
    return Kernel::template Run<F8>(a...);
  }
};
template <>
struct LaneEntry<LanePath::kAvx512> {
  template <class Kernel, class R, class... A>
  [[gnu::target("avx512f,avx512dq,avx512vl,avx512bw"), gnu::flatten]] static R Run(A... a) {
    return Kernel::template Run<F16>(a...);
  }
};
#endif

// A kernel's entries, one per path, for kernels of the signature R(A...).
template <class Signature>
struct LaneEntries;
template <class R, class... A>
struct LaneEntries<R(A...)> {
  using Entry = R (*)(A...);
  Entry byPath[kLanePathCount];

  // The entry of a path; the scalar one for a value that names no path.
  Entry operator[](LanePath path) const {
    const int index = static_cast<int>(path);
    return byPath[index >= 0 && index < kLanePathCount ? index : 0];
  }

  // The entries of Kernel. A path wider than kWidest (or than the build
  // has, kWidestBuiltLanePath) runs the entry of the widest path that is
  // there: a kernel whose 16 lanes measure slower than 8 gives the AVX-512
  // path the AVX2 entry.
  template <class Kernel, LanePath kWidest = LanePath::kAvx512>
  static constexpr LaneEntries Of() {
    static_assert(kLanePathCount == 4, "an entry for every path");
    return {{EntryOf<Kernel, kWidest, LanePath::kScalar>(), EntryOf<Kernel, kWidest, LanePath::kSse2>(),
             EntryOf<Kernel, kWidest, LanePath::kAvx2>(), EntryOf<Kernel, kWidest, LanePath::kAvx512>()}};
  }

 private:
  template <class Kernel, LanePath kWidest, LanePath kPath>
  static constexpr Entry EntryOf() {
    return &LaneEntry<std::min({kPath, kWidest, kWidestBuiltLanePath})>::template Run<Kernel, R, A...>;
  }
};

}  // namespace kalt::lanes
