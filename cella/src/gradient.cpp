// Gradients and gradient packs: shading ramps of cells cut from text art.
#include <cstddef>
#include <memory>
#include <new>

#include "cella/cella.h"
#include "failure.h"

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

// One gradient of each row of the art, or null (with the reason recorded)
// when there is no art or it holds no cells.
GradientPack* MakePack(const std::unique_ptr<Canvas>& art) {
  if (!art) return nullptr;
  if (art->width == 0 || art->height == 0) return Fail("holds no cells");

  auto pack = std::make_unique<GradientPack>();
  pack->gradients = static_cast<Gradient*>(::operator new(sizeof(Gradient) * art->height));
  for (int y = 0; y < art->height; ++y) {
    const Pixel* row = art->data + y * art->width;
    new (&pack->gradients[y]) Gradient(row, GradientLength(row, art->width));
    pack->count = y + 1;
  }
  return pack.release();
}

}  // namespace

GradientPack* LoadGradientPack(const char* path) { return MakePack(std::unique_ptr<Canvas>(Load(path))); }

GradientPack* LoadGradientPackFromMemory(const void* data, std::size_t size) {
  return MakePack(std::unique_ptr<Canvas>(LoadFromMemory(data, size)));
}

}  // namespace cella
