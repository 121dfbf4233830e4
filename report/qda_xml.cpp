// The two exchange documents, written with libxml2's text writer. Every attribute value and
// element text goes through the writer, which escapes it.
#include <libxml/xmlwriter.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "report/name_based_uuid.h"
#include "report/qda_project.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

constexpr char kProjectNamespace[] = "urn:QDA-XML:project:1.0";
constexpr char kCodebookNamespace[] = "urn:QDA-XML:codebook:1.0";

// XML 1.0 allows TAB, LF and CR among the controls and no noncharacter U+FFFE or U+FFFF.
bool XmlAllows(char16_t unit) {
  return unit >= 0x20 ? unit != 0xFFFE && unit != 0xFFFF
                      : unit == u'\t' || unit == u'\n' || unit == u'\r';
}

// Narrow text as UTF-8 that XML can carry: each character it cannot, and each unpaired
// surrogate, becomes U+FFFD.
std::string XmlText(std::string_view narrow) {
  std::u16string text = ToUnicode(narrow);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;  // a whole pair
    } else if (high || low || !XmlAllows(unit)) {
      text[i] = 0xFFFD;
    }
  }
  return Utf16ToUtf8(text, '?');
}

const xmlChar* Chars(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

// One document written into memory. Each step that fails (only when memory runs out) throws.
class TXmlDocument {
 public:
  TXmlDocument()
      : buffer_(xmlBufferCreate(), xmlBufferFree),
        writer_(buffer_ ? xmlNewTextWriterMemory(buffer_.get(), 0) : nullptr, xmlFreeTextWriter) {
    Check(writer_ != nullptr ? 0 : -1);
    Check(xmlTextWriterSetIndent(writer_.get(), 1));
    Check(xmlTextWriterSetIndentString(writer_.get(), BAD_CAST "  "));
    Check(xmlTextWriterStartDocument(writer_.get(), "1.0", "UTF-8", nullptr));
  }

  void Start(const char* element) {
    Check(xmlTextWriterStartElement(writer_.get(), BAD_CAST element));
  }
  void Attribute(const char* name, const std::string& utf8_value) {
    Check(xmlTextWriterWriteAttribute(writer_.get(), BAD_CAST name, Chars(utf8_value)));
  }
  void Attribute(const char* name, int64_t value) { Attribute(name, std::to_string(value)); }
  void TextElement(const char* element, const std::string& utf8_text) {
    Check(xmlTextWriterWriteElement(writer_.get(), BAD_CAST element, Chars(utf8_text)));
  }
  void End() { Check(xmlTextWriterEndElement(writer_.get())); }

  // Ends every open element and the document, and returns its bytes.
  std::string Finish() {
    Check(xmlTextWriterEndDocument(writer_.get()));
    Check(xmlTextWriterFlush(writer_.get()));
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer_.get())),
                       static_cast<size_t>(xmlBufferLength(buffer_.get())));
  }

 private:
  static void Check(int outcome) {
    if (outcome < 0) throw Error("The exchange document could not be written (out of memory).");
  }

  std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer_;
  std::unique_ptr<xmlTextWriter, decltype(&xmlFreeTextWriter)> writer_;
};

std::string Origin() { return std::string("Morrow Farrowdale ") + FARROWDALE_VERSION; }

// The markers as the tag set holds them, one per line.
std::string CodeDescription(const TQdaCode& code) {
  return XmlText("begin=" + code.begin_marker + "\nend=" + code.end_marker);
}

void WriteCodes(TXmlDocument& document, const std::vector<TQdaCode>& codes) {
  document.Start("Codes");
  for (size_t index = 0; index < codes.size(); ++index) {
    const TQdaCode& code = codes[index];
    document.Start("Code");
    document.Attribute("guid", QdaCodeGuid(codes, index));
    document.Attribute("name", XmlText(code.name));
    document.Attribute("isCodable", std::string("true"));
    document.Attribute("color", QdaColor(code.color_value));
    document.TextElement("Description", CodeDescription(code));
    document.End();
  }
  document.End();
}

// The creating user and date every made item carries.
struct TMadeBy {
  std::string user_guid;
  std::string date_time;
};

void WriteMadeBy(TXmlDocument& document, const TMadeBy& made_by) {
  document.Attribute("creatingUser", made_by.user_guid);
  document.Attribute("creationDateTime", made_by.date_time);
}

