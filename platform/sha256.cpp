#include "platform/sha256.h"

#include <memory>

#include <openssl/evp.h>

Sha256Digest Sha256(std::string_view bytes) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!context) return {};
  Sha256Digest digest{};
  unsigned int length = 0;
  if (EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return {};
  if (EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1) return {};
  if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size()) return {};
  return digest;
}
