#include "terminal/keys.h"

#include "kalt/cp437.h"

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

// The code a control byte types, or -1 for one that types nothing.
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

// One byte outside any sequence: ASCII, a control byte or part of a UTF-8
// character. Appends the code it completes.
void TypeByte(KeyScan& scan, unsigned char c, std::vector<int>& typed) {
  // 1. A continuation byte adds to the character under way; any other
  //    byte drops the unfinished character and stands for itself.
  if (scan.utf8Left > 0) {
    if ((c & 0xC0) == 0x80) {
      scan.utf8Code = scan.utf8Code << 6 | (c & 0x3F);
      if (--scan.utf8Left == 0 && scan.utf8Code >= 0x80)
        if (const int code = kalt::Cp437Code(scan.utf8Code); code >= 0) typed.push_back(code);
      return;
    }
    scan.utf8Left = 0;
  }
  // 2. A lead byte starts a character of two, three or four bytes.
  const int extra = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : 0;
  if (extra > 0) {
    scan.utf8Left = extra;
    scan.utf8Code = c & (0x3F >> extra);
    return;
  }
  // 3. Printable ASCII is itself; a few controls are keys.
  if (c >= 0x20 && c < 0x7F) {
    typed.push_back(c);
  } else if (const int code = ControlCode(c); code >= 0) {
    typed.push_back(code);
  }
}

}  // namespace

void ScanTyped(KeyScan& scan, std::string_view bytes, std::vector<int>& typed) {
  for (const char byte : bytes) {
    if (scan.phase == Phase::kGround && byte != kEsc) {
      TypeByte(scan, static_cast<unsigned char>(byte), typed);
      continue;
    }
    scan.utf8Left = 0;
    const Key key = Step(scan, byte);
    if (key == Key::kEscape) typed.push_back(27);
    if (key == Key::kInterrupt) typed.push_back(3);
  }
}

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
