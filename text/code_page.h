// The system code page and every conversion between Unicode (UTF-16) and narrow text.
//
// Narrow text is bytes in the system code page. The code page is a process-wide setting:
// chosen from the locale at start-up, settable by tests and by --code-page. Unicode to
// narrow uses Windows' best-fit characters for windows-1252 and windows-1251, and "?" for
// anything the code page lacks; narrow to Unicode decodes every byte the way Windows does.
#ifndef FARROWDALE_TEXT_CODE_PAGE_H_
#define FARROWDALE_TEXT_CODE_PAGE_H_

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace farrowdale {

// Chooses the code page from the process locale (call setlocale(LC_ALL, "") first): the
// locale's character set on Linux; plain ASCII ("C"/"POSIX") is taken as UTF-8.
void InitSystemCodePageFromLocale();
// Sets the code page by name: "windows-1252", "windows-1251", "UTF-8" or any other ICU
// converter name. Throws Error for a name nobody knows.
void SetSystemCodePage(std::string_view name);
// The canonical name of the code page now in force.
std::string SystemCodePageName();
// True when the code page encodes some characters in more than one byte (e.g. UTF-8).
bool SystemCodePageIsMultiByte();
// How the code page in force lays characters out in bytes: what a fast path for one layout
// asks instead of comparing names.
enum class ECodePageKind {
  kSingleByte,      // one byte per character (windows-1252, windows-1251, ISO-8859-x, ...)
  kUtf8,            // UTF-8: self-synchronising, ASCII bytes never inside a longer character
  kOtherMultiByte,  // some characters in more bytes, possibly with shift states (Shift_JIS, ...)
};
ECodePageKind SystemCodePageKind();
// The number of characters (code points) of narrow text, for columns.
int CharacterCount(std::string_view narrow);

// Unicode -> narrow. Keeps length information: a U+0000 inside is converted like any other.
std::string ToNarrow(std::u16string_view text);
// The same, appended to *out.
void AppendNarrow(std::u16string_view text, std::string* out);
// Narrow -> Unicode, invalid sequences handled as the platform does by default.
std::u16string ToUnicode(std::string_view text);
// The same into *out, reusing its storage (for decoding in chunks).
void ToUnicode(std::string_view text, std::u16string* out);

// Unicode -> narrow for a text that comes in pieces: the pieces give exactly what ToNarrow
// gives for their concatenation (a surrogate pair cut in two, a stateful code page's shift
// state). Uses the code page in force when it was made. One thread at a time.
class TNarrowEncoder {
 public:
  TNarrowEncoder();
  ~TNarrowEncoder();
  TNarrowEncoder(const TNarrowEncoder&) = delete;
  TNarrowEncoder& operator=(const TNarrowEncoder&) = delete;

  // Appends to *out the narrow text of the next piece, as far as it is complete.
  void Encode(std::u16string_view piece, std::string* out);
  // The text ends: appends to *out what was held back. The encoder may then start another.
  void Finish(std::string* out);

  // True while what was encoded so far may still change what the next piece gives: a first
  // surrogate waiting for its second; under a code page converted by ICU, always (it may hold
  // a shift state or the start of a sequence it maps as one).
  bool HoldsBack() const;
  // The length of the start of text that a TNarrowDecoder of the same code page gives back
  // unchanged from what Encode makes of it, while neither holds anything back, so that the
  // conversion there and back can be skipped: under UTF-8 every unit but an unpaired
  // surrogate; under windows-1252 and windows-1251, which convert each unit on its own, every
  // unit that has a byte of its own; under code pages converted by ICU, nothing.
  size_t UnchangedPrefix(std::u16string_view text) const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Narrow -> Unicode for a text that comes in pieces (a report written as it is produced): the
// pieces decode exactly as ToUnicode decodes their concatenation, whatever a multi-byte or
// stateful code page carries across a cut (an unfinished sequence waits for the next piece).
// Decodes with the code page in force when it was made. One thread at a time.
class TNarrowDecoder {
 public:
  TNarrowDecoder();
  ~TNarrowDecoder();
  TNarrowDecoder(const TNarrowDecoder&) = delete;
  TNarrowDecoder& operator=(const TNarrowDecoder&) = delete;

  // Appends to *out the text of the next piece, as far as it is complete.
  void Decode(std::string_view piece, std::u16string* out);
  // The text ends: appends to *out what was held back.
  void Finish(std::u16string* out);

  // True while what was decoded so far may still change what the next piece gives: a UTF-8
  // sequence at the end of the last piece (held until a later byte shows where it ends); under
  // a code page converted by ICU, always.
  bool HoldsBack() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// windows-1252 -> Unicode whatever the code page in force, every byte one character (the
// five bytes Windows leaves unassigned become U+0081, U+008D, U+008F, U+0090, U+009D): how a
// legacy file that is not valid UTF-8 is read under the UTF-8 code page.
void Windows1252ToUnicode(std::string_view text, std::u16string* out);

// The other-case form of one narrow character (byte), from a 256-entry table built when the
// code page is chosen. Multi-byte code pages: only ASCII letters have a case.
unsigned char SwapCase(unsigned char c);

// The narrow form of a native path (file names as the user sees them, the filter subject,
// names in reports) and the native path for a narrow text.
std::string PathToNarrow(const std::filesystem::path& path);
std::filesystem::path NarrowToPath(std::string_view narrow);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_CODE_PAGE_H_
