// The process-wide system code page and the conversions between Unicode and narrow text.
//
// windows-1252 and windows-1251 convert through 256-entry tables with Windows' best fit (ICU
// lacks most of it and substitutes 0x1A), UTF-8 through the plain loops of utf8.cpp, and every
// other code page through ICU with "?" for each code unit the code page lacks.
#include "text/code_page.h"

#include <langinfo.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <atomic>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "text/code_page_table.h"
#include "text/error.h"
#include "text/utf8.h"
#include "text/widen_ascii.h"

namespace farrowdale {
namespace {

enum class Kind { kTable, kUtf8, kIcu };

struct CodePage {
  std::string name;      // as SystemCodePageName reports it
  std::string icu_name;  // ICU's canonical converter name
  Kind kind = Kind::kIcu;
  bool multi_byte = false;
  SingleByteTable table;  // kTable only
  // kTable: the units that encoding and decoding give back unchanged.
  std::bitset<0x10000> unchanged_units;
  std::array<unsigned char, 256> swap_case;
};

using ConverterPtr = std::unique_ptr<UConverter, decltype(&ucnv_close)>;

ConverterPtr OpenConverter(std::string_view name) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(std::string(name).c_str(), &status), &ucnv_close);
  if (U_FAILURE(status)) converter.reset();
  return converter;
}

std::string CanonicalName(std::string_view name) {
  ConverterPtr converter = OpenConverter(name);
  if (!converter) return {};
  UErrorCode status = U_ZERO_ERROR;
  const char* canonical = ucnv_getName(converter.get(), &status);
  return U_SUCCESS(status) ? canonical : std::string();
}

// The name people know a converter by ("ISO-8859-5" rather than ICU's "ibm-915_P100-1995").
std::string ReadableName(const std::string& icu_name) {
  for (const char* standard : {"MIME", "IANA"}) {
    UErrorCode status = U_ZERO_ERROR;
    const char* name = ucnv_getStandardName(icu_name.c_str(), standard, &status);
    if (U_SUCCESS(status) && name != nullptr) return name;
  }
  return icu_name;
}

// Windows writes one "?" per UTF-16 code unit it cannot convert; ICU's own substitution would
// write one per code point and drop default-ignorable characters altogether.
void QuestionMarkPerUnit(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t length,
                         UChar32, UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;
  *status = U_ZERO_ERROR;
  for (int32_t i = 0; i < length && U_SUCCESS(*status); ++i) {
    ucnv_cbFromUWriteBytes(args, "?", 1, 0, status);
  }
}

ConverterPtr OpenIcuCodePage(const CodePage& code_page) {
  ConverterPtr converter = OpenConverter(code_page.icu_name);
  if (!converter) throw Error("Code page \"" + code_page.name + "\" cannot be opened");
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter.get(), &QuestionMarkPerUnit, nullptr, nullptr, nullptr, &status);
  ucnv_setFallback(converter.get(), true);
  return converter;
}

// ICU measures text in int32_t.
void CheckIcuLength(size_t length) {
  if (length > INT32_MAX / 4) throw Error("Text too long to convert");
}

// Runs an ICU conversion into a buffer of the guessed size, and once more with the size ICU
// asks for when the guess was short.
template <typename Result, typename Convert>
Result ConvertWithIcu(size_t guess, Convert convert, const std::string& what) {
  Result result(guess, 0);
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = convert(result.data(), static_cast<int32_t>(result.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    result.assign(static_cast<size_t>(length) + 1, 0);
    status = U_ZERO_ERROR;
    length = convert(result.data(), static_cast<int32_t>(result.size()), &status);
  }
  if (U_FAILURE(status)) throw Error("Text cannot be converted " + what);
  result.resize(static_cast<size_t>(length));
  return result;
}

std::u16string IcuToUnicode(const CodePage& code_page, std::string_view text) {
  CheckIcuLength(text.size());
  ConverterPtr converter = OpenIcuCodePage(code_page);
  return ConvertWithIcu<std::u16string>(
      text.size() + 1,
      [&](char16_t* out, int32_t capacity, UErrorCode* status) {
        return ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out), capacity, text.data(),
                             static_cast<int32_t>(text.size()), status);
      },
      "from " + code_page.name);
}

