// TReportStream: a report's text written into a TAtomicFile as it is produced, never held
// whole, with exactly the bytes the whole page would give.
//
// A report page is narrow text (the template's text and the values put in its place), turned
// into Unicode, cut into lines and written as UTF-16 LE with a byte-order mark, every line
// followed by CR LF. The stream does the same piece by piece:
// - narrow pieces are decoded as one text (TNarrowDecoder), so a sequence cut between two
//   pieces decodes as it would uncut;
// - Unicode pieces first go through the code page (TNarrowEncoder; pieces appended one after
//   the other are one value, converted as one), so characters it lacks do not survive,
//   exactly as if the page had been built in narrow text; text that would come back
//   unchanged (TNarrowEncoder::UnchangedPrefix) skips the conversion;
// - lines end as TUnicodeStringList::AssignText ends them: CR, LF and CR LF each end a line
//   (also a CR at the end of one piece with an LF at the start of the next), LF CR is two
//   line ends, U+0000 ends the text, and a last line without a line end still gets CR LF.
// Memory stays at a few buffers whatever the report's size. One thread at a time.
#ifndef FARROWDALE_REPORT_REPORT_STREAM_H_
#define FARROWDALE_REPORT_REPORT_STREAM_H_

#include <string>
#include <string_view>

#include "text/atomic_file.h"
#include "text/code_page.h"

namespace farrowdale {

class TReportStream {
 public:
  // The report starts with the byte-order mark. The file must outlive the stream.
  explicit TReportStream(TAtomicFile& file);
  TReportStream(const TReportStream&) = delete;
  TReportStream& operator=(const TReportStream&) = delete;

  // Under UTF-8 and the code pages of one byte per character that convert without ICU, the
  // ASCII runs of narrow text skip the decoder (so do those of AppendEscapedNarrow's).
  void AppendNarrow(std::string_view narrow);
  // AppendNarrow(EscapeHtml(narrow)) without the escaped copy: under UTF-8 and the code pages
  // of one byte per character that convert without ICU, the text is escaped, decoded and
  // written as UTF-16 in one pass over its bytes; under the others it goes the long way.
  void AppendEscapedNarrow(std::string_view narrow);
  // AppendUnicode of ASCII text (markup), written straight to the file's bytes when the code
  // page gives ASCII back as it is and nothing appended before it is held back by the
  // conversion (Unicode text appended to unicode() is written first).
  void AppendAsciiMarkup(std::string_view ascii);
  void AppendUnicode(std::u16string_view text);

  // Unicode text appended here is written at the next Drain or Finish, so that markup can be
  // built with the table fragments' Append functions and written a few entries at a time.
  std::u16string& unicode() { return unicode_; }
  // Writes the Unicode text appended to unicode() once there is enough of it for one write.
  void Drain();

  // The Unicode text appended since the last narrow piece is one whole value: what follows
  // is converted apart from it.
  void EndValue() { WriteUnicode(/*value_ends=*/true); }

  // Writes everything still held: the file then holds the whole report.
  void Finish();

 private:
  // Writes the text appended to unicode(); value_ends: nothing of the same value follows.
  void WriteUnicode(bool value_ends);
  // Writes one chunk of that text: what the code page gives back unchanged as it is, the rest
  // through the code page and back.
  void WriteUnicodeChunk(std::u16string_view text);
  // Writes narrow text, escaped when escape: under UTF-8 and the code pages of one byte per
  // character that convert without ICU its ASCII runs are written straight to the file's
  // bytes, and only the other characters go through the decoder.
  void WriteNarrowText(std::string_view narrow, bool escape);
  void WriteNarrow(std::string_view narrow);
  void WriteDecoded(std::u16string_view text);
  // Whether ASCII bytes may skip the decoder: they stand for themselves in the code page,
  // and the decoder holds nothing that the next byte may change.
  bool AsciiSkipsTheDecoder() const;
  // Writes the ASCII bytes at the start of narrow, up to a limit, with "&", "<" and ">"
  // escaped when escape: returns how many.
  size_t WriteAscii(std::string_view narrow, bool escape);
  void AppendLineEnd();
  void AppendUnits(const char16_t* begin, const char16_t* end);
  void WriteBytes();

  TAtomicFile& file_;
  TNarrowEncoder encoder_;
  TNarrowDecoder decoder_;
  std::u16string unicode_;  // appended Unicode text not yet written
  std::string narrow_;      // unicode_ passed through the code page
  std::u16string decoded_;  // narrow text decoded, before its line ends are made CR LF
  std::string bytes_;       // UTF-16 LE bytes not yet appended to the file
  bool after_cr_ = false;   // the last unit was a CR: an LF right after it belongs to it
  bool in_line_ = false;    // units written since the last line end
  bool ended_ = false;      // a U+0000 ended the text
};

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_STREAM_H_
