// The score format: what each construct writes into the patterns, and the
// line and message of every kind of mistake.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "score.h"

namespace {

using kalt::composer::BuildModule;
using kalt::composer::ParseScore;
using kalt::composer::Score;
using kalt::composer::ScoreError;
using kalt::xm::Note;

constexpr std::uint8_t kC4 = 49;

// A header with two instruments, then `body`, then an order line.
std::string WithHeader(const std::string& body, const std::string& order = "order p") {
  return "song \"test\"\ntempo 140\nspeed 5\nchannels 4\n"
         "instrument 1 lead analog cutoff=2000\n"
         "instrument 3 hit drum volume=40 pan=-1\n" +
         body + "\n" + order + "\n";
}

const kalt::xm::Pattern& OnlyPattern(const Score& s) { return s.patterns.at(0).pattern; }

TEST(ScoreParser, HeaderAndInstruments) {
  const Score s = ParseScore(WithHeader("restart 0\nphrase a\n x\nend\npattern p 16\n 1 hit a\nend"));
  EXPECT_EQ(s.name, "test");
  EXPECT_EQ(s.tempo, 140);
  EXPECT_EQ(s.speed, 5);
  EXPECT_EQ(s.channels, 4);
  ASSERT_EQ(s.instruments.size(), 2u);
  EXPECT_EQ(s.instruments[0].number, 1);
  EXPECT_EQ(s.instruments[0].name, "lead");
  EXPECT_EQ(s.instruments[0].family->name, "analog");
  EXPECT_EQ(s.instruments[0].params["cutoff"], 2000);
  EXPECT_EQ(s.instruments[0].params["resonance"], 0.2);  // the family's default
  EXPECT_EQ(s.instruments[1].volume, 40);
  EXPECT_EQ(s.instruments[1].pan, -1);
  EXPECT_EQ(s.orders, std::vector<int>{0});
}

TEST(ScoreParser, ParametersContinueOnTheirOwnLines) {
  const Score s = ParseScore(WithHeader("instrument 2 pad analog voices=3\n   detune=20 cutoff=900\n"
                                        "phrase a\n x\nend\npattern p 16\n 1 hit a\nend"));
  const auto& pad = s.instruments.at(2);
  EXPECT_EQ(pad.params["voices"], 3);
  EXPECT_EQ(pad.params["detune"], 20);
  EXPECT_EQ(pad.params["cutoff"], 900);
}

TEST(ScoreParser, NotesHitsKeyOffsAndChords) {
  const Score s = ParseScore(WithHeader(
      "phrase a\n"
      "  C-4 C#4 Db4 C4 | B-7 C-0 ^ X x o C4+E4+G4 C4@20 .@30 .!A0F C4@10!E93 .\n"
      "end\n"
      "pattern p 16\n  1-3 lead a\nend"));
  const auto& p = OnlyPattern(s);
  EXPECT_EQ(p.at(0, 0), (Note{kC4, 1, 0, 0, 0}));
  EXPECT_EQ(p.at(1, 0).note, kC4 + 1);
  EXPECT_EQ(p.at(2, 0).note, kC4 + 1);
  EXPECT_EQ(p.at(3, 0).note, kC4);
  EXPECT_EQ(p.at(4, 0).note, 96);
  EXPECT_EQ(p.at(5, 0).note, 1);
  // A key-off reaches every channel of the line and names no instrument.
  for (int c = 0; c < 3; ++c) EXPECT_EQ(p.at(6, c), (Note{kalt::xm::kKeyOff, 0, 0, 0, 0}));
  // Hits are C-4: loud without a volume, normal at 44, soft at 24.
  EXPECT_EQ(p.at(7, 0), (Note{kC4, 1, 0, 0, 0}));
  EXPECT_EQ(p.at(8, 0).volume, 0x10 + 44);
  EXPECT_EQ(p.at(9, 0).volume, 0x10 + 24);
  EXPECT_EQ(p.at(10, 0).note, kC4);
  EXPECT_EQ(p.at(10, 1).note, kC4 + 4);
  EXPECT_EQ(p.at(10, 2).note, kC4 + 7);
  EXPECT_EQ(p.at(10, 2).instrument, 1);
  EXPECT_EQ(p.at(11, 0), (Note{kC4, 1, 0x10 + 20, 0, 0}));
  // A rest's volume or effect goes to every channel of the line.
  for (int c = 0; c < 3; ++c) EXPECT_EQ(p.at(12, c), (Note{0, 0, 0x10 + 30, 0, 0}));
  EXPECT_EQ(p.at(13, 2), (Note{0, 0, 0, 10, 0x0F}));
  EXPECT_EQ(p.at(14, 0), (Note{kC4, 1, 0x10 + 10, 14, 0x93}));
  EXPECT_EQ(p.at(15, 0), Note{});
}

TEST(ScoreParser, StepsRepeatsAndComments) {
  const Score s = ParseScore(WithHeader(
      "# a comment\n"
      "phrase a step 4   # four rows a token\n"
      "  C4 .*2 D4\n"
      "end\n"
      "pattern p 16\n  1 lead a\nend"));
  const auto& p = OnlyPattern(s);
  EXPECT_EQ(p.at(0, 0).note, kC4);
  EXPECT_EQ(p.at(12, 0).note, kC4 + 2);
  for (int r : {1, 2, 3, 4, 8, 11, 13}) EXPECT_EQ(p.at(r, 0), Note{}) << r;
}

TEST(ScoreParser, ItemsTransposeRepeatRestAndFill) {
  const Score s = ParseScore(WithHeader(
      "phrase a\n  C4 D4\nend\n"
      "pattern p 16\n"
      "  1 lead a+12 a-1*2 rest:2\n"  // 8 rows, repeated twice to fill 16
      "  2 lead a a a a a a a a a a\n"  // 20 rows: cut at the end
      "end"));
  const auto& p = OnlyPattern(s);
  const std::vector<int> expected = {kC4 + 12, kC4 + 14, kC4 - 1, kC4 + 1, kC4 - 1, kC4 + 1, 0, 0};
  for (int r = 0; r < 16; ++r) EXPECT_EQ(p.at(r, 0).note, expected[static_cast<std::size_t>(r % 8)]) << r;
  EXPECT_EQ(p.at(15, 1).note, kC4 + 2);
}

TEST(ScoreParser, LinesAtARowAreLaidOnceAndOverlay) {
  const Score s = ParseScore(WithHeader(
      "phrase a\n  C4 C4 C4 C4\nend\n"
      "phrase b\n  D4 .@20 .!A01\nend\n"
      "pattern p 8\n"
      "  1 lead a\n"
      "  1@4 hit b\n"
      "end"));
  const auto& p = OnlyPattern(s);
  EXPECT_EQ(p.at(3, 0), (Note{kC4, 1, 0, 0, 0}));
  // A note replaces the whole cell; a volume or effect changes only its field
  // (a volume as a share of the line's instrument: 20/64 of 40).
  EXPECT_EQ(p.at(4, 0), (Note{kC4 + 2, 3, 0, 0, 0}));
  EXPECT_EQ(p.at(5, 0), (Note{kC4, 1, 0x10 + 13, 0, 0}));
  EXPECT_EQ(p.at(6, 0), (Note{kC4, 1, 0, 10, 0x01}));
  EXPECT_EQ(p.at(7, 0), (Note{kC4, 1, 0, 0, 0}));
}

TEST(ScoreParser, LikeClearAndVolumeScale) {
  const Score s = ParseScore(WithHeader(
      "phrase a\n  C4 C4@32 x\nend\n"
      "pattern p 4\n  1-2 lead a\nend\n"
      "pattern q 4 like p\n  clear 2\n  3 hit a vol=32\nend",
      "order p q*2"));
  ASSERT_EQ(s.patterns.size(), 2u);
  const auto& q = s.patterns[1].pattern;
  EXPECT_EQ(q.at(0, 0), (Note{kC4, 1, 0, 0, 0}));
  EXPECT_EQ(q.at(0, 1), Note{});
  // Shares of the instrument's volume of 40, halved by vol=32.
  EXPECT_EQ(q.at(0, 2).volume, 0x10 + 20);  // all of it
  EXPECT_EQ(q.at(1, 2).volume, 0x10 + 10);  // half of it
  EXPECT_EQ(q.at(2, 2).volume, 0x10 + 14);  // a normal hit, 44/64 of it
  EXPECT_EQ(s.orders, (std::vector<int>{0, 1, 1}));
}

TEST(ScoreParser, ChannelPanTakesTheEffectColumnOrTheVolumeColumn) {
  const Score s = ParseScore(WithHeader("pan 2 1\npan 3 -1\nphrase a\n  C4 C4!A01 C4@10!A01\nend\n"
                                        "pattern p 4\n  1 lead a\n  2 lead a\n  3 lead a\nend"));
  const auto& p = OnlyPattern(s);
  EXPECT_EQ(p.at(0, 0), (Note{kC4, 1, 0, 0, 0}));      // channel 1 has no pan of its own
  EXPECT_EQ(p.at(0, 1), (Note{kC4, 1, 0, 8, 255}));    // 8FF: hard right
  EXPECT_EQ(p.at(0, 2), (Note{kC4, 1, 0, 8, 0}));      // 800: hard left
  EXPECT_EQ(p.at(1, 1), (Note{kC4, 1, 0xCF, 10, 1}));  // effect taken: the volume column's P
  EXPECT_EQ(p.at(2, 1), (Note{kC4, 1, 0x10 + 10, 10, 1}));  // both taken: no pan
}

TEST(ScoreParser, BuildModuleKeepsNumbersAndFillsGaps) {
  const Score s = ParseScore(WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\nend"));
  const kalt::xm::Module m = BuildModule(s);
  EXPECT_EQ(m.name, "test");
  EXPECT_EQ(m.tempo, 140);
  EXPECT_EQ(m.speed, 5);
  ASSERT_EQ(m.instruments.size(), 3u);
  EXPECT_EQ(m.instruments[0].name, "lead");
  EXPECT_FALSE(m.instruments[0].samples.empty());
  EXPECT_TRUE(m.instruments[1].samples.empty());  // number 2 is not defined
  EXPECT_EQ(m.instruments[2].name, "hit");
  EXPECT_EQ(m.instruments[2].samples[0].volume, 40);
  EXPECT_EQ(m.instruments[2].samples[0].panning, 0);
  EXPECT_EQ(m.patterns.size(), 1u);
  EXPECT_EQ(kalt::xm::WriteXm(m), kalt::xm::WriteXm(BuildModule(s)));  // the same bytes again
}

// ---- Mistakes --------------------------------------------------------------------

struct Mistake {
  std::string text;
  int line;
  std::string message;  // a part of it
};

class ScoreMistakes : public ::testing::TestWithParam<Mistake> {};

TEST_P(ScoreMistakes, NameTheLineAndTheFault) {
  const Mistake& m = GetParam();
  try {
    ParseScore(m.text);
    FAIL() << "no error for:\n" << m.text;
  } catch (const ScoreError& e) {
    EXPECT_EQ(e.line, m.line) << e.what();
    EXPECT_NE(e.message.find(m.message), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()), "line " + std::to_string(m.line) + ": " + e.message);
  }
}

// Line numbers: WithHeader puts the body on line 7.
const Mistake kMistakes[] = {
    {"tempo 300\n", 1, "tempo must be a whole number from 32 to 255, not \"300\""},
    {"speed fast\n", 1, "speed must be a whole number"},
    {"tempo 120\ntempo 130\n", 2, "\"tempo\" is set twice"},
    {"song \"this name is far too long\"\n", 1, "longer than 20"},
    {"song \"open\n", 1, "no closing quote"},
    {"melody x\n", 1, "unknown statement \"melody\""},
    {"end\n", 1, "\"end\" without"},
    {"instrument 1 lead\n", 1, "expected \"instrument NUMBER NAME FAMILY"},
    {"instrument 0 a drum\n", 1, "an instrument number must be a whole number from 1 to 128"},
    {"instrument 1 9lives drum\n", 1, "name \"9lives\""},
    {"instrument 1 a kazoo\n", 1, "unknown instrument family \"kazoo\" (known: drum, "},
    {"instrument 1 a drum\n  decay=9\n", 2, "decay must be a number from 0.03 to 4, not \"9\""},
    {"instrument 1 a drum colour=3\n", 1, "family \"drum\" has no parameter \"colour\""},
    {"instrument 1 a drum tone=40 tone=50\n", 1, "\"tone\" is set twice"},
    {"instrument 1 a drum\ninstrument 1 b drum\n", 2, "instrument 1 is defined twice"},
    {"instrument 1 a drum\ninstrument 2 a drum\n", 2, "already called \"a\""},
    {WithHeader("phrase a\n C4\n"), 7, "phrase \"a\" has no \"end\""},
    {WithHeader("phrase a\nend"), 7, "phrase \"a\" is empty"},
    {WithHeader("phrase a\n C4\nend\nphrase a\n D4\nend"), 10, "phrase \"a\" is defined twice"},
    {WithHeader("phrase a\n C8\nend"), 8, "\"C8\" is not a note"},
    {WithHeader("phrase a\n H-4\nend"), 8, "\"H-4\" is not a note"},
    {WithHeader("phrase a\n Cb0\nend"), 8, "\"Cb0\" is not a note"},
    {WithHeader("phrase a\n C4@65\nend"), 8, "a volume must be a whole number from 0 to 64"},
    {WithHeader("phrase a\n C4!A0\nend"), 8, "\"!A0\" is not an effect"},
    {WithHeader("phrase a\n C4!#00\nend"), 8, "\"!#00\" is not an effect"},
    {WithHeader("phrase a\n x*0\nend"), 8, "a repeat count must be"},
    {WithHeader("phrase a step 128\n x x x\nend"), 8, "longer than 256 rows"},
    {WithHeader("phrase a\n x\nend\npattern p 300\nend"), 10, "the row count must be a whole number from 1 to 256"},
    {WithHeader("phrase a\n x\nend\npattern p 16 like q\nend"), 10, "unknown pattern \"q\""},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 5 hit a\nend"), 11, "a channel must be a whole number from 1 to 4"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 3-2 hit a\nend"), 11, "the last channel"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 drum a\nend"), 11, "unknown instrument \"drum\""},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit b\nend"), 11, "unknown phrase \"b\""},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 - a\nend"), 11, "notes and hits need an instrument"},
    {WithHeader("phrase a\n C4+E4+G4\nend\npattern p 16\n 1-2 lead a\nend"), 11, "a chord of 3 notes does not fit 2"},
    {WithHeader("phrase a\n B-7\nend\npattern p 16\n 1 lead a+1\nend"), 11, "leaves C-0..B-7"},
    {WithHeader("phrase a step 8\n x\nend\npattern p 16\n 1@10 hit a\nend"), 11, "run past the end of the pattern (6 rows"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1@16 hit a\nend"), 11, "the starting row must be"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a vol=70\nend"), 11, "vol must be"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit\nend"), 11, "expected \"CHANNELS INSTRUMENT PHRASE"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n clear\nend"), 11, "expected \"clear CHANNELS\""},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\n", ""), 10, "pattern \"p\" has no \"end\""},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\nend\nchannels 8"), 13, "before the first pattern"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\nend\npan 1 0"), 13, "before the first pattern"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\nend", "order q"), 13, "unknown pattern \"q\""},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\nend", "order p*200 p*57"), 13, "longer than 256"},
    {WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\nend", ""), 0, "no order list"},
    {"restart 2\n" + WithHeader("phrase a\n x\nend\npattern p 16\n 1 hit a\nend"), 1,
     "restart position 2 is beyond the order list of 1"},
};

INSTANTIATE_TEST_SUITE_P(All, ScoreMistakes, ::testing::ValuesIn(kMistakes));

}  // namespace