// A source's selections in the order of the text: by start, then end, then code.
std::vector<const TQdaSelection*> SelectionsInTextOrder(const TQdaSource& source) {
  std::vector<const TQdaSelection*> ordered;
  for (const TQdaSelection& selection : source.selections) ordered.push_back(&selection);
  std::stable_sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) {
    return std::tie(a->start, a->end, a->code) < std::tie(b->start, b->end, b->code);
  });
  return ordered;
}

void WriteSource(TXmlDocument& document, const TQdaSource& source,
                 const std::vector<std::string>& code_guids, const TMadeBy& made_by) {
  const std::string source_guid = QdaSourceGuid(source);
  document.Start("TextSource");
  document.Attribute("guid", source_guid);
  document.Attribute("name", XmlText(source.name));
  document.Attribute("plainTextPath", "internal://" + source_guid + ".txt");
  WriteMadeBy(document, made_by);
  for (const TQdaSelection* selection : SelectionsInTextOrder(source)) {
    const std::string& code_guid = code_guids.at(selection->code);
    const std::string key = source_guid + "\n" + code_guid + "\n" +
                            std::to_string(selection->start) + "\n" +
                            std::to_string(selection->end);
    document.Start("PlainTextSelection");
    document.Attribute("guid", NameBasedUuid("selection\n" + key));
    document.Attribute("name", XmlText(selection->name));
    document.Attribute("startPosition", selection->start);
    document.Attribute("endPosition", selection->end);
    WriteMadeBy(document, made_by);
    document.Start("Coding");
    document.Attribute("guid", NameBasedUuid("coding\n" + key));
    WriteMadeBy(document, made_by);
    document.Start("CodeRef");
    document.Attribute("targetGUID", code_guid);
    document.End();
    document.End();
    document.End();
  }
  document.End();
}

}  // namespace

std::string QdaDateTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  std::array<char, 32> text{};
  const size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(text.data(), length);
}

std::string QdaColor(int32_t color_value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string color = "#";
  for (int shift : {0, 8, 16}) {  // 0x00BBGGRR: red is the lowest byte
    const int channel = (color_value >> shift) & 0xFF;
    color += kHex[channel >> 4];
    color += kHex[channel & 0x0F];
  }
  return color;
}

std::string QdaSourceGuid(const TQdaSource& source) {
  return NameBasedUuid("source\n" + XmlText(source.name));
}

std::string QdaCodeGuid(const std::vector<TQdaCode>& codes, size_t code) {
  // A name the tag set repeats gets the repeat's number, so that no two codes share a GUID.
  size_t earlier = 0;
  for (size_t i = 0; i < code; ++i) earlier += codes[i].name == codes[code].name ? 1 : 0;
  std::string key = "code\n" + XmlText(codes[code].name);
  if (earlier > 0) key += "\n" + std::to_string(earlier);
  return NameBasedUuid(key);
}

std::string QdaCodebookXml(const std::vector<TQdaCode>& codes) {
  if (codes.empty()) throw Error("The tag set has no tags: there is no codebook to export.");
  TXmlDocument document;
  document.Start("CodeBook");
  document.Attribute("xmlns", std::string(kCodebookNamespace));
  document.Attribute("origin", Origin());
  WriteCodes(document, codes);
  return document.Finish();
}

std::string QdaProjectXml(const TQdaProject& project) {
  const TMadeBy made_by{NameBasedUuid("user\n" + XmlText(project.coder)),
                        QdaDateTime(project.created)};
  std::vector<std::string> code_guids;
  for (size_t code = 0; code < project.codes.size(); ++code) {
    code_guids.push_back(QdaCodeGuid(project.codes, code));
  }
  TXmlDocument document;
  document.Start("Project");
  document.Attribute("xmlns", std::string(kProjectNamespace));
  document.Attribute("name", XmlText(project.name));
  document.Attribute("origin", Origin());
  document.Attribute("creatingUserGUID", made_by.user_guid);
  document.Attribute("creationDateTime", made_by.date_time);
  document.Start("Users");
  document.Start("User");
  document.Attribute("guid", made_by.user_guid);
  document.Attribute("name", XmlText(project.coder));
  document.End();
  document.End();
  if (!project.codes.empty()) {
    document.Start("CodeBook");
    WriteCodes(document, project.codes);
    document.End();
  }
  if (!project.sources.empty()) {
    document.Start("Sources");
    for (const TQdaSource& source : project.sources) {
      WriteSource(document, source, code_guids, made_by);
    }
    document.End();
  }
  return document.Finish();
}

}  // namespace farrowdale
