// Making a database package and its version file from a data folder, so that a timetable
// update can be served from any plain web server.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zelvan {

// Writes `package` as a zip archive (entries deflated, with their modification times and
// read-only bits) of the timetable files present in `dataFolder`; every required file must be
// there. `packed` receives the entry names. On failure `error` says why and no package is left.
bool writePackage(const std::filesystem::path& dataFolder, const std::filesystem::path& package,
                  std::vector<std::string>& packed, std::string& error);

// Writes the version file that announces the package: "1.0|0317|<text>|<database version>|
// <packageUrl>|-" in GBK, the database version being the first line of ver.txt in `dataFolder`.
// `text` (UTF-8) and `packageUrl` must be non-empty and hold no "|". A `packageBytes` above 0
// follows as a seventh field, "|<bytes>", which the question before the download shows and
// readers that know six fields ignore.
bool writeVersionFile(const std::filesystem::path& dataFolder,
                      const std::filesystem::path& versionFile, const std::string& text,
                      const std::string& packageUrl, std::string& error,
                      std::int64_t packageBytes = -1);

}  // namespace zelvan
