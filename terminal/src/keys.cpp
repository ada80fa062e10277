#include "terminal/keys.h"

namespace term {

namespace {

constexpr char kEsc = 0x1B;
constexpr char kCtrlC = 0x03;
constexpr char kCtrlZ = 0x1A;
constexpr char kBel = 0x07;
// CAN and SUB (Ctrl+Z) abort a sequence.
constexpr char kCan = 0x18;
constexpr char kSub = kCtrlZ;

using Phase = KeyScan::Phase;
using Kind = KeyEvent::Kind;

constexpr KeyEvent Typed(int code) { return {Kind::kTyped, code}; }

// The keys that count after an ESC as well: Ctrl+C and Ctrl+Z.
KeyEvent InterruptOrSuspend(char byte) {
  if (byte == kCtrlC) return Typed(3);
  if (byte == kCtrlZ) return {Kind::kSuspend};
  return {};
}

// The code an ASCII control byte types, or -1 for one that types nothing.
int ControlCode(unsigned char c) {
  switch (c) {
    case 0x0D:
      return 13;  // Enter
    case 0x09:
      return 9;  // Tab
    case 0x08:
    case 0x7F:
      return 8;  // Backspace
    case 0x03:
      return 3;  // Ctrl+C
    default:
      return -1;
  }
}

// One byte outside any sequence, other than ESC: ASCII, a control byte or
// part of a UTF-8 character.
KeyEvent GroundByte(KeyScan& scan, unsigned char c) {
  const int code = scan.text.Feed(c);
  if (code < 0) return {};
  if (c >= 0x80) return Typed(code);  // the last byte of a longer character
  if (c >= 0x20 && c < 0x7F) return Typed(c);
  if (c == kCtrlZ) return {Kind::kSuspend};
  if (const int control = ControlCode(c); control >= 0) return Typed(control);
  return {};
}

}  // namespace

KeyEvent ScanKey(KeyScan& scan, char byte) {
  const auto c = static_cast<unsigned char>(byte);
  switch (scan.phase) {
    case Phase::kGround:
      if (byte != kEsc) return GroundByte(scan, c);
      scan.text.Reset();
      scan.phase = Phase::kEscape;
      return {};

    case Phase::kEscape:
      switch (byte) {
        case kEsc:  // the first ESC stood alone; this one starts anew
          return Typed(27);
        case '[':
          scan.phase = Phase::kCsi;
          scan.pending = 0;
          scan.numbers[0] = scan.numbers[1] = 0;
          scan.count = 1;
          scan.plain = true;
          return {};
        case 'O':
          scan.phase = Phase::kSs3;
          return {};
        case ']':
        case 'P':
        case 'X':
        case '^':
        case '_':
          scan.phase = Phase::kString;
          return {};
        default:  // Alt with a key, or a stray byte
          scan.phase = Phase::kGround;
          return InterruptOrSuspend(byte);
      }

    case Phase::kCsi:
      if (byte == kEsc) {
        scan.phase = Phase::kEscape;
      } else if (byte == kCan || byte == kSub) {
        scan.phase = Phase::kGround;
      } else if (c >= 0x20 && c <= 0x3F) {
        ++scan.pending;
        if (byte == ';') {
          ++scan.count;
        } else if (byte >= '0' && byte <= '9' && scan.count <= 2) {
          int& number = scan.numbers[scan.count - 1];
          number = number < 100000 ? number * 10 + (byte - '0') : number;
        } else if (byte < '0' || byte > '9') {
          scan.plain = false;
        }
      } else if (c >= 0x40 && c <= 0x7E) {
        // ESC [ M with no parameters is a legacy mouse report: three raw
        // bytes (button, column, row) follow.
        const bool mouse = byte == 'M' && scan.pending == 0;
        scan.phase = mouse ? Phase::kMouse : Phase::kGround;
        scan.pending = mouse ? 3 : 0;
        if (byte == 'R' && scan.plain && scan.count == 2)
          return {Kind::kCursorReport, 0, scan.numbers[0], scan.numbers[1]};
      }
      return {};

    case Phase::kSs3:
      scan.phase = byte == kEsc ? Phase::kEscape : Phase::kGround;
      return {};

    case Phase::kString:
      if (byte == kBel || byte == kCan || byte == kSub) scan.phase = Phase::kGround;
      if (byte == kEsc) scan.phase = Phase::kStringEsc;
      return {};

    case Phase::kStringEsc:
      if (byte != kEsc) scan.phase = byte == '\\' ? Phase::kGround : Phase::kString;
      return {};

    case Phase::kMouse:
      if (--scan.pending == 0) scan.phase = Phase::kGround;
      return {};
  }
  return {};
}

bool AwaitingMore(const KeyScan& scan) { return scan.phase != Phase::kGround; }

KeyEvent EndOfBurst(KeyScan& scan) {
  const bool loneEscape = scan.phase == Phase::kEscape;
  scan = {};
  return loneEscape ? Typed(27) : KeyEvent{};
}

}  // namespace term
