// The row loop of the effects: every row of a picture drawn once, the rows
// handed to the drawing threads one at a time as each thread becomes free
// (the work lies unevenly in a picture). The threads are those of the
// backend chosen when the project is configured (KALT_EFFECT_THREADS, see
// gldemo/effects.h): OpenMP's team, or a kalt::WorkerPool kept by the
// calling thread. How many threads draw is gldemo::SetEffectThreads.
#pragma once

#include <type_traits>

namespace gldemo::detail {

// Calls draw(context, row) once for every row 0 .. rows - 1 (none when rows
// is below 1) and returns when every call has returned. The calls may run on
// other threads, in any order, several at a time; they must not throw.
void RunRows(int rows, void (*draw)(void*, int), void* context);

// RunRows with any callable: draw(row) for every row 0 .. rows - 1.
template <class Draw>
void ForEachRow(int rows, Draw&& draw) {
  using Callable = std::remove_reference_t<Draw>;
  RunRows(rows, [](void* context, int row) { (*static_cast<Callable*>(context))(row); },
          const_cast<void*>(static_cast<const void*>(&draw)));
}

}  // namespace gldemo::detail
