#include "update/package_writer.h"

#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <ctime>

#include "db/data_folder.h"
#include "db/text.h"
#include "update/database_install.h"
#include "update/version.h"

namespace fs = std::filesystem;

namespace zelvan {
namespace {

// "Version made by": host 3 (Unix), so that readers take the mode from the high 16 bits of the
// external attributes; zip format version 2.0.
constexpr uLong kMadeByUnix = (3 << 8) | 20;

bool readFile(const fs::path& path, std::string& data) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    data.clear();
    char buffer[16384];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, n);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// DOS date and time (local time) of a Unix time; 1980-01-01 for anything earlier.
uLong dosDateTime(std::time_t t) {
    std::tm tm{};
    if (!localtime_r(&t, &tm) || tm.tm_year < 80) return (1 << 5 | 1) << 16;
    uLong date = static_cast<uLong>((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
    uLong time = static_cast<uLong>(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    return date << 16 | time;
}

// Extended time stamp block carrying the modification time: "UT", size 5, flags 1, time.
std::string extendedTime(std::time_t t) {
    std::uint32_t v = static_cast<std::uint32_t>(static_cast<std::int32_t>(t));
    std::string block = {'U', 'T', 5, 0, 1};
    for (int i = 0; i < 4; ++i) block.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
    return block;
}

bool addEntry(zipFile zip, const std::string& name, const std::string& data,
              const struct stat& st) {
    zip_fileinfo info{};
    info.dosDate = dosDateTime(st.st_mtime);
    info.external_fa = static_cast<uLong>(st.st_mode & 0xFFFF) << 16;
    std::string extra = extendedTime(st.st_mtime);
    if (zipOpenNewFileInZip4_64(
            zip, name.c_str(), &info, extra.data(), static_cast<uInt>(extra.size()), extra.data(),
            static_cast<uInt>(extra.size()), nullptr, Z_DEFLATED, Z_BEST_COMPRESSION, 0, -MAX_WBITS,
            DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix, 0, 0) != ZIP_OK) {
        return false;
    }
    bool ok = true;
    for (std::size_t at = 0; ok && at < data.size(); at += 16384) {
        std::size_t n = std::min<std::size_t>(16384, data.size() - at);
        ok = zipWriteInFileInZip(zip, data.data() + at, static_cast<unsigned>(n)) == ZIP_OK;
    }
    return zipCloseFileInZip(zip) == ZIP_OK && ok;
}

bool hasBar(const std::string& text) {
    return text.find('|') != std::string::npos;
}

}  // namespace

bool writePackage(const fs::path& dataFolder, const fs::path& package,
                  std::vector<std::string>& packed, std::string& error) {
    packed.clear();
    const std::vector<std::string>& names = timetableFileNames();
    for (const std::string& name : requiredDataFilesIn(fromUtf8(dataFolder.string()))) {
        struct stat st;
        if (::stat((dataFolder / name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            error = (dataFolder / name).string() + " is missing: a package needs every data file";
            return false;
        }
    }
    // Updates refuse a damaged timetable, so there is no point in serving one.
    const CheckReport report = checkTimetable(fromUtf8(dataFolder.string()));
    if (!report.passed()) {
        error = dataFolder.string() +
                " holds a damaged timetable: " + describeFinding(report.errors.front()) +
                " (zelvan-cli check lists every fault)";
        return false;
    }
    // Written beside the target and renamed at the end: a failure leaves no half package.
    fs::path partial = package;
    partial += ".part";
    zipFile zip = zipOpen64(partial.c_str(), APPEND_STATUS_CREATE);
    if (!zip) {
        error = "cannot create " + partial.string();
        return false;
    }
    bool ok = true;
    for (const std::string& name : names) {
        fs::path path = dataFolder / name;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) continue;  // optional file not there
        std::string data;
        if (!S_ISREG(st.st_mode) || !readFile(path, data)) {
            error = "cannot read " + path.string();
            ok = false;
            break;
        }
        if (!addEntry(zip, name, data, st)) {
            error = "cannot write " + partial.string();
            ok = false;
            break;
        }
        packed.push_back(name);
    }
    if (zipClose(zip, nullptr) != ZIP_OK && ok) {
        error = "cannot write " + partial.string();
        ok = false;
    }
    std::error_code ec;
    if (ok) {
        fs::rename(partial, package, ec);
        if (ec) {
            error = "cannot create " + package.string() + ": " + ec.message();
            ok = false;
        }
    }
    if (!ok) {
        fs::remove(partial, ec);
        packed.clear();
    }
    return ok;
}

bool writeVersionFile(const fs::path& dataFolder, const fs::path& versionFile,
                      const std::string& text, const std::string& packageUrl, std::string& error,
                      std::int64_t packageBytes) {
    std::string version;
    fs::path verPath = dataFolder / "ver.txt";
    if (!readFile(verPath, version)) {
        error = verPath.string() + " is missing: the version file needs the database version";
        return false;
    }
    std::size_t lineEnd = version.find_first_of("\r\n");
    if (lineEnd != std::string::npos) version.resize(lineEnd);
    std::string ansiText;
    if (text.empty() || hasBar(text) || !toAnsi(fromUtf8(text), ansiText)) {
        error = "the text must be non-empty, without \"|\", and GBK must be able to hold it";
        return false;
    }
    if (version.empty() || hasBar(version) || version.find('\0') != std::string::npos) {
        error = "the first line of " + verPath.string() + " must be non-empty and without \"|\"";
        return false;
    }
    if (packageUrl.empty() || hasBar(packageUrl)) {
        error = "the package address must be non-empty and without \"|\"";
        return false;
    }
    std::string content = toUtf8(kProgramVersion) + "|" + toUtf8(kProgramBuild) + "|" + ansiText +
                          "|" + version + "|" + packageUrl + "|-";
    if (packageBytes > 0) content += "|" + std::to_string(packageBytes);
    std::FILE* file = std::fopen(versionFile.c_str(), "wb");
    bool ok = file && std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (file && std::fclose(file) != 0) ok = false;
    if (!ok) error = "cannot write " + versionFile.string();
    return ok;
}

}  // namespace zelvan
