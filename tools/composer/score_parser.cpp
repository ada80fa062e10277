// ParseScore: the readable score (score.h) into patterns, instrument
// definitions and an order list.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

#include "score.h"

namespace kalt::composer {

ScoreError::ScoreError(int lineNumber, const std::string& message)
    : std::runtime_error("line " + std::to_string(lineNumber) + ": " + message), line(lineNumber), message(message) {}

namespace {

constexpr int kMaxRepeat = 256;  // of a token, an item or an order entry
constexpr std::size_t kMaxNameLength = 22;
constexpr int kHitNote = xm::kMiddleC;
constexpr int kNormalHitVolume = 44;
constexpr int kSoftHitVolume = 24;
constexpr std::uint8_t kSetPanning = 8;  // effect 8xx

// ---- Lines and tokens ---------------------------------------------------------

struct Line {
  int number;
  std::vector<std::string> tokens;
};

// Splits the text into lines of tokens: whitespace separates, a "#" that
// begins a word starts a comment (inside a word it is a sharp: C#4), a
// double-quoted string is one token (without its quotes).
std::vector<Line> Tokenise(std::string_view text) {
  std::vector<Line> lines;
  int number = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    Line line{number, {}};
    for (std::size_t i = 0; i < raw.size();) {
      const char c = raw[i];
      if (c == '#') break;
      if (std::isspace(static_cast<unsigned char>(c))) {
        ++i;
      } else if (c == '"') {
        const std::size_t close = raw.find('"', i + 1);
        if (close == std::string_view::npos) throw ScoreError(number, "a quoted text has no closing quote");
        line.tokens.emplace_back(raw.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        std::size_t j = i;
        while (j < raw.size() && !std::isspace(static_cast<unsigned char>(raw[j]))) ++j;
        line.tokens.emplace_back(raw.substr(i, j - i));
        i = j;
      }
    }
    if (!line.tokens.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

int ToInt(std::string_view s, int lo, int hi, int line, std::string_view what) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || value < lo || value > hi)
    throw ScoreError(line, std::string(what) + " must be a whole number from " + std::to_string(lo) + " to " +
                               std::to_string(hi) + ", not \"" + std::string(s) + "\"");
  return value;
}

double ToDouble(std::string_view s, double lo, double hi, int line, std::string_view what) {
  double value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !(value >= lo && value <= hi)) {
    const auto text = [](double v) {
      std::string t = std::to_string(v);
      t.erase(t.find_last_not_of('0') + 1);
      if (t.back() == '.') t.pop_back();
      return t;
    };
    throw ScoreError(line, std::string(what) + " must be a number from " + text(lo) + " to " + text(hi) +
                               ", not \"" + std::string(s) + "\"");
  }
  return value;
}

bool IsName(std::string_view s) {
  if (s.empty() || s.size() > kMaxNameLength || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_'))
    return false;
  return std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

std::string RequireName(std::string_view s, int line, std::string_view what) {
  if (!IsName(s))
    throw ScoreError(line, std::string(what) + " name \"" + std::string(s) +
                               "\" must be up to 22 letters, digits or underscores, starting with a letter");
  return std::string(s);
}

// "NAME*K" → NAME and K (1 without a star).
std::pair<std::string_view, int> SplitRepeat(std::string_view token, int line) {
  const std::size_t star = token.rfind('*');
  if (star == std::string_view::npos) return {token, 1};
  return {token.substr(0, star), ToInt(token.substr(star + 1), 1, kMaxRepeat, line, "a repeat count")};
}

// ---- Phrase tokens ------------------------------------------------------------

struct Step {
  enum class Kind { Rest, Note, Hit, KeyOff } kind = Kind::Rest;
  std::vector<int> notes;  // one per channel of a chord
  int volume = -1;         // 0..64, or -1 for none
  int effect = -1;         // 0..35, or -1 for none
  int param = 0;
};

int NoteNumber(std::string_view s, int line) {
  static constexpr int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const auto bad = [&] {
    return ScoreError(line, "\"" + std::string(s) + "\" is not a note (like C-4, C#4, Db4 or C4, octaves 0..7)");
  };
  if (s.size() < 2 || s.size() > 3 || s[0] < 'A' || s[0] > 'G') throw bad();
  int semitone = kSemitone[s[0] - 'A'];
  if (s.size() == 3) {
    if (s[1] == '#')
      ++semitone;
    else if (s[1] == 'b')
      --semitone;
    else if (s[1] != '-')
      throw bad();
  }
  const char octave = s.back();
  if (octave < '0' || octave > '7') throw bad();
  const int note = 12 * (octave - '0') + semitone + 1;
  if (note < 1 || note > xm::kNoteCount) throw bad();
  return note;
}

int EffectNumber(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper >= 'A' && upper <= 'Z') return upper - 'A' + 10;
  return -1;
}

Step ParseStep(std::string_view token, int line) {
  Step step;
  std::string_view core = token;
  // 1. Suffixes, from the end: !EPP, then @V.
  if (const std::size_t bang = core.find('!'); bang != std::string_view::npos) {
    const std::string_view fx = core.substr(bang + 1);
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (fx.size() != 3 || EffectNumber(fx[0]) < 0 || !hex(fx[1]) || !hex(fx[2]))
      throw ScoreError(line, "\"!" + std::string(fx) + "\" is not an effect (like !A0F: a letter or digit, two hex digits)");
    step.effect = EffectNumber(fx[0]);
    step.param = std::stoi(std::string(fx.substr(1)), nullptr, 16);
    core = core.substr(0, bang);
  }
  if (const std::size_t at = core.find('@'); at != std::string_view::npos) {
    step.volume = ToInt(core.substr(at + 1), 0, 64, line, "a volume");
    core = core.substr(0, at);
  }
  // 2. The core: rest, key-off, hit or notes.
  if (core == ".") {
    step.kind = Step::Kind::Rest;
  } else if (core == "^") {
    step.kind = Step::Kind::KeyOff;
  } else if (core == "X" || core == "x" || core == "o") {
    step.kind = Step::Kind::Hit;
    if (step.volume < 0 && core != "X") step.volume = core == "x" ? kNormalHitVolume : kSoftHitVolume;
  } else {
    step.kind = Step::Kind::Note;
    std::size_t from = 0;
    while (true) {
      const std::size_t plus = core.find('+', from);
      step.notes.push_back(NoteNumber(core.substr(from, plus - from), line));
      if (plus == std::string_view::npos) break;
      from = plus + 1;
    }
    if (step.notes.size() > static_cast<std::size_t>(xm::kMaxChannels))
      throw ScoreError(line, "a chord of more than 32 notes");
  }
  return step;
}

struct Phrase {
  std::vector<Step> rows;
};

// ---- The parser -----------------------------------------------------------------

class Parser {
 public:
  explicit Parser(std::string_view text) : lines_(Tokenise(text)) {}

  Score Run() {
    while (pos_ < lines_.size()) Statement(lines_[pos_++]);
    if (score_.orders.empty()) throw ScoreError(0, "the score has no order list (an \"order\" line)");
    if (score_.restart >= static_cast<int>(score_.orders.size()))
      throw ScoreError(restartLine_, "restart position " + std::to_string(score_.restart) +
                                         " is beyond the order list of " + std::to_string(score_.orders.size()));
    return std::move(score_);
  }

 private:
  void Statement(const Line& l) {
    const std::string& word = l.tokens[0];
    if (word == "song") return Song(l);
    if (word == "tempo") return Setting(l, score_.tempo, 32, 255);
    if (word == "speed") return Setting(l, score_.speed, 1, 31);
    if (word == "channels") {
      if (!score_.patterns.empty()) throw ScoreError(l.number, "channels must be set before the first pattern");
      return Setting(l, score_.channels, 1, xm::kMaxChannels);
    }
    if (word == "restart") {
      restartLine_ = l.number;
      return Setting(l, score_.restart, 0, xm::kMaxOrders - 1);
    }
    if (word == "pan") return Pan(l);
    if (word == "instrument") return Instrument(l);
    if (word == "phrase") return PhraseBlock(l);
    if (word == "pattern") return PatternBlock(l);
    if (word == "order") return Order(l);
    if (word == "end") throw ScoreError(l.number, "\"end\" without a phrase or pattern to end");
    throw ScoreError(l.number, "unknown statement \"" + word +
                                   "\" (expected song, tempo, speed, channels, restart, pan, instrument, "
                                   "phrase, pattern or order)");
  }

  void Expect(const Line& l, std::size_t count, std::string_view form) {
    if (l.tokens.size() != count) throw ScoreError(l.number, "expected \"" + std::string(form) + "\"");
  }

  void Once(const Line& l) {
    if (!seen_.insert(l.tokens[0]).second) throw ScoreError(l.number, "\"" + l.tokens[0] + "\" is set twice");
  }

  void Song(const Line& l) {
    Expect(l, 2, "song \"NAME\"");
    Once(l);
    if (l.tokens[1].size() > 20) throw ScoreError(l.number, "the song name is longer than 20 characters");
    score_.name = l.tokens[1];
  }

  void Setting(const Line& l, int& field, int lo, int hi) {
    Expect(l, 2, l.tokens[0] + " NUMBER");
    Once(l);
    field = ToInt(l.tokens[1], lo, hi, l.number, l.tokens[0]);
  }

  // pan CHANNELS VALUE: where the notes of those channels sound, -1 .. 1.
  void Pan(const Line& l) {
    Expect(l, 3, "pan CHANNELS VALUE");
    if (!score_.patterns.empty()) throw ScoreError(l.number, "pan must be set before the first pattern");
    const auto [first, last] = Channels(l.tokens[1], l.number);
    const double value = ToDouble(l.tokens[2], -1, 1, l.number, "pan");
    for (int c = first; c <= last; ++c)
      pan_[c] = static_cast<int>(std::clamp(std::lround(127.5 + value * 127.5), 0L, 255L));
  }

  // The channel's pan on a note cell: as effect 8xx, or where the effect
  // column is taken as the volume column's coarser Px.
  void ApplyPan(xm::Note& cell, int channel) const {
    const auto it = pan_.find(channel);
    if (it == pan_.end()) return;
    if (cell.effect == 0 && cell.param == 0) {
      cell.effect = kSetPanning;
      cell.param = static_cast<std::uint8_t>(it->second);
    } else if (cell.volume == 0) {
      cell.volume = static_cast<std::uint8_t>(0xC0 + (it->second >> 4));
    }
  }

  // instrument NUMBER NAME FAMILY key=value..., and key=value lines after it.
  void Instrument(const Line& l) {
    if (l.tokens.size() < 4) throw ScoreError(l.number, "expected \"instrument NUMBER NAME FAMILY key=value...\"");
    InstrumentDef def;
    def.number = ToInt(l.tokens[1], 1, xm::kMaxInstruments, l.number, "an instrument number");
    def.name = RequireName(l.tokens[2], l.number, "an instrument");
    for (const InstrumentDef& other : score_.instruments) {
      if (other.number == def.number) throw ScoreError(l.number, "instrument " + l.tokens[1] + " is defined twice");
      if (other.name == def.name) throw ScoreError(l.number, "an instrument is already called \"" + def.name + "\"");
    }
    def.family = FindFamily(l.tokens[3]);
    if (!def.family) {
      std::string known;
      for (const Family& f : Families()) known += (known.empty() ? "" : ", ") + std::string(f.name);
      throw ScoreError(l.number, "unknown instrument family \"" + l.tokens[3] + "\" (known: " + known + ")");
    }
    for (const ParamSpec& param : def.family->params) def.params.values[std::string(param.name)] = param.fallback;
    std::set<std::string, std::less<>> given;
    const auto assign = [&](const Line& line, std::size_t from) {
      for (std::size_t i = from; i < line.tokens.size(); ++i) Assign(def, line.tokens[i], line.number, given);
    };
    assign(l, 4);
    while (pos_ < lines_.size() && lines_[pos_].tokens[0].find('=') != std::string::npos) assign(lines_[pos_++], 0);
    score_.instruments.push_back(std::move(def));
  }

  void Assign(InstrumentDef& def, std::string_view token, int line, std::set<std::string, std::less<>>& given) {
    const std::size_t eq = token.find('=');
    if (eq == std::string_view::npos)
      throw ScoreError(line, "\"" + std::string(token) + "\" is not a parameter (like decay=0.4)");
    const std::string key(token.substr(0, eq));
    const std::string_view value = token.substr(eq + 1);
    if (!given.insert(key).second) throw ScoreError(line, "parameter \"" + key + "\" is set twice");
    for (const ParamSpec& param : CommonParams())
      if (param.name == key) {
        (key == "volume" ? def.volume : def.pan) = ToDouble(value, param.min, param.max, line, key);
        return;
      }
    for (const ParamSpec& param : def.family->params)
      if (param.name == key) {
        def.params.values[key] = ToDouble(value, param.min, param.max, line, key);
        return;
      }
    std::string known;
    for (const ParamSpec& param : def.family->params) known += std::string(param.name) + " ";
    throw ScoreError(line, "family \"" + std::string(def.family->name) + "\" has no parameter \"" + key +
                               "\" (it has: " + known + "volume pan)");
  }

  // The lines of a block up to its "end".
  std::vector<const Line*> Body(const Line& header, std::string_view what) {
    std::vector<const Line*> body;
    while (true) {
      if (pos_ >= lines_.size())
        throw ScoreError(header.number, std::string(what) + " \"" + header.tokens[1] + "\" has no \"end\"");
      const Line& l = lines_[pos_++];
      if (l.tokens[0] == "end") {
        Expect(l, 1, "end");
        return body;
      }
      body.push_back(&l);
    }
  }

  // phrase NAME [step N] ... end
  void PhraseBlock(const Line& l) {
    if (l.tokens.size() != 2 && !(l.tokens.size() == 4 && l.tokens[2] == "step"))
      throw ScoreError(l.number, "expected \"phrase NAME\" or \"phrase NAME step ROWS\"");
    const std::string name = RequireName(l.tokens[1], l.number, "a phrase");
    if (phrases_.count(name)) throw ScoreError(l.number, "phrase \"" + name + "\" is defined twice");
    const int step = l.tokens.size() == 4 ? ToInt(l.tokens[3], 1, xm::kMaxRows, l.number, "a step") : 1;
    Phrase phrase;
    for (const Line* line : Body(l, "phrase")) {
      for (const std::string& token : line->tokens) {
        if (token == "|") continue;
        const auto [core, repeat] = SplitRepeat(token, line->number);
        const Step s = ParseStep(core, line->number);
        for (int r = 0; r < repeat; ++r) {
          if (phrase.rows.size() + static_cast<std::size_t>(step) > static_cast<std::size_t>(xm::kMaxRows))
            throw ScoreError(line->number, "phrase \"" + name + "\" is longer than 256 rows");
          phrase.rows.push_back(s);
          phrase.rows.resize(phrase.rows.size() + static_cast<std::size_t>(step) - 1);
        }
      }
    }
    if (phrase.rows.empty()) throw ScoreError(l.number, "phrase \"" + name + "\" is empty");
    phrases_.emplace(name, std::move(phrase));
  }

  // pattern NAME ROWS [like OTHER] ... end
  void PatternBlock(const Line& l) {
    if (l.tokens.size() != 3 && !(l.tokens.size() == 5 && l.tokens[3] == "like"))
      throw ScoreError(l.number, "expected \"pattern NAME ROWS\" or \"pattern NAME ROWS like OTHER\"");
    const std::string name = RequireName(l.tokens[1], l.number, "a pattern");
    if (FindPattern(name)) throw ScoreError(l.number, "pattern \"" + name + "\" is defined twice");
    const int rows = ToInt(l.tokens[2], 1, xm::kMaxRows, l.number, "the row count");
    xm::Pattern pattern = xm::MakePattern(rows, score_.channels);
    if (l.tokens.size() == 5) {
      const xm::Pattern* model = FindPattern(l.tokens[4]);
      if (!model) throw ScoreError(l.number, "unknown pattern \"" + l.tokens[4] + "\"");
      for (int r = 0; r < std::min(rows, model->rows); ++r)
        for (int c = 0; c < score_.channels; ++c) pattern.at(r, c) = model->at(r, c);
    }
    for (const Line* line : Body(l, "pattern")) {
      if (line->tokens[0] == "clear") {
        Expect(*line, 2, "clear CHANNELS");
        const auto [first, last] = Channels(line->tokens[1], line->number);
        for (int r = 0; r < rows; ++r)
          for (int c = first; c <= last; ++c) pattern.at(r, c) = {};
      } else {
        Place(pattern, *line);
      }
    }
    score_.patterns.push_back({name, std::move(pattern)});
  }

  const xm::Pattern* FindPattern(std::string_view name) const {
    for (const NamedPattern& p : score_.patterns)
      if (p.name == name) return &p.pattern;
    return nullptr;
  }

  // "N" or "N-M", 1-based, into 0-based first and last.
  std::pair<int, int> Channels(std::string_view s, int line) {
    const std::size_t dash = s.find('-');
    const int first = ToInt(s.substr(0, dash), 1, score_.channels, line, "a channel");
    const int last = dash == std::string_view::npos ? first : ToInt(s.substr(dash + 1), first, score_.channels, line, "the last channel");
    return {first - 1, last - 1};
  }

  int InstrumentNumber(std::string_view s, int line) {
    if (s == "-") return 0;
    for (const InstrumentDef& def : score_.instruments)
      if (def.name == s || std::to_string(def.number) == s) return def.number;
    throw ScoreError(line, "unknown instrument \"" + std::string(s) + "\"");
  }

  struct Slot {
    const Step* step;  // nullptr: an empty row
    int transpose;
  };

  // The rows that a line's items lay down, at most `room` of them: beyond
  // that an error for a line laid once, a cut for a repeating one.
  std::vector<Slot> Items(const Line& l, std::size_t room, bool once) {
    std::vector<Slot> slots;
    // Adds a slot; false once a repeating line is full (the rest is cut).
    const auto add = [&](const Slot& s) {
      if (slots.size() < room) {
        slots.push_back(s);
        return true;
      }
      if (once)
        throw ScoreError(l.number, "the phrases run past the end of the pattern (" + std::to_string(room) +
                                       " rows of room)");
      return false;
    };
    for (std::size_t i = 2; i < l.tokens.size(); ++i) {
      if (l.tokens[i].starts_with("vol=")) continue;
      const auto [item, repeat] = SplitRepeat(l.tokens[i], l.number);
      if (item.starts_with("rest:")) {
        const int rows = ToInt(item.substr(5), 1, xm::kMaxRows, l.number, "a rest");
        for (int r = 0; r < rows * repeat; ++r)
          if (!add({nullptr, 0})) break;
        continue;
      }
      const std::size_t sign = item.find_first_of("+-");
      const std::string_view name = item.substr(0, sign);
      const int transpose =
          sign == std::string_view::npos
              ? 0
              : (item[sign] == '-' ? -1 : 1) * ToInt(item.substr(sign + 1), 0, xm::kNoteCount, l.number, "a transposition");
      const auto it = phrases_.find(name);
      if (it == phrases_.end()) throw ScoreError(l.number, "unknown phrase \"" + std::string(name) + "\"");
      for (int r = 0; r < repeat; ++r)
        for (const Step& s : it->second.rows)
          if (!add({&s, transpose})) break;
    }
    if (slots.empty()) throw ScoreError(l.number, "expected \"CHANNELS INSTRUMENT PHRASE...\"");
    return slots;
  }

  // The line's "vol=N" (0..64), or 64.
  static int VolumeScale(const Line& l) {
    int scale = -1;
    for (std::size_t i = 2; i < l.tokens.size(); ++i)
      if (l.tokens[i].starts_with("vol=")) {
        if (scale >= 0) throw ScoreError(l.number, "vol= is given twice");
        scale = ToInt(std::string_view(l.tokens[i]).substr(4), 0, 64, l.number, "vol");
      }
    return scale < 0 ? 64 : scale;
  }

  // The volume of an instrument (64 for none).
  double InstrumentVolume(int number) const {
    for (const InstrumentDef& def : score_.instruments)
      if (def.number == number) return def.volume;
    return 64;
  }

  void Place(xm::Pattern& pattern, const Line& l) {
    const std::string& where = l.tokens[0];
    const std::size_t at = where.find('@');
    const auto [first, last] = Channels(std::string_view(where).substr(0, at), l.number);
    const bool once = at != std::string::npos;
    const int start =
        once ? ToInt(std::string_view(where).substr(at + 1), 0, pattern.rows - 1, l.number, "the starting row") : 0;
    if (l.tokens.size() < 3) throw ScoreError(l.number, "expected \"CHANNELS INSTRUMENT PHRASE...\"");
    const int instrument = InstrumentNumber(l.tokens[1], l.number);
    const int scale = VolumeScale(l);
    const double full = InstrumentVolume(instrument);
    const std::vector<Slot> slots = Items(l, static_cast<std::size_t>(pattern.rows - start), once);
    const int end = once ? start + static_cast<int>(slots.size()) : pattern.rows;
    for (int row = start; row < end; ++row) {
      const Slot& slot = slots[static_cast<std::size_t>(row - start) % slots.size()];
      if (!slot.step) continue;
      // Volumes are shares of the instrument's own volume; a note at full
      // share needs no volume column.
      Step step = *slot.step;
      const bool sounds = step.kind == Step::Kind::Note || step.kind == Step::Kind::Hit;
      if (step.volume >= 0 || (sounds && scale < 64))
        step.volume = static_cast<int>(std::lround(full * (step.volume >= 0 ? step.volume : 64) * scale / (64.0 * 64.0)));
      Write(pattern, row, first, last, step, slot.transpose, instrument, l.number);
    }
  }

  static void Merge(xm::Note& cell, const xm::Note& add) {
    if (add.note != 0) {
      cell = add;
      return;
    }
    if (add.volume) cell.volume = add.volume;
    if (add.effect || add.param) cell.effect = add.effect, cell.param = add.param;
  }

  void Write(xm::Pattern& pattern, int row, int first, int last, const Step& s, int transpose, int instrument,
             int line) {
    xm::Note cell;
    cell.volume = s.volume >= 0 ? static_cast<std::uint8_t>(0x10 + s.volume) : 0;
    if (s.effect >= 0) cell.effect = static_cast<std::uint8_t>(s.effect), cell.param = static_cast<std::uint8_t>(s.param);
    switch (s.kind) {
      case Step::Kind::Rest:
      case Step::Kind::KeyOff:
        cell.note = s.kind == Step::Kind::KeyOff ? xm::kKeyOff : 0;
        for (int c = first; c <= last; ++c) Merge(pattern.at(row, c), cell);
        return;
      case Step::Kind::Hit:
      case Step::Kind::Note: {
        if (instrument == 0) throw ScoreError(line, "notes and hits need an instrument, not \"-\"");
        const std::vector<int> notes = s.kind == Step::Kind::Hit ? std::vector<int>{kHitNote} : s.notes;
        if (static_cast<int>(notes.size()) > last - first + 1)
          throw ScoreError(line, "a chord of " + std::to_string(notes.size()) + " notes does not fit " +
                                     std::to_string(last - first + 1) + " channel(s)");
        for (std::size_t v = 0; v < notes.size(); ++v) {
          const int note = notes[v] + (s.kind == Step::Kind::Note ? transpose : 0);
          if (note < 1 || note > xm::kNoteCount)
            throw ScoreError(line, "transposed by " + std::to_string(transpose) + ", a note leaves C-0..B-7");
          xm::Note voice = cell;
          voice.note = static_cast<std::uint8_t>(note);
          voice.instrument = static_cast<std::uint8_t>(instrument);
          ApplyPan(voice, first + static_cast<int>(v));
          Merge(pattern.at(row, first + static_cast<int>(v)), voice);
        }
        return;
      }
    }
  }

  // order NAME[*K]...
  void Order(const Line& l) {
    if (l.tokens.size() < 2) throw ScoreError(l.number, "expected \"order PATTERN...\"");
    for (std::size_t i = 1; i < l.tokens.size(); ++i) {
      const auto [item, repeat] = SplitRepeat(l.tokens[i], l.number);
      const std::string_view name = item;
      const auto it = std::find_if(score_.patterns.begin(), score_.patterns.end(),
                                   [&](const NamedPattern& p) { return p.name == name; });
      if (it == score_.patterns.end()) throw ScoreError(l.number, "unknown pattern \"" + std::string(name) + "\"");
      for (int r = 0; r < repeat; ++r) {
        if (score_.orders.size() >= static_cast<std::size_t>(xm::kMaxOrders))
          throw ScoreError(l.number, "the order list is longer than 256 positions");
        score_.orders.push_back(static_cast<int>(it - score_.patterns.begin()));
      }
    }
  }

  std::vector<Line> lines_;
  std::size_t pos_ = 0;
  Score score_;
  std::map<std::string, Phrase, std::less<>> phrases_;
  std::set<std::string, std::less<>> seen_;
  std::map<int, int> pan_;  // channel → panning 0..255
  int restartLine_ = 0;
};

}  // namespace

Score ParseScore(std::string_view text) { return Parser(text).Run(); }

}  // namespace kalt::composer
