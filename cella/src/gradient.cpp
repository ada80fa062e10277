// Gradients and gradient packs: shading ramps of cells cut from text art.
#include <memory>
#include <new>

#include "cella/cella.h"

namespace cella {

Gradient::Gradient(const Pixel* source, int count)
    : pixels(nullptr), count(count > 0 ? count : 0), countF(static_cast<float>(this->count)) {
  pixels = new Pixel[this->count];
  for (int i = 0; i < this->count; ++i) pixels[i] = source ? source[i] : DefaultPixel;
}

Gradient::~Gradient() { delete[] pixels; }

GradientPack::~GradientPack() {
  for (int i = 0; i < count; ++i) gradients[i].~Gradient();
  ::operator delete(gradients);
}

namespace {

// The length of the gradient that a row holds: its cells up to, not
// including, the first later cell equal to the first one.
int GradientLength(const Pixel* row, int width) {
  int n = 1;
  for (int c = 1; c < width; ++c) {
    if (row[c] == row[0]) break;
    n = c + 1;
  }
  return n;
}

}  // namespace

GradientPack* LoadGradientPack(const char* path) {
  const std::unique_ptr<Canvas> art(Load(path));
  if (!art || art->width == 0 || art->height == 0) return nullptr;

  auto pack = std::make_unique<GradientPack>();
  pack->gradients = static_cast<Gradient*>(::operator new(sizeof(Gradient) * art->height));
  for (int y = 0; y < art->height; ++y) {
    const Pixel* row = art->data + y * art->width;
    new (&pack->gradients[y]) Gradient(row, GradientLength(row, art->width));
    pack->count = y + 1;
  }
  return pack.release();
}

}  // namespace cella
