// LoadTagSet: one TTagInfo per section of the tag set file, in file order.
#include "tagset/tag_set.h"

#include <array>
#include <optional>
#include <string_view>
#include <system_error>

#include "text/code_page.h"
#include "text/collation.h"
#include "text/error.h"
#include "text/trim.h"

namespace farrowdale {
namespace {

// The value of the first "key=value" pair whose key equals wanted ignoring letter case (by
// the locale's collation), trimmed; empty when no pair matches.
std::string ValueOf(const std::vector<std::string>& pairs, std::u16string_view wanted) {
  for (const std::string& pair : pairs) {
    const size_t equals = pair.find('=');
    if (equals == std::string::npos) continue;
    if (CompareText(ToUnicode(std::string_view(pair).substr(0, equals)), wanted, false) == 0) {
      return std::string(Trim(std::string_view(pair).substr(equals + 1)));
    }
  }
  return {};
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// Reads the colour text RRGGBB as the number $BBGGRR. A text that is too short or holds a
// character that is no hexadecimal digit raises the conversion error naming the "$" text
// (made of the characters the text has at the positions read).
int32_t ColorValueOf(std::string_view color) {
  static constexpr std::array<size_t, 6> kOrder = {4, 5, 2, 3, 0, 1};
  std::string number = "$";
  for (size_t index : kOrder) {
    if (index < color.size()) number += color[index];
  }
  if (color.size() < kOrder.size()) throw InvalidIntegerError(number);
  int32_t value = 0;
  for (size_t i = 1; i < number.size(); ++i) {
    const std::optional<int> digit = HexDigit(number[i]);
    if (!digit) throw InvalidIntegerError(number);
    value = value * 16 + *digit;
  }
  return value;
}

}  // namespace

bool IsSeparatorName(std::string_view name) { return name.empty() || name == "-"; }

bool IsSkippedTag(const TTagInfo& tag) { return IsSeparatorName(tag.Name); }

void LoadTagSet(const TIniFile& ini, TTagArray& tag_set) {
  LoadTagSet(ini, tag_set, [&](size_t index, const Error& error) {
    const TTagInfo& tag = tag_set[index];
    throw Error(TagErrorMessage(tag, ini.Path(), "color", tag.Color, error.what()));
  });
}

void LoadTagSet(const TIniFile& ini, TTagArray& tag_set,
                const std::function<void(size_t, const Error&)>& bad_color) {
  tag_set.clear();
  // One reading of the file; each section's pairs are looked up by its name as the file
  // gives it, untrimmed.
  for (const auto& [section, pairs] : ini.ReadAllSectionValues()) {
    TTagInfo& tag = tag_set.emplace_back();
    tag.Name = std::string(Trim(section));
    if (IsSkippedTag(tag)) continue;
    tag.BeginMark = ValueOf(pairs, u"begin");
    tag.EndMark = ValueOf(pairs, u"end");
    tag.Color = ValueOf(pairs, u"color");
    if (tag.Color.empty()) tag.Color = "000000";
    try {
      tag.ColorValue = ColorValueOf(tag.Color);
    } catch (const Error& error) {
      bad_color(tag_set.size() - 1, error);
    }
  }
}

std::string TagErrorMessage(const TTagInfo& tag, const std::filesystem::path& tag_set_file,
                            std::string_view setting, std::string_view value,
                            std::string_view cause) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(tag_set_file, ec);
  std::string message =
      "Tag \"" + tag.Name + "\" in " + PathToNarrow(ec ? tag_set_file : absolute) + ", ";
  message.append(setting);
  message += " \"";
  message.append(value);
  message += "\": ";
  message.append(cause);
  return message;
}

size_t ModifierGroupLength(std::string_view marker, size_t at) {
  if (marker.substr(at, 2) != "(?") return 0;
  const size_t close = marker.find(')', at + 2);
  return close == std::string_view::npos ? 0 : close + 1 - at;
}

}  // namespace farrowdale
