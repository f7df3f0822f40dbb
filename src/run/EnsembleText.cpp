#include "run/EnsembleText.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "model/Parameters.h"

namespace vorun::run {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::uint64_t IntegerBit = std::uint64_t{1} << 63;

struct Parts {
  std::uint64_t mant;
  std::uint16_t se;
  int exponent() const { return se & 0x7fff; }
  bool negative() const { return se >> 15; }
};

Parts PartsOf(const Float80Bytes& v) {
  Parts p;
  std::memcpy(&p.mant, v.Bytes, 8);
  std::memcpy(&p.se, v.Bytes + 8, 2);
  return p;
}

// Zero, a subnormal or a normal number in its one proper encoding: the only
// patterns a number text can give back.
bool IsProperNumber(const Parts& p) {
  const bool integerBit = (p.mant & IntegerBit) != 0;
  return p.exponent() == 0 ? !integerBit : p.exponent() < 0x7fff && integerBit;
}

bool IsInfinity(const Parts& p) { return p.exponent() == 0x7fff && p.mant == IntegerBit; }

Extended80 ValueOf(const Float80Bytes& v) {
  Extended80 x = 0;
  std::memcpy(&x, v.Bytes, 10);
  return x;
}

Float80Bytes BytesOf(Extended80 x) {
  Float80Bytes v;
  std::memcpy(v.Bytes, &x, 10);
  return v;
}

bool SameBytes(const Float80Bytes& a, const Float80Bytes& b) {
  return std::memcmp(a.Bytes, b.Bytes, 10) == 0;
}

const char Hex[] = "0123456789abcdef";

std::string HexBytes(const std::uint8_t* bytes, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    text += Hex[bytes[i] >> 4];
    text += Hex[bytes[i] & 15];
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Exactly 2 * size hex digits into bytes, first byte first.
bool ParseHexBytes(std::string_view text, std::uint8_t* bytes, std::size_t size) {
  if (text.size() != 2 * size) return false;
  for (std::size_t i = 0; i < size; ++i) {
    const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return true;
}

// Hex digits of a number, most significant first: "7fff" for the word 0x7fff.
bool ParseHexNumber(std::string_view text, std::uint64_t& value) {
  if (text.empty() || text.size() > 16) return false;
  value = 0;
  for (const char c : text) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    value = value * 16 + static_cast<std::uint64_t>(d);
  }
  return true;
}

std::string RawText(const Parts& p) {
  char text[32];
  std::snprintf(text, sizeof text, "raw:%04x:%016llx", p.se, static_cast<unsigned long long>(p.mant));
  return text;
}

// A number from text in the C locale. strtold is used rather than from_chars,
// which refuses a decimal subnormal (its result is inexact and tiny) instead
// of rounding it.
std::optional<Extended80> ParseNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  // strtold would also take blanks, "nan", "infinity" and a second sign.
  if (i >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
    return std::nullopt;
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string copy(text);
  char* end = nullptr;
  const Extended80 value = ::strtold_l(copy.c_str(), &end, c);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Reals as slots hold them: index 0 is slot 1.
struct SlotView {
  int slot;
  const EnsembleRecord& r;
  const Float80Bytes& real(std::size_t field) const { return (r.*SlotFieldNames[field].record)[slot - 1]; }
  std::uint8_t exists() const { return r.Exists[slot - 1]; }
  // Occupied, or holding a value that a record with the slot left out would lose.
  bool shown() const {
    if (exists() != 0) return true;
    for (std::size_t f = 0; f < SlotFieldNames.size(); ++f)
      for (const std::uint8_t b : real(f).Bytes)
        if (b != 0) return true;
    return false;
  }
};

constexpr const char* PaddingNames[] = {"padding1", "padding2"};

std::string PaddingText(const EnsembleRecord& r, int which) {
  return which == 0 ? HexBytes(r.Padding1, sizeof r.Padding1) : HexBytes(r.Padding2, sizeof r.Padding2);
}

bool ParsePadding(std::string_view text, EnsembleRecord& r, int which) {
  return which == 0 ? ParseHexBytes(text, r.Padding1, sizeof r.Padding1)
                    : ParseHexBytes(text, r.Padding2, sizeof r.Padding2);
}

int PaddingIndex(std::string_view name) {
  for (int i = 0; i < 2; ++i)
    if (name == PaddingNames[i]) return i;
  return -1;
}

std::string SlotField(int slot, const std::string& name) {
  return "slot " + std::to_string(slot) + " " + name;
}

// A whole decimal integer from low to high, digits only.
std::optional<int> ParseInteger(std::string_view text, int low, int high) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || text[0] == '-' || ec != std::errc() || ptr != end || value < low || value > high)
    return std::nullopt;
  return value;
}

Float80Bytes RealOrThrow(std::string_view text, int line, const std::string& field) {
  const std::optional<Float80Bytes> v = ParseRealText(text);
  if (!v)
    throw TextError(line, field,
                    "\"" + std::string(text) +
                        "\" is no real: a number with a point as decimal separator, inf, -inf or "
                        "raw:SEEE:MMMMMMMMMMMMMMMM");
  return *v;
}

// What both text forms fill in: which names have been given, so that none is
// given twice and none is missing.
class RecordBuilder {
 public:
  void Parameter(const ParameterName& p, std::string_view text, int line) {
    Once(p.name, line);
    record_.*p.record = RealOrThrow(text, line, p.name);
  }

