// The key scanner: a lone Escape ends the show, sequences that start with
// ESC do not, wherever the reads split them.
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

}  // namespace
