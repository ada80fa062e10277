// The XM writer against two independent readers: libopenmpt must read back
// exactly the song, patterns, instruments and sounds that were written, and
// xmp must accept the file. A few byte-level checks pin the parts of the
// format that no reader reports directly (packing and delta encoding).
#include "xm_writer.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "kalt_test/tools.h"

namespace {

using namespace kalt::xm;

constexpr int kRate = 44100;

// One looped cycle of a sine, `period` frames long, tuned so that C-4 plays
// it at about 44,100 frames per second (about 441 Hz for a period of 100).
Sample SineCycle(int period, double amplitude, bool sixteenBit) {
  Sample s;
  s.name = sixteenBit ? "sine16" : "sine8";
  s.sixteenBit = sixteenBit;
  for (int i = 0; i < period; ++i)
    s.pcm.push_back(static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * i / period))));
  s.loop = LoopType::Forward;
  s.loopLength = static_cast<std::uint32_t>(period);
  const Tuning t = PitchForRate(kRate);
  s.relativeNote = t.relativeNote;
  s.finetune = t.finetune;
  return s;
}

Instrument OneSampleInstrument(std::string name, Sample s) {
  Instrument in;
  in.name = std::move(name);
  in.samples.push_back(std::move(s));
  return in;
}

// A small but complete song: three channels, two patterns of different
// lengths used out of order, two instruments (16- and 8-bit).
Module SmallSong() {
  Module m;
  m.name = "writer test";
  m.channels = 3;
  m.speed = 5;
  m.tempo = 140;
  m.restartPosition = 1;
  m.orders = {1, 0, 1};
  Pattern a = MakePattern(16, 3);
  a.at(0, 0) = {kMiddleC, 1, 0x50, 0, 0};      // C-4, full volume
  a.at(4, 1) = {kMiddleC + 12, 2, 0, 0x0C, 0x20};  // C-5, effect C20
  a.at(8, 2) = {1, 2, 0x6A, 0x0A, 0x0F};       // C-0, volume slide down, A0F
  a.at(12, 0) = {kKeyOff, 0, 0, 0, 0};
  a.at(15, 2) = {96, 1, 0x10, 0x0E, 0xC3};     // B-7, volume 0, EC3
  Pattern b = MakePattern(32, 3);
  b.at(31, 1) = {0, 0, 0, 0x0B, 0x00};         // B00 alone
  m.patterns = {a, b};
  m.instruments = {OneSampleInstrument("sine sixteen", SineCycle(100, 20000, true)),
                   OneSampleInstrument("sine eight", SineCycle(100, 100, false))};
  return m;
}

openmpt::module Load(const Module& m) {
  std::ostringstream quiet;
  return openmpt::module(WriteXm(m), quiet);
}

TEST(XmWriterRead, SongHeaderOrdersPatternsAndInstruments) {
  const openmpt::module mod = Load(SmallSong());
  EXPECT_EQ(mod.get_metadata("type"), "xm");
  EXPECT_EQ(mod.get_metadata("title"), "writer test");
  EXPECT_EQ(mod.get_num_channels(), 3);
  EXPECT_EQ(mod.get_current_speed(), 5);
  EXPECT_EQ(mod.get_current_tempo(), 140);
  ASSERT_EQ(mod.get_num_orders(), 3);
  EXPECT_EQ(mod.get_order_pattern(0), 1);
  EXPECT_EQ(mod.get_order_pattern(1), 0);
  EXPECT_EQ(mod.get_order_pattern(2), 1);
  ASSERT_EQ(mod.get_num_patterns(), 2);
  EXPECT_EQ(mod.get_pattern_num_rows(0), 16);
  EXPECT_EQ(mod.get_pattern_num_rows(1), 32);
  EXPECT_EQ(mod.get_instrument_names(), (std::vector<std::string>{"sine sixteen", "sine eight"}));
  EXPECT_EQ(mod.get_sample_names(), (std::vector<std::string>{"sine16", "sine8"}));
}

