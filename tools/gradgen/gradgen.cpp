// gradgen: turns the readable gradient source into BinaryText art.
//
//   gradgen SOURCE OUTPUT
//
// The source holds one gradient per line, "NN: cell cell ...", rows numbered
// from 0 without gaps, and a few "key: value" settings (width, title,
// author, group, date). A cell is a glyph followed by its ink and paper
// colour, one hex digit each: "▒91" is a medium shade
// in bright blue on blue. The glyph is a code page 437 character written as
// itself in UTF-8, "_" for the space, or "\NNN" for any code in decimal.
// Text after "#" is a comment.
//
// Each row of the picture is the gradient's steps, then its first step again
// to mark the end, then the first step up to the width of the picture.
#include <cstdint>
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kalt/cp437.h"
#include "sauce.h"

namespace {

struct Cell {
  std::uint8_t ch;
  std::uint8_t fg;  // 0..15
  std::uint8_t bg;
  bool operator==(const Cell&) const = default;
};

struct ParseError {
  int line;
  std::string message;
};

// Decodes one UTF-8 character at text[pos], advancing pos.
char32_t DecodeUtf8(const std::string& text, std::size_t& pos, int line) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
  if (extra < 0 || pos + extra >= text.size() + (extra ? 0 : 1))
    throw ParseError{line, "bad UTF-8 in \"" + text + "\""};
  char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) c = (c << 6) | (byte(pos + i) & 0x3F);
  pos += extra + 1;
  return c;
}

std::uint8_t GlyphCode(char32_t c, int line) {
  if (c == U'_') return 32;
  for (int code = 1; code < 256; ++code)
    if (kalt::kCp437[code] == c && code != 32) return static_cast<std::uint8_t>(code);
  throw ParseError{line, "character U+" + std::to_string(static_cast<unsigned>(c)) + " is not in code page 437"};
}

std::uint8_t Colour(char digit, int line) {
  if (digit >= '0' && digit <= '9') return static_cast<std::uint8_t>(digit - '0');
  if (digit >= 'a' && digit <= 'f') return static_cast<std::uint8_t>(digit - 'a' + 10);
  if (digit >= 'A' && digit <= 'F') return static_cast<std::uint8_t>(digit - 'A' + 10);
  throw ParseError{line, std::string("bad colour digit '") + digit + "'"};
}

Cell ParseCell(const std::string& token, int line) {
  std::size_t pos = 0;
  std::uint8_t ch;
  if (token[0] == '\\') {
    std::size_t digits = 1;
    while (digits < token.size() && digits <= 3 && std::isdigit(static_cast<unsigned char>(token[digits]))) ++digits;
    const int code = digits > 1 ? std::stoi(token.substr(1, digits - 1)) : 256;
    if (code > 255) throw ParseError{line, "bad character code in \"" + token + "\""};
    ch = static_cast<std::uint8_t>(code);
    pos = digits;
  } else {
    ch = GlyphCode(DecodeUtf8(token, pos, line), line);
  }
  if (token.size() != pos + 2) throw ParseError{line, "cell \"" + token + "\" needs a glyph and two colour digits"};
  return {ch, Colour(token[pos], line), Colour(token[pos + 1], line)};
}

struct Source {
  std::map<std::string, std::string> settings;
  std::vector<std::vector<Cell>> rows;
};

Source Parse(std::istream& in) {
  Source source;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
    const auto colon = text.find(':');
    if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
    if (colon == std::string::npos) throw ParseError{line, "expected \"key: value\" or \"NN: cells\""};
    std::string key = text.substr(0, colon);
    key.erase(0, key.find_first_not_of(" \t"));
    key.erase(key.find_last_not_of(" \t") + 1);
    const std::string rest = text.substr(colon + 1);
    if (!key.empty() && std::isdigit(static_cast<unsigned char>(key[0]))) {
      if (std::stoi(key) != static_cast<int>(source.rows.size()))
        throw ParseError{line, "gradient " + key + " out of order, expected " + std::to_string(source.rows.size())};
      std::istringstream cells(rest);
      std::vector<Cell> row;
      for (std::string token; cells >> token;) row.push_back(ParseCell(token, line));
      if (row.empty()) throw ParseError{line, "gradient without cells"};
      for (std::size_t i = 1; i < row.size(); ++i)
        if (row[i] == row[0]) throw ParseError{line, "step " + std::to_string(i) + " repeats the first step"};
      source.rows.push_back(std::move(row));
    } else {
      std::string value = rest;
      value.erase(0, value.find_first_not_of(" \t"));
      value.erase(value.find_last_not_of(" \t\r") + 1);
      source.settings[key] = value;
    }
  }
  return source;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: gradgen SOURCE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "gradgen: cannot read " << argv[1] << "\n";
    return 1;
  }
  try {
    const Source source = Parse(in);
    gradgen::SauceInfo info;
    const auto setting = [&](const char* key) {
      const auto it = source.settings.find(key);
      if (it == source.settings.end()) throw ParseError{0, std::string("missing setting \"") + key + "\""};
      return it->second;
    };
    info.width = std::stoi(setting("width"));
    info.title = setting("title");
    info.author = setting("author");
    info.group = setting("group");
    info.date = setting("date");

    std::vector<std::uint8_t> picture;
    for (std::size_t r = 0; r < source.rows.size(); ++r) {
      const std::vector<Cell>& steps = source.rows[r];
      if (static_cast<int>(steps.size()) >= info.width)
        throw ParseError{0, "gradient " + std::to_string(r) + " does not fit the width with its end mark"};
      for (int column = 0; column < info.width; ++column) {
        const Cell& cell = column < static_cast<int>(steps.size()) ? steps[column] : steps[0];
        picture.push_back(cell.ch);
        picture.push_back(static_cast<std::uint8_t>(cell.fg | cell.bg << 4));
      }
    }
    const std::vector<std::uint8_t> file = gradgen::BinaryTextFile(picture, info);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out) {
      std::cerr << "gradgen: cannot write " << argv[2] << "\n";
      return 1;
    }
  } catch (const ParseError& e) {
    std::cerr << argv[1] << ":" << (e.line ? std::to_string(e.line) + ":" : "") << " " << e.message << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "gradgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
