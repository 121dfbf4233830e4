#include "report/provenance.h"

#include <openssl/evp.h>

#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "report/markup_text.h"
#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

void AppendItem(std::u16string& out, std::string_view name, std::u16string_view escaped_value) {
  AppendAscii(out, "<dt>");
  AppendAscii(out, name);
  AppendAscii(out, "</dt><dd>");
  out += escaped_value;
  AppendAscii(out, "</dd>\n");
}

std::u16string Escaped(std::string_view narrow) {
  std::u16string value;
  AppendMarkupNarrow(value, narrow);
  return value;
}

std::u16string Code(std::string_view narrow) {
  std::u16string value;
  AppendAscii(value, "<code>");
  AppendMarkupNarrow(value, narrow);
  AppendAscii(value, "</code>");
  return value;
}

}  // namespace

std::string ProgramVersionText() { return "Morrow Farrowdale " FARROWDALE_VERSION; }

std::string FormatLocalIsoTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  const long offset_minutes = local.tm_gmtoff / 60;
  const long magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, offset_minutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

std::string Sha256Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 failed");
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0x0F];
  }
  return hex;
}

std::u16string RenderProvenance(const TProvenance& provenance) {
  const std::string when = FormatLocalIsoTime(provenance.run_time);
  return SectionMarkup("provenance", "Provenance", [&](std::u16string& out) {
    AppendAscii(out, "<dl>\n");
    std::u16string time;
    AppendAscii(time, "<time datetime=\"" + when + "\">" + when + "</time>");
    AppendItem(out, "Run", time);
    AppendItem(out, "Program", Escaped(ProgramVersionText()));
    AppendItem(out, "Tag set", Escaped(PathToNarrow(provenance.tag_set_path)));
    AppendItem(out, "Tag set SHA-256",
               provenance.tag_set_sha256.empty() ? Escaped("none (no tag set file read)")
                                                 : Code(provenance.tag_set_sha256));
    AppendItem(out, "Corpus folder", Escaped(PathToNarrow(provenance.corpus_folder)));
    AppendItem(out, "Files", Escaped(std::to_string(provenance.file_count)));
    AppendItem(out, "Reports", Escaped(provenance.one_file ? "one for all files" : "one per file"));
    AppendItem(out, "Code page", Escaped(provenance.code_page));
    // Only when some file was read otherwise: a report from before keeps its bytes.
    if (!provenance.files_read_as.empty()) {
      std::u16string read_as;
      for (const auto& [file, encoding] : provenance.files_read_as) {
        if (!read_as.empty()) AppendAscii(read_as, "<br>");
        AppendMarkupNarrow(read_as, file + ": " + encoding);
      }
      AppendItem(out, "Read otherwise", read_as);
    }
    // The filter is shown as code, so that a filter spelled "none" differs from no filter.
    AppendItem(out, "Filter",
               provenance.filter.empty() ? Escaped("none") : Code(provenance.filter));
    AppendItem(out, "Passages grouped by", Escaped(GroupingDescription(provenance.grouping)));
    AppendAscii(out, "</dl>\n");
  });
}

}  // namespace farrowdale
