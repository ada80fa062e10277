// The key scanners: a lone Escape ends the show, sequences that start with
// ESC do not, wherever the reads split them; typed keys as console codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terminal/keys.h"

namespace {

using term::Key;

// Feeds the bursts in turn, each followed by the end-of-burst wait when
// the scan is waiting for more; returns the first end key.
Key ScanBursts(const std::vector<std::string>& bursts) {
  term::KeyScan scan;
  for (const std::string& burst : bursts) {
    if (const Key key = term::ScanKeys(scan, burst); key != Key::kNone) return key;
    if (term::AwaitingMore(scan))
      if (const Key key = term::EndOfBurst(scan); key != Key::kNone) return key;
  }
  return Key::kNone;
}

// Feeds the bytes one read at a time with no pause, then ends the burst.
Key ScanByteByByte(const std::string& bytes) {
  term::KeyScan scan;
  for (const char byte : bytes)
    if (const Key key = term::ScanKeys(scan, std::string(1, byte)); key != Key::kNone) return key;
  return term::EndOfBurst(scan);
}

TEST(KeyScan, LoneEscapeIsTheEscapeKey) {
  term::KeyScan scan;
  EXPECT_EQ(term::ScanKeys(scan, "\x1b"), Key::kNone);
  EXPECT_TRUE(term::AwaitingMore(scan));
  EXPECT_EQ(term::EndOfBurst(scan), Key::kEscape);
  EXPECT_FALSE(term::AwaitingMore(scan));

  EXPECT_EQ(ScanBursts({"abc\x1b"}), Key::kEscape);
  EXPECT_EQ(ScanBursts({"\x1b[A", "\x1b"}), Key::kEscape);
  // Escape pressed twice, or Escape before a sequence, in one read.
  EXPECT_EQ(ScanBursts({"\x1b\x1b"}), Key::kEscape);
  EXPECT_EQ(ScanBursts({"\x1b\x1b[A"}), Key::kEscape);
}

TEST(KeyScan, SequencesAreNotEscape) {
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
      "hello",
  };
  for (const std::string& sequence : sequences) {
    EXPECT_EQ(ScanBursts({sequence}), Key::kNone) << "whole: " << testing::PrintToString(sequence);
    EXPECT_EQ(ScanByteByByte(sequence), Key::kNone) << "split: " << testing::PrintToString(sequence);
  }
  std::string all;
  for (const std::string& sequence : sequences) all += sequence;
  EXPECT_EQ(ScanBursts({all}), Key::kNone);
  EXPECT_EQ(ScanBursts({all + "\x1b"}), Key::kEscape);
}

TEST(KeyScan, UnfinishedSequenceIsDroppedAtTheEndOfABurst) {
  term::KeyScan scan;
  EXPECT_EQ(term::ScanKeys(scan, "\x1b[1;5"), Key::kNone);
  EXPECT_TRUE(term::AwaitingMore(scan));
  EXPECT_EQ(term::EndOfBurst(scan), Key::kNone);
  EXPECT_EQ(term::ScanKeys(scan, "C"), Key::kNone);
  EXPECT_FALSE(term::AwaitingMore(scan));
}

TEST(KeyScan, CtrlCInterrupts) {
  EXPECT_EQ(ScanBursts({"\x03"}), Key::kInterrupt);
  EXPECT_EQ(ScanBursts({"\x1b[A\x03"}), Key::kInterrupt);
  EXPECT_EQ(ScanBursts({"\x1b\x03"}), Key::kInterrupt);  // Alt+Ctrl+C
  // Inside a string, byte 3 is part of it; in a mouse report a raw byte.
  EXPECT_EQ(ScanBursts({"\x1b]2;a\x03\x07"}), Key::kNone);
}

TEST(KeyScan, StopsAtTheFirstKey) {
  term::KeyScan scan;
  EXPECT_EQ(term::ScanKeys(scan, "\x03\x1b"), Key::kInterrupt);
  EXPECT_FALSE(term::AwaitingMore(scan)) << "the ESC after the key is left unread";
}

// Every typed key of the bursts, each followed by the end-of-burst wait
// when the scan is waiting for more (a lone Escape then counts as 27).
std::vector<int> Typed(const std::vector<std::string>& bursts) {
  term::KeyScan scan;
  std::vector<int> typed;
  for (const std::string& burst : bursts) {
    term::ScanTyped(scan, burst, typed);
    if (term::AwaitingMore(scan) && term::EndOfBurst(scan) == Key::kEscape) typed.push_back(27);
  }
  return typed;
}

using Codes = std::vector<int>;

TEST(TypedKeys, AsciiAndTheConsoleControlKeys) {
  EXPECT_EQ(Typed({"az AZ~"}), (Codes{'a', 'z', ' ', 'A', 'Z', '~'}));
  // Enter, Tab, Backspace (DEL or Ctrl+H), Ctrl+C; other controls type nothing.
  EXPECT_EQ(Typed({"\r\t\x7f\x08\x03"}), (Codes{13, 9, 8, 8, 3}));
  EXPECT_EQ(Typed({std::string("\x01\n\x1a\x00", 4)}), Codes{});
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
  EXPECT_EQ(Typed({"\x1b"}), Codes{27});
  EXPECT_EQ(Typed({"\x1b\x1b"}), (Codes{27, 27}));
  EXPECT_EQ(Typed({"a\x1b[Ab\x1bOPc\x1b[<0;12;7Md"}), (Codes{'a', 'b', 'c', 'd'}));
  EXPECT_EQ(Typed({"\x1bx\x1b\x03"}), Codes{3});  // Alt+x types nothing; Alt+Ctrl+C is Ctrl+C
  // An ESC in the middle of a character drops the character.
  EXPECT_EQ(Typed({"\xc3\x1b[A\xa9z"}), Codes{'z'});
}

}  // namespace
