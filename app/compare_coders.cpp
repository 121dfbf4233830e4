#include "app/compare_coders.h"

#include <chrono>
#include <string>

#include "report/agreement_report.h"
#include "run/coder_comparison.h"
#include "text/code_page.h"

namespace farrowdale {

namespace {

std::string Percent(const std::optional<double>& share) {
  return share ? MeasureText(*share * 100, 1, "") + "%" : std::string("undefined");
}

std::string Measure(const std::optional<double>& value) {
  return MeasureText(value, 3, "undefined");
}

std::string Place(const TTextPosition& place) {
  return "line " + std::to_string(place.line) + ", column " + std::to_string(place.column);
}

// Why a file was not compared, as one line; empty for a file compared.
std::string NotComparedLine(const TFileComparison& file) {
  switch (file.outcome) {
    case EFileComparison::kCompared:
      return {};
    case EFileComparison::kOnlyInA:
      return file.file + ": only in the first coder's folder";
    case EFileComparison::kOnlyInB:
      return file.file + ": only in the second coder's folder";
    case EFileComparison::kUnreadable:
      return file.file + ": " + file.error;
    case EFileComparison::kTextDiffers:
      return file.file + ": the texts differ from " + Place(file.difference.a_place) +
             " (first coder) and " + Place(file.difference.b_place) + " (second coder)";
  }
  return {};
}

}  // namespace

TAgreementText MakeAgreementText(const TCoderComparison& comparison,
                                 const std::filesystem::path& report) {
  TAgreementText text;
  text.report = report;
  text.summary = std::to_string(comparison.files_compared) + " of " +
                 std::to_string(comparison.files.size()) +
                 " files compared; report: " + PathToNarrow(report);
  text.columns = {"Tag",   "Characters", "Agreement",  "On coded",   "Kappa",
                  "Alpha", "Alpha_u",    "A passages", "B passages", "Matched"};
  for (const TAgreementRow& row : comparison.pooled) {
    const TAgreementCounts& counts = row.counts;
    text.rows.push_back({row.tag == "*" ? "(all tags)" : row.tag, std::to_string(counts.characters),
                         Percent(row.percent_all), Percent(row.percent_coded), Measure(row.kappa),
                         Measure(row.alpha), Measure(row.alpha_u),
                         std::to_string(counts.a_passages), std::to_string(counts.b_passages),
                         std::to_string(counts.matched)});
  }
  for (const TFileComparison& file : comparison.files) {
    if (std::string line = NotComparedLine(file); !line.empty()) {
      text.not_compared.push_back(std::move(line));
    }
  }
  return text;
}

TAgreementText CompareCodersIntoFirstFolder(const std::filesystem::path& folder_a,
                                            const std::filesystem::path& folder_b,
                                            const std::filesystem::path& tag_set, bool recursive) {
  const auto started = std::chrono::system_clock::now();
  TCoderComparisonRequest request;
  request.folder_a = folder_a;
  request.folder_b = folder_b;
  request.tag_set_a = tag_set;
  request.tag_set_b = tag_set;
  request.recursive = recursive;
  const TCoderComparison comparison = CompareCoders(request);
  WriteAgreementOutputs(
      comparison, {started, folder_a, folder_b, tag_set, tag_set, SystemCodePageName()}, folder_a);
  return MakeAgreementText(comparison, folder_a / kAgreementPageName);
}

}  // namespace farrowdale
