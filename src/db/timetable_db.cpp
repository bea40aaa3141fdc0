#include "db/timetable_db.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "db/data_folder.h"
#include "db/running_days.h"
#include "db/text.h"

namespace zelvan {
namespace {

// Applies `take` to each name of an s.i / t.i file. Layout: 2 bytes not read, then entries of a
// 2-byte big-endian length n and n bytes of text. An entry is read only while it starts before
// (length - 2); n = 0 ends the list; a name running past the end of the file is cut there.
template <typename Take>
void walkNameList(const ByteSpan& span, Take take) {
    const std::uint8_t* b = span.data.get();
    const std::int32_t length = span.length;
    std::int32_t pos = 2;
    while (pos < length - 2) {
        std::int32_t n = b[pos] * 256 + b[pos + 1];
        if (n == 0) break;
        std::int32_t start = pos + 2;
        std::int32_t end = n > length - start ? length : start + n;
        take(std::string_view(reinterpret_cast<const char*>(b + start),
                              static_cast<std::size_t>(end - start)));
        pos = start + n;
    }
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
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string p(path, static_cast<std::size_t>(n));
    std::size_t slash = p.rfind('/');
    if (slash == std::string::npos) return {};
    return fromUtf8(p.substr(0, slash));
}

std::u16string TimetableDb::pathOf(std::u16string_view fileName) const {
    std::u16string path = folder;
    path += u'/';
    path += fileName;
    return path;
}

bool TimetableDb::readWholeFile(const std::u16string& path, ByteSpan& span) {
    span.release();
    std::FILE* file = std::fopen(toUtf8(path).c_str(), "rb");
    if (!file) return false;
    bool ok = false;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        long size = std::ftell(file);
        // The length is a signed 32-bit number with two spare bytes after the data.
        if (size >= 0 && size <= INT32_MAX - 2 && std::fseek(file, 0, SEEK_SET) == 0) {
            auto buffer = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size) + 2);
            std::size_t read = std::fread(buffer.get(), 1, static_cast<std::size_t>(size), file);
            // A short read (file shrunk, I/O error, a folder) is a failure, not a shorter file.
            if (read == static_cast<std::size_t>(size)) {
                span.data = std::move(buffer);
                span.length = static_cast<std::int32_t>(size);
                ok = true;
            }
        }
    }
    std::fclose(file);
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
    finder_.reset();
    buildIndexes();
}

bool TimetableDb::load(std::optional<std::u16string> dataFolder) {
    clear();
    folder = dataFolder ? *dataFolder : resolveDataFolder().path;

    // Whatever has been read when a required file turns out missing stays loaded; the indexes
    // are rebuilt from it on every way out.
    struct IndexOnExit {
        TimetableDb& db;
        ~IndexOnExit() { db.buildIndexes(); }
    } indexOnExit{*this};

    ByteSpan names;
    if (!readWholeFile(pathOf(u"s.i"), names)) return false;
    walkNameList(names, [&](std::string_view bytes) { stationNames.push_back(utf8ToWide(bytes)); });

    if (!readWholeFile(pathOf(u"t.i"), names)) return false;
    int counter = 0;
    walkNameList(names, [&](std::string_view bytes) {
        // Train numbers are single-byte text: byte value = code unit. The name ends at a NUL.
        std::u16string name;
        for (char c : bytes) {
            if (c == '\0') break;
            name.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
        }
        // t.i stands in key order, so each name belongs at the end and the hint saves the
        // search; a name out of order is placed by the usual one. A name twice keeps the
        // later number.
        auto it = trainIndex.try_emplace(trainIndex.end(), std::move(name), counter);
        it->second = counter++;
    });
    names.release();

    loadStationCodes(pathOf(u"name.txt"));
    loadAds(pathOf(u"ads.txt"));

    for (int i = 0; i < kStationFileCount; ++i) {
        ByteSpan span;
        if (!readWholeFile(pathOf(u"S" + fromUtf8(std::to_string(i)) + u".dat"), span)) {
            return false;
        }
        stationFiles.push_back(std::move(span));
    }
    for (int i = 0; i < kTrainFileCount; ++i) {
        ByteSpan span;
        if (!readWholeFile(pathOf(u"T" + fromUtf8(std::to_string(i)) + u".dat"), span)) {
            return false;
        }
        trainFiles.push_back(std::move(span));
    }

    ByteSpan rules;
    if (readWholeFile(pathOf(u"t.rule"), rules)) {
        const std::string_view bytes(reinterpret_cast<const char*>(rules.data.get()),
                                     static_cast<std::size_t>(rules.length));
        for (const std::string& piece : splitRuleFile(bytes))
            runningRules.push_back(ansiToWide(piece));
    }
    return true;
}

}  // namespace zelvan
