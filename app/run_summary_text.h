// The run summary's text: what a finished run did, in lines the summary dialog shows.
#ifndef FARROWDALE_APP_RUN_SUMMARY_TEXT_H_
#define FARROWDALE_APP_RUN_SUMMARY_TEXT_H_

#include <vector>

#include "app/platform.h"
#include "run/coding_run.h"

namespace farrowdale {

// Files counted, passages found, the reports written and where, the time message; then the
// problems as given.
TRunSummaryText MakeRunSummaryText(const TRunSummary& summary, TProblemTable problems);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_RUN_SUMMARY_TEXT_H_
