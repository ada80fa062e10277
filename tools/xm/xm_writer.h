// The extended-module (XM 1.04) writer: plain records for a whole module and
// one function that turns them into the bytes of an .xm file, the format that
// FastTracker II wrote and that libopenmpt, xmp and every tracker read.
//
// Numbering follows the file format, so that what one writes here is what a
// tracker shows: notes 1..96 are C-0..B-7 (49 is C-4), 97 is key-off;
// instruments are numbered from 1 in pattern cells (0 means "none") while the
// instrument list itself is a plain 0-based vector; order positions and
// pattern indexes are 0-based.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalt::xm {

inline constexpr int kMaxChannels = 32;
inline constexpr int kMaxPatterns = 256;
inline constexpr int kMaxOrders = 256;
inline constexpr int kMaxRows = 256;
inline constexpr int kMaxInstruments = 128;
inline constexpr int kMaxSamples = 16;        // per instrument
inline constexpr int kMaxEnvelopePoints = 12;
inline constexpr int kNoteCount = 96;         // C-0 .. B-7
inline constexpr std::uint8_t kKeyOff = 97;
inline constexpr std::uint8_t kMiddleC = 49;  // C-4: a sample plays at its own rate here
                                              // (see PitchForRate)

// One cell of a pattern. A cell with every field 0 is empty.
struct Note {
  std::uint8_t note = 0;        // 1..96, kKeyOff, or 0 for none
  std::uint8_t instrument = 0;  // 1-based instrument number, 0 for none
  std::uint8_t volume = 0;      // volume column byte: 0 none, 0x10..0x50 set volume 0..64,
                                // 0x60..0xFF the volume-column effects
  std::uint8_t effect = 0;      // effect type 0..35 (0..9, then A..Z as 10..35)
  std::uint8_t param = 0;       // effect parameter
  bool operator==(const Note&) const = default;
};

// A pattern: `rows` rows of `channels` cells each, row-major. at() takes a
// row 0..rows-1 and a channel 0..channels-1 and does not check them.
struct Pattern {
  int rows = 64;
  int channels = 0;
  std::vector<Note> cells;  // rows × channels

  Note& at(int row, int channel) { return cells[static_cast<std::size_t>(row * channels + channel)]; }
  const Note& at(int row, int channel) const {
    return cells[static_cast<std::size_t>(row * channels + channel)];
  }
};

// An empty pattern of the given size.
Pattern MakePattern(int rows, int channels);

enum class LoopType : std::uint8_t { None = 0, Forward = 1, PingPong = 2 };

// One sample: PCM frames, mono. With `sixteenBit` false every frame must lie
// in -128..127 and is stored as 8-bit data.
struct Sample {
  std::string name;                // at most 22 bytes
  bool sixteenBit = true;
  std::vector<std::int16_t> pcm;
  LoopType loop = LoopType::None;
  std::uint32_t loopStart = 0;     // in frames
  std::uint32_t loopLength = 0;    // in frames; at least 1 when looped
  std::uint8_t volume = 64;        // 0..64
  std::int8_t finetune = 0;        // 1/128 semitone steps
  std::int8_t relativeNote = 0;    // semitones added to every note played
  std::uint8_t panning = 128;      // 0 left .. 255 right
};

struct EnvelopePoint {
  std::uint16_t tick = 0;   // ticks from the note's start; the first point is at 0
  std::uint8_t value = 0;   // 0..64
};

// A volume or panning envelope. It is in use when it has points.
struct Envelope {
  std::vector<EnvelopePoint> points;  // at most 12, ticks strictly increasing from 0
  std::optional<std::uint8_t> sustain;  // index of the point held until key-off
  std::optional<std::uint8_t> loopStart, loopEnd;  // both or neither, start <= end
};

// The automatic vibrato that the player applies to every note of an
// instrument.
struct AutoVibrato {
  std::uint8_t type = 0;   // 0 sine, 1 square, 2 ramp down, 3 ramp up
  std::uint8_t sweep = 0;  // ticks until full depth
  std::uint8_t depth = 0;  // 0..15
  std::uint8_t rate = 0;   // 0..63
};

struct Instrument {
  std::string name;                          // at most 22 bytes
  std::vector<Sample> samples;               // at most 16
  std::array<std::uint8_t, kNoteCount> sampleForNote{};  // note 1..96 → 0-based sample index
  Envelope volumeEnvelope;
  Envelope panningEnvelope;
  AutoVibrato vibrato;
  std::uint16_t fadeout = 0;                 // 0..0xFFF, volume lost per tick after key-off
};

struct Module {
  std::string name;                 // at most 20 bytes
  int channels = 8;                 // 1..32
  int speed = 6;                    // ticks per row, 1..31
  int tempo = 125;                  // BPM, 32..255
  bool linearFrequencies = true;    // the linear frequency table (false: Amiga periods)
  int restartPosition = 0;          // order position the song loops back to
  std::vector<int> orders;          // pattern index per position, 1..256 entries
  std::vector<Pattern> patterns;    // 1..256
  std::vector<Instrument> instruments;  // 0..128
};

// The bytes of an XM 1.04 file holding `module`: the song header, every
// pattern packed the way FastTracker II packs it, every instrument with its
// sample headers and the sample data delta-encoded.
// Throws std::invalid_argument naming the first bad field (with its
// pattern, row, channel, instrument or sample) when the module breaks a limit
// stated above: counts or sizes out of range, an order naming a missing
// pattern, a pattern whose channel count differs from the module's, a cell
// naming a missing instrument or holding a note, effect or volume byte
// outside its range, a loop outside its sample, an 8-bit sample frame
// outside -128..127, a malformed envelope, a note map naming a missing
// sample, or a name too long for its field.
std::vector<std::uint8_t> WriteXm(const Module& module);

// The tuning of a sample: its relative note and finetune. FastTracker II,
// and the players that follow it, honour the finetune in steps of 8 (1/16 of
// a semitone), so the tunings made here keep to those steps.
struct Tuning {
  std::int8_t relativeNote = 0;
  std::int8_t finetune = 0;  // a multiple of 8, -64..56
};

// The tuning that makes note C-4 play a sample at `sampleRate` frames per
// second (linear frequency table), to the nearest 1/16 semitone. Throws
// std::invalid_argument for a rate outside 1 kHz .. 1 MHz (or not a number).
Tuning PitchForRate(double sampleRate);

// The rate, in frames per second, at which note C-4 plays a sample of this
// tuning: synthesise a sample at RateOfPitch(PitchForRate(r)) and it plays
// exactly in tune.
double RateOfPitch(Tuning tuning);

}  // namespace kalt::xm
