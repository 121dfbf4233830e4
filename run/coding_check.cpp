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

TCheckResult CheckCoding(const std::filesystem::path& tag_set_path,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader, const TCheckOptions& options) {
  TCodingCheck check(tag_set_path, options);
  const std::vector<const std::filesystem::path*> ordered = TCodingCheck::ListingOrder(files);
  ProcessInOrder<TFileCheck>(
      ordered.size(), options.jobs > 0 ? static_cast<int>(options.jobs) : DefaultJobCount(),
      [&](size_t index) { return check.CheckFile(*ordered[index], reader); },
      [&](size_t index, TFileCheck&& file) { check.AddFile(*ordered[index], std::move(file)); });
  return check.Finish();
}

}  // namespace farrowdale
