// The file half of picture decoding, the same on every system: the bytes are
// read with a bound, then handed to the system's decoder (image_decode*.cpp).
#include <cstdint>

#include "platform/image_decode.h"
#include "platform/files.h"

PicturePtr DecodeImageFile(const std::filesystem::path& path) {
  if (path.empty()) return nullptr;
  // Read first with a bound: a FIFO, a pipe or a folder in a picture's place
  // (the backdrop is decoded on the main thread) must neither block nor be
  // read.
  constexpr uint64_t kPictureFileBound = 64ull * 1024 * 1024;
  const FileContents file = ReadRegularFile(path, kPictureFileBound);
  if (file.status != FileReadStatus::Ok) return nullptr;
  return DecodeImageBytes(file.bytes);
}
