// The provenance section of a report: which run made it (when, with which program, tag set,
// corpus and settings), so that a report read later can be traced and repeated.
#ifndef FARROWDALE_REPORT_PROVENANCE_H_
#define FARROWDALE_REPORT_PROVENANCE_H_

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/passage_grouping.h"

namespace farrowdale {

struct TProvenance {
  std::chrono::system_clock::time_point run_time;  // when the run started
  std::filesystem::path tag_set_path;
  std::string tag_set_sha256;  // lower-case hex digits of the tag set file's SHA-256, or empty
  std::filesystem::path corpus_folder;
  int32_t file_count = 0;     // files the run counted (the ticked ones)
  bool one_file = false;      // one combined report rather than one per file
  std::string code_page;      // the system code page's name
  std::string filter;         // narrow text; empty when no filter chose the files
  TPassageGrouping grouping;  // how the run grouped passages before counting
  // Every file read in an encoding other than the code page, by name (as the run names it),
  // with that encoding ("UTF-16 LE"), in run order.
  std::vector<std::pair<std::string, std::string>> files_read_as;
};

// The program's name and version as the provenance names them.
std::string ProgramVersionText();

// ISO 8601 local time with the offset from UTC, to the second: "2026-12-07T14:05:09+01:00".
// The local time zone is the process's (TZ).
std::string FormatLocalIsoTime(std::chrono::system_clock::time_point time);

// The SHA-256 of bytes as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

// The section: a list of names and values, every value escaped.
std::u16string RenderProvenance(const TProvenance& provenance);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_PROVENANCE_H_
