// Why a loader call failed, kept per thread for FailureReason.
#pragma once

#include <cstddef>

namespace cella {

// Records the reason of the calling thread's current loader call: a fixed
// text that lives forever, or "" for a success.
void SetFailureReason(const char* reason);

// Records `reason` and gives the null result of a failed load.
inline std::nullptr_t Fail(const char* reason) {
  SetFailureReason(reason);
  return nullptr;
}

}  // namespace cella
