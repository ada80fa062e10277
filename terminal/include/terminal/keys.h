// terminal/keys.h - the keys in the bytes a terminal sends: every typed key
// as the code a PC text console reports, the suspend key, and the
// terminal's replies to cursor position queries.
//
// A terminal sends the Escape key as the single byte ESC, but ESC also
// starts the sequences of arrow and function keys, mouse and focus reports
// and replies to queries. A sequence arrives in one burst, so an ESC that
// is followed by nothing within a short time (see kLoneEscapeMillis) is the
// Escape key; an ESC that is followed by another ESC was one as well.
#pragma once

#include "kalt/cp437.h"

namespace term {

// How long to wait for the rest of a sequence after an ESC.
inline constexpr int kLoneEscapeMillis = 50;

// What a byte of input completes.
struct KeyEvent {
  enum class Kind {
    kNone,
    kTyped,         // a typed key: code (see ScanKey)
    kSuspend,       // Ctrl+Z (byte 26), the terminal's own suspend key
    kCursorReport,  // a cursor position report, CSI row ; column R
  };
  Kind kind = Kind::kNone;
  int code = 0;    // kTyped: the key's code
  int row = 0;     // kCursorReport: the cursor's row and column, 1-based
  int column = 0;
};

// Where the scanner is in the byte stream. Start with a default record.
struct KeyScan {
  enum class Phase {
    kGround,
    kEscape,     // an ESC, not yet known to be a key or a sequence
    kCsi,        // ESC [ ... up to a final byte 0x40..0x7E
    kSs3,        // ESC O and one more byte
    kString,     // ESC ] / P / X / ^ / _ ... up to BEL or ESC backslash
    kStringEsc,  // an ESC inside a string
    kMouse,      // the three raw bytes of a legacy mouse report (ESC [ M)
  };
  Phase phase = Phase::kGround;
  int pending = 0;  // kCsi: parameter bytes seen; kMouse: raw bytes left
  // kCsi: the first two numbers of the parameters, how many parameters
  // there are so far, and whether they are only digits and ';'.
  int numbers[2] = {0, 0};
  int count = 0;
  bool plain = true;
  // kGround: the typed character under way.
  kalt::Cp437Decoder text;
};

// Scans one byte and returns what it completes:
// - kTyped: a printable character (UTF-8, see kalt::Cp437Decoder) as its
//   code page 437 code, Enter 13, Tab 9, Backspace (DEL or Ctrl+H) 8,
//   Ctrl+C 3 (also Alt+Ctrl+C, ESC then Ctrl+C), and Escape 27 for an ESC
//   followed by another ESC (else see EndOfBurst);
// - kSuspend: Ctrl+Z, also Alt+Ctrl+Z (ESC then Ctrl+Z);
// - kCursorReport: a CSI with exactly two plain numbers and the final R
//   (a modified F3 key looks the same, but always with row 1).
// Characters code page 437 lacks, malformed UTF-8, other control bytes,
// Alt with any other key and every other sequence (arrows, function keys,
// mouse and focus reports, replies to queries) complete nothing; CAN and
// SUB (Ctrl+Z) cancel a sequence under way, and an ESC drops a character
// under way. The scan never fails.
KeyEvent ScanKey(KeyScan& scan, char byte);

// True while the scan is inside an ESC or an unfinished sequence: the
// caller waits up to kLoneEscapeMillis for more bytes before EndOfBurst.
bool AwaitingMore(const KeyScan& scan);

// No more bytes came within the wait: an ESC on its own is the Escape key
// (kTyped 27); an unfinished sequence or character is dropped.
KeyEvent EndOfBurst(KeyScan& scan);

}  // namespace term
