// Helpers for tests that write data files: temporary folders and bytes from hex text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::u16string wide() const;
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// "01 02 ff" -> {0x01, 0x02, 0xff}; white space between bytes is ignored.
std::string hexBytes(std::string_view hex);
// The bytes of a file, or "" when it cannot be read.
std::string readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, std::string_view bytes);
// UTF-16LE with a byte-order mark, as name.txt and ads.txt are stored.
std::string utf16File(std::u16string_view text);

}  // namespace zelvan::test
