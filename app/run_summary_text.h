// The run summary's text: what a finished run did, in lines the summary dialog shows.
#ifndef FARROWDALE_APP_RUN_SUMMARY_TEXT_H_
#define FARROWDALE_APP_RUN_SUMMARY_TEXT_H_

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/platform.h"
#include "run/coding_run.h"

namespace farrowdale {

// A warning the run gave about a file: the file and the message.
using TRunWarning = std::pair<std::filesystem::path, std::string>;

// Files counted, passages found, the reports written and where, the time message; then one
// problem line per warning, "PATH: MESSAGE", in the order given.
TRunSummaryText MakeRunSummaryText(const TRunSummary& summary,
                                   const std::vector<TRunWarning>& warnings);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_RUN_SUMMARY_TEXT_H_