std::string IcuToNarrow(const CodePage& code_page, std::u16string_view text) {
  CheckIcuLength(text.size());
  ConverterPtr converter = OpenIcuCodePage(code_page);
  return ConvertWithIcu<std::string>(
      text.size() * ucnv_getMaxCharSize(converter.get()) + 1,
      [&](char* out, int32_t capacity, UErrorCode* status) {
        return ucnv_fromUChars(converter.get(), out, capacity,
                               reinterpret_cast<const UChar*>(text.data()),
                               static_cast<int32_t>(text.size()), status);
      },
      "to " + code_page.name);
}

// The first unit at or after p for which ((unit & mask) == value) is `wanted`, or end; eight
// units at a time where SSE2 is there.
inline const char16_t* FindUnit(const char16_t* p, const char16_t* end, char16_t mask,
                                char16_t value, bool wanted) {
#ifdef __SSE2__
  const __m128i masks = _mm_set1_epi16(static_cast<short>(mask));
  const __m128i values = _mm_set1_epi16(static_cast<short>(value));
  const int none_wanted = wanted ? 0 : 0xFFFF;
  while (end - p >= 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i equal = _mm_cmpeq_epi16(_mm_and_si128(units, masks), values);
    if (_mm_movemask_epi8(equal) != none_wanted) break;
    p += 8;
  }
#endif
  while (p < end && ((*p & mask) == value) != wanted) ++p;
  return p;
}

// A first surrogate at p with its second after it.
inline bool IsSurrogatePairAt(const char16_t* p, const char16_t* end) {
  return end - p >= 2 && (p[0] & 0xFC00) == 0xD800 && (p[1] & 0xFC00) == 0xDC00;
}

void EncodeWithTable(std::u16string_view text, const SingleByteTable& table, std::string* out) {
  const size_t start = out->size();
  out->resize(start + text.size());
  char* o = out->data() + start;
  const unsigned char* from_unicode = table.from_unicode.data();
  for (char16_t unit : text) *o++ = static_cast<char>(from_unicode[unit]);
}

// Both Windows tables decode ASCII as ASCII.
void DecodeWithTable(std::string_view text, const std::array<char16_t, 256>& to_unicode,
                     std::u16string* out) {
  out->resize(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = p + text.size();
  char16_t* o = out->data();
  while (p < end) {
    const size_t run = WidenAscii(p, end, o);
    p += run;
    o += run;
    if (p < end) *o++ = to_unicode[*p++];
  }
}

std::unique_ptr<CodePage> MakeCodePage(std::string_view requested) {
  auto code_page = std::make_unique<CodePage>();
  ConverterPtr converter = OpenConverter(requested);
  if (requested.empty() || !converter) {
    throw Error("Unknown code page \"" + std::string(requested) + "\"");
  }
  if (ucnv_getMinCharSize(converter.get()) != 1) {
    throw Error("Code page \"" + std::string(requested) + "\" is not an 8-bit code page");
  }
  UErrorCode status = U_ZERO_ERROR;
  code_page->icu_name = ucnv_getName(converter.get(), &status);
  if (code_page->icu_name == CanonicalName("windows-1252") ||
      code_page->icu_name == CanonicalName("windows-1251")) {
    const bool cyrillic = code_page->icu_name == CanonicalName("windows-1251");
    code_page->name = cyrillic ? "windows-1251" : "windows-1252";
    code_page->kind = Kind::kTable;
    code_page->table = BuildWindowsTable(cyrillic ? 1251 : 1252, code_page->icu_name.c_str());
    for (size_t unit = 0; unit < code_page->unchanged_units.size(); ++unit) {
      const unsigned char byte = code_page->table.from_unicode[unit];
      code_page->unchanged_units[unit] = code_page->table.to_unicode[byte] == unit;
    }
    code_page->swap_case = BuildSwapCaseTable(code_page->table.to_unicode);
    return code_page;
  }
  code_page->multi_byte = ucnv_getMaxCharSize(converter.get()) > 1;
  code_page->swap_case = AsciiSwapCaseTable();
  if (code_page->icu_name == "UTF-8") {
    code_page->name = "UTF-8";
    code_page->kind = Kind::kUtf8;
    return code_page;
  }
  code_page->name = ReadableName(code_page->icu_name);
  code_page->kind = Kind::kIcu;
  if (!code_page->multi_byte) {
    std::array<char16_t, 256> decoded;
    for (int byte = 0; byte < 256; ++byte) {
      const std::u16string unit = IcuToUnicode(*code_page, std::string(1, char(byte)));
      decoded[byte] = unit.size() == 1 ? unit[0] : char16_t{0xFFFD};
    }
    code_page->swap_case = BuildSwapCaseTable(decoded);
  }
  return code_page;
}

// Code pages are built once per name and kept for the life of the process, so switching back
// and forth (tests, --code-page) costs nothing and readers never see a freed table.
std::mutex registry_mutex;
std::map<std::string, std::unique_ptr<CodePage>, std::less<>> registry;
std::atomic<const CodePage*> current{nullptr};

const CodePage& Current() {
  const CodePage* code_page = current.load(std::memory_order_acquire);
  if (code_page == nullptr) {
    // A program that never chose one (a unit test) gets windows-1252, through which every
    // byte survives a round trip.
    SetSystemCodePage("windows-1252");
    code_page = current.load(std::memory_order_acquire);
  }
  return *code_page;
}

}  // namespace

