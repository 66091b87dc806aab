#include "platform/sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <limits>

namespace {

// An algorithm provider closed when it leaves scope.
class Provider {
 public:
  Provider() {
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) handle_ = nullptr;
  }
  ~Provider() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

}  // namespace

Sha256Digest Sha256(std::string_view bytes) {
  // BCryptHash takes the input's length as 32 bits.
  if (bytes.size() > std::numeric_limits<ULONG>::max()) return {};
  const Provider provider;
  if (!provider.get()) return {};
  Sha256Digest digest{};
  auto* input = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
  if (!BCRYPT_SUCCESS(BCryptHash(provider.get(), nullptr, 0, input, static_cast<ULONG>(bytes.size()), digest.data(),
                                 static_cast<ULONG>(digest.size()))))
    return {};
  return digest;
}