// libopenmpt shows XM notes an octave higher than FastTracker II does (XM's
// C-4 is its C-5) and the volume column in hex.
TEST(XmWriterRead, PatternCells) {
  openmpt::module mod = Load(SmallSong());
  EXPECT_EQ(mod.format_pattern_row_channel(0, 0, 0, 13, true), "C-5 01v40 ...");
  EXPECT_EQ(mod.format_pattern_row_channel(0, 4, 1, 13, true), "C-6 02 .. C20");
  EXPECT_EQ(mod.format_pattern_row_channel(0, 8, 2, 13, true), "C-1 02d0A A0F");
  EXPECT_EQ(mod.format_pattern_row_channel(0, 12, 0, 13, true), "=== .. .. ...");
  EXPECT_EQ(mod.format_pattern_row_channel(0, 15, 2, 13, true), "B-8 01v00 EC3");
  EXPECT_EQ(mod.format_pattern_row_channel(1, 31, 1, 13, true), "... .. .. B00");
  int filled = 0;
  for (int p = 0; p < 2; ++p)
    for (int r = 0; r < mod.get_pattern_num_rows(p); ++r)
      for (int c = 0; c < 3; ++c)
        filled += mod.format_pattern_row_channel(p, r, c, 13, true) != "... .. .. ...";
  EXPECT_EQ(filled, 6);
}

// Renders `seconds` of the module, left and right.
struct Stereo {
  std::vector<float> left, right;
};
Stereo Render(openmpt::module& mod, double seconds) {
  Stereo out;
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  out.left.resize(frames);
  out.right.resize(frames);
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t n = mod.read(kRate, frames - done, out.left.data() + done, out.right.data() + done);
    if (n == 0) break;
    done += n;
  }
  out.left.resize(done);
  out.right.resize(done);
  return out;
}

// The share of the signal's energy that a sine of frequency `hz` explains
// (least-squares fit of a sine and a cosine): 1 for a pure tone of that
// frequency, near 0 for anything else.
double ToneFit(const std::vector<float>& x, std::size_t from, std::size_t to, double hz) {
  double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0, xx = 0;
  for (std::size_t i = from; i < to; ++i) {
    const double w = 2 * std::numbers::pi * hz * static_cast<double>(i) / kRate;
    const double s = std::sin(w), c = std::cos(w);
    ss += s * s, sc += s * c, cc += c * c;
    xs += x[i] * s, xc += x[i] * c, xx += static_cast<double>(x[i]) * x[i];
  }
  const double det = ss * cc - sc * sc;
  const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
  return xx > 0 ? (a * xs + b * xc) / xx : 0.0;
}

double Rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

// One channel, one instrument, one pattern of `rows` rows at speed 6 and
// tempo 125 (20 ms per tick, 120 ms per row).
Module ToneSong(Instrument in, int rows) {
  Module m;
  m.channels = 1;
  m.speed = 6;
  m.tempo = 125;
  m.orders = {0};
  m.patterns = {MakePattern(rows, 1)};
  m.instruments = {std::move(in)};
  return m;
}

TEST(XmWriterSound, SampleDataAndTuningPlayBackAsWritten) {
  for (const bool sixteenBit : {true, false}) {
    SCOPED_TRACE(sixteenBit ? "16-bit" : "8-bit");
    Module m = ToneSong(OneSampleInstrument("sine", SineCycle(100, sixteenBit ? 20000 : 100, sixteenBit)), 8);
    m.patterns[0].at(0, 0) = {kMiddleC, 1, 0, 0, 0};
    m.patterns[0].at(4, 0) = {kMiddleC + 12, 1, 0, 0, 0};
    openmpt::module mod = Load(m);
    const Stereo s = Render(mod, 0.9);
    ASSERT_GE(s.left.size(), std::size_t{39000});
    // Rows 0..3 (0.48 s) play C-4, rows 4..7 C-5; skip the note starts.
    const double c4 = RateOfPitch(PitchForRate(kRate)) / 100;
    EXPECT_GT(ToneFit(s.left, 2000, 20000, c4), 0.99);
    EXPECT_LT(ToneFit(s.left, 2000, 20000, 2 * c4), 0.01);
    EXPECT_GT(ToneFit(s.left, 23000, 39000, 2 * c4), 0.99);
  }
}