void InitSystemCodePageFromLocale() {
  // Plain ASCII (the C and POSIX locales, the default of servers and containers) cannot
  // hold most corpus text; current language runtimes take UTF-8 there, and so do we.
  const char* codeset = nl_langinfo(CODESET);
  const std::string canonical = codeset ? CanonicalName(codeset) : std::string();
  if (canonical.empty() || canonical == CanonicalName("US-ASCII")) {
    SetSystemCodePage("UTF-8");
    return;
  }
  try {
    SetSystemCodePage(codeset);
  } catch (const Error&) {
    SetSystemCodePage("UTF-8");
  }
}

void SetSystemCodePage(std::string_view name) {
  std::lock_guard<std::mutex> lock(registry_mutex);
  auto found = registry.find(name);
  if (found == registry.end()) {
    found = registry.emplace(std::string(name), MakeCodePage(name)).first;
  }
  current.store(found->second.get(), std::memory_order_release);
}

std::string SystemCodePageName() { return Current().name; }

bool SystemCodePageIsMultiByte() { return Current().multi_byte; }

ECodePageKind SystemCodePageKind() {
  const CodePage& code_page = Current();
  if (code_page.kind == Kind::kUtf8) return ECodePageKind::kUtf8;
  return code_page.multi_byte ? ECodePageKind::kOtherMultiByte : ECodePageKind::kSingleByte;
}

std::string ToNarrow(std::u16string_view text) {
  std::string result;
  AppendNarrow(text, &result);
  return result;
}

void AppendNarrow(std::u16string_view text, std::string* out) {
  const CodePage& code_page = Current();
  if (code_page.kind == Kind::kUtf8) {
    AppendUtf16AsUtf8(text, '?', out);
    return;
  }
  if (code_page.kind == Kind::kIcu) {
    out->append(IcuToNarrow(code_page, text));
    return;
  }
  EncodeWithTable(text, code_page.table, out);
}

void ToUnicode(std::string_view text, std::u16string* out) {
  const CodePage& code_page = Current();
  switch (code_page.kind) {
    case Kind::kTable:
      DecodeWithTable(text, code_page.table.to_unicode, out);
      return;
    case Kind::kUtf8:
      out->resize(text.size());
      out->resize(Utf8ToUtf16(text, out->data()));
      return;
    case Kind::kIcu:
      *out = IcuToUnicode(code_page, text);
      return;
  }
}

std::u16string ToUnicode(std::string_view text) {
  std::u16string result;
  ToUnicode(text, &result);
  return result;
}

// One step of a conversion that goes on over several pieces: appends to *out what step
// converts, growing *out (first by room) until the step has had enough room.
template <typename Text, typename Step>
void StreamWithIcu(size_t room, Text* out, const std::string& what, Step step) {
  size_t written = out->size();
  out->resize(written + room + 16);
  for (;;) {
    auto* target = out->data() + written;
    UErrorCode status = U_ZERO_ERROR;
    step(&target, out->data() + out->size(), &status);
    written = static_cast<size_t>(target - out->data());
    if (status != U_BUFFER_OVERFLOW_ERROR) {
      if (U_FAILURE(status)) throw Error("Text cannot be converted " + what);
      break;
    }
    out->resize(out->size() * 2);
  }
  out->resize(written);
}

