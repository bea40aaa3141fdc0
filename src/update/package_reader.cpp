#include "update/package_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>

#include "db/text.h"

namespace zelvan {
namespace {

constexpr std::size_t kTransferBufferBytes = 16384;
constexpr std::size_t kNameBufferBytes = 260;  // stored name, terminator included
constexpr std::size_t kNameUnits = 260;

unzFile zip(void* archive) {
    return static_cast<unzFile>(archive);
}

std::int64_t fileTimeFromUnix(std::int64_t seconds) {
    return seconds * 10000000LL + kFileTimeUnixEpoch;
}

// DOS date (high 16 bits: year - 1980 in 9-15, month 5-8, day 0-4) and time (low 16 bits: hour
// 11-15, minute 5-10, seconds / 2 in 0-4), taken as local time, as a file time in UTC.
std::int64_t fileTimeFromDos(std::uint32_t dosDateTime) {
    std::uint32_t date = dosDateTime >> 16;
    std::uint32_t time = dosDateTime & 0xFFFF;
    std::tm tm{};
    tm.tm_year = static_cast<int>((date >> 9) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>(date & 0x1F);
    tm.tm_hour = static_cast<int>((time >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((time >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>(time & 0x1F) * 2;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);  // normalises out-of-range fields
    return fileTimeFromUnix(t == static_cast<std::time_t>(-1) ? 0 : static_cast<std::int64_t>(t));
}

// The extended time stamp block ("UT", tag 0x5455) of a local extra field: a flags byte, then a
// little-endian signed 32-bit Unix time for each flag set, in the order 0x01 modification,
// 0x02 access, 0x04 creation. Blocks are tag (2), size (2, little-endian), data (size). Only
// the first "UT" block counts; times that would run past the block or the field are ignored.
void applyExtendedTimes(const std::vector<unsigned char>& extra, PackageEntry& entry) {
    std::size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        unsigned tag = extra[pos] | extra[pos + 1] << 8;
        std::size_t size = extra[pos + 2] | extra[pos + 3] << 8;
        std::size_t data = pos + 4;
        if (tag == 0x5455) {
            std::size_t end = std::min(data + size, extra.size());
            if (data >= end) return;
            unsigned flags = extra[data];
            std::size_t at = data + 1;
            std::int64_t* targets[] = {&entry.modifyTime, &entry.accessTime, &entry.createTime};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (at + 4 > end) return;
                std::uint32_t raw = static_cast<std::uint32_t>(extra[at]) |
                                    static_cast<std::uint32_t>(extra[at + 1]) << 8 |
                                    static_cast<std::uint32_t>(extra[at + 2]) << 16 |
                                    static_cast<std::uint32_t>(extra[at + 3]) << 24;
                *targets[bit] = fileTimeFromUnix(static_cast<std::int32_t>(raw));
                at += 4;
            }
            return;
        }
        pos = data + size;
    }
}

// Attribute bits by the host system in the high byte of "version made by": the FAT-like hosts
// (0 MS-DOS, 7 Macintosh, 11 NTFS, 14 VFAT) store them in the low byte; the others store a Unix
// mode in the high 16 bits (0x4000 << 16 directory, 0x0080 << 16 owner may write).
std::uint32_t attributesOf(const unz_file_info64& info) {
    unsigned host = (info.version >> 8) & 0xFF;
    std::uint32_t external = static_cast<std::uint32_t>(info.external_fa);
    if (host == 0 || host == 7 || host == 11 || host == 14) return external & 0xFF;
    std::uint32_t attributes = kAttrArchive;
    if (external & 0x40000000u) attributes |= kAttrDirectory;
    if (!(external & 0x00800000u)) attributes |= kAttrReadOnly;
    return attributes;
}

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// Outcome of walking a relative path's folders below a root.
enum class FolderResult { Ok, Unsafe, Failed };

// Creates root/steps[0]/.../steps[count-1], parents first. An existing step must be a real
// folder: a symbolic link (even one to a folder) is refused, so nothing is written through it.
FolderResult createFolders(const std::string& root, const std::vector<std::string>& steps,
                           std::size_t count) {
    std::string path = root;
    for (std::size_t i = 0; i < count; ++i) {
        path += '/';
        path += steps[i];
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0) {
            if (S_ISLNK(st.st_mode)) return FolderResult::Unsafe;
            if (!S_ISDIR(st.st_mode)) return FolderResult::Failed;
            continue;
        }
        if (errno != ENOENT || (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)) {
            return FolderResult::Failed;
        }
    }
    return FolderResult::Ok;
}

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> steps;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        steps.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return steps;
}

bool writeAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

struct timespec timespecOf(std::int64_t fileTime) {
    std::int64_t ticks = fileTime - kFileTimeUnixEpoch;
    std::int64_t seconds = ticks / 10000000LL;
    std::int64_t rest = ticks % 10000000LL;
    if (rest < 0) {
        rest += 10000000LL;
        --seconds;
    }
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>(rest * 100);
    return ts;
}

}  // namespace

std::u16string stripEntryName(std::u16string name) {
    static const std::u16string_view kParentSteps[] = {u"\\..\\", u"\\../", u"/../", u"/..\\"};
    for (;;) {
        if (name.size() >= 2 && name[1] == u':') {
            name.erase(0, 2);
            continue;
        }
        if (!name.empty() && isSeparator(name[0])) {
            name.erase(0, 1);
            continue;
        }
        bool cut = false;
        for (std::u16string_view step : kParentSteps) {
            std::size_t at = name.find(step);
            if (at != std::u16string::npos) {
                name.erase(0, at + step.size());
                cut = true;
                break;
            }
        }
        if (!cut) return name;
    }
}

std::string containedPath(const std::u16string& strippedName) {
    std::u16string name = strippedName;
    for (char16_t& c : name) {
        if (c == u'\\') c = u'/';
    }
    std::string path;
    for (const std::string& step : splitPath(toUtf8(name))) {
        if (step.empty() || step == ".") continue;
        if (step == "..") return {};
        if (!path.empty()) path += '/';
        path += step;
    }
    return path;
}

std::unique_ptr<PackageReader> PackageReader::open(const std::u16string& packagePath) {
    std::string path = toUtf8(packagePath);
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    unzFile archive = unzOpen64(path.c_str());
    if (!archive) return nullptr;
    unz_global_info64 global;
    if (unzGetGlobalInfo64(archive, &global) != UNZ_OK) {
        unzClose(archive);
        return nullptr;
    }
    std::unique_ptr<PackageReader> reader(new PackageReader);
    reader->archive_ = archive;
    reader->entryCount_ =
        global.number_entry > INT_MAX ? INT_MAX : static_cast<int>(global.number_entry);
    reader->packageSize_ = static_cast<std::uint64_t>(st.st_size);
    reader->position_ = reader->entryCount_ > 0 ? 0 : -1;  // opening stands on the first entry
    return reader;
}

PackageReader::~PackageReader() {
    close();
}

void PackageReader::close() {
    if (!archive_) return;
    if (entryOpen_) unzCloseCurrentFile(zip(archive_));
    entryOpen_ = false;
    unzClose(zip(archive_));
    archive_ = nullptr;
    cachedIndex_ = -1;
    position_ = -1;
    buffer_.clear();
    buffer_.shrink_to_fit();
}

// Puts the library on entry `index`: from the first entry when it lies before the current one.
int PackageReader::locate(int index) {
    unzFile archive = zip(archive_);
    if (position_ < 0 || index < position_) {
        if (unzGoToFirstFile(archive) != UNZ_OK) {
            position_ = -1;
            return kPackageCannotOpen;
        }
        position_ = 0;
    }
    while (position_ < index) {
        if (unzGoToNextFile(archive) != UNZ_OK) {
            position_ = -1;
            return kPackageCannotOpen;
        }
        ++position_;
    }
    return kPackageOk;
}

int PackageReader::describe(int index, PackageEntry& entry) {
    if (!archive_) return kPackageBadArgument;
    unzFile archive = zip(archive_);
    if (entryOpen_) {
        unzCloseCurrentFile(archive);
        entryOpen_ = false;
    }
    if (index == -1) {
        entry = PackageEntry{};
        entry.index = entryCount_;
        return kPackageOk;
    }
    if (index == cachedIndex_) {
        entry = cachedEntry_;
        return kPackageOk;
    }
    if (index < 0 || index >= entryCount_) return kPackageBadArgument;
    if (int code = locate(index)) return code;

    unz_file_info64 info;
    char rawName[kNameBufferBytes + 1] = {};
    if (unzGetCurrentFileInfo64(archive, &info, rawName, kNameBufferBytes - 1, nullptr, 0, nullptr,
                                0) != UNZ_OK) {
        return kPackageCannotOpen;
    }
    // Longer names are cut; the library terminates only names that fit.
    rawName[std::min<std::size_t>(info.size_filename, kNameBufferBytes - 1)] = '\0';

    // Opening the raw data checks the local header against the directory; the local extra
    // field (where the full extended time stamps live) can only be read while it is open.
    int method = 0;
    int level = 0;
    if (unzOpenCurrentFile2(archive, &method, &level, 1) != UNZ_OK) return kPackageBadLocalHeader;
    std::vector<unsigned char> extra;
    int extraSize = unzGetLocalExtrafield(archive, nullptr, 0);
    if (extraSize > 0) {
        extra.resize(static_cast<std::size_t>(extraSize));
        if (unzGetLocalExtrafield(archive, extra.data(), static_cast<unsigned>(extraSize)) !=
            extraSize) {
            extraSize = -1;
        }
    }
    unzCloseCurrentFile(archive);
    if (extraSize < 0) return kPackageBadExtraField;

    PackageEntry described;
    described.index = index;
    std::u16string name = utf8ToWide(rawName);
    if (name.size() > kNameUnits) name.resize(kNameUnits);
    described.name = stripEntryName(std::move(name));
    described.attributes = attributesOf(info);
    std::int64_t stamp = fileTimeFromDos(static_cast<std::uint32_t>(info.dosDate));
    described.accessTime = described.createTime = described.modifyTime = stamp;
    applyExtendedTimes(extra, described);
    described.compressedSize = info.compressed_size;
    described.uncompressedSize = info.uncompressed_size;

    cachedEntry_ = described;
    cachedIndex_ = index;
    cachedFlags_ = static_cast<std::uint32_t>(info.flag);
    entry = std::move(described);
    return kPackageOk;
}

int PackageReader::declaredSize(std::uint64_t& total) {
    total = 0;
    if (!archive_) return kPackageBadArgument;
    for (int i = 0; i < entryCount_; ++i) {
        if (int code = locate(i)) return code;
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip(archive_), &info, nullptr, 0, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            return kPackageCannotOpen;
        }
        total += info.uncompressed_size;
        if (total < info.uncompressed_size) total = UINT64_MAX;  // overflow
    }
    return kPackageOk;
}

