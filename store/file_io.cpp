#include "store/file_io.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <system_error>
#include <thread>

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(bytes.data(), size);
    bytes.resize(static_cast<size_t>(in.gcount()));
  }
  return bytes;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  // A unique temporary name per call lets two threads save different files
  // (or the same file) without writing into each other's temporary.
  static std::atomic<unsigned> counter{0};
  auto temp = path;
  temp += ".tmp" + std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()) % 100000) + "-" +
          std::to_string(counter.fetch_add(1));
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temp, path, error);
  if (error) {
    std::filesystem::remove(temp, error);
    return false;
  }
  return true;
}