TEST(XmWriterSound, VolumeEnvelopeAndPanning) {
  Instrument in = OneSampleInstrument("enveloped", SineCycle(100, 20000, true));
  in.samples[0].panning = 0;  // hard left
  // Full for 6 ticks, silent from tick 12 (240 ms) on.
  in.volumeEnvelope.points = {{0, 64}, {6, 64}, {12, 0}};
  Module m = ToneSong(in, 8);
  m.patterns[0].at(0, 0) = {kMiddleC, 1, 0, 0, 0};
  openmpt::module mod = Load(m);
  mod.set_render_param(openmpt::module::RENDER_STEREOSEPARATION_PERCENT, 100);
  const Stereo s = Render(mod, 0.5);
  ASSERT_GE(s.left.size(), std::size_t{20000});
  const double loud = Rms(s.left, 500, 4000);
  EXPECT_GT(loud, 0.05);
  EXPECT_LT(Rms(s.right, 500, 4000), loud * 0.05);
  EXPECT_LT(Rms(s.left, 12000, 20000), loud * 0.01);
}

TEST(XmWriterSound, SustainHoldsUntilKeyOffThenFadeoutSilences) {
  Instrument in = OneSampleInstrument("held", SineCycle(100, 20000, true));
  in.volumeEnvelope.points = {{0, 64}, {4, 48}};
  in.volumeEnvelope.sustain = 1;
  in.fadeout = 0xFFF;  // silent a few ticks after key-off
  Module m = ToneSong(in, 16);
  m.patterns[0].at(0, 0) = {kMiddleC, 1, 0, 0, 0};
  m.patterns[0].at(8, 0) = {kKeyOff, 0, 0, 0, 0};  // at 0.96 s
  openmpt::module mod = Load(m);
  const Stereo s = Render(mod, 1.5);
  ASSERT_GE(s.left.size(), std::size_t{60000});
  const double held = Rms(s.left, 30000, 40000);
  EXPECT_GT(held, 0.03);                                  // still sounding at 0.7..0.9 s
  EXPECT_LT(Rms(s.left, 50000, 60000), held * 0.01);      // gone 0.2 s after the key-off
}

// ---- Bytes ------------------------------------------------------------------

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(XmWriterBytes, HeaderPackingAndDeltaEncodedSamples) {
  Module m;
  m.name = "bytes";
  m.channels = 2;
  m.orders = {0};
  Pattern p = MakePattern(2, 2);
  p.at(0, 0) = {kMiddleC, 1, 0x40, 0x0F, 0x03};  // every field: stored unpacked
  p.at(1, 1) = {0, 1, 0, 0, 0};                  // instrument only
  m.patterns = {p};
  Sample s;
  s.pcm = {0, 100, -100, 32767, -32768, 5};
  m.instruments = {OneSampleInstrument("raw", s)};
  const std::vector<std::uint8_t> b = WriteXm(m);

  ASSERT_EQ(std::string(b.begin(), b.begin() + 17), "Extended Module: ");
  EXPECT_EQ(b[37], 0x1A);
  EXPECT_EQ(b[58] | b[59] << 8, 0x0104);
  EXPECT_EQ(Le32(b, 60), 276u);
  // The pattern follows the 336-byte song header.
  const std::size_t pattern = 60 + 276;
  EXPECT_EQ(Le32(b, pattern), 9u);
  EXPECT_EQ(b[pattern + 5] | b[pattern + 6] << 8, 2);  // rows
  const std::vector<std::uint8_t> packed = {kMiddleC, 1, 0x40, 0x0F, 0x03, 0x80, 0x80, 0x82, 1};
  ASSERT_EQ(b[pattern + 7] | b[pattern + 8] << 8, static_cast<int>(packed.size()));
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + pattern + 9, b.begin() + pattern + 9 + packed.size()), packed);
  // Instrument header, one 40-byte sample header, then 16-bit deltas.
  const std::size_t instrument = pattern + 9 + packed.size();
  EXPECT_EQ(Le32(b, instrument), 263u);
  const std::size_t sample = instrument + 263;
  EXPECT_EQ(Le32(b, sample), 12u);   // length in bytes
  EXPECT_EQ(b[sample + 14], 0x10);   // 16-bit, no loop
  const std::vector<std::uint8_t> deltas = {0, 0, 100, 0, 0x38, 0xFF, 0x63, 0x80, 1, 0, 5, 0x80};
  ASSERT_EQ(b.size(), sample + 40 + deltas.size());
  EXPECT_EQ(std::vector<std::uint8_t>(b.end() - static_cast<long>(deltas.size()), b.end()), deltas);
}