int PackageReader::extract(int index, const std::u16string& folder) {
    PackageEntry entry;
    if (index < 0) return kPackageBadArgument;
    if (int code = describe(index, entry)) return code;

    std::string relative = containedPath(entry.name);
    if (relative.empty()) return kPackageUnsafeName;
    std::vector<std::string> steps = splitPath(relative);
    bool directory = (entry.attributes & kAttrDirectory) || isSeparator(entry.name.back());

    std::string root = toUtf8(folder);
    if (root.empty()) return kPackageBadArgument;
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    if (ec) return kPackageCannotOpen;
    FolderResult folders = createFolders(root, steps, directory ? steps.size() : steps.size() - 1);
    if (folders == FolderResult::Unsafe) return kPackageUnsafeName;
    if (folders == FolderResult::Failed) return kPackageCannotOpen;
    if (directory) return kPackageOk;

    if (cachedFlags_ & 1) return kPackageEncrypted;
    std::string target = root + '/' + relative;
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) return kPackageUnsafeName;
        // Replace an existing file by a new one rather than truncating it: a hard link must
        // not carry the new data to wherever its other names are.
        if (S_ISREG(st.st_mode) && ::unlink(target.c_str()) != 0) return kPackageCannotOpen;
    }
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errno == ELOOP ? kPackageUnsafeName : kPackageCannotOpen;

    unzFile archive = zip(archive_);
    int code = locate(index);  // the description may have come from the cache
    if (code == kPackageOk && unzOpenCurrentFile(archive) != UNZ_OK) code = kPackageDataError;
    if (code == kPackageOk) {
        entryOpen_ = true;
        if (buffer_.empty()) buffer_.resize(kTransferBufferBytes);
        std::uint64_t produced = 0;
        for (;;) {
            int n = unzReadCurrentFile(archive, buffer_.data(), kTransferBufferBytes);
            if (n < 0) {
                code = kPackageDataError;
                break;
            }
            if (n == 0) {
                // The library also returns 0 when the compressed data runs out early.
                if (unzeof(archive) != 1) code = kPackageDataError;
                break;
            }
            produced += static_cast<std::uint64_t>(n);
            if (produced > entry.uncompressedSize || static_cast<std::uint64_t>(n) > byteBudget_) {
                code = kPackageTooLarge;
                break;
            }
            byteBudget_ -= static_cast<std::uint64_t>(n);
            if (!writeAll(fd, buffer_.data(), static_cast<std::size_t>(n))) {
                code = kPackageWriteFailed;
                break;
            }
        }
        // A checksum mismatch means the data we wrote is not the data that was packed.
        if (unzCloseCurrentFile(archive) != UNZ_OK && code == kPackageOk) code = kPackageDataError;
        entryOpen_ = false;
    }

    if (code == kPackageOk) {
        // Read-only is the one attribute with a meaning here; the others are dropped.
        struct stat written;
        if (::fstat(fd, &written) == 0) {
            mode_t mode = written.st_mode & 07777;
            mode_t wanted = (entry.attributes & kAttrReadOnly) ? (mode & ~0222) : (mode | S_IWUSR);
            if (wanted != mode) ::fchmod(fd, wanted);
        }
        // Creation time has no place to go on this platform.
        struct timespec times[2] = {timespecOf(entry.accessTime), timespecOf(entry.modifyTime)};
        ::futimens(fd, times);
    }
    if (::close(fd) != 0 && code == kPackageOk) code = kPackageWriteFailed;
    if (code != kPackageOk) ::unlink(target.c_str());
    return code;
}