class TNarrowEncoder::Impl {
 public:
  Impl() : code_page_(Current()), converter_(nullptr, &ucnv_close) {
    if (code_page_.kind == Kind::kIcu) converter_ = OpenIcuCodePage(code_page_);
  }

  void Encode(std::u16string_view piece, std::string* out) {
    switch (code_page_.kind) {
      case Kind::kTable:
        EncodeWithTable(piece, code_page_.table, out);
        return;
      case Kind::kUtf8:
        EncodeUtf8(piece, out);
        return;
      case Kind::kIcu:
        EncodeWithIcu(piece, /*flush=*/false, out);
        return;
    }
  }

  void Finish(std::string* out) {
    if (code_page_.kind == Kind::kIcu) {
      EncodeWithIcu({}, /*flush=*/true, out);
      ucnv_resetFromUnicode(converter_.get());
    }
    AppendUtf16AsUtf8(held_, '?', out);
    held_.clear();
  }

  bool HoldsBack() const { return code_page_.kind == Kind::kIcu || !held_.empty(); }

  size_t UnchangedPrefix(std::u16string_view text) const {
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin;
    switch (code_page_.kind) {
      case Kind::kUtf8:  // up to the first surrogate that is not part of a pair
        p = FindUnit(p, end, 0xF800, 0xD800, /*wanted=*/true);
        while (IsSurrogatePairAt(p, end)) p = FindUnit(p + 2, end, 0xF800, 0xD800, true);
        break;
      case Kind::kTable:  // ASCII runs, and between them the units with a byte of their own
        p = FindUnit(p, end, 0xFF80, 0, /*wanted=*/false);
        while (p < end && code_page_.unchanged_units[*p]) {
          p = FindUnit(p + 1, end, 0xFF80, 0, false);
        }
        break;
      case Kind::kIcu:
        break;
    }
    return static_cast<size_t>(p - begin);
  }

 private:
  // A first surrogate at the end waits for the next piece, which may hold its second.
  void EncodeUtf8(std::u16string_view piece, std::string* out) {
    std::u16string_view text = piece;
    if (!held_.empty()) {
      held_.append(piece);
      text = held_;
    }
    const bool cut_pair = !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF;
    AppendUtf16AsUtf8(text.substr(0, text.size() - (cut_pair ? 1 : 0)), '?', out);
    held_ = cut_pair ? std::u16string(1, text.back()) : std::u16string();
  }

  void EncodeWithIcu(std::u16string_view piece, bool flush, std::string* out) {
    const auto* source = reinterpret_cast<const UChar*>(piece.data());
    const UChar* const source_end = source + piece.size();
    const size_t room = piece.size() * ucnv_getMaxCharSize(converter_.get());
    StreamWithIcu(room, out, "to " + code_page_.name,
                  [&](char** target, char* target_end, UErrorCode* status) {
                    ucnv_fromUnicode(converter_.get(), target, target_end, &source, source_end,
                                     nullptr, flush, status);
                  });
  }

  const CodePage& code_page_;
  ConverterPtr converter_;  // kIcu: carries the code page's state from piece to piece
  std::u16string held_;     // kUtf8: a first surrogate waiting for its second
};

TNarrowEncoder::TNarrowEncoder() : impl_(std::make_unique<Impl>()) {}
TNarrowEncoder::~TNarrowEncoder() = default;

void TNarrowEncoder::Encode(std::u16string_view piece, std::string* out) {
  impl_->Encode(piece, out);
}

void TNarrowEncoder::Finish(std::string* out) { impl_->Finish(out); }

bool TNarrowEncoder::HoldsBack() const { return impl_->HoldsBack(); }

size_t TNarrowEncoder::UnchangedPrefix(std::u16string_view text) const {
  return impl_->UnchangedPrefix(text);
}

class TNarrowDecoder::Impl {
 public:
  Impl() : code_page_(Current()), converter_(nullptr, &ucnv_close) {
    if (code_page_.kind == Kind::kIcu) converter_ = OpenIcuCodePage(code_page_);
  }

