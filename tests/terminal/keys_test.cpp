// The key scanner, a byte at a time: typed keys as console codes, a lone
// Escape but not the sequences that start with ESC; the suspend key and
// cursor reports. And the UTF-8 decoder it types with.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "terminal/keys.h"

namespace {

using Kind = term::KeyEvent::Kind;
using Codes = std::vector<int>;

// What a scan found, by kind.
struct Scanned {
  Codes typed;
  int suspends = 0;
  std::vector<std::pair<int, int>> reports;  // row, column

  void Take(const term::KeyEvent& event) {
    if (event.kind == Kind::kTyped) typed.push_back(event.code);
    if (event.kind == Kind::kSuspend) ++suspends;
    if (event.kind == Kind::kCursorReport) reports.emplace_back(event.row, event.column);
  }
};

// Feeds the bursts in turn, each followed by the end-of-burst wait when
// the scan is waiting for more (a lone Escape then counts as 27).
Scanned ScanBursts(const std::vector<std::string>& bursts) {
  term::KeyScan scan;
  Scanned scanned;
  for (const std::string& burst : bursts) {
    for (const char byte : burst) scanned.Take(term::ScanKey(scan, byte));
    if (term::AwaitingMore(scan)) scanned.Take(term::EndOfBurst(scan));
  }
  return scanned;
}

Codes Typed(const std::vector<std::string>& bursts) { return ScanBursts(bursts).typed; }

TEST(KeyScan, LoneEscapeIsTheEscapeKey) {
  term::KeyScan scan;
  EXPECT_EQ(term::ScanKey(scan, '\x1b').kind, Kind::kNone);
  EXPECT_TRUE(term::AwaitingMore(scan));
  const term::KeyEvent escape = term::EndOfBurst(scan);
  EXPECT_EQ(escape.kind, Kind::kTyped);
  EXPECT_EQ(escape.code, 27);
  EXPECT_FALSE(term::AwaitingMore(scan));

  EXPECT_EQ(Typed({"abc\x1b"}), (Codes{'a', 'b', 'c', 27}));
  EXPECT_EQ(Typed({"\x1b[A", "\x1b"}), Codes{27});
  // Escape pressed twice, or Escape before a sequence, in one read.
  EXPECT_EQ(Typed({"\x1b\x1b"}), (Codes{27, 27}));
  EXPECT_EQ(Typed({"\x1b\x1b[A"}), Codes{27});
}

TEST(KeyScan, SequencesTypeNothing) {
  const std::vector<std::string> sequences = {
      "\x1b[A",                          // arrow up
      "\x1b[1;5C",                       // Ctrl+right
      "\x1bOP",                          // F1
      "\x1b[15~",                        // F5
      "\x1b[I", "\x1b[O",                // focus in and out
      "\x1b[<0;12;7M", "\x1b[<0;12;7m",  // SGR mouse press and release
      "\x1b[M \x21\x22",                 // legacy mouse report
      "\x1b[M\x60\x7f\x7f",              // legacy mouse: wheel at column 95
      "\x1b]11;rgb:0000/0000/0000\x07",  // colour reply, BEL-terminated
      "\x1bP1$r0m\x1b\\",                // DCS reply, ST-terminated
      "\x1bx",                           // Alt+x
  };
  for (const std::string& sequence : sequences)
    EXPECT_EQ(Typed({sequence}), Codes{}) << testing::PrintToString(sequence);
  std::string all;
  for (const std::string& sequence : sequences) all += sequence;
  EXPECT_EQ(Typed({all}), Codes{});
  EXPECT_EQ(Typed({all + "\x1b"}), Codes{27});
}

TEST(KeyScan, UnfinishedSequenceIsDroppedAtTheEndOfABurst) {
  term::KeyScan scan;
  for (const char byte : std::string("\x1b[1;5")) EXPECT_EQ(term::ScanKey(scan, byte).kind, Kind::kNone);
  EXPECT_TRUE(term::AwaitingMore(scan));
  EXPECT_EQ(term::EndOfBurst(scan).kind, Kind::kNone);
  EXPECT_EQ(term::ScanKey(scan, 'C').code, 'C');
  EXPECT_FALSE(term::AwaitingMore(scan));
}

TEST(KeyScan, CtrlCTypesThreeAlsoWithAlt) {
  EXPECT_EQ(Typed({"\x03"}), Codes{3});
  EXPECT_EQ(Typed({"\x1b[A\x03"}), Codes{3});
  EXPECT_EQ(Typed({"\x1b\x03"}), Codes{3});  // Alt+Ctrl+C
  // Inside a string, byte 3 is part of it.
  EXPECT_EQ(Typed({"\x1b]2;a\x03\x07"}), Codes{});
}

TEST(KeyScan, CtrlZSuspendsAlsoWithAltButNotInsideSequences) {
  for (const char* suspend : {"\x1a", "\x1b[A\x1a", "\x1b\x1a"}) {  // the last: Alt+Ctrl+Z
    const Scanned scanned = ScanBursts({suspend});
    EXPECT_EQ(scanned.suspends, 1) << testing::PrintToString(std::string(suspend));
    EXPECT_EQ(scanned.typed, Codes{}) << testing::PrintToString(std::string(suspend));
  }
  // Escape, then Ctrl+Z after the wait: two keys.
  const Scanned apart = ScanBursts({"\x1b", "\x1a"});
  EXPECT_EQ(apart.typed, Codes{27});
  EXPECT_EQ(apart.suspends, 1);
  // SUB cancels a sequence instead.
  EXPECT_EQ(ScanBursts({"\x1b[1;5\x1a"}).suspends, 0);
}

TEST(KeyScan, CursorPositionReportsCarryTheirNumbersAndTypeNothing) {
  const Scanned whole = ScanBursts({"a\x1b[12;345Rb"});
  EXPECT_EQ(whole.reports, (std::vector<std::pair<int, int>>{{12, 345}}));
  EXPECT_EQ(whole.typed, (Codes{'a', 'b'}));
  term::KeyScan scan;
  term::KeyEvent last;
  for (const char byte : std::string("\x1b[2;3R")) last = term::ScanKey(scan, byte);
  EXPECT_EQ(last.kind, Kind::kCursorReport);
  EXPECT_EQ(last.row, 2);
  EXPECT_EQ(last.column, 3);
  // Not reports: one number, a private marker, three numbers.
  for (const char* other : {"\x1b[5R", "\x1b[?2;3R", "\x1b[1;2;3R"}) {
    EXPECT_TRUE(ScanBursts({other}).reports.empty()) << other;
    EXPECT_EQ(Typed({other}), Codes{}) << other;
  }
}

TEST(TypedKeys, AsciiAndTheConsoleControlKeys) {
  EXPECT_EQ(Typed({"az AZ~"}), (Codes{'a', 'z', ' ', 'A', 'Z', '~'}));
  // Enter, Tab, Backspace (DEL or Ctrl+H), Ctrl+C; other controls type nothing.
  EXPECT_EQ(Typed({"\r\t\x7f\x08\x03"}), (Codes{13, 9, 8, 8, 3}));
  EXPECT_EQ(Typed({std::string("\x01\n\x00", 3)}), Codes{});
}

TEST(TypedKeys, Utf8AsCodePage437EvenWhenSplit) {
  EXPECT_EQ(Typed({"\xc3\xa9\xe2\x96\x91\xc2\xa0"}), (Codes{130, 176, 255}));  // é ░ no-break space
  EXPECT_EQ(Typed({"\xe2", "\x96", "\x91x"}), (Codes{176, 'x'}));
  // Not in code page 437 (€, an emoji), or malformed: nothing, and the
  // bytes after it count again.
  EXPECT_EQ(Typed({"\xe2\x82\xac\xf0\x9f\x98\x80" "a"}), Codes{'a'});
  EXPECT_EQ(Typed({"\x80\xc3" "a\xff\xc0\xaf" "b"}), (Codes{'a', 'b'}));
}

TEST(TypedKeys, EscapeAloneButNotSequencesOrAlt) {
  EXPECT_EQ(Typed({"a\x1b[Ab\x1bOPc\x1b[<0;12;7Md"}), (Codes{'a', 'b', 'c', 'd'}));
  EXPECT_EQ(Typed({"\x1bx\x1b\x03"}), Codes{3});  // Alt+x types nothing; Alt+Ctrl+C is Ctrl+C
  // An ESC in the middle of a character drops the character.
  EXPECT_EQ(Typed({"\xc3\x1b[A\xa9z"}), Codes{'z'});
}

// The codes the decoder gives for the bytes, fed one at a time.
Codes Decoded(const std::string& bytes) {
  kalt::Cp437Decoder decoder;
  Codes codes;
  for (const char byte : bytes)
    if (const int code = decoder.Feed(static_cast<std::uint8_t>(byte)); code >= 0) codes.push_back(code);
  return codes;
}

TEST(Cp437Decoder, TakesWellFormedUtf8Only) {
  EXPECT_EQ(Decoded("a\x01\x7f\xc3\xa9\xe2\x96\x91\xc2\xa0\xe2\x8c\x82"), (Codes{'a', 1, 127, 130, 176, 255, 127}));
  // Overlong forms (of /, A and the cedilla C), a surrogate, a character
  // above U+10FFFF, bytes that never occur: nothing, nor from the bytes
  // that followed them; the next character counts.
  for (const char* bad : {"\xc0\xaf", "\xc1\x81", "\xe0\x83\x87", "\xf0\x80\x83\x87", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                          "\xf5\x80", "\xff", "\x80\xbf"})
    EXPECT_EQ(Decoded(std::string(bad) + "x"), Codes{'x'}) << testing::PrintToString(std::string(bad));
  // A C1 control is well formed, but code page 437 has no such code.
  EXPECT_EQ(Decoded("\xc2\x85"), Codes{});
  // A byte that does not continue the character starts anew.
  EXPECT_EQ(Decoded("\xe2\x96\xc3\xa9"), Codes{130});
  EXPECT_EQ(Decoded("\xc3" "a"), Codes{'a'});
}

}  // namespace
