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

bool readFolder(const std::filesystem::path& folder, const std::vector<std::string>& wanted,
                std::map<std::string, std::string>& files, std::string& error,
                unsigned long long limit) {
    unsigned long long total = 0;
    for (const std::string& name : wanted) {
        const std::filesystem::path path = folder / name;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) continue;
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
             unsigned long long limit) {
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
        char name[1024];
        if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            error = zip.string() + ": its directory is damaged";
            ok = false;
            break;
        }
        std::string base(name);
        if (const std::size_t slash = base.find_last_of('/'); slash != std::string::npos) {
            base.erase(0, slash + 1);
        }
        if (!wantedName(wanted, base) || files.count(base) != 0) continue;
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
                   unsigned long long limitBytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(feed, ec)) {
        return readFolder(feed, wanted, files, error, limitBytes);
    }
    if (!std::filesystem::exists(feed, ec)) {
        error = feed.string() + ": no such file or folder";
        return false;
    }
    return readZip(feed, wanted, files, error, limitBytes);
}

}  // namespace zelvan::gtfs
