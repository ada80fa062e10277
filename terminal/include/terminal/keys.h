// terminal/keys.h - finding the keys that end the show in the bytes a
// terminal sends: a lone Escape, and Ctrl+C.
//
// A terminal sends the Escape key as the single byte ESC, but ESC also
// starts the sequences of arrow and function keys, mouse and focus reports
// and replies to queries. A sequence arrives in one burst, so an ESC that
// is followed by nothing within a short time (see kLoneEscapeMillis) is the
// Escape key; an ESC that is followed by another ESC was one as well.
#pragma once

#include <string_view>

namespace term {

// How long to wait for the rest of a sequence after an ESC.
inline constexpr int kLoneEscapeMillis = 50;

enum class Key {
  kNone,
  kEscape,     // the Escape key on its own
  kInterrupt,  // Ctrl+C (byte 3; the terminal is in raw mode)
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
};

// Scans `bytes` and returns the first Escape or Ctrl+C among them (kNone
// if there is none); the bytes after that key are not scanned. Any other
// byte, sequence or stray fragment is skipped; the scan never fails.
Key ScanKeys(KeyScan& scan, std::string_view bytes);

// True while the scan is inside an ESC or an unfinished sequence: the
// caller waits up to kLoneEscapeMillis for more bytes before EndOfBurst.
bool AwaitingMore(const KeyScan& scan);

// No more bytes came within the wait: an ESC on its own is the Escape key
// (returned as kEscape); an unfinished sequence is dropped.
Key EndOfBurst(KeyScan& scan);

}  // namespace term
