// Building the single-byte code page tables: decode from ICU, encode as the inverse of the
// decode table plus Windows' published best-fit rows, and the case swap.
#include "text/code_page_table.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <string>

#include "text/error.h"

namespace farrowdale {
namespace {

#include "text/best_fit_data.inc"

// Parses the best-fit rows (a header line, then "code point hex TAB byte hex TAB name").
void ApplyBestFitRows(std::string_view tsv, std::vector<unsigned char>& from_unicode) {
  bool header = true;
  while (!tsv.empty()) {
    const size_t line_end = std::min(tsv.find('\n'), tsv.size());
    const std::string_view line = tsv.substr(0, line_end);
    tsv.remove_prefix(std::min(line_end + 1, tsv.size()));
    if (header || line.empty()) {
      header = false;
      continue;
    }
    const size_t tab = line.find('\t');
    unsigned code_point = 0;
    unsigned byte = 0;
    const char* first = line.data();
    const auto cp_result =
        std::from_chars(first, first + std::min(tab, line.size()), code_point, 16);
    const auto byte_result = tab == std::string_view::npos
                                 ? std::from_chars_result{nullptr, std::errc::invalid_argument}
                                 : std::from_chars(first + tab + 1, first + line.size(), byte, 16);
    if (cp_result.ec != std::errc() || byte_result.ec != std::errc() || byte > 0xFF) {
      throw Error("Malformed best-fit row: " + std::string(line));
    }
    if (code_point < from_unicode.size()) {
      from_unicode[code_point] = static_cast<unsigned char>(byte);
    }
  }
}

}  // namespace

SingleByteTable BuildWindowsTable(int code_page, const char* icu_name) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(icu_name, &status),
                                                               &ucnv_close);
  if (U_FAILURE(status)) throw Error("Code page \"" + std::string(icu_name) + "\" not found");
  SingleByteTable table;
  for (int byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    UChar out[4];
    status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter.get(), out, 4, &in, 1, &status);
    // Windows decodes every byte; where a converter has a hole the byte stands for the C1
    // control character of the same value.
    const bool mapped =
        U_SUCCESS(status) && length == 1 && out[0] != 0xFFFD && (out[0] != 0x1A || byte == 0x1A);
    table.to_unicode[byte] = mapped ? out[0] : static_cast<char16_t>(byte);
  }
  table.from_unicode.assign(0x10000, '?');
  ApplyBestFitRows(code_page == 1251 ? kBestFit1251 : kBestFit1252, table.from_unicode);
  for (int byte = 0; byte < 256; ++byte) {
    table.from_unicode[table.to_unicode[byte]] = static_cast<unsigned char>(byte);
  }
  return table;
}

std::array<unsigned char, 256> BuildSwapCaseTable(const std::array<char16_t, 256>& decoded) {
  std::array<unsigned char, 256> table;
  for (int byte = 0; byte < 256; ++byte) {
    table[byte] = static_cast<unsigned char>(byte);
    const char16_t c = decoded[byte];
    // ß has no one-character upper case; Windows leaves µ alone although Unicode maps it to
    // the Greek capital mu.
    if (c == 0xFFFD || c == 0x00DF || c == 0x00B5) continue;
    UChar32 other = u_toupper(c);
    if (other == c) other = u_tolower(c);
    if (other == c) continue;
    for (int partner = 0; partner < 256; ++partner) {
      if (decoded[partner] == other) {
        table[byte] = static_cast<unsigned char>(partner);
        break;
      }
    }
  }
  return table;
}

std::array<unsigned char, 256> AsciiSwapCaseTable() {
  std::array<unsigned char, 256> table;
  for (int byte = 0; byte < 256; ++byte) {
    if (byte >= 'a' && byte <= 'z') {
      table[byte] = static_cast<unsigned char>(byte - 'a' + 'A');
    } else if (byte >= 'A' && byte <= 'Z') {
      table[byte] = static_cast<unsigned char>(byte - 'A' + 'a');
    } else {
      table[byte] = static_cast<unsigned char>(byte);
    }
  }
  return table;
}

}  // namespace farrowdale
