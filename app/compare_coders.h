// The window's "Compare Coders": two coders' copies of a corpus compared (CompareCoders) with
// the window's tag set and sub-folder choice, agreement.htm and agreement.csv written into the
// first coder's folder, and the result put as the agreement dialog shows it.
#ifndef FARROWDALE_APP_COMPARE_CODERS_H_
#define FARROWDALE_APP_COMPARE_CODERS_H_

#include <filesystem>

#include "app/platform.h"
#include "results/agreement.h"

namespace farrowdale {

// The pooled table (a row per tag, then "(all tags)"), the files not compared with why, and
// a summary line naming the report.
TAgreementText MakeAgreementText(const TCoderComparison& comparison,
                                 const std::filesystem::path& report);

// Compares folder_a (coder A, where the outputs go) with folder_b under tag_set. REQUIRES:
// the system code page is chosen. Throws Error (a tag set that cannot be used, a folder that
// cannot be listed, an output that cannot be written).
TAgreementText CompareCodersIntoFirstFolder(const std::filesystem::path& folder_a,
                                            const std::filesystem::path& folder_b,
                                            const std::filesystem::path& tag_set, bool recursive);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_COMPARE_CODERS_H_
