// The scene timeline: one table row per span of beat rows, each with its
// drawing steps and the flash laid over the result.
#include "gldemo/timeline.h"

#include <cmath>

#include "gldemo/effects.h"
#include "kalt/fmath.h"

namespace gldemo {

namespace {

// What one frame's drawing steps work with.
struct Frame {
  cella::Canvas* screen;
  cella::Canvas* scratch;  // the second layer, combined with the screen by Blit
  const cella::GradientPack& pack;
  float t;
  float frac;  // t - k, in single precision
  int k;       // the beat row
  double td;   // t widened, for the strength, seed and threshold formulas
};

// The flash strength of a row, computed in double precision on t widened
// (fmod keeps the sign of t) and rounded to single precision.
enum class Strength {
  None,          // no flash
  EveryBar8,     // 1 - 8 fmod(t, 1): every whole t, for an eighth of a unit
  EvenBar8,      // 1 - 8 fmod(t, 2): every even t, for an eighth
  FourthBar2,    // 1 - 2 fmod(t, 4): every multiple of 4, for half a unit
  EveryBarDecay, // (1 - frac)^16: every whole t, decaying steeply
  EvenBar16,     // 1 - 16 fmod(t, 2): every even t, for a sixteenth
  Full,          // 1: the whole canvas in full blocks
};

float StrengthAt(Strength strength, const Frame& f) {
  switch (strength) {
    case Strength::EveryBar8:
      return static_cast<float>(1.0 - 8.0 * std::fmod(f.td, 1.0));
    case Strength::EvenBar8:
      return static_cast<float>(1.0 - 8.0 * std::fmod(f.td, 2.0));
    case Strength::FourthBar2:
      return static_cast<float>(1.0 - 2.0 * std::fmod(f.td, 4.0));
    case Strength::EveryBarDecay:
      return static_cast<float>(std::pow(static_cast<double>(1.0f - f.frac), 16.0));
    case Strength::EvenBar16:
      return static_cast<float>(1.0 - 16.0 * std::fmod(f.td, 2.0));
    case Strength::Full:
      return 1.0f;
    case Strength::None:
      break;
  }
  return 0.0f;
}

// A row of the timeline: beat rows first..last draw with `draw`, then (unless
// the strength is None) ShadeFlash lays colour `flash` over the screen.
struct Row {
  int first;
  int last;
  void (*draw)(const Frame& f);
  int flash;
  Strength strength;
};

// --- Drawing steps shared by several rows -----------------------------------

// Truncates a single-precision focal distance.
int Focal(float focal) { return kalt::TruncInt(focal); }

// The second layer of rows 16 to 27: the twin glow into the scratch canvas,
// gradient k - 14, glowing in the odd rows.
void TwinGlowLayer(const Frame& f) {
  TwinGlow(f.scratch, &f.pack, f.t - 8.0f, f.k - 14, 0.5f * static_cast<float>(f.k % 2), 0.05f);
}

// The scratch canvas combined over the whole screen under a blend mode.
void BlitLayer(const Frame& f, int mode) {
  cella::Blit(f.screen, f.scratch, mode, 0, 0, 0, 0, f.scratch->width, f.scratch->height);
}

// W = (1 + 0.5 sin(t) sin(4.231 t))^4 in double: how strongly the noise of
// rows 54 to 57 wells up.
double NoiseSwell(const Frame& f) {
  return std::pow(std::sin(4.231 * f.td) * std::sin(f.td) * 0.5 + 1.0, 4.0);
}

std::uint32_t Seed(double value) { return static_cast<std::uint32_t>(kalt::TruncInt(value)); }

// Rows 54 to 57 flash before the noise, so the noise rows stay visible.
void FlashThenNoise(const Frame& f, int threshold) {
  ShadeFlash(f.screen, 3, static_cast<float>(1.0 - 16.0 * std::fmod(f.td, 2.0)));
  NoiseRows(f.screen, Seed(48.0 * f.td), threshold);
}

// --- The timeline ----------------------------------------------------------

const Row kTimeline[] = {
    // k 0-3: folded blocks, the view widening bar by bar; a black flash on every bar.
    {0, 3, [](const Frame& f) {
       FoldedBlocks(f.screen, &f.pack, 0.2f * f.t - 0.1f * f.frac, Focal(90.0f - 20.0f * static_cast<float>(f.k)), 0.0f);
     }, 0, Strength::EveryBar8},
    // k 4-7: folded blocks running backwards, flattened; white on every second bar.
    {4, 7, [](const Frame& f) {
       FoldedBlocks(f.screen, &f.pack, -0.3f * f.t - 0.1f * f.frac, Focal(10.0f * static_cast<float>(f.k) - 30.0f), -1.0f);
     }, 15, Strength::EvenBar8},
    // k 8-15: the twin glow alone, gradient and gains changing.
    {8, 11, [](const Frame& f) { TwinGlow(f.screen, &f.pack, f.t - 8.0f, 32, 0.02f, 0.02f); }, 15, Strength::FourthBar2},
    {12, 12, [](const Frame& f) { TwinGlow(f.screen, &f.pack, f.t - 8.0f, 2, 0.02f, 0.02f); }, 15, Strength::FourthBar2},
    {13, 13, [](const Frame& f) { TwinGlow(f.screen, &f.pack, f.t - 8.0f, 3, 0.01f, 0.02f); }, 0, Strength::None},
    {14, 14, [](const Frame& f) { TwinGlow(f.screen, &f.pack, f.t - 8.0f, 2, 0.5f, 0.01f); }, 0, Strength::None},
    {15, 15, [](const Frame& f) { TwinGlow(f.screen, &f.pack, f.t - 8.0f, 3, 1.0f, 0.01f); }, 15, Strength::FourthBar2},
    // k 16-21: folded blocks with the twin glow's colours over them; red on every bar.
    {16, 19, [](const Frame& f) {
       FoldedBlocks(f.screen, &f.pack, 20.0f - f.t - 0.1f * f.frac, Focal(10.0f * static_cast<float>(f.k) - 30.0f), -1.0f);
       TwinGlowLayer(f);
       BlitLayer(f, cella::Or);
     }, 12, Strength::EveryBarDecay},
    {20, 21, [](const Frame& f) {
       FoldedBlocks(f.screen, &f.pack, f.t - 20.0f - 0.1f * f.frac, Focal(10.0f * static_cast<float>(f.k) - 30.0f), -1.0f);
       TwinGlowLayer(f);
       BlitLayer(f, cella::ColorsOnly);
     }, 12, Strength::EveryBarDecay},
    // k 22-27: the sphere grid in the twin glow's colours; green on every bar.
    {22, 27, [](const Frame& f) {
       SphereGrid(f.screen, PackGradient(&f.pack, 2), 2.0f * f.t);
       TwinGlowLayer(f);
       BlitLayer(f, cella::ColorsOnly);
     }, 10, Strength::EveryBarDecay},
    // k 28-31: the sphere cluster, unflashed.
    {28, 31, [](const Frame& f) { SphereCluster(f.screen, &f.pack, f.t - 28.0f, 0.0f, 0.0f, 0.0f); }, 0, Strength::None},
    // k 32-53: lattices and slabs, a short flash on every second bar.
    {32, 33, [](const Frame& f) { BarLattice(f.screen, &f.pack, f.t - 28.0f, 16, 0.0f, 0.0f); }, 0, Strength::EvenBar16},
    {34, 35, [](const Frame& f) { BarLattice(f.screen, &f.pack, f.t - 28.0f, 3, 0.0f, 0.0f); }, 15, Strength::EvenBar16},
    {36, 37, [](const Frame& f) { BarLattice(f.screen, &f.pack, f.t - 28.0f, 2, 1.0f, 0.0f); }, 3, Strength::EvenBar16},
    {38, 39, [](const Frame& f) { TricylinderLattice(f.screen, &f.pack, f.t - 28.0f, 0.0f, 0.0f); }, 4, Strength::EvenBar16},
    {40, 41, [](const Frame& f) {
       CavitySlab(f.screen, &f.pack, f.t - 28.0f, 3, 0.0f, 0.0f);
       const double since = static_cast<double>(f.t - 40.0f);
       RowTear(f.screen, Seed(32.0 * f.td), kalt::TruncInt(128.0 * since), kalt::TruncInt((since + 50.0) * 32.0 + 64.0));
     }, 15, Strength::EvenBar16},
    {42, 43, [](const Frame& f) { BarLattice(f.screen, &f.pack, f.t - 28.0f, 16, 0.0f, 0.0f); }, 0, Strength::EvenBar16},
    {44, 45, [](const Frame& f) { TricylinderLattice(f.screen, &f.pack, f.t - 28.0f, 0.0f, 0.0f); }, 4, Strength::EvenBar16},
    {46, 47, [](const Frame& f) { CavitySlab(f.screen, &f.pack, f.t - 28.0f, 3, 0.0f, 0.0f); }, 3, Strength::EvenBar16},
    {48, 49, [](const Frame& f) { CavitySlab(f.screen, &f.pack, f.t - 28.0f, 28, 4.0f, 0.0f); }, 3, Strength::EvenBar16},
    {50, 51, [](const Frame& f) { CavitySlab(f.screen, &f.pack, f.t - 28.0f, 27, 8.0f, 0.0f); }, 3, Strength::EvenBar16},
    {52, 53, [](const Frame& f) { CavitySlab(f.screen, &f.pack, f.t - 28.0f, 26, 16.0f, 0.0f); }, 3, Strength::EvenBar16},
    // k 54-57: the flash comes before the noise, and no flash after it.
    {54, 55, [](const Frame& f) {
       BarLattice(f.screen, &f.pack, f.t - 28.0f, 14, 8.0f, 0.0f);
       FlashThenNoise(f, kalt::TruncInt(NoiseSwell(f) * 32.0 * static_cast<double>(f.t - 54.0f)));
     }, 0, Strength::None},
    {56, 57, [](const Frame& f) {
       CavitySlab(f.screen, &f.pack, f.t - 28.0f, 33, 1.0f, 0.0f);
       FlashThenNoise(f, kalt::TruncInt(NoiseSwell(f) + 64.0));
     }, 0, Strength::None},
    // k 58-59: the break, all black.
    {58, 59, [](const Frame&) {}, 0, Strength::Full},
    // k 60 on: the bar lattice to the end, black on every second bar.
    {60, 255, [](const Frame& f) { BarLattice(f.screen, &f.pack, f.t - 28.0f, 16, 0.0f, 0.0f); }, 0, Strength::EvenBar16},
};

constexpr int kRows = static_cast<int>(sizeof kTimeline / sizeof kTimeline[0]);

const Row& RowOf(int k) {
  for (const Row& row : kTimeline)
    if (k <= row.last) return row;
  return kTimeline[kRows - 1];
}

}  // namespace

std::uint8_t BeatRow(float t) {
  return static_cast<std::uint8_t>(static_cast<std::int64_t>(kalt::TruncInt(t + 128.0f)) - 128);
}

bool DrawsOverPrevious(float t) {
  const int row = BeatRow(t);
  return row == 58 || row == 59;
}

float BeatAtSeconds(double seconds) {
  const double loops = std::floor(seconds / kLoopSeconds);
  return static_cast<float>((seconds - loops * kLoopSeconds) * 0.6);
}

void ComposeScene(cella::Canvas* screen, float t, const cella::GradientPack& pack) {
  if (!screen) return;
  // 1. The beat row and the fraction of it.
  const int k = BeatRow(t);
  const float frac = t - static_cast<float>(k);
  // 2. The scratch canvas for a second layer.
  cella::Canvas scratch(80, 50);
  // 3. The row's drawing steps.
  const Frame frame{screen, &scratch, pack, t, frac, k, static_cast<double>(t)};
  const Row& row = RowOf(k);
  row.draw(frame);
  // 4. Its flash.
  if (row.strength != Strength::None) ShadeFlash(screen, row.flash, StrengthAt(row.strength, frame));
}

int TimelineRows() { return kRows; }

TimelineSpan TimelineRowSpan(int index) {
  const Row& row = kTimeline[index < 0 ? 0 : index < kRows ? index : kRows - 1];
  return {row.first, row.last};
}

}  // namespace gldemo
