// framegrab effect: one of gldemo's effects alone, drawn into an 80 by 50
// canvas with the demo's gradient pack.
//
//   framegrab effect NAME --time T [parameters] [--gradients FILE] --out FILE
//
// T is the effect's own animation time (the timeline passes, for example,
// t - 8 to TwinGlow). Parameters left out take the values of one of the
// effect's rows in the timeline. The gradient pack is the run tree's
// Data20/gradient.bin beside the tool's folder unless --gradients names one.
#include <cfloat>
#include <climits>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cella/cella.h"
#include "commands.h"
#include "gldemo_pack.h"
#include "gldemo/effects.h"

namespace framegrab {

namespace {

using cella::Canvas;
using cella::GradientPack;

// The numbers an effect takes besides its time, in its parameters' order.
using Arguments = std::vector<double>;

struct Parameter {
  const char* option;
  double fallback;
  bool integer;
};

struct EffectRow {
  const char* name;
  int fixedGradient;  // the gradient the effect always reads, or -1
  std::vector<Parameter> parameters;
  void (*draw)(Canvas* canvas, const GradientPack* pack, float time, const Arguments& a);
};

// The arguments are checked to fit their types before they are drawn with.
int Int(double value) { return static_cast<int>(value); }
float Float(double value) { return static_cast<float>(value); }

// The effects, each with the parameters of one of its timeline rows.
const EffectRow kEffects[] = {
    {"SphereGrid", -1, {{"gradient", 2, true}},
     [](Canvas* c, const GradientPack* p, float t, const Arguments& a) {
       gldemo::SphereGrid(c, &p->gradients[Int(a[0])], t);
     }},
    {"TwinGlow", -1, {{"gradient", 32, true}, {"glow-gain", 0.02, false}, {"checker-dither", 0.02, false}},
     [](Canvas* c, const GradientPack* p, float t, const Arguments& a) {
       gldemo::TwinGlow(c, p, t, Int(a[0]), Float(a[1]), Float(a[2]));
     }},
    {"FoldedBlocks", 33, {{"focal", 90, true}, {"shape-blend", 0, false}},
     [](Canvas* c, const GradientPack* p, float t, const Arguments& a) {
       gldemo::FoldedBlocks(c, p, t, Int(a[0]), Float(a[1]));
     }},
    {"SphereCluster", 16, {{"camera-shift-x", 0, false}, {"camera-shift-z", 0, false}, {"zoom", 0, false}},
     [](Canvas* c, const GradientPack* p, float t, const Arguments& a) {
       gldemo::SphereCluster(c, p, t, Float(a[0]), Float(a[1]), Float(a[2]));
     }},
    {"BarLattice", -1, {{"gradient", 16, true}, {"surface-gain", 0, false}, {"glow-gain", 0, false}},
     [](Canvas* c, const GradientPack* p, float t, const Arguments& a) {
       gldemo::BarLattice(c, p, t, Int(a[0]), Float(a[1]), Float(a[2]));
     }},
    {"TricylinderLattice", 16, {{"surface-gain", 0, false}, {"glow-gain", 0, false}},
     [](Canvas* c, const GradientPack* p, float t, const Arguments& a) {
       gldemo::TricylinderLattice(c, p, t, Float(a[0]), Float(a[1]));
     }},
    {"CavitySlab", -1, {{"gradient", 3, true}, {"surface-gain", 0, false}, {"glow-gain", 0, false}},
     [](Canvas* c, const GradientPack* p, float t, const Arguments& a) {
       gldemo::CavitySlab(c, p, t, Int(a[0]), Float(a[1]), Float(a[2]));
     }},
};

std::string EffectList() {
  std::string list;
  for (const EffectRow& row : kEffects) {
    list += "\n  ";
    list += row.name;
    for (const Parameter& parameter : row.parameters) {
      list += " [--";
      list += parameter.option;
      list += " " + std::to_string(parameter.fallback);
      while (list.back() == '0') list.pop_back();
      if (list.back() == '.') list.pop_back();
      list += "]";
    }
  }
  return list;
}

// A number given for an option, if it fits the type it is drawn with (an
// int, or a float: infinities and NaN pass, finite values beyond the float
// range do not).
double Checked(const char* option, double value, bool integer) {
  const bool fits = integer ? value >= INT_MIN && value <= INT_MAX : !(std::fabs(value) > FLT_MAX) || std::isinf(value);
  if (!fits) throw std::runtime_error(std::string("--") + option + " is out of range");
  return value;
}

void CheckGradient(const GradientPack& pack, int index) {
  if (index < 0 || index >= pack.count)
    throw std::runtime_error("gradient " + std::to_string(index) + " is not in the pack (it holds " +
                             std::to_string(pack.count) + ")");
  if (pack.gradients[index].count <= 0) throw std::runtime_error("gradient " + std::to_string(index) + " is empty");
}

}  // namespace

Frame RenderEffect(const Options& options) {
  // 1. The effect and its arguments.
  if (options.positional().size() != 1)
    throw std::runtime_error("name one effect:" + EffectList());
  const std::string name = options.positional()[0];
  const EffectRow* effect = nullptr;
  for (const EffectRow& row : kEffects)
    if (name == row.name) effect = &row;
  if (!effect) throw std::runtime_error("unknown effect \"" + name + "\"; the effects:" + EffectList());

  std::vector<std::string> known = {"time", "gradients", "crop", "out"};
  for (const Parameter& parameter : effect->parameters) known.push_back(parameter.option);
  if (const auto unknown = options.unknown(known); !unknown.empty())
    throw std::runtime_error("unknown option " + unknown[0] + " for " + name + ":" + EffectList());
  if (!options.has("time")) throw std::runtime_error("--time T is required");
  const float time = Float(Checked("time", options.number("time", 0), false));
  Arguments arguments;
  for (const Parameter& parameter : effect->parameters) {
    const double value = parameter.integer
                             ? static_cast<double>(options.integer(parameter.option, static_cast<long>(parameter.fallback)))
                             : options.number(parameter.option, parameter.fallback);
    arguments.push_back(Checked(parameter.option, value, parameter.integer));
  }

  // 2. The gradients it will read.
  const std::unique_ptr<GradientPack> pack = LoadPack(options);
  for (std::size_t i = 0; i < effect->parameters.size(); ++i)
    if (std::string(effect->parameters[i].option) == "gradient") CheckGradient(*pack, Int(arguments[i]));
  if (effect->fixedGradient >= 0) CheckGradient(*pack, effect->fixedGradient);

  // 3. The picture.
  Canvas canvas(gldemo::kPictureWidth, gldemo::kPictureHeight);
  effect->draw(&canvas, pack.get(), time, arguments);
  return ToFrame(canvas);
}

}  // namespace framegrab
