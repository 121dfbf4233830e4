#include "run/coding_check.h"

#include <utility>

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
      [&](size_t index) { return check.CheckFile(index, *ordered[index], reader); },
      [&](size_t /*index*/, TFileCheck&& file) { check.AddFile(std::move(file)); });
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

TRunFilesCheck::TRunFilesCheck(const TMarkerCheck& check, const TCheckOptions& options,
                               const std::vector<std::filesystem::path>& files)
    : check_(check, options), paths_(files), listed_at_(files.size()) {
  const std::vector<const std::filesystem::path*> ordered = TCodingCheck::ListingOrder(files);
  for (size_t place = 0; place < ordered.size(); ++place) {
    listed_at_[static_cast<size_t>(ordered[place] - files.data())] = place;
  }
}

TFileCheck TRunFilesCheck::CheckScannedFile(size_t index, const std::string& narrow_text,
                                            const TTagArray& run_tags, const TScannedText& run_scan,
                                            size_t first_wanted) const {
  return check_.CheckScannedFile(listed_at_[index], paths_[index], narrow_text, run_tags, run_scan,
                                 first_wanted);
}

void TRunFilesCheck::Add(size_t index, TFileCheck file) {
  waiting_.emplace(listed_at_[index], std::move(file));
  for (auto next = waiting_.begin(); next != waiting_.end() && next->first == next_listed_;
       next = waiting_.begin()) {
    check_.AddFile(std::move(next->second));
    waiting_.erase(next);
    ++next_listed_;
  }
}

}  // namespace farrowdale
