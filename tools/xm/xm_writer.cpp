#include "xm_writer.h"

#include <cmath>
#include <stdexcept>
#include <string_view>

namespace kalt::xm {
namespace {

constexpr std::string_view kTrackerName = "Kalt composer";
constexpr std::uint16_t kVersion = 0x0104;
constexpr std::uint32_t kSongHeaderSize = 20 + 256;       // from the size field on
constexpr std::uint32_t kPatternHeaderSize = 9;
constexpr std::uint32_t kInstrumentHeaderSize = 263;      // as FastTracker II writes it
constexpr std::uint32_t kInstrumentFieldsSize = 241;      // the part of it that holds fields
constexpr std::uint32_t kEmptyInstrumentHeaderSize = 29;  // size, name, type, sample count
constexpr std::uint32_t kSampleHeaderSize = 40;
constexpr double kC4Rate = 8363.0;  // frames per second of an untuned sample at C-4
constexpr long kFinetuneSteps = 16;  // finetune steps per semitone that players honour

[[noreturn]] void Fail(const std::string& message) { throw std::invalid_argument("XM writer: " + message); }

void Require(bool ok, const std::string& message) {
  if (!ok) Fail(message);
}

// ---- Validation -----------------------------------------------------------

void CheckName(const std::string& name, std::size_t limit, const std::string& what) {
  Require(name.size() <= limit, what + " name \"" + name + "\" is longer than " + std::to_string(limit) + " bytes");
}

void CheckCell(const Note& n, int instruments, const std::string& where) {
  Require(n.note <= kKeyOff, where + ": note " + std::to_string(n.note) + " is not 0..97");
  Require(n.instrument <= instruments,
          where + ": instrument " + std::to_string(n.instrument) + " does not exist");
  const bool volumeOk = n.volume == 0 || (n.volume >= 0x10 && n.volume <= 0x50) || n.volume >= 0x60;
  Require(volumeOk, where + ": volume column byte " + std::to_string(n.volume) + " has no meaning");
  Require(n.effect <= 35, where + ": effect " + std::to_string(n.effect) + " is not 0..35");
}

void CheckPattern(const Pattern& p, int index, const Module& m) {
  const std::string what = "pattern " + std::to_string(index);
  Require(p.rows >= 1 && p.rows <= kMaxRows, what + " has " + std::to_string(p.rows) + " rows, not 1..256");
  Require(p.channels == m.channels, what + " has " + std::to_string(p.channels) + " channels, the module " +
                                        std::to_string(m.channels));
  Require(p.cells.size() == static_cast<std::size_t>(p.rows) * static_cast<std::size_t>(p.channels),
          what + " has " + std::to_string(p.cells.size()) + " cells, not rows × channels");
  for (int r = 0; r < p.rows; ++r)
    for (int c = 0; c < p.channels; ++c)
      CheckCell(p.at(r, c), static_cast<int>(m.instruments.size()),
                what + " row " + std::to_string(r) + " channel " + std::to_string(c));
}

void CheckEnvelope(const Envelope& e, const std::string& what) {
  const auto count = e.points.size();
  Require(count <= kMaxEnvelopePoints, what + " has more than 12 points");
  if (count == 0) {
    Require(!e.sustain && !e.loopStart && !e.loopEnd, what + " has a sustain or loop but no points");
    return;
  }
  Require(e.points[0].tick == 0, what + " does not start at tick 0");
  for (std::size_t i = 0; i < count; ++i) {
    Require(e.points[i].value <= 64, what + " point " + std::to_string(i) + " has a value above 64");
    Require(i == 0 || e.points[i].tick > e.points[i - 1].tick,
            what + " point " + std::to_string(i) + " does not come after the one before");
  }
  Require(!e.sustain || *e.sustain < count, what + " sustains a missing point");
  Require(e.loopStart.has_value() == e.loopEnd.has_value(), what + " has only one end of a loop");
  if (e.loopStart)
    Require(*e.loopStart <= *e.loopEnd && *e.loopEnd < count, what + " loops over missing points");
}

void CheckSample(const Sample& s, const std::string& what) {
  CheckName(s.name, 22, what);
  Require(s.volume <= 64, what + " has volume " + std::to_string(s.volume) + ", above 64");
  Require(s.pcm.size() <= 0x3FFFFFFF, what + " is too long");
  if (!s.sixteenBit)
    for (std::int16_t v : s.pcm)
      if (v < -128 || v > 127) Fail(what + " is 8-bit but holds the frame " + std::to_string(v));
  if (s.loop != LoopType::None) {
    Require(s.loopLength >= 1, what + " loops over no frames");
    Require(s.loopStart < s.pcm.size() && s.loopLength <= s.pcm.size() - s.loopStart,
            what + " loops beyond its end");
  }
}

void CheckInstrument(const Instrument& in, int index) {
  const std::string what = "instrument " + std::to_string(index + 1);
  CheckName(in.name, 22, what);
  Require(in.samples.size() <= kMaxSamples, what + " has more than 16 samples");
  for (std::size_t s = 0; s < in.samples.size(); ++s)
    CheckSample(in.samples[s], what + " sample " + std::to_string(s));
  for (int n = 0; n < kNoteCount; ++n)
    Require(in.samples.empty() ? in.sampleForNote[n] == 0 : in.sampleForNote[n] < in.samples.size(),
            what + " maps note " + std::to_string(n + 1) + " to a missing sample");
  CheckEnvelope(in.volumeEnvelope, what + " volume envelope");
  CheckEnvelope(in.panningEnvelope, what + " panning envelope");
  Require(in.vibrato.type <= 3 && in.vibrato.depth <= 15 && in.vibrato.rate <= 63,
          what + " has an auto-vibrato out of range");
  Require(in.fadeout <= 0xFFF, what + " has a fadeout above 4095");
}

void CheckModule(const Module& m) {
  CheckName(m.name, 20, "module");
  Require(m.channels >= 1 && m.channels <= kMaxChannels, "channel count " + std::to_string(m.channels) + " is not 1..32");
  Require(m.speed >= 1 && m.speed <= 31, "speed " + std::to_string(m.speed) + " is not 1..31");
  Require(m.tempo >= 32 && m.tempo <= 255, "tempo " + std::to_string(m.tempo) + " is not 32..255");
  Require(!m.orders.empty() && m.orders.size() <= kMaxOrders, "the order list needs 1..256 positions");
  Require(m.restartPosition >= 0 && m.restartPosition < static_cast<int>(m.orders.size()),
          "restart position " + std::to_string(m.restartPosition) + " is beyond the order list");
  Require(!m.patterns.empty() && m.patterns.size() <= kMaxPatterns, "the module needs 1..256 patterns");
  for (std::size_t i = 0; i < m.orders.size(); ++i)
    Require(m.orders[i] >= 0 && m.orders[i] < static_cast<int>(m.patterns.size()),
            "order position " + std::to_string(i) + " names missing pattern " + std::to_string(m.orders[i]));
  Require(m.instruments.size() <= kMaxInstruments, "the module has more than 128 instruments");
  for (std::size_t p = 0; p < m.patterns.size(); ++p) CheckPattern(m.patterns[p], static_cast<int>(p), m);
  for (std::size_t i = 0; i < m.instruments.size(); ++i) CheckInstrument(m.instruments[i], static_cast<int>(i));
}

// ---- Encoding -------------------------------------------------------------

class ByteSink {
 public:
  explicit ByteSink(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(unsigned v) { out_.push_back(static_cast<std::uint8_t>(v)); }
  void U16(unsigned v) { U8(v & 0xFF), U8((v >> 8) & 0xFF); }
  void U32(std::uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void Text(std::string_view s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) U8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
  }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }

