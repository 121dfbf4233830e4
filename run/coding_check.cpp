#include "run/coding_check.h"

#include "run/ordered_workers.h"

namespace farrowdale {

TCheckResult CheckCoding(const std::filesystem::path& tag_set_path,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader, unsigned jobs) {
  TCheckOptions options;
  options.lines_per_group = kAllLines;
  options.jobs = jobs;
  return CheckCoding(tag_set_path, files, reader, options);
}

namespace {

TCheckResult CheckFiles(TCodingCheck& check, const std::vector<std::filesystem::path>& files,
                        const TCheckFileReader& reader, unsigned jobs) {
  const std::vector<const std::filesystem::path*> ordered = TCodingCheck::ListingOrder(files);
  ProcessInOrder<TFileCheck>(
      ordered.size(), jobs > 0 ? static_cast<int>(jobs) : DefaultJobCount(),
      [&](size_t index) { return check.CheckFile(*ordered[index], reader); },
      [&](size_t index, TFileCheck&& file) { check.AddFile(*ordered[index], std::move(file)); });
  return check.Finish();
}

}  // namespace

TCheckResult CheckCoding(const std::filesystem::path& tag_set_path,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader, const TCheckOptions& options) {
  TCodingCheck check(tag_set_path, options);
  return CheckFiles(check, files, reader, options.jobs);
}

TCheckResult CheckCoding(const TMarkerCheck& marker_check,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader, const TCheckOptions& options) {
  TCodingCheck check(marker_check, options);
  return CheckFiles(check, files, reader, options.jobs);
}

}  // namespace farrowdale
