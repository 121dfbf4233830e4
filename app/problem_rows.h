// The rows of the window's problem lists: the run's warnings and the marker check's
// problems in one shape, so the run summary and the check dialog list them alike.
#ifndef FARROWDALE_APP_PROBLEM_ROWS_H_
#define FARROWDALE_APP_PROBLEM_ROWS_H_

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/platform.h"
#include "count/marker_check.h"

namespace farrowdale {

// A warning the run gave about a file: the file and the message.
using TRunWarning = std::pair<std::filesystem::path, std::string>;

// A run warning concerns its whole file (no line).
TProblemRow WarningRow(const TRunWarning& warning);
// The check's listed problems in the check's order (tag set first, then by file and line),
// and its table by tag and kind, each group holding the rows of its problems.
TProblemTable CheckTable(const TCheckResult& result);
// The run summary's problems: the run's warnings in their order, on their own, then the
// check's table without its notes on how files were read (the run's warnings say that); a
// file the check could not search stays, an error in its group. A check that searched no
// tag adds nothing: without a tag there is no marker to check, and the run has said why.
TProblemTable RunSummaryProblems(const std::vector<TRunWarning>& warnings,
                                 const TCheckResult& check);
// The "Check Markers" dialog's content: the check's summary line, its rows and table.
TMarkerCheckText MakeMarkerCheckText(const TCheckResult& result);
// "LINE:COLUMN" for a place in the file, empty for the whole file.
std::string PlaceText(const TProblemRow& row);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PROBLEM_ROWS_H_
