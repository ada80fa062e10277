// condemo: the console demo, played in the terminal it is started from.
// No arguments, no configuration; Escape ends it.
#include <cstdlib>

#include "condemo/show.h"

int main() {
  const condemo::ShowResult result = condemo::PlayShow(
      {.workerCount = condemo::HardwareWorkerCount(),
       .encoding = {.trueColour = term::WantsTrueColour(std::getenv("COLORTERM")),
                    .repeat = term::Repeat::kAnyGlyph}});
  // Ended by a signal (Ctrl+C counts as SIGINT): after the clean shut-down,
  // end by it, so that a calling shell or script sees the interruption.
  if (result.endSignal != 0) term::DieOf(result.endSignal);
  return result.exitStatus;
}