ExtractSummary extractPackage(const std::u16string& packagePath, const std::u16string& folder,
                              const UnpackLimits& limits) {
    ExtractSummary summary;
    if (packagePath.empty() || folder.empty()) {
        summary.code = kPackageBadArgument;
        return summary;
    }
    std::unique_ptr<PackageReader> reader = PackageReader::open(packagePath);
    if (!reader) {
        summary.code = kPackageCannotOpen;
        return summary;
    }
    PackageEntry whole;
    reader->describe(-1, whole);
    summary.entries = whole.index;

    // Refuse what the directory itself admits to be too big before writing anything.
    std::uint64_t limit = limits.maxTotalBytes;
    if (limits.maxRatio > 0 && reader->packageSize() <= UINT64_MAX / limits.maxRatio) {
        limit = std::min(limit, reader->packageSize() * limits.maxRatio);
    }
    std::uint64_t declared = 0;
    if (int code = reader->declaredSize(declared)) {
        summary.code = code;
        return summary;
    }
    if (summary.entries > limits.maxEntries || declared > limit) {
        summary.code = kPackageTooLarge;
        return summary;
    }
    reader->setByteBudget(limit);

    for (int i = 0; i < summary.entries; ++i) {
        int code = reader->extract(i, folder);
        if (code == kPackageOk) {
            ++summary.written;
        } else if (code == kPackageUnsafeName) {
            ++summary.skipped;
        } else {
            ++summary.failed;
            if (summary.code == kPackageOk) summary.code = code;
            if (code == kPackageTooLarge) break;
        }
    }
    return summary;
}

}  // namespace zelvan