  void Padding(int which, std::string_view text, int line) {
    Once(PaddingNames[which], line);
    if (!ParsePadding(text, record_, which))
      throw TextError(line, PaddingNames[which],
                      "\"" + std::string(text) + "\" is not " +
                          std::to_string(which == 0 ? sizeof record_.Padding1 : sizeof record_.Padding2) +
                          " bytes in hex digits");
  }

  // The slot number first, so that the slot's other fields can be named after it.
  int Slot(std::string_view text, int line, const std::string& field) {
    const std::optional<int> slot = ParseInteger(text, 1, MaxSlots);
    if (!slot) throw TextError(line, field, "\"" + std::string(text) + "\" is no slot number from 1 to 60");
    if (!slots_.insert(*slot).second)
      throw TextError(line, field, "slot " + std::to_string(*slot) + " is given twice");
    return *slot;
  }

  void Exists(int slot, std::string_view text, int line) {
    const std::optional<int> b = ParseInteger(text, 0, 255);
    if (!b)
      throw TextError(line, SlotField(slot, "exists"),
                      "\"" + std::string(text) + "\" is no byte from 0 to 255");
    record_.Exists[slot - 1] = static_cast<std::uint8_t>(*b);
  }

  void SlotReal(int slot, std::size_t field, std::string_view text, int line) {
    (record_.*SlotFieldNames[field].record)[slot - 1] =
        RealOrThrow(text, line, SlotField(slot, SlotFieldNames[field].name));
  }

  EnsembleRecord Finish(int line) {
    for (const ParameterName& p : ParameterNames)
      if (!given_.count(p.name)) throw TextError(line, p.name, "is missing");
    return record_;
  }

 private:
  void Once(const std::string& name, int line) {
    if (!given_.insert(name).second) throw TextError(line, name, "is given twice");
  }

  EnsembleRecord record_{};
  std::set<std::string> given_;
  std::set<int> slots_;
};

// ---- JSON ----

// Counts the line breaks the parser has read, so that each value can be
// placed on its line; the JSON library tells positions only for its own
// syntax errors.
struct LineCount {
  int breaks = 0;
  bool lastWasBreak = false;
  // A number ends only at the character after it, which the parser has
  // already read when it reports the number.
  int line() const { return 1 + breaks - (lastWasBreak ? 1 : 0); }
};

class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* at, LineCount* count) : at_(at), count_(count) {}
  const char& operator*() const { return *at_; }
  CountingIterator& operator++() {
    count_->lastWasBreak = *at_ == '\n';
    if (count_->lastWasBreak) ++count_->breaks;
    ++at_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& other) const { return at_ == other.at_; }
  bool operator!=(const CountingIterator& other) const { return at_ != other.at_; }

 private:
  const char* at_;
  LineCount* count_;
};

// Builds the document and notes the line of every value under its path
// ("/slots/3/x"). A number's own text is kept (as a string), so that no
// value passes through a double.
class LineSax {
 public:
  explicit LineSax(const LineCount& count) : count_(count) {}

  Json root;
  std::map<std::string, int> lines;

