// What the fuzz targets share: one input split into several files, a scratch folder of the
// process to write them into, and the check every target ends with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan::fuzz {

// Separates the files of one input: four bytes that no file of a sound timetable holds (record
// files stay below 0x81, UTF-8 and GBK never use 0xFF, and U+FFFF is no character).
inline constexpr std::string_view kFileSeparator = "\xFF\xFF\xFF\xFF";

// Splits an input at the separator into at most `count` pieces; the last takes the rest.
std::vector<std::string_view> splitInput(const std::uint8_t* data, std::size_t size,
                                         std::size_t count);
// The input that splits into `files`.
std::string joinFiles(const std::vector<std::string>& files);

// A folder of this process (on a memory file system where there is one), removed at exit.
const std::filesystem::path& scratchFolder();
// Makes `folder` an empty folder.
void resetFolder(const std::filesystem::path& folder);
// Writes piece i as file `names[i]` into `folder` (created when missing); the names without a
// piece are removed. Other files of the folder stay.
void writeFiles(const std::filesystem::path& folder, const std::vector<std::string>& names,
                const std::vector<std::string_view>& pieces);
// The bytes of a file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

// Stops the run as a crash: a property that must hold did not.
[[noreturn]] void fail(const char* what);

}  // namespace zelvan::fuzz
