// The files of a GTFS feed, from a zip archive or a folder, read whole into memory.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zelvan::gtfs {

// Reads the feed's .txt files that `wanted` names (file name -> bytes into `files`). A zip's
// entries are matched by their base name, so a feed zipped inside one folder reads too. False
// with `error` when the feed cannot be opened or read, or holds more than `limitBytes`.
bool readFeedFiles(const std::filesystem::path& feed, const std::vector<std::string>& wanted,
                   std::map<std::string, std::string>& files, std::string& error,
                   unsigned long long limitBytes = 4ULL << 30);

}  // namespace zelvan::gtfs