  bool null() { return Put(Json()); }
  bool boolean(bool b) { return Put(b); }
  bool number_integer(std::int64_t n) { return Put(n); }
  bool number_unsigned(std::uint64_t n) { return Put(n); }
  bool number_float(double, const std::string& text) { return Put(text); }
  bool string(std::string& s) { return Put(s); }
  bool binary(Json::binary_t&) { return Put(Json()); }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool key(std::string& k) {
    if (stack_.back().first->contains(k)) throw TextError(count_.line(), k, "is given twice");
    key_ = k;
    return true;
  }
  bool end_object() {
    stack_.pop_back();
    return true;
  }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_array() {
    stack_.pop_back();
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
    // The library's message begins with its own position, in bytes; the
    // line said here is the one to look at.
    std::string message = e.what();
    const std::size_t colon = message.find(": ");
    if (colon != std::string::npos) message = message.substr(colon + 2);
    throw TextError(count_.line(), "", "not JSON: " + message);
  }

 private:
  // Only the innermost open container grows, so the pointers to the open
  // ones stay valid.
  bool Put(Json value) {
    std::string path;
    if (stack_.empty()) {
      root = std::move(value);
      last_ = &root;
    } else if (auto& [container, at] = stack_.back(); container->is_array()) {
      path = at + "/" + std::to_string(container->size());
      container->push_back(std::move(value));
      last_ = &container->back();
    } else {
      path = at + "/" + key_;
      last_ = &((*container)[key_] = std::move(value));
    }
    lastPath_ = path;
    lines[path] = count_.line();
    return true;
  }

  bool Open(Json container) {
    Put(std::move(container));
    stack_.emplace_back(last_, lastPath_);
    return true;
  }

  const LineCount& count_;
  std::vector<std::pair<Json*, std::string>> stack_;
  Json* last_ = nullptr;
  std::string lastPath_;
  std::string key_;
};

// A real's text: a string, or a number written as its own text.
std::string JsonRealText(const Json& v, int line, const std::string& field) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_number_integer()) return v.dump();
  throw TextError(line, field, v.dump() + " is no real: write it as a string, \"0.5\"");
}

std::string JsonIntegerText(const Json& v) { return v.is_string() ? v.get<std::string>() : v.dump(); }

}  // namespace

std::string RealText(const Float80Bytes& value, Notation notation) {
  const Parts p = PartsOf(value);
  if (IsInfinity(p)) return p.negative() ? "-inf" : "inf";
  // 21 correctly rounded digits, or the exact hexadecimal form, give a proper
  // number back under correct rounding; any other pattern only its bits do.
  if (!IsProperNumber(p)) return RawText(p);
  std::string text;
  AppendCsvReal(text, ValueOf(value), notation);
  return text;
}

std::optional<Float80Bytes> ParseRealText(std::string_view text) {
  if (text.substr(0, 4) == "raw:") {
    std::uint64_t se = 0, mant = 0;
    if (text.size() != 4 + 4 + 1 + 16 || text[8] != ':' || !ParseHexNumber(text.substr(4, 4), se) ||
        !ParseHexNumber(text.substr(9), mant))
      return std::nullopt;
    Float80Bytes v;
    std::memcpy(v.Bytes, &mant, 8);
    const auto word = static_cast<std::uint16_t>(se);
    std::memcpy(v.Bytes + 8, &word, 2);
    return v;
  }
  if (text == "inf" || text == "+inf") return BytesOf(std::numeric_limits<Extended80>::infinity());
  if (text == "-inf") return BytesOf(-std::numeric_limits<Extended80>::infinity());
  const std::optional<Extended80> number = ParseNumber(text);
  if (!number) return std::nullopt;
  return BytesOf(*number);
}

std::string EnsembleJson(const EnsembleRecord& r, Notation notation) {
  const auto quoted = [](const std::string& s) { return Json(s).dump(); };
  std::string text = "{\n";
  for (const ParameterName& p : ParameterNames)
    text += "  " + quoted(p.name) + ": " + quoted(RealText(r.*p.record, notation)) + ",\n";
  for (int i = 0; i < 2; ++i)
    text += "  " + quoted(PaddingNames[i]) + ": " + quoted(PaddingText(r, i)) + ",\n";
  text += "  \"slots\": [";
  bool first = true;
  for (int slot = 1; slot <= MaxSlots; ++slot) {
    const SlotView s{slot, r};
    if (!s.shown()) continue;
    text += first ? "\n" : ",\n";
    first = false;
    text += "    {\"slot\": " + std::to_string(slot) + ", \"exists\": " + std::to_string(s.exists());
    for (std::size_t f = 0; f < SlotFieldNames.size(); ++f)
      text += ", " + quoted(SlotFieldNames[f].name) + ": " + quoted(RealText(s.real(f), notation));
    text += "}";
  }
  text += first ? "]\n}\n" : "\n  ]\n}\n";
  return text;
}

