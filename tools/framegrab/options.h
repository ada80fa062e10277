// Command-line options of the form "--name value".
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace framegrab {

class Options {
 public:
  // Parses argv[first..]: "--name value" pairs and positional words.
  // Throws std::runtime_error on a name without a value.
  Options(int argc, char** argv, int first);

  const std::vector<std::string>& positional() const { return positional_; }
  bool has(const std::string& name) const { return values_.count(name) != 0; }
  // The value of --name, or fallback when it was not given. Throws
  // std::runtime_error when the value is not a number of the asked type.
  std::string text(const std::string& name, const std::string& fallback = "") const;
  double number(const std::string& name, double fallback) const;
  long integer(const std::string& name, long fallback) const;
  // A comma-separated list of numbers, e.g. "--flash 1,0.75,0".
  std::vector<double> numbers(const std::string& name) const;
  // Names given that are not in the list: for a clear error message.
  std::vector<std::string> unknown(const std::vector<std::string>& known) const;

 private:
  std::map<std::string, std::string> values_;
  std::vector<std::string> positional_;
};

}  // namespace framegrab