TEST(XmWriterBytes, InstrumentWithoutSamplesHasTheShortHeader) {
  Module m;
  m.channels = 1;
  m.orders = {0};
  m.patterns = {MakePattern(1, 1)};
  m.instruments.resize(1);
  m.instruments[0].name = "empty";
  const std::vector<std::uint8_t> b = WriteXm(m);
  ASSERT_EQ(b.size(), std::size_t{336 + 9 + 1 + 29});
  EXPECT_EQ(Le32(b, 346), 29u);
  EXPECT_EQ(Load(m).get_instrument_names(), std::vector<std::string>{"empty"});
}

TEST(XmWriterTuning, PitchForRateKeepsToSixteenthsOfASemitone) {
  const Tuning native = PitchForRate(8363.0);
  EXPECT_EQ(native.relativeNote, 0);
  EXPECT_EQ(native.finetune, 0);
  EXPECT_DOUBLE_EQ(RateOfPitch(native), 8363.0);
  const Tuning octave = PitchForRate(2 * 8363.0);
  EXPECT_EQ(octave.relativeNote, 12);
  EXPECT_EQ(octave.finetune, 0);
  // 44,100 Hz is 460.55 sixteenths of a semitone above: 29 semitones less 3
  // sixteenths, 44,172 Hz.
  const Tuning cd = PitchForRate(44100.0);
  EXPECT_EQ(cd.relativeNote, 29);
  EXPECT_EQ(cd.finetune, -24);
  EXPECT_NEAR(RateOfPitch(cd), 44172.06, 0.01);
  for (double rate = 1000; rate < 1e6; rate *= 1.37) {
    const Tuning t = PitchForRate(rate);
    EXPECT_EQ(t.finetune % 8, 0);
    EXPECT_NEAR(std::log2(RateOfPitch(t) / rate) * 12, 0.0, 1.0 / 32 + 1e-9) << rate;
  }
  EXPECT_THROW(PitchForRate(10.0), std::invalid_argument);
  EXPECT_THROW(PitchForRate(std::nan("")), std::invalid_argument);
}

// ---- Bad input --------------------------------------------------------------

struct BadCase {
  const char* what;
  std::function<void(Module&)> spoil;
  const char* message;  // a part of the expected error text
};