std::string EnsembleCsv(const EnsembleRecord& r, Notation notation) {
  std::string text = "name,value\n";
  for (const ParameterName& p : ParameterNames)
    text += std::string(p.name) + "," + RealText(r.*p.record, notation) + "\n";
  for (int i = 0; i < 2; ++i) text += std::string(PaddingNames[i]) + "," + PaddingText(r, i) + "\n";
  text += "\nslot,exists";
  for (const SlotFieldName& f : SlotFieldNames) text += std::string(",") + f.name;
  text += "\n";
  for (int slot = 1; slot <= MaxSlots; ++slot) {
    const SlotView s{slot, r};
    if (!s.shown()) continue;
    text += std::to_string(slot) + "," + std::to_string(s.exists());
    for (std::size_t f = 0; f < SlotFieldNames.size(); ++f) {
      text += ',';
      text += RealText(s.real(f), notation);
    }
    text += "\n";
  }
  return text;
}

EnsembleRecord ParseEnsembleJson(std::string_view text) {
  LineCount count;
  LineSax sax(count);
  Json::sax_parse(CountingIterator(text.data(), &count), CountingIterator(text.data() + text.size(), &count),
                  &sax);
  const auto lineOf = [&](const std::string& path) {
    const auto at = sax.lines.find(path);
    return at == sax.lines.end() ? 1 : at->second;
  };
  const Json& root = sax.root;
  if (!root.is_object()) throw TextError(1, "", "the text is no JSON object");

  RecordBuilder builder;
  for (const auto& [name, value] : root.items()) {
    const int line = lineOf("/" + name);
    if (const ParameterName* p = FindParameter(name)) {
      builder.Parameter(*p, JsonRealText(value, line, name), line);
    } else if (const int which = PaddingIndex(name); which >= 0) {
      if (!value.is_string()) throw TextError(line, name, "must be a string of hex digits");
      builder.Padding(which, value.get<std::string>(), line);
    } else if (name == "slots") {
      if (!value.is_array()) throw TextError(line, name, "must be a list of slots");
      for (std::size_t i = 0; i < value.size(); ++i) {
        const Json& item = value[i];
        const std::string itemPath = "/slots/" + std::to_string(i);
        const int itemLine = lineOf(itemPath);
        const std::string itemName = "slots[" + std::to_string(i) + "]";
        if (!item.is_object()) throw TextError(itemLine, itemName, "must be an object");
        if (!item.contains("slot")) throw TextError(itemLine, itemName, "has no \"slot\"");
        const int slot =
            builder.Slot(JsonIntegerText(item["slot"]), lineOf(itemPath + "/slot"), itemName + " slot");
        for (const auto& [key, field] : item.items()) {
          const int fieldLine = lineOf(itemPath + "/" + key);
          if (key == "slot") continue;
          if (key == "exists") {
            builder.Exists(slot, JsonIntegerText(field), fieldLine);
            continue;
          }
          std::size_t f = 0;
          while (f < SlotFieldNames.size() && key != SlotFieldNames[f].name) ++f;
          if (f == SlotFieldNames.size())
            throw TextError(fieldLine, SlotField(slot, key),
                            "is no field of a slot (exists, x, y, z, u, v, w)");
          builder.SlotReal(slot, f, JsonRealText(field, fieldLine, SlotField(slot, key)), fieldLine);
        }
        for (const char* required : {"exists", "x", "y", "z", "u", "v", "w"})
          if (!item.contains(required)) throw TextError(itemLine, SlotField(slot, required), "is missing");
      }
    } else {
      throw TextError(line, name, "is no field of an ensemble");
    }
  }
  return builder.Finish(count.line());
}

