// terminal/keys.h - finding keys in the bytes a terminal sends: the keys
// that end the show (a lone Escape, and Ctrl+C), or every typed key.
//
// A terminal sends the Escape key as the single byte ESC, but ESC also
// starts the sequences of arrow and function keys, mouse and focus reports
// and replies to queries. A sequence arrives in one burst, so an ESC that
// is followed by nothing within a short time (see kLoneEscapeMillis) is the
// Escape key; an ESC that is followed by another ESC was one as well.
#pragma once

#include <string_view>
#include <vector>

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
  // ScanTyped in kGround: the UTF-8 continuation bytes still expected, and
  // the bits of the character so far.
  int utf8Left = 0;
  char32_t utf8Code = 0;
};

// Scans `bytes` and returns the first Escape or Ctrl+C among them (kNone
// if there is none); the bytes after that key are not scanned. Any other
// byte, sequence or stray fragment is skipped; the scan never fails.
Key ScanKeys(KeyScan& scan, std::string_view bytes);

// True while the scan is inside an ESC or an unfinished sequence: the
// caller waits up to kLoneEscapeMillis for more bytes before EndOfBurst.
bool AwaitingMore(const KeyScan& scan);

// Scans `bytes` and appends every key typed in them to `typed`, oldest
// first, as the code a PC text console reports: printable characters
// (UTF-8) as their code page 437 codes, Enter 13, Tab 9, Backspace (DEL or
// Ctrl+H) 8, Ctrl+C 3, and Escape 27 once it is known to stand alone (an
// ESC followed by another ESC here, else see EndOfBurst). Characters code
// page 437 lacks, malformed UTF-8, other control bytes, Alt with a key and
// every sequence (arrows, function keys, reports) are skipped. Unlike
// ScanKeys it scans all the bytes; a character split between calls is
// joined.
void ScanTyped(KeyScan& scan, std::string_view bytes, std::vector<int>& typed);

// No more bytes came within the wait: an ESC on its own is the Escape key
// (returned as kEscape); an unfinished sequence is dropped.
Key EndOfBurst(KeyScan& scan);

}  // namespace term
