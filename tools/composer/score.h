// The readable score: a text file from which the composer builds a module.
//
//   # a comment runs to the end of the line ("#" inside a word is a sharp)
//   song "DiRURODU"            module name, at most 20 characters
//   tempo 120                  beats per minute (32..255)
//   speed 6                    ticks per row (1..31)
//   channels 16                channels (1..32), before the first pattern
//   restart 0                  order position the song loops back to
//   pan 9-10 0.5               notes of channels 9 and 10 sound right of centre
//                              (-1 .. 1, over the instrument's own pan), set
//                              before the first pattern
//
//   instrument 5 kick drum tone=48 decay=0.5 volume=56
//       click=0.4              more parameters may follow on their own lines
//
//   phrase groove step 4       each token lasts 4 rows (default 1)
//     x x x x
//   end
//   phrase bass step 2
//     D2 . D3 D2 | F2 . ^ A2   "|" only helps the eye
//   end
//
//   pattern verse 64 like intro   64 rows; start from a copy of intro
//     1 kick groove            channel 1, instrument "kick", phrase repeated
//     2-4 pad chords+5         three channels, transposed up a fifth
//     6@56 snare roll          from row 56, once
//     16 - fade                no instrument: effects only
//     15 lead rest:3 theme vol=20   an echo: three rows late, quieter
//     clear 5                  empty channel 5
//   end
//
//   order intro verse verse*2  pattern names in play order (may repeat)
//
// Instruments: `instrument NUMBER NAME FAMILY key=value...`; the number is
// the one patterns and players see (1..128), the family one of Families()
// (family.h) with its parameters, plus `volume` and `pan` for every family.
//
// Phrase tokens, one per step:
//   .            nothing
//   ^            key-off (on every channel of the line)
//   C-4 C#4 Db4 C4   a note (octaves 0..7; C-4 is middle C)
//   C4+Eb4+G4    a chord: one note per channel of the line, in order
//   X x o        a drum hit (note C-4): full, normal (volume 44), soft (24)
// and suffixes, in this order: @V sets the volume to V (0..64), !EPP adds
// effect E (0-9, A-Z) with hex parameter PP (as `A0F`), *N repeats the token
// N times (`.*7`). A rest with a suffix (`.@20`, `.!H01`) carries only the
// volume or effect. Volumes are shares of the instrument's own volume (64:
// all of it); the pattern cell gets the product, rounded.
//
// Pattern lines: `CHANNELS[@ROW] INSTRUMENT ITEM...`. CHANNELS is a channel
// (1-based) or a range `first-last`; INSTRUMENT a number, a name or `-`;
// an ITEM a phrase name with an optional transposition (`+5`, `-12`) and
// repeat count (`*2`), or `rest:N` for N empty rows; `vol=N` (0..64) scales
// the volumes the line writes once more (a note without one counts as 64). Without
// @ROW the items start at row 0 and repeat until the pattern is full (what
// runs past its end is cut); with it they are laid once from that row and
// must fit. A line writes over the lines before it:
// a cell with a note replaces the cell below, a cell with only a volume or
// effect changes only that field.
//
// Names (instruments, phrases, patterns) are letters, digits and
// underscores, starting with a letter or underscore. Everything must be
// defined before it is used.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "family.h"
#include "xm_writer.h"

namespace kalt::composer {

// A score that breaks the rules above. `line` is the 1-based line of the
// fault (0 for a fault of the whole score, such as an empty order list);
// what() reads "line N: message".
class ScoreError : public std::runtime_error {
 public:
  ScoreError(int line, const std::string& message);
  int line;
  std::string message;  // without the line
};

struct InstrumentDef {
  int number = 0;  // 1..128
  std::string name;
  const Family* family = nullptr;
  Params params;      // every parameter of the family, set or defaulted
  double volume = 64;  // 0..64
  double pan = 0;      // -1 .. 1
};

struct NamedPattern {
  std::string name;
  xm::Pattern pattern;
};

struct Score {
  std::string name;
  int tempo = 125;
  int speed = 6;
  int channels = 8;
  int restart = 0;
  std::vector<InstrumentDef> instruments;  // in order of definition
  std::vector<NamedPattern> patterns;      // in order of definition
  std::vector<int> orders;                 // indexes into patterns
};

// Parses a score. Throws ScoreError for any text that breaks the rules
// above, naming the line; never reads out of bounds or runs away on hostile
// input (every count and size is bounded by the module's own limits).
Score ParseScore(std::string_view text);

// Builds the module: synthesises every instrument with its family (numbers
// without a definition become empty instruments) and takes over patterns and
// order list. Deterministic: the same score gives the same module.
xm::Module BuildModule(const Score& score);

}  // namespace kalt::composer
