// Test support for the exchange export: validation of a document against the format's
// schemas with libxml2 in process, and the entries of a ZIP read back with libzip.
// Tests that include it define FARROWDALE_QDA_SCHEMA_DIR (tests/refi_qda) and link libxml2
// and libzip.
#ifndef FARROWDALE_TESTING_QDA_DOCUMENTS_H_
#define FARROWDALE_TESTING_QDA_DOCUMENTS_H_

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <zip.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace farrowdale::testing_support {

enum class QdaSchema { kProject, kCodebook };

// Appends one of libxml2's messages to the std::string at context.
inline void CollectXmlMessage(void* context, const char* format, ...) {
  char line[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  *static_cast<std::string*>(context) += line;
}

// Empty when document is valid against the schema; otherwise libxml2's messages (at least
// one line). A document that is not well-formed XML is reported the same way.
inline std::string QdaSchemaErrors(QdaSchema schema, const std::string& document) {
  const std::string path = std::string(FARROWDALE_QDA_SCHEMA_DIR) +
                           (schema == QdaSchema::kProject ? "/Project.xsd" : "/Codebook.xsd");
  std::string messages;
  std::unique_ptr<xmlSchemaParserCtxt, decltype(&xmlSchemaFreeParserCtxt)> parser(
      xmlSchemaNewParserCtxt(path.c_str()), xmlSchemaFreeParserCtxt);
  if (!parser) return "cannot read " + path;
  std::unique_ptr<xmlSchema, decltype(&xmlSchemaFree)> compiled(xmlSchemaParse(parser.get()),
                                                                xmlSchemaFree);
  if (!compiled) return "cannot parse " + path;
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
      xmlReadMemory(document.data(), static_cast<int>(document.size()), "document.xml", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
      xmlFreeDoc);
  if (!doc) return "not well-formed XML";
  std::unique_ptr<xmlSchemaValidCtxt, decltype(&xmlSchemaFreeValidCtxt)> validator(
      xmlSchemaNewValidCtxt(compiled.get()), xmlSchemaFreeValidCtxt);
  xmlSchemaSetValidErrors(validator.get(), CollectXmlMessage, CollectXmlMessage, &messages);
  const int outcome = xmlSchemaValidateDoc(validator.get(), doc.get());
  if (outcome != 0 && messages.empty()) messages = "invalid (code " + std::to_string(outcome) + ")";
  return messages;
}

// The entries of a ZIP, name and bytes, in the archive's order; empty for bytes that are no
// archive.
inline std::vector<std::pair<std::string, std::string>> ReadZipEntries(const std::string& bytes) {
  std::vector<std::pair<std::string, std::string>> entries;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  zip_t* archive =
      source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
  zip_error_fini(&error);
  if (archive == nullptr) {
    if (source) zip_source_free(source);
    return entries;
  }
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
    std::string content(static_cast<size_t>(stat.size), '\0');
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    if (file != nullptr) {
      zip_fread(file, content.data(), content.size());
      zip_fclose(file);
    }
    entries.emplace_back(stat.name, std::move(content));
  }
  zip_close(archive);
  return entries;
}

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_TESTING_QDA_DOCUMENTS_H_
