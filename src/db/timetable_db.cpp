#include "db/timetable_db.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include "db/data_folder.h"
#include "db/running_days.h"
#include "db/text.h"

namespace zelvan {
namespace {

// "S3.dat", "T17.dat".
std::u16string recordFileName(char16_t letter, int number) {
    std::u16string name(1, letter);
    if (number >= 10) name += static_cast<char16_t>(u'0' + number / 10);
    name += static_cast<char16_t>(u'0' + number % 10);
    name += u".dat";
    return name;
}

// The folder of the program file, from /proc/self/exe ("" if unknown).
std::u16string programFileFolder() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string p(path, static_cast<std::size_t>(n));
    std::size_t slash = p.rfind('/');
    if (slash == std::string::npos) return {};
    return fromUtf8(p.substr(0, slash));
}

}  // namespace

TimetableDb& TimetableDb::instance() {
    static TimetableDb db;
    return db;
}

TimetableDb::TimetableDb() : folder(programFolder()), queryDate(todayUtc()) {}

TimetableDb::~TimetableDb() {
    clear();
}

std::u16string TimetableDb::programFolder() {
    // The program file does not move while it runs: looked up once.
    static const std::u16string folder = programFileFolder();
    return folder;
}

std::u16string TimetableDb::pathOf(std::u16string_view fileName) const {
    std::u16string path = folder;
    path += u'/';
    path += fileName;
    return path;
}

void SpanRelease::operator()(std::uint8_t* bytes) const {
    if (mappedBytes > 0) {
        ::munmap(bytes, mappedBytes);
    } else {
        delete[] bytes;
    }
}

namespace {

// Maps the `size` bytes of the open regular file `fd` read-only, followed by two zero bytes:
// the rest of the file's last page reads as zeros, and when fewer than two bytes of it are left
// an anonymous zero page is mapped first and the file over its start. False when the file
// system cannot map files.
bool mapFile(int fd, std::size_t size, ByteSpan& span) {
    static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t tail = size % page;
    void* bytes = MAP_FAILED;
    std::size_t mapped = size;
    if (tail != 0 && tail <= page - 2) {
        bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    } else {
        mapped = (size + 2 + page - 1) / page * page;
        void* room = ::mmap(nullptr, mapped, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (room == MAP_FAILED) return false;
        bytes = ::mmap(room, size, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0);
        if (bytes == MAP_FAILED) ::munmap(room, mapped);
    }
    if (bytes == MAP_FAILED) return false;
    span.data = std::unique_ptr<std::uint8_t[], SpanRelease>(static_cast<std::uint8_t*>(bytes),
                                                             SpanRelease{mapped});
    span.length = static_cast<std::int32_t>(size);
    return true;
}

// Reads the `size` bytes of `fd` into a buffer with two spare zero bytes; false on a short read.
bool copyFile(int fd, std::size_t size, ByteSpan& span) {
    auto buffer = std::make_unique<std::uint8_t[]>(size + 2);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer.get() + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    span.data = std::move(buffer);
    span.length = static_cast<std::int32_t>(size);
    return true;
}

}  // namespace

bool TimetableDb::readWholeFile(const std::u16string& path, ByteSpan& span, bool map,
                                FileIdentity* identity) {
    span.release();
    const int fd = ::open(toUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    // Only regular files: a folder opens for reading but has no bytes to give. The length is a
    // signed 32-bit number with two spare bytes after the data.
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              st.st_size <= INT32_MAX - 2;
    if (ok) {
        if (identity) *identity = identityOf(st);
        const std::size_t size = static_cast<std::size_t>(st.st_size);
        ok = (map && size > 0 && mapFile(fd, size, span)) || copyFile(fd, size, span);
    }
    ::close(fd);
    if (!ok) span.release();
    return ok;
}

void TimetableDb::clear() {
    for (ByteSpan& span : trainFiles) span.release();
    for (ByteSpan& span : stationFiles) span.release();
    trainFiles.clear();
    stationFiles.clear();
    stationNames.clear();
    trainIndex.clear();
    runningRules.clear();
    stationsByCode.clear();
    openedFiles.clear();
    extensions.clear();
    finder_.reset();
    buildIndexes();
}

bool TimetableDb::load(std::optional<std::u16string> dataFolder) {
    clear();
    folder = dataFolder ? *dataFolder : resolveDataFolder().path;

    // The name lists keep their files and convert names when they are read; the record files
    // stay mapped and are indexed when a question first needs them.
    const auto open = [this](std::u16string_view name, ByteSpan& span, bool map) {
        FileIdentity identity;
        if (!readWholeFile(pathOf(name), span, map, &identity)) return false;
        openedFiles[toUtf8(name)] = identity;
        return true;
    };
    // A timetable too large for the narrow record files holds one S.dat and one T.dat, whose
    // headers also say where each name of s.i and t.i begins (db/record_layout.h).
    struct stat st;
    const bool wide = ::stat(toUtf8(pathOf(fromUtf8(kWideTrainFile))).c_str(), &st) == 0;
    ByteSpan names;
    if (!open(u"s.i", names, mapFiles)) return false;
    ByteSpan numbers;
    const bool haveNumbers = open(u"t.i", numbers, mapFiles);
    ByteSpan wideStations, wideTrains;
    const bool wideOpened = wide && haveNumbers &&
                            open(fromUtf8(kWideStationFile), wideStations, mapFiles) &&
                            open(fromUtf8(kWideTrainFile), wideTrains, mapFiles);
    const WideRecordFile stationTable = WideRecordFile::of(wideStations, true);
    const WideRecordFile trainTable = WideRecordFile::of(wideTrains, false);
    if (stationTable.valid()) {
        stationNames.assignFile(std::move(names), stationTable.bytes() + stationTable.nameTable(),
                                stationTable.count());
    } else {
        stationNames.assignFile(std::move(names));
    }
    if (!haveNumbers) return false;
    if (trainTable.valid()) {
        trainIndex.assignFile(std::move(numbers), trainTable.bytes() + trainTable.nameTable(),
                              trainTable.count());
    } else {
        trainIndex.assignFile(std::move(numbers));
    }

    deferStationCodes(pathOf(u"name.txt"));
    loadAds(pathOf(u"ads.txt"));

    if (wide) {
        if (!wideOpened) return false;
        stationFiles.push_back(std::move(wideStations));
        trainFiles.push_back(std::move(wideTrains));
    } else {
        for (int i = 0; i < kStationFileCount; ++i) {
            ByteSpan span;
            if (!open(recordFileName(u'S', i), span, mapFiles)) {
                return false;
            }
            stationFiles.push_back(std::move(span));
        }
        for (int i = 0; i < kTrainFileCount; ++i) {
            ByteSpan span;
            if (!open(recordFileName(u'T', i), span, mapFiles)) {
                return false;
            }
            trainFiles.push_back(std::move(span));
        }
    }

    ByteSpan rules;
    if (open(u"t.rule", rules, false)) {
        const std::string_view bytes(reinterpret_cast<const char*>(rules.data.get()),
                                     static_cast<std::size_t>(rules.length));
        for (const std::string& piece : splitRuleFile(bytes))
            runningRules.push_back(ansiToWide(piece));
    }
    extensions.load(folder, wide);
    return true;
}

}  // namespace zelvan
