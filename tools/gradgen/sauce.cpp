#include "sauce.h"

#include <algorithm>
#include <stdexcept>

namespace gradgen {

namespace {

// A fixed-width character field, padded with spaces (or zeros).
void PutField(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width, char pad) {
  if (text.size() > width) throw std::invalid_argument("SAUCE field too long: " + text);
  out.insert(out.end(), text.begin(), text.end());
  out.insert(out.end(), width - text.size(), static_cast<std::uint8_t>(pad));
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<std::uint8_t> SauceRecord(const SauceInfo& info, std::uint32_t pictureBytes) {
  if (info.width < 2 || info.width > 510 || info.width % 2 != 0)
    throw std::invalid_argument("BinaryText width must be even and within 2..510");
  if (info.date.size() != 8) throw std::invalid_argument("SAUCE date must be CCYYMMDD");
  std::vector<std::uint8_t> r;
  PutField(r, "SAUCE", 5, ' ');       // ID
  PutField(r, "00", 2, ' ');          // version
  PutField(r, info.title, 35, ' ');
  PutField(r, info.author, 20, ' ');
  PutField(r, info.group, 20, ' ');
  PutField(r, info.date, 8, ' ');
  PutLe(r, pictureBytes, 4);          // FileSize
  r.push_back(5);                     // DataType: BinaryText
  r.push_back(static_cast<std::uint8_t>(info.width / 2));  // FileType: half the width
  PutLe(r, 0, 2);                     // TInfo1..4: 0 for BinaryText
  PutLe(r, 0, 2);
  PutLe(r, 0, 2);
  PutLe(r, 0, 2);
  r.push_back(0);                     // no comment lines
  // TFlags: iCE colours in bit 0, 8-pixel letter spacing (01) in bits 1-2.
  r.push_back(static_cast<std::uint8_t>((info.iceColors ? 1 : 0) | (1 << 1)));
  PutField(r, info.font, 22, '\0');   // TInfoS: font name
  return r;
}

std::vector<std::uint8_t> BinaryTextFile(const std::vector<std::uint8_t>& picture, const SauceInfo& info) {
  std::vector<std::uint8_t> file = picture;
  file.push_back(0x1A);
  const std::vector<std::uint8_t> record = SauceRecord(info, static_cast<std::uint32_t>(picture.size()));
  file.insert(file.end(), record.begin(), record.end());
  return file;
}

}  // namespace gradgen
