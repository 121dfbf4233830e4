// The coding of a corpus in the open exchange format of qualitative-analysis programs: a
// project (".qdpx", a ZIP holding "project.qde" and the texts as "sources/GUID.txt") and a
// codebook alone (".qdc"). Documents are written with libxml2's writer, which escapes every
// text; the ZIP with libzip; files are put in place whole (text/atomic_file.h).
//
// Every name of the model is narrow text (the system code page), converted to UTF-8 here; a
// character XML cannot carry (a control character other than TAB, LF and CR) becomes U+FFFD
// in names and descriptions. Source texts are UTF-8 already and are stored as they are.
// Positions are code points of a source's text, counted from 0, ends exclusive.
//
// GUIDs are name-based (name_based_uuid.h): a user's from the coder's name, a code's from its
// tag name, a source's from its name, a selection's and its coding's from the source, the
// code and the two positions. Two exports of the same model therefore differ only in their
// dates (and the ZIP entries' times).
#ifndef FARROWDALE_REPORT_QDA_PROJECT_H_
#define FARROWDALE_REPORT_QDA_PROJECT_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/atomic_file.h"

namespace farrowdale {

// One tag as a code.
struct TQdaCode {
  std::string name;
  std::string begin_marker;
  std::string end_marker;
  int32_t color_value = 0;  // 0x00BBGGRR, as the tag set holds it
};

// One passage: where it stands in its source's text and which code it has.
struct TQdaSelection {
  size_t code = 0;  // index in TQdaProject::codes
  int64_t start = 0;
  int64_t end = 0;
  std::string name;  // the passage as counted
};

struct TQdaSource {
  std::string name;       // the file's path relative to the corpus folder
  std::string text_utf8;  // LF line ends, no byte-order mark
  std::vector<TQdaSelection> selections;
};

struct TQdaProject {
  std::string name;   // the corpus folder's name
  std::string coder;  // the one user, who made every coding
  std::chrono::system_clock::time_point created;
  std::vector<TQdaCode> codes;  // in tag set order
  std::vector<TQdaSource> sources;
};

// What every file the project holds may not exceed, in bytes.
inline constexpr uint64_t kMaxInternalFileBytes = 2147483647;

// Throws Error naming the internal file (and the source it holds, when it holds one) when
// bytes exceeds kMaxInternalFileBytes.
void CheckInternalFileSize(std::string_view internal_name, std::string_view source_name,
                           uint64_t bytes);

// "YYYY-MM-DDThh:mm:ssZ" in UTC.
std::string QdaDateTime(std::chrono::system_clock::time_point time);
// The code's colour as "#RRGGBB".
std::string QdaColor(int32_t color_value);
// The GUIDs the documents give a source and a code; the source's text is at
// "sources/" + SourceGuid + ".txt" in the project.
std::string QdaSourceGuid(const TQdaSource& source);
std::string QdaCodeGuid(const std::vector<TQdaCode>& codes, size_t code);

// The codebook document (namespace urn:QDA-XML:codebook:1.0). Throws Error when there is no
// code, which a codebook cannot be without.
std::string QdaCodebookXml(const std::vector<TQdaCode>& codes);
// The project document "project.qde" (namespace urn:QDA-XML:project:1.0). The code book is
// left out when there is no code, the sources when there is no source, as the format wants
// each list to hold one item at least.
// REQUIRES: every selection's code indexes codes.
std::string QdaProjectXml(const TQdaProject& project);
// The ".qdpx" archive: project.qde, then each source's text, as ZIP bytes. Throws Error for
// an internal file over kMaxInternalFileBytes, and when the archive cannot be made.
std::string QdaProjectArchive(const TQdaProject& project);

// The two files, rendered into synced temporary files beside path for the caller to commit
// together (text/atomic_file.h), as the report writers do. Throw the file-create Error, and
// the errors above.
TAtomicFile RenderQdaProject(const std::filesystem::path& path, const TQdaProject& project);
TAtomicFile RenderQdaCodebook(const std::filesystem::path& path,
                              const std::vector<TQdaCode>& codes);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_QDA_PROJECT_H_