TEST(XmWriterBadInput, EveryBrokenLimitIsNamed) {
  const std::vector<BadCase> cases = {
      {"long name", [](Module& m) { m.name = std::string(21, 'x'); }, "longer than 20"},
      {"no channels", [](Module& m) { m.channels = 0; }, "channel count 0"},
      {"speed", [](Module& m) { m.speed = 32; }, "speed 32"},
      {"tempo", [](Module& m) { m.tempo = 31; }, "tempo 31"},
      {"no orders", [](Module& m) { m.orders.clear(); }, "order list"},
      {"missing pattern", [](Module& m) { m.orders[1] = 2; }, "order position 1 names missing pattern 2"},
      {"restart", [](Module& m) { m.restartPosition = 3; }, "restart position 3"},
      {"rows", [](Module& m) { m.patterns[0] = MakePattern(257, 3); }, "257 rows"},
      {"channels of a pattern", [](Module& m) { m.patterns[1] = MakePattern(4, 2); }, "pattern 1 has 2 channels"},
      {"note", [](Module& m) { m.patterns[0].at(3, 2).note = 98; }, "pattern 0 row 3 channel 2: note 98"},
      {"instrument", [](Module& m) { m.patterns[1].at(0, 0).instrument = 3; }, "instrument 3 does not exist"},
      {"volume byte", [](Module& m) { m.patterns[0].at(1, 1).volume = 0x55; }, "volume column byte 85"},
      {"effect", [](Module& m) { m.patterns[0].at(1, 1).effect = 36; }, "effect 36"},
      {"8-bit range", [](Module& m) { m.instruments[1].samples[0].pcm[3] = 200; }, "8-bit but holds the frame 200"},
      {"loop", [](Module& m) { m.instruments[0].samples[0].loopStart = 50; }, "instrument 1 sample 0 loops beyond"},
      {"empty loop", [](Module& m) { m.instruments[0].samples[0].loopLength = 0; }, "loops over no frames"},
      {"sample volume", [](Module& m) { m.instruments[0].samples[0].volume = 65; }, "volume 65"},
      {"note map", [](Module& m) { m.instruments[1].sampleForNote[10] = 1; }, "maps note 11 to a missing sample"},
      {"envelope start", [](Module& m) { m.instruments[0].volumeEnvelope.points = {{2, 64}}; }, "start at tick 0"},
      {"envelope order",
       [](Module& m) { m.instruments[0].volumeEnvelope.points = {{0, 64}, {5, 1}, {5, 0}}; },
       "point 2 does not come after"},
      {"envelope value", [](Module& m) { m.instruments[0].panningEnvelope.points = {{0, 65}}; }, "above 64"},
      {"envelope sustain",
       [](Module& m) {
         m.instruments[0].volumeEnvelope.points = {{0, 64}};
         m.instruments[0].volumeEnvelope.sustain = 1;
       },
       "sustains a missing point"},
      {"half a loop",
       [](Module& m) {
         m.instruments[0].volumeEnvelope.points = {{0, 64}, {3, 0}};
         m.instruments[0].volumeEnvelope.loopStart = 0;
       },
       "only one end"},
      {"fadeout", [](Module& m) { m.instruments[0].fadeout = 0x1000; }, "fadeout above 4095"},
      {"vibrato", [](Module& m) { m.instruments[0].vibrato.depth = 16; }, "auto-vibrato"},
      {"sample name", [](Module& m) { m.instruments[0].samples[0].name = std::string(23, 's'); }, "longer than 22"},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.what);
    Module m = SmallSong();
    ASSERT_NO_THROW(WriteXm(m));
    c.spoil(m);
    try {
      WriteXm(m);
      ADD_FAILURE() << "no error";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

// ---- A second player ----------------------------------------------------------

TEST(XmWriterXmp, XmpLoadsTheModule) {
  const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "kalt_xm_writer_test.xm";
  const std::vector<std::uint8_t> bytes = WriteXm(SmallSong());
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  int status = -1;
  const std::string report =
      kalt_test::RunCommand("xmp --norc --load-only -v '" + file.string() + "' 2>&1", &status);
  std::filesystem::remove(file);
  ASSERT_EQ(status, 0) << report;
  EXPECT_NE(report.find("XM 1.04"), std::string::npos) << report;
  EXPECT_NE(report.find("Module length: 3 patterns"), std::string::npos) << report;
  EXPECT_NE(report.find("Instruments  : 2"), std::string::npos) << report;
  EXPECT_NE(report.find("sine sixteen"), std::string::npos) << report;
}

}  // namespace
