// The files of a GTFS feed, from a zip archive or a folder, read whole into memory.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan::gtfs {

// Reads the feed's .txt files that `wanted` names (file name -> bytes into `files`). A zip's
// entries are matched by their base name, so a feed zipped inside one folder reads too. Files
// that `streamed` names are not read: they stand in `files` empty, to be read piece by piece
// with streamFeedFile. False with `error` when the feed cannot be opened or read, or holds
// more than `limitBytes`.
bool readFeedFiles(const std::filesystem::path& feed, const std::vector<std::string>& wanted,
                   std::map<std::string, std::string>& files, std::string& error,
                   unsigned long long limitBytes = 4ULL << 30,
                   const std::vector<std::string>& streamed = {});

// Hands the bytes of one file of the feed to `piece` in pieces of up to 4 MiB, in order;
// `declaredSize` is the size the folder or the archive states (a hint only). Stops when
// `piece` returns false. False with `error` when the file cannot be read whole, or is larger
// than `limitBytes`.
bool streamFeedFile(
    const std::filesystem::path& feed, const std::string& name,
    const std::function<bool(std::string_view piece, unsigned long long declaredSize)>& piece,
    std::string& error, unsigned long long limitBytes = 4ULL << 30);

}  // namespace zelvan::gtfs
