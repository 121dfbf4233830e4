// The peer of `farrowdale-cli match --count PATTERN FILE` for whole-process timings: reads
// FILE, compiles PATTERN with PCRE2's JIT ('.' matches line breaks, '$' only at the end, as
// the engine's defaults), counts the matches restarting after each one (one byte further
// after an empty match) and prints the count.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pcre2_count PATTERN FILE\n");
    return 2;
  }
  // Read as farrowdale-cli reads it: the file's size straight into place, then the rest.
  std::FILE* in = std::fopen(argv[2], "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", argv[2]);
    return 2;
  }
  std::string subject;
  struct stat info;
  if (::fstat(::fileno(in), &info) == 0 && info.st_size > 0) {
    subject.resize(static_cast<size_t>(info.st_size));
    subject.resize(std::fread(subject.data(), 1, subject.size(), in));
  }
  static char buffer[1 << 16];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) subject.append(buffer, n);
  std::fclose(in);
  int error = 0;
  PCRE2_SIZE error_offset = 0;
  pcre2_code* code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(argv[1]), PCRE2_ZERO_TERMINATED,
                    PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY, &error, &error_offset, nullptr);
  if (code == nullptr) {
    std::fprintf(stderr, "pattern error %d at %zu\n", error, static_cast<size_t>(error_offset));
    return 2;
  }
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
  long long count = 0;
  size_t offset = 0;
  while (offset <= subject.size()) {
    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                               offset, 0, data, nullptr);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) {
      std::fprintf(stderr, "match error %d\n", rc);
      return 2;
    }
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    ++count;
    offset = ovector[1] + (ovector[0] == ovector[1] ? 1 : 0);
  }
  std::printf("%lld\n", count);
  pcre2_match_data_free(data);
  pcre2_code_free(code);
  return count > 0 ? 0 : 1;
}