EnsembleRecord ParseEnsembleCsv(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  const auto cells = [](std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t from = 0;;) {
      const std::size_t comma = line.find(',', from);
      out.push_back(
          line.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
      if (comma == std::string_view::npos) return out;
      from = comma + 1;
    }
  };

  std::string slotHeader = "slot,exists";
  for (const SlotFieldName& f : SlotFieldNames) slotHeader += std::string(",") + f.name;
  if (lines.empty() || lines[0] != "name,value")
    throw TextError(1, "", "the first line must be \"name,value\"");
  RecordBuilder builder;
  std::size_t n = 1;
  for (; n < lines.size() && !lines[n].empty(); ++n) {
    const int line = static_cast<int>(n + 1);
    const auto c = cells(lines[n]);
    if (c.size() != 2) throw TextError(line, std::string(c[0]), "needs one value: NAME,VALUE");
    if (const ParameterName* p = FindParameter(c[0]))
      builder.Parameter(*p, c[1], line);
    else if (const int which = PaddingIndex(c[0]); which >= 0)
      builder.Padding(which, c[1], line);
    else
      throw TextError(line, std::string(c[0]), "is no field of an ensemble");
  }
  const int end = static_cast<int>(n + 1);
  if (++n < lines.size()) {
    if (lines[n] != slotHeader)
      throw TextError(static_cast<int>(n + 1), "",
                      "the slots must begin with the line \"" + slotHeader + "\"");
    for (++n; n < lines.size(); ++n) {
      if (lines[n].empty()) continue;
      const int line = static_cast<int>(n + 1);
      const auto c = cells(lines[n]);
      const int slot = builder.Slot(c[0], line, "slot");
      if (c.size() != 2 + SlotFieldNames.size())
        throw TextError(line, SlotField(slot, ""),
                        "needs " + std::to_string(2 + SlotFieldNames.size()) + " cells: " + slotHeader);
      builder.Exists(slot, c[1], line);
      for (std::size_t f = 0; f < SlotFieldNames.size(); ++f) builder.SlotReal(slot, f, c[2 + f], line);
    }
  }
  return builder.Finish(end);
}

namespace {

// The place of a number or infinity on the line of all values: consecutive
// values one apart, +0 and -0 both at 0.
std::optional<__int128> Ordinal(const Float80Bytes& v) {
  const Parts p = PartsOf(v);
  if (!IsProperNumber(p) && !IsInfinity(p)) return std::nullopt;
  const __int128 magnitude =
      (static_cast<__int128>(p.exponent()) << 63) + static_cast<__int128>(p.mant & ~IntegerBit);
  return p.negative() ? -magnitude : magnitude;
}

}  // namespace

std::string UlpText(unsigned __int128 ulps) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(ulps % 10)));
    ulps /= 10;
  } while (ulps != 0);
  return digits;
}

std::vector<FieldDifference> DiffRecords(const EnsembleRecord& a, const EnsembleRecord& b,
                                         Notation notation) {
  std::vector<FieldDifference> out;
  const auto real = [&](const std::string& field, const Float80Bytes& x, const Float80Bytes& y) {
    if (SameBytes(x, y)) return;
    FieldDifference d{field, RealText(x, notation), RealText(y, notation), std::nullopt};
    const auto ox = Ordinal(x), oy = Ordinal(y);
    if (ox && oy) d.ulps = static_cast<unsigned __int128>(*ox > *oy ? *ox - *oy : *oy - *ox);
    out.push_back(d);
  };
  for (const ParameterName& p : ParameterNames) real(p.name, a.*p.record, b.*p.record);
  for (int i = 0; i < 2; ++i)
    if (PaddingText(a, i) != PaddingText(b, i))
      out.push_back({PaddingNames[i], PaddingText(a, i), PaddingText(b, i), {}});
  for (int slot = 1; slot <= MaxSlots; ++slot) {
    const SlotView x{slot, a}, y{slot, b};
    if (x.exists() != y.exists())
      out.push_back({SlotField(slot, "exists"), std::to_string(x.exists()), std::to_string(y.exists()), {}});
    for (std::size_t f = 0; f < SlotFieldNames.size(); ++f)
      real(SlotField(slot, SlotFieldNames[f].name), x.real(f), y.real(f));
  }
  return out;
}

}  // namespace vorun::run
