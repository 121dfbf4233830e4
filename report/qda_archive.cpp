// The ".qdpx" archive, built in memory with libzip, and the two files rendered safely.
#include <zip.h>

#include <ctime>
#include <memory>
#include <string>

#include "report/qda_project.h"
#include "text/atomic_file.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

constexpr char kProjectDocumentName[] = "project.qde";

[[noreturn]] void ThrowArchiveError(const std::string& what) {
  throw Error("The project archive could not be made: " + what + ".");
}

// An archive that lives in a memory buffer, which outlives the archive's closing so that its
// bytes can be read out.
class TMemoryArchive {
 public:
  explicit TMemoryArchive(std::time_t entry_time) : entry_time_(entry_time) {
    zip_error_t error;
    zip_error_init(&error);
    buffer_ = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer_ != nullptr) archive_ = zip_open_from_source(buffer_, ZIP_TRUNCATE, &error);
    if (archive_ == nullptr) {
      const std::string what = zip_error_strerror(&error);
      zip_error_fini(&error);
      if (buffer_ != nullptr) zip_source_free(buffer_);
      ThrowArchiveError(what);
    }
    zip_error_fini(&error);
    zip_source_keep(buffer_);
  }
  ~TMemoryArchive() {
    if (archive_ != nullptr) zip_discard(archive_);
    zip_source_free(buffer_);
  }
  TMemoryArchive(const TMemoryArchive&) = delete;
  TMemoryArchive& operator=(const TMemoryArchive&) = delete;

  // Adds bytes, deflated, under name. bytes must stay as they are until Close().
  void Add(const std::string& name, std::string_view bytes) {
    zip_source_t* source = zip_source_buffer(archive_, bytes.data(), bytes.size(), 0);
    if (source == nullptr) ThrowArchiveError(zip_strerror(archive_));
    const zip_int64_t index = zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      ThrowArchiveError(zip_strerror(archive_));
    }
    if (zip_file_set_mtime(archive_, static_cast<zip_uint64_t>(index), entry_time_, 0) != 0) {
      ThrowArchiveError(zip_strerror(archive_));
    }
  }

  // Writes the archive and returns its bytes.
  std::string Close() {
    if (zip_close(archive_) != 0) ThrowArchiveError(zip_strerror(archive_));
    archive_ = nullptr;
    std::string bytes;
    if (zip_source_open(buffer_) != 0 || zip_source_seek(buffer_, 0, SEEK_END) != 0) {
      ThrowArchiveError(zip_error_strerror(zip_source_error(buffer_)));
    }
    const zip_int64_t size = zip_source_tell(buffer_);
    if (size < 0 || zip_source_seek(buffer_, 0, SEEK_SET) != 0) {
      ThrowArchiveError(zip_error_strerror(zip_source_error(buffer_)));
    }
    bytes.resize(static_cast<size_t>(size));
    const zip_int64_t read = zip_source_read(buffer_, bytes.data(), bytes.size());
    zip_source_close(buffer_);
    if (read != size) ThrowArchiveError("its bytes could not be read back");
    return bytes;
  }

 private:
  std::time_t entry_time_;
  zip_source_t* buffer_ = nullptr;
  zip_t* archive_ = nullptr;
};

}  // namespace

void CheckInternalFileSize(std::string_view internal_name, std::string_view source_name,
                           uint64_t bytes) {
  if (bytes <= kMaxInternalFileBytes) return;
  std::string message = "Cannot export \"" + std::string(internal_name) + "\"";
  if (!source_name.empty()) message += " (the text of \"" + std::string(source_name) + "\")";
  throw Error(message + ": it would hold " + std::to_string(bytes) +
              " bytes, more than the 2,147,483,647 a project's file may hold.");
}

std::string QdaProjectArchive(const TQdaProject& project) {
  const std::string document = QdaProjectXml(project);
  CheckInternalFileSize(kProjectDocumentName, "", document.size());
  TMemoryArchive archive(std::chrono::system_clock::to_time_t(project.created));
  archive.Add(kProjectDocumentName, document);
  for (const TQdaSource& source : project.sources) {
    const std::string name = "sources/" + QdaSourceGuid(source) + ".txt";
    CheckInternalFileSize(name, source.name, source.text_utf8.size());
    archive.Add(name, source.text_utf8);
  }
  return archive.Close();
}

namespace {

TAtomicFile Rendered(const std::filesystem::path& path, std::string_view bytes) {
  TAtomicFile file(path);
  file.Append(bytes);
  file.Sync();
  return file;
}

}  // namespace

TAtomicFile RenderQdaProject(const std::filesystem::path& path, const TQdaProject& project) {
  return Rendered(path, QdaProjectArchive(project));
}

TAtomicFile RenderQdaCodebook(const std::filesystem::path& path,
                              const std::vector<TQdaCode>& codes) {
  return Rendered(path, QdaCodebookXml(codes));
}

}  // namespace farrowdale
