#include "gtfs/feed_files.h"

#include <unzip.h>

#include <algorithm>
#include <fstream>
#include <system_error>

namespace zelvan::gtfs {
namespace {

bool wantedName(const std::vector<std::string>& wanted, const std::string& name) {
    return std::find(wanted.begin(), wanted.end(), name) != wanted.end();
}

constexpr std::size_t kPiece = 4 << 20;

// The archive's current entry: its details and its base name (entries are matched by it, so a
// feed zipped inside one folder reads too). False with `error` for a damaged directory.
bool currentEntry(unzFile archive, const std::filesystem::path& zip, unz_file_info64& info,
                  std::string& base, std::string& error) {
    char name[1024];
    if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
        error = zip.string() + ": its directory is damaged";
        return false;
    }
    base = name;
    if (const std::size_t slash = base.find_last_of('/'); slash != std::string::npos) {
        base.erase(0, slash + 1);
    }
    return true;
}

bool readFolder(const std::filesystem::path& folder, const std::vector<std::string>& wanted,
                std::map<std::string, std::string>& files, std::string& error,
                unsigned long long limit, const std::vector<std::string>& streamed) {
    unsigned long long total = 0;
    for (const std::string& name : wanted) {
        const std::filesystem::path path = folder / name;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) continue;
        if (wantedName(streamed, name)) {
            files[name].clear();
            continue;
        }
        const auto size = std::filesystem::file_size(path, ec);
        if (ec || (total += size) > limit) {
            error = ec ? name + ": cannot be read" : "the feed is larger than the import allows";
            return false;
        }
        std::ifstream in(path, std::ios::binary);
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) {
            error = name + ": cannot be read";
            return false;
        }
        files[name] = std::move(bytes);
    }
    return true;
}

bool readZip(const std::filesystem::path& zip, const std::vector<std::string>& wanted,
             std::map<std::string, std::string>& files, std::string& error,
             unsigned long long limit, const std::vector<std::string>& streamed) {
    unzFile archive = unzOpen64(zip.c_str());
    if (archive == nullptr) {
        error = zip.string() + ": not a zip archive, or it cannot be opened";
        return false;
    }
    unsigned long long total = 0;
    bool ok = true;
    for (int code = unzGoToFirstFile(archive); ok && code == UNZ_OK;
         code = unzGoToNextFile(archive)) {
        unz_file_info64 info{};
        std::string base;
        if (!currentEntry(archive, zip, info, base, error)) {
            ok = false;
            break;
        }
        if (!wantedName(wanted, base) || files.count(base) != 0) continue;
        if (wantedName(streamed, base)) {
            files[base].clear();
            continue;
        }
        // The declared size is only a hint (a damaged or hostile archive declares anything):
        // room for at most 64 MiB is taken ahead, the data read is counted against the limit.
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(std::min<unsigned long long>(
            {info.uncompressed_size, limit - std::min(limit, total), 64ULL << 20})));
        if (unzOpenCurrentFile(archive) != UNZ_OK) {
            error = base + ": cannot be read from the zip archive";
            ok = false;
            break;
        }
        char buffer[1 << 16];
        for (;;) {
            const int n = unzReadCurrentFile(archive, buffer, sizeof buffer);
            if (n < 0) {
                error = base + ": its data in the zip archive is damaged";
                ok = false;
                break;
            }
            if (n == 0) break;
            total += static_cast<unsigned long long>(n);
            if (total > limit) {
                error = "the feed unpacks to more than the import allows";
                ok = false;
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        if (unzCloseCurrentFile(archive) != UNZ_OK && ok) {
            error = base + ": its data in the zip archive is damaged (CRC)";
            ok = false;
        }
        if (ok) files[base] = std::move(bytes);
    }
    unzClose(archive);
    return ok;
}

}  // namespace

bool readFeedFiles(const std::filesystem::path& feed, const std::vector<std::string>& wanted,
                   std::map<std::string, std::string>& files, std::string& error,
                   unsigned long long limitBytes, const std::vector<std::string>& streamed) {
    std::error_code ec;
    if (std::filesystem::is_directory(feed, ec)) {
        return readFolder(feed, wanted, files, error, limitBytes, streamed);
    }
    if (!std::filesystem::exists(feed, ec)) {
        error = feed.string() + ": no such file or folder";
        return false;
    }
    return readZip(feed, wanted, files, error, limitBytes, streamed);
}

bool streamFeedFile(
    const std::filesystem::path& feed, const std::string& name,
    const std::function<bool(std::string_view piece, unsigned long long declaredSize)>& piece,
    std::string& error, unsigned long long limitBytes) {
    std::string buffer(kPiece, '\0');
    unsigned long long total = 0;
    std::error_code ec;
    if (std::filesystem::is_directory(feed, ec)) {
        const std::filesystem::path path = feed / name;
        const auto size = std::filesystem::file_size(path, ec);
        std::ifstream in(path, std::ios::binary);
        if (ec || !in) {
            error = name + ": cannot be read";
            return false;
        }
        while (in) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            const auto n = static_cast<std::size_t>(in.gcount());
            if (n == 0) break;
            if ((total += n) > limitBytes) {
                error = "the feed is larger than the import allows";
                return false;
            }
            if (!piece(std::string_view(buffer.data(), n), size)) return true;
        }
        if (in.bad()) {
            error = name + ": cannot be read";
            return false;
        }
        return true;
    }
    unzFile archive = unzOpen64(feed.c_str());
    if (archive == nullptr) {
        error = feed.string() + ": not a zip archive, or it cannot be opened";
        return false;
    }
    bool ok = true;
    bool found = false;
    for (int code = unzGoToFirstFile(archive); ok && !found && code == UNZ_OK;
         code = unzGoToNextFile(archive)) {
        unz_file_info64 info{};
        std::string base;
        if (!currentEntry(archive, feed, info, base, error)) {
            ok = false;
            break;
        }
        if (base != name) continue;
        found = true;
        if (unzOpenCurrentFile(archive) != UNZ_OK) {
            error = base + ": cannot be read from the zip archive";
            ok = false;
            break;
        }
        bool more = true;
        while (more) {
            const int n =
                unzReadCurrentFile(archive, buffer.data(), static_cast<unsigned>(buffer.size()));
            if (n < 0) {
                error = base + ": its data in the zip archive is damaged";
                ok = false;
                break;
            }
            if (n == 0) break;
            if ((total += static_cast<unsigned long long>(n)) > limitBytes) {
                error = "the feed unpacks to more than the import allows";
                ok = false;
                break;
            }
            more = piece(std::string_view(buffer.data(), static_cast<std::size_t>(n)),
                         info.uncompressed_size);
        }
        // A walk its reader stopped early leaves the check of the data's CRC undone.
        if (unzCloseCurrentFile(archive) != UNZ_OK && ok && more) {
            error = base + ": its data in the zip archive is damaged (CRC)";
            ok = false;
        }
    }
    unzClose(archive);
    if (ok && !found) {
        error = name + ": not in the feed";
        ok = false;
    }
    return ok;
}

}  // namespace zelvan::gtfs