  void Decode(std::string_view piece, std::u16string* out) {
    switch (code_page_.kind) {
      case Kind::kTable:
        DecodeWithTable(piece, code_page_.table.to_unicode, &decoded_);
        out->append(decoded_);
        return;
      case Kind::kUtf8:
        DecodeUtf8(piece, out);
        return;
      case Kind::kIcu:
        DecodeWithIcu(piece, /*flush=*/false, out);
        return;
    }
  }

  void Finish(std::u16string* out) {
    if (code_page_.kind == Kind::kIcu) {
      DecodeWithIcu({}, /*flush=*/true, out);
      ucnv_resetToUnicode(converter_.get());
    }
    AppendUtf8(held_, out);
    held_.clear();
  }

  bool HoldsBack() const { return code_page_.kind == Kind::kIcu || !held_.empty(); }

 private:
  static void AppendUtf8(std::string_view bytes, std::u16string* out) {
    const size_t start = out->size();
    out->resize(start + bytes.size());
    out->resize(start + Utf8ToUtf16(bytes, out->data() + start));
  }

  // A cut just before a lead byte is one the decoder makes anyway: no sequence runs on into
  // a lead byte. So the text is decoded up to the last lead byte among its last three bytes
  // (the start of a sequence the next piece may finish), and the rest is held back.
  void DecodeUtf8(std::string_view piece, std::u16string* out) {
    std::string_view bytes = piece;
    if (!held_.empty()) {
      held_.append(piece);
      bytes = held_;
    }
    size_t cut = bytes.size();
    for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
      const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
      if (c < 0x80) break;
      if (c >= 0xC0) {
        cut = bytes.size() - back;
        break;
      }
    }
    AppendUtf8(bytes.substr(0, cut), out);
    held_ = std::string(bytes.substr(cut));
  }

  void DecodeWithIcu(std::string_view piece, bool flush, std::u16string* out) {
    const char* source = piece.data();
    StreamWithIcu(piece.size(), out, "from " + code_page_.name,
                  [&](char16_t** target, char16_t* target_end, UErrorCode* status) {
                    ucnv_toUnicode(converter_.get(), reinterpret_cast<UChar**>(target),
                                   reinterpret_cast<UChar*>(target_end), &source,
                                   piece.data() + piece.size(), nullptr, flush, status);
                  });
  }

  const CodePage& code_page_;
  ConverterPtr converter_;  // kIcu: carries the code page's state from piece to piece
  std::string held_;        // kUtf8: the start of a sequence the next piece may finish
  std::u16string decoded_;
};

TNarrowDecoder::TNarrowDecoder() : impl_(std::make_unique<Impl>()) {}
TNarrowDecoder::~TNarrowDecoder() = default;

void TNarrowDecoder::Decode(std::string_view piece, std::u16string* out) {
  impl_->Decode(piece, out);
}

void TNarrowDecoder::Finish(std::u16string* out) { impl_->Finish(out); }

bool TNarrowDecoder::HoldsBack() const { return impl_->HoldsBack(); }

void Windows1252ToUnicode(std::string_view text, std::u16string* out) {
  static const std::array<char16_t, 256> to_unicode =
      BuildWindowsTable(1252, CanonicalName("windows-1252").c_str()).to_unicode;
  DecodeWithTable(text, to_unicode, out);
}

unsigned char SwapCase(unsigned char c) { return Current().swap_case[c]; }

std::string PathToNarrow(const std::filesystem::path& path) {
  // Linux file names are bytes, normally UTF-8.
  if (Current().kind == Kind::kUtf8) return path.native();
  return ToNarrow(Utf8ToUtf16(path.native()));
}

std::filesystem::path NarrowToPath(std::string_view narrow) {
  if (Current().kind == Kind::kUtf8) return std::filesystem::path(narrow);
  return std::filesystem::path(Utf16ToUtf8(ToUnicode(narrow), '?'));
}

int CharacterCount(std::string_view narrow) {
  int count = 0;
  switch (SystemCodePageKind()) {
    case ECodePageKind::kSingleByte:
      return static_cast<int>(narrow.size());
    case ECodePageKind::kUtf8:
      // Every byte but a continuation byte starts a character.
      for (char c : narrow) count += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0 : 1;
      return count;
    case ECodePageKind::kOtherMultiByte:
      break;
  }
  for (char16_t unit : ToUnicode(narrow)) count += (unit >= 0xDC00 && unit <= 0xDFFF) ? 0 : 1;
  return count;
}

}  // namespace farrowdale
