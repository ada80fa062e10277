#include "options.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace framegrab {

Options::Options(int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.rfind("--", 0) == 0 && word.size() > 2) {
      if (i + 1 >= argc) throw std::runtime_error("option " + word + " needs a value");
      values_[word.substr(2)] = argv[++i];
    } else {
      positional_.push_back(word);
    }
  }
}

std::string Options::text(const std::string& name, const std::string& fallback) const {
  const auto it = values_.find(name);
  return it == values_.end() ? fallback : it->second;
}

double Options::number(const std::string& name, double fallback) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return fallback;
  char* end = nullptr;
  const double value = std::strtod(it->second.c_str(), &end);
  if (end == it->second.c_str() || *end) throw std::runtime_error("--" + name + " needs a number, not \"" + it->second + "\"");
  return value;
}

long Options::integer(const std::string& name, long fallback) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return fallback;
  char* end = nullptr;
  const long value = std::strtol(it->second.c_str(), &end, 10);
  if (end == it->second.c_str() || *end) throw std::runtime_error("--" + name + " needs an integer, not \"" + it->second + "\"");
  return value;
}

std::vector<double> Options::numbers(const std::string& name) const {
  std::vector<double> list;
  std::istringstream in(text(name));
  for (std::string item; std::getline(in, item, ',');) {
    char* end = nullptr;
    const double value = std::strtod(item.c_str(), &end);
    if (end == item.c_str() || *end) throw std::runtime_error("--" + name + " needs numbers separated by commas");
    list.push_back(value);
  }
  return list;
}

std::vector<std::string> Options::unknown(const std::vector<std::string>& known) const {
  std::vector<std::string> names;
  for (const auto& [name, value] : values_)
    if (std::find(known.begin(), known.end(), name) == known.end()) names.push_back("--" + name);
  return names;
}

}  // namespace framegrab
