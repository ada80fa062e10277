#include "terminal/keys.h"

namespace term {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kCtrlC = 0x03;
constexpr char kBel = 0x07;
// CAN and SUB abort a sequence.
constexpr char kCan = 0x18;
constexpr char kSub = 0x1A;

using Phase = KeyScan::Phase;

// Advances the scan by one byte; returns the key that the byte completes.
Key Step(KeyScan& scan, char byte) {
  const auto c = static_cast<unsigned char>(byte);
  switch (scan.phase) {
    case Phase::kGround:
      if (byte == kEsc) scan.phase = Phase::kEscape;
      return byte == kCtrlC ? Key::kInterrupt : Key::kNone;

    case Phase::kEscape:
      switch (byte) {
        case kEsc:  // the first ESC stood alone; this one starts anew
          return Key::kEscape;
        case '[':
          scan.phase = Phase::kCsi;
          scan.pending = 0;
          return Key::kNone;
        case 'O':
          scan.phase = Phase::kSs3;
          return Key::kNone;
        case ']':
        case 'P':
        case 'X':
        case '^':
        case '_':
          scan.phase = Phase::kString;
          return Key::kNone;
        default:  // Alt with a key, or a stray byte
          scan.phase = Phase::kGround;
          return byte == kCtrlC ? Key::kInterrupt : Key::kNone;
      }

    case Phase::kCsi:
      if (byte == kEsc) {
        scan.phase = Phase::kEscape;
      } else if (byte == kCan || byte == kSub) {
        scan.phase = Phase::kGround;
      } else if (c >= 0x20 && c <= 0x3F) {
        ++scan.pending;
      } else if (c >= 0x40 && c <= 0x7E) {
        // ESC [ M with no parameters is a legacy mouse report: three raw
        // bytes (button, column, row) follow.
        const bool mouse = byte == 'M' && scan.pending == 0;
        scan.phase = mouse ? Phase::kMouse : Phase::kGround;
        scan.pending = mouse ? 3 : 0;
      }
      return Key::kNone;

    case Phase::kSs3:
      scan.phase = byte == kEsc ? Phase::kEscape : Phase::kGround;
      return Key::kNone;

    case Phase::kString:
      if (byte == kBel || byte == kCan || byte == kSub) scan.phase = Phase::kGround;
      if (byte == kEsc) scan.phase = Phase::kStringEsc;
      return Key::kNone;

    case Phase::kStringEsc:
      if (byte != kEsc) scan.phase = byte == '\\' ? Phase::kGround : Phase::kString;
      return Key::kNone;

    case Phase::kMouse:
      if (--scan.pending == 0) scan.phase = Phase::kGround;
      return Key::kNone;
  }
  return Key::kNone;
}

}  // namespace

Key ScanKeys(KeyScan& scan, std::string_view bytes) {
  for (const char byte : bytes) {
    if (const Key key = Step(scan, byte); key != Key::kNone) return key;
  }
  return Key::kNone;
}

bool AwaitingMore(const KeyScan& scan) { return scan.phase != Phase::kGround; }

Key EndOfBurst(KeyScan& scan) {
  const bool loneEscape = scan.phase == Phase::kEscape;
  scan = {};
  return loneEscape ? Key::kEscape : Key::kNone;
}

}  // namespace term
