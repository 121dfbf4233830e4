#include "report/name_based_uuid.h"

#include <openssl/evp.h>

#include <array>
#include <cstdint>

#include "text/error.h"

namespace farrowdale {
namespace {

// 2a2fa5a1-f179-491c-a14b-1074f0a9d34c: drawn at random once; changing it changes every GUID
// an export has ever written.
constexpr std::array<uint8_t, 16> kNamespace = {0x2a, 0x2f, 0xa5, 0xa1, 0xf1, 0x79, 0x49, 0x1c,
                                                0xa1, 0x4b, 0x10, 0x74, 0xf0, 0xa9, 0xd3, 0x4c};

}  // namespace

std::string NameBasedUuid(std::string_view name) {
  std::array<uint8_t, EVP_MAX_MD_SIZE> digest{};
  unsigned int digest_size = 0;
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const bool ok = context != nullptr && EVP_DigestInit_ex(context, EVP_sha1(), nullptr) == 1 &&
                  EVP_DigestUpdate(context, kNamespace.data(), kNamespace.size()) == 1 &&
                  EVP_DigestUpdate(context, name.data(), name.size()) == 1 &&
                  EVP_DigestFinal_ex(context, digest.data(), &digest_size) == 1;
  EVP_MD_CTX_free(context);
  if (!ok) throw Error("The SHA-1 digest for a name-based UUID could not be computed.");
  digest[6] = static_cast<uint8_t>((digest[6] & 0x0F) | 0x50);  // version 5
  digest[8] = static_cast<uint8_t>((digest[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(36);
  for (size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 0x0F];
  }
  return text;
}

}  // namespace farrowdale