 private:
  std::vector<std::uint8_t>& out_;
};

void WriteSongHeader(const Module& m, ByteSink& out) {
  out.Text("Extended Module: ", 17);
  out.Text(m.name, 20);
  out.U8(0x1A);
  out.Text(kTrackerName, 20);
  out.U16(kVersion);
  out.U32(kSongHeaderSize);
  out.U16(static_cast<unsigned>(m.orders.size()));
  out.U16(static_cast<unsigned>(m.restartPosition));
  out.U16(static_cast<unsigned>(m.channels));
  out.U16(static_cast<unsigned>(m.patterns.size()));
  out.U16(static_cast<unsigned>(m.instruments.size()));
  out.U16(m.linearFrequencies ? 1 : 0);
  out.U16(static_cast<unsigned>(m.speed));
  out.U16(static_cast<unsigned>(m.tempo));
  for (int i = 0; i < kMaxOrders; ++i)
    out.U8(i < static_cast<int>(m.orders.size()) ? static_cast<unsigned>(m.orders[i]) : 0);
}

// A cell with all five fields is stored as is; any other cell as a flag byte
// (bit 7 set; bits 0..4: note, instrument, volume, effect, parameter follow)
// and the fields that are not zero.
void PackCell(const Note& n, std::vector<std::uint8_t>& data) {
  const std::uint8_t fields[5] = {n.note, n.instrument, n.volume, n.effect, n.param};
  std::uint8_t flags = 0x80;
  for (int i = 0; i < 5; ++i)
    if (fields[i] != 0) flags |= static_cast<std::uint8_t>(1 << i);
  if (flags != 0x9F) data.push_back(flags);
  for (std::uint8_t f : fields)
    if (f != 0) data.push_back(f);
}

void WritePattern(const Pattern& p, ByteSink& out) {
  std::vector<std::uint8_t> data;
  for (const Note& n : p.cells) PackCell(n, data);
  out.U32(kPatternHeaderSize);
  out.U8(0);  // packing type
  out.U16(static_cast<unsigned>(p.rows));
  out.U16(static_cast<unsigned>(data.size()));
  for (std::uint8_t b : data) out.U8(b);
}

void WriteEnvelopePoints(const Envelope& e, ByteSink& out) {
  for (int i = 0; i < kMaxEnvelopePoints; ++i) {
    const bool used = i < static_cast<int>(e.points.size());
    out.U16(used ? e.points[i].tick : 0);
    out.U16(used ? e.points[i].value : 0);
  }
}

unsigned EnvelopeFlags(const Envelope& e) {
  return (e.points.empty() ? 0u : 1u) | (e.sustain ? 2u : 0u) | (e.loopStart ? 4u : 0u);
}

void WriteSampleHeader(const Sample& s, ByteSink& out) {
  const std::uint32_t bytesPerFrame = s.sixteenBit ? 2 : 1;
  const bool looped = s.loop != LoopType::None;
  out.U32(static_cast<std::uint32_t>(s.pcm.size()) * bytesPerFrame);
  out.U32(looped ? s.loopStart * bytesPerFrame : 0);
  out.U32(looped ? s.loopLength * bytesPerFrame : 0);
  out.U8(s.volume);
  out.U8(static_cast<std::uint8_t>(s.finetune));
  out.U8(static_cast<unsigned>(s.loop) | (s.sixteenBit ? 0x10u : 0u));
  out.U8(s.panning);
  out.U8(static_cast<std::uint8_t>(s.relativeNote));
  out.U8(0);  // reserved
  out.Text(s.name, 22);
}

// Each frame is stored as its difference from the one before, wrapping
// around in the sample's width.
void WriteSampleData(const Sample& s, ByteSink& out) {
  std::int16_t previous = 0;
  for (std::int16_t v : s.pcm) {
    const auto delta = static_cast<std::uint16_t>(static_cast<std::uint16_t>(v) - static_cast<std::uint16_t>(previous));
    if (s.sixteenBit)
      out.U16(delta);
    else
      out.U8(delta & 0xFF);
    previous = v;
  }
}

void WriteInstrument(const Instrument& in, ByteSink& out) {
  // 1. The part every instrument has.
  out.U32(in.samples.empty() ? kEmptyInstrumentHeaderSize : kInstrumentHeaderSize);
  out.Text(in.name, 22);
  out.U8(0);  // type
  out.U16(static_cast<unsigned>(in.samples.size()));
  if (in.samples.empty()) return;

  // 2. Note map, envelopes, vibrato and fadeout, padded to the full header.
  out.U32(kSampleHeaderSize);
  for (std::uint8_t s : in.sampleForNote) out.U8(s);
  WriteEnvelopePoints(in.volumeEnvelope, out);
  WriteEnvelopePoints(in.panningEnvelope, out);
  out.U8(static_cast<unsigned>(in.volumeEnvelope.points.size()));
  out.U8(static_cast<unsigned>(in.panningEnvelope.points.size()));
  for (const Envelope* e : {&in.volumeEnvelope, &in.panningEnvelope}) {
    out.U8(e->sustain.value_or(0));
    out.U8(e->loopStart.value_or(0));
    out.U8(e->loopEnd.value_or(0));
  }
  out.U8(EnvelopeFlags(in.volumeEnvelope));
  out.U8(EnvelopeFlags(in.panningEnvelope));
  out.U8(in.vibrato.type);
  out.U8(in.vibrato.sweep);
  out.U8(in.vibrato.depth);
  out.U8(in.vibrato.rate);
  out.U16(in.fadeout);
  out.Zeros(kInstrumentHeaderSize - kInstrumentFieldsSize);  // reserved

  // 3. Every sample header, then every sample's data.
  for (const Sample& s : in.samples) WriteSampleHeader(s, out);
  for (const Sample& s : in.samples) WriteSampleData(s, out);
}

}  // namespace

Pattern MakePattern(int rows, int channels) {
  Pattern p;
  p.rows = rows;
  p.channels = channels;
  p.cells.assign(static_cast<std::size_t>(rows > 0 ? rows : 0) * static_cast<std::size_t>(channels > 0 ? channels : 0),
                 Note{});
  return p;
}

std::vector<std::uint8_t> WriteXm(const Module& module) {
  CheckModule(module);
  std::vector<std::uint8_t> bytes;
  ByteSink out(bytes);
  WriteSongHeader(module, out);
  for (const Pattern& p : module.patterns) WritePattern(p, out);
  for (const Instrument& in : module.instruments) WriteInstrument(in, out);
  return bytes;
}

Tuning PitchForRate(double sampleRate) {
  if (!(sampleRate >= 1000.0 && sampleRate <= 1e6))
    Fail("sample rate " + std::to_string(sampleRate) + " is not 1 kHz .. 1 MHz");
  const auto steps = std::lround(kFinetuneSteps * 12.0 * std::log2(sampleRate / kC4Rate));
  const auto semitones = std::lround(static_cast<double>(steps) / kFinetuneSteps);
  Tuning t;
  t.relativeNote = static_cast<std::int8_t>(semitones);
  t.finetune = static_cast<std::int8_t>((steps - semitones * kFinetuneSteps) * (128 / kFinetuneSteps));
  return t;
}

double RateOfPitch(Tuning tuning) {
  const double semitones = tuning.relativeNote + (tuning.finetune >> 3) / static_cast<double>(kFinetuneSteps);
  return kC4Rate * std::exp2(semitones / 12.0);
}

}  // namespace kalt::xm
