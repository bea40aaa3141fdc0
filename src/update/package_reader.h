// Reading a database package (a zip archive, entries stored or deflated) and unpacking it into
// a folder: entry descriptions with UTF-16 names, safe target names, folders, attributes and
// time stamps carried onto the written files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelvan {

// Result codes of the reader's operations; 0 is success.
inline constexpr int kPackageOk = 0;
inline constexpr int kPackageCannotOpen = 0x200;   // not a readable archive, or target not created
inline constexpr int kPackageWriteFailed = 0x400;  // writing a target file failed
inline constexpr int kPackageBadLocalHeader = 0x700;  // local header does not match the directory
inline constexpr int kPackageBadExtraField = 0x800;   // the local extra field cannot be read
inline constexpr int kPackageEncrypted = 0x1000;      // entries are never read with a password
inline constexpr int kPackageBadArgument = 0x10000;   // no reader, or an index outside the archive
inline constexpr int kPackageUnsafeName = 0x20000;    // target would leave the folder: skipped
inline constexpr int kPackageTooLarge = 0x40000;      // unpacked data over the size limit
inline constexpr int kPackageDataError = 0x5000000;   // reading, inflating or checksum failed

// File attribute bits of an entry.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

// File times count 100 ns since 1601-01-01 UTC; this is the Unix epoch in that unit.
inline constexpr std::int64_t kFileTimeUnixEpoch = 116444736000000000LL;

// One entry's description.
struct PackageEntry {
    int index = -1;       // position in the directory; for the summary (-1): number of entries
    std::u16string name;  // stored name (UTF-8 -> UTF-16, at most 260 units), made safe
    std::uint32_t attributes = 0;
    std::int64_t accessTime = 0;  // file times, see kFileTimeUnixEpoch
    std::int64_t createTime = 0;
    std::int64_t modifyTime = 0;
    std::uint64_t compressedSize = 0;  // from the directory
    std::uint64_t uncompressedSize = 0;
};

// What a package may unpack to. A zip bomb is refused before anything is written (by the sizes
// the directory declares) and stopped while inflating (by the bytes actually produced).
struct UnpackLimits {
    std::uint64_t maxTotalBytes = 256ULL << 20;  // all entries together
    std::uint64_t maxRatio = 100;                // ... and at most this many times the package
    int maxEntries = 4096;
};

class PackageReader {
  public:
    // Opens a package; nullptr when it cannot be opened or is not a zip archive.
    static std::unique_ptr<PackageReader> open(const std::u16string& packagePath);
    ~PackageReader();
    PackageReader(const PackageReader&) = delete;
    PackageReader& operator=(const PackageReader&) = delete;

    int entryCount() const { return entryCount_; }
    std::uint64_t packageSize() const { return packageSize_; }

    // Describes entry `index` (-1: the summary). Asking again for the same entry reads nothing.
    int describe(int index, PackageEntry& entry);
    // Writes entry `index` below `folder` under its safe name, creating the folders on the way;
    // a directory entry only creates its folders. A name that would leave `folder` (a ".."
    // step, or a symbolic link on the way) is refused with kPackageUnsafeName. A failed entry
    // leaves no file behind.
    int extract(int index, const std::u16string& folder);
    // Sum of the uncompressed sizes that the directory declares.
    int declaredSize(std::uint64_t& total);
    // Bytes that the extractions of this reader may still produce in all; past it an entry
    // fails with kPackageTooLarge.
    void setByteBudget(std::uint64_t bytes) { byteBudget_ = bytes; }
    // Closes any open entry data and the archive; later calls give kPackageBadArgument.
    void close();

  private:
    PackageReader() = default;
    int locate(int index);

    void* archive_ = nullptr;  // minizip's unzFile
    int entryCount_ = 0;
    int position_ = -1;  // entry the library stands on, -1 unknown
    bool entryOpen_ = false;
    PackageEntry cachedEntry_;
    int cachedIndex_ = -1;
    std::uint32_t cachedFlags_ = 0;  // general purpose flags of the cached entry
    std::uint64_t packageSize_ = 0;
    std::uint64_t byteBudget_ = UINT64_MAX;
    std::vector<unsigned char> buffer_;  // 16 KB transfer buffer, from the first extraction
};

// What one unpacking did.
struct ExtractSummary {
    int code = kPackageOk;  // 0; kPackageCannotOpen, kPackageTooLarge or the first entry failure
    int entries = 0;        // entries in the package
    int written = 0;        // files written and folders created
    int skipped = 0;        // entries refused for their names
    int failed = 0;         // entries that failed otherwise
};

// Unpacks every entry of `packagePath` into `folder` (created when missing). A failing entry does
// not stop the others; a package over the limits writes nothing or stops at the limit.
ExtractSummary extractPackage(const std::u16string& packagePath, const std::u16string& folder,
                              const UnpackLimits& limits = {});

// The stored-name rules, repeated until none applies: a leading drive ("C:") goes, a leading
// "\" or "/" goes, and everything up to the first of "\..\", "\../", "/../", "/..\" goes.
std::u16string stripEntryName(std::u16string name);
// The relative path below the target folder ("/"-separated, no "." or empty steps) for a
// stripped name; empty when the name is empty or still holds a ".." step.
std::string containedPath(const std::u16string& strippedName);

}  // namespace zelvan
