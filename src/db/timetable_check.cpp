#include "db/timetable_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "db/data_folder.h"
#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "db/wide_space.h"

namespace zelvan {
namespace {

std::vector<std::string> makeNames() {
    std::vector<std::string> names = requiredDataFiles();
    for (const char* optional : {"t.rule", "name.txt", "ads.txt", "ver.txt", "pinyin.txt"}) {
        names.push_back(optional);
    }
    for (const std::string& extension : extensionFileNames()) names.push_back(extension);
    // The record files of the wide form come last: required only in a wide timetable.
    names.push_back(kWideStationFile);
    names.push_back(kWideTrainFile);
    return names;
}

// S<number>.dat or T<number>.dat.
const std::string& recordFileName(char prefix, int number) {
    return timetableFileNames()[static_cast<std::size_t>(
        2 + (prefix == 'S' ? 0 : kStationFileCount) + number)];
}

std::string hexByte(int byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte & 0xFF);
    return text;
}

std::string atByte(std::int32_t offset) {
    return "record at byte " + std::to_string(offset);
}

// The first byte from `from` to `to` with its high bit set, or `to`. Eight bytes at a time: the
// check reads every byte of the timetable.
std::int32_t firstHighByte(const std::uint8_t* b, std::int32_t from, std::int32_t to) {
    std::int32_t i = from;
    for (; i + 8 <= to; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, b + i, sizeof word);
        if (word & 0x8080808080808080ULL) break;
    }
    while (i < to && b[i] < 0x80) ++i;
    return i;
}

// A two-byte number of a record, base 128, high digit first.
int base128(const std::uint8_t* b) {
    return b[0] * 128 + b[1];
}

// A four-byte date of a train record, base 128, low digit first.
DateKey dateAt(const std::uint8_t* b) {
    return b[0] + b[1] * 128 + b[2] * 128 * 128 + b[3] * 128 * 128 * 128;
}

// A name list kept as read: the file's bytes and where each entry starts.
struct NameList {
    ByteSpan bytes;
    std::vector<std::int32_t> at;  // entry -> offset of its 2-byte length

    int size() const { return static_cast<int>(at.size()); }
    std::string_view name(int entry) const {
        const std::uint8_t* b = bytes.data.get() + at[static_cast<std::size_t>(entry)];
        return {reinterpret_cast<const char*>(b + 2), static_cast<std::size_t>(b[0] * 256 + b[1])};
    }
};

class Checker {
  public:
    explicit Checker(const std::u16string& folder) : folder_(folder) {}

    CheckReport run() {
        stationsRead_ = readNameList("s.i", false);
        trainsRead_ = readNameList("t.i", true);
        trainState_.assign(trains_.size(), kNoRecord);
        trainStopsBegin_.assign(trains_.size(), 0);
        trainStopsEnd_.assign(trains_.size(), 0);
        if (holdsWideTimetable(folder_)) {
            checkWideForm();
        } else {
            checkNarrowForm();
        }
        checkRules();
        checkTokenFile("name.txt");
        checkTokenFile("ads.txt");
        return std::move(report_);
    }

  private:
    enum TrainState : std::uint8_t { kNoRecord, kWhole, kBroken };

    void checkNarrowForm() {
        for (int f = 0; f < kTrainFileCount; ++f) checkRecordFile(true, f);
        for (int t = 0; t < trains_.size(); ++t) {
            const int f = (t + 1) % kTrainFileCount;
            if (trainState_[t] == kNoRecord && trainFileRead_[f]) {
                error(recordFileName('T', f), "no record for the train", trainName(t));
            }
        }
        stationSeen_.assign(stations_.size(), 0);
        for (int f = 0; f < kStationFileCount; ++f) checkRecordFile(false, f);
        for (int s = 0; s < stations_.size(); ++s) {
            const int f = (s + 1) % kStationFileCount;
            if (!stationSeen_[s] && stationFileRead_[f]) {
                error(recordFileName('S', f), "no record for the station", {}, stationName(s));
            }
        }
    }

    // S.dat and T.dat: the tables of the header, then each record in its range.
    void checkWideForm() {
        for (const std::string& name : requiredDataFiles()) {
            if (!isRecordFileName(name)) continue;
            struct stat st;
            if (::stat(toUtf8(folder_ + u'/' + fromUtf8(name)).c_str(), &st) == 0) {
                warning(name, "a record file of the narrow form beside T.dat: never read");
            }
        }
        checkWideFile(true);
        stationSeen_.assign(stations_.size(), 0);
        checkWideFile(false);
        // A wide timetable's reader finds a train's or station's line by a binary search.
        for (const char* table : {"t.days", "t.more", "t.stops", "s.more"}) {
            ByteSpan span;
            if (!read(table, span, false)) continue;
            const std::string_view text(reinterpret_cast<const char*>(span.data.get()),
                                        static_cast<std::size_t>(span.length));
            long long previous = -1;
            std::size_t at = text.find('\n');
            for (int line = 2; at != std::string_view::npos && at + 1 < text.size(); ++line) {
                const std::size_t start = at + 1;
                at = text.find('\n', start);
                const std::string_view row = text.substr(
                    start, at == std::string_view::npos ? std::string_view::npos : at - start);
                const std::string_view first = row.substr(0, row.find('\t'));
                long long key = -1;
                if (!first.empty() && first.size() < 12 &&
                    std::all_of(first.begin(), first.end(),
                                [](char c) { return c >= '0' && c <= '9'; })) {
                    key = std::stoll(std::string(first));
                }
                if (row.empty() || row == "\r") continue;
                if (key < previous) {
                    error(table, "line " + std::to_string(line) +
                                     " stands out of index order: in a wide timetable a line is "
                                     "found by a binary search");
                    break;
                }
                previous = key;
            }
        }
    }

    void checkWideFile(bool trains) {
        const std::string file = trains ? kWideTrainFile : kWideStationFile;
        ByteSpan span;
        if (!read(file, span, true)) return;
        const WideRecordFile wide = WideRecordFile::of(span, !trains);
        if (!wide.valid()) {
            error(file, WideRecordFile::marked(span)
                            ? "its tables run past the end of the file"
                            : "does not start with the mark 80 5A 57 of a wide record file");
            return;
        }
        const NameList& names = trains ? trains_ : stations_;
        const bool namesRead = trains ? trainsRead_ : stationsRead_;
        const int count = names.size();
        const char* kind = trains ? "train" : "station";
        if (namesRead && static_cast<std::int64_t>(wide.count()) != count) {
            error(file, "holds " + std::to_string(wide.count()) + " " + kind + " records, " +
                            (trains ? "t.i " : "s.i ") + std::to_string(count) + " names");
            return;
        }
        const std::uint8_t* b = span.data.get();
        const std::uint32_t n = wide.count();
        // The record offsets run from the end of the tables to the end of the file, never back.
        const auto offset = [&](std::uint32_t i) {
            return WideRecordFile::read32(b + WideRecordFile::kHeaderBytes + 4 * i);
        };
        if (offset(0) != wide.recordsStart() || offset(n) != wide.length()) {
            error(file, "its record offsets do not run from the end of its tables (byte " +
                            std::to_string(wide.recordsStart()) + ") to the end of the file");
            return;
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            if (offset(i) > offset(i + 1)) {
                error(file, "the offset of record " + std::to_string(i + 1) +
                                " lies before that of record " + std::to_string(i));
                return;
            }
        }
        // The name offsets: where the loader takes each name from.
        if (namesRead) {
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint32_t expected = static_cast<std::uint32_t>(names.at[i] + 2);
                if (wide.nameOffset(i) != expected) {
                    error(file,
                          std::string("the name offset of ") + kind + " " + std::to_string(i) +
                              " is " + std::to_string(wide.nameOffset(i)) + ", not " +
                              std::to_string(expected) + " where its name stands",
                          trains ? trainName(static_cast<int>(i)) : std::u16string(),
                          trains ? std::u16string() : stationName(static_cast<int>(i)));
                    return;
                }
            }
        }
        // The stations in the order of their names: each once, the names never falling.
        if (!trains && namesRead) {
            std::vector<std::uint8_t> listed(n, 0);
            for (std::uint32_t rank = 0; rank < n; ++rank) {
                const std::uint32_t s = wide.stationByName(rank);
                if (s >= n || listed[s]) {
                    error(file, "the order of the station names lists station " +
                                    std::to_string(s) +
                                    (s >= n ? ", which does not exist" : " twice"));
                    return;
                }
                listed[s] = 1;
                if (rank == 0) continue;
                const std::uint32_t before = wide.stationByName(rank - 1);
                const std::string_view a = cutAtNul(stations_.name(static_cast<int>(before)));
                const std::string_view z = cutAtNul(stations_.name(static_cast<int>(s)));
                if (z < a || (z == a && s < before)) {
                    error(file,
                          "the order of the station names is broken at station " +
                              std::to_string(s) + ": a name is looked up by a binary search",
                          {}, stationName(static_cast<int>(s)));
                    return;
                }
            }
        }
        layout_ = wide.layout();
        fileSize_ = span.length;
        wideFile_ = true;
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t begin = offset(i), end = offset(i + 1);
            if (begin == end) {
                error(file, std::string("no record for the ") + kind,
                      trains ? trainName(static_cast<int>(i)) : std::u16string(),
                      trains ? std::u16string() : stationName(static_cast<int>(i)));
                continue;
            }
            // One record a range: its only 0x80 is its last byte.
            const void* hit = std::memchr(b + begin, 0x80, end - begin);
            const std::int32_t stop =
                hit ? static_cast<std::int32_t>(static_cast<const std::uint8_t*>(hit) - b)
                    : static_cast<std::int32_t>(end);
            const int stored = static_cast<std::int32_t>(end - begin) >= layout_.digits
                                   ? layout_.readIndex(b + begin)
                                   : -1;
            if (stored != static_cast<int>(i) &&
                stop - static_cast<std::int32_t>(begin) >= layout_.digits) {
                error(file,
                      atByte(static_cast<std::int32_t>(begin)) + " in the range of " + kind + " " +
                          std::to_string(i) + " holds index " + std::to_string(stored),
                      trains ? trainName(static_cast<int>(i)) : std::u16string(),
                      trains ? std::u16string() : stationName(static_cast<int>(i)));
                if (trains) trainState_[i] = kBroken;
                continue;
            }
            if (hit && stop + 1 != static_cast<std::int32_t>(end)) {
                error(file,
                      atByte(static_cast<std::int32_t>(begin)) + ": " +
                          std::to_string(end - static_cast<std::uint32_t>(stop) - 1) +
                          " bytes follow its end marker within its range",
                      trains ? trainName(static_cast<int>(i)) : std::u16string(),
                      trains ? std::u16string() : stationName(static_cast<int>(i)));
                if (trains) trainState_[i] = kBroken;
                continue;
            }
            checkRecord(trains, 0, file, b, static_cast<std::int32_t>(end),
                        static_cast<std::int32_t>(begin), stop, hit != nullptr);
        }
        wideFile_ = false;
        layout_ = RecordLayout{};
    }

    void add(std::vector<CheckFinding>& list, long long& count, std::string file, std::string what,
             std::u16string train, std::u16string station) {
        ++count;
        if (list.size() < CheckReport::kMaxKept) {
            list.push_back(
                {std::move(file), std::move(what), std::move(train), std::move(station)});
        }
    }
    void error(std::string file, std::string what, std::u16string train = {},
               std::u16string station = {}) {
        add(report_.errors, report_.errorCount, std::move(file), std::move(what), std::move(train),
            std::move(station));
    }
    void warning(std::string file, std::string what, std::u16string train = {},
                 std::u16string station = {}) {
        add(report_.warnings, report_.warningCount, std::move(file), std::move(what),
            std::move(train), std::move(station));
    }

    // Names are decoded only for the findings that show them.
    std::u16string stationName(int s) const {
        return s >= 0 && s < stations_.size() ? utf8ToWide(stations_.name(s)) : std::u16string();
    }
    std::u16string trainName(int t) const {
        return t >= 0 && t < trains_.size() ? trainNumber(trains_.name(t)) : std::u16string();
    }
    // Train numbers are single-byte text: byte value = code unit. The number ends at a NUL.
    static std::u16string trainNumber(std::string_view bytes) {
        std::u16string number;
        for (char c : bytes) {
            if (c == '\0') break;
            number.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
        }
        return number;
    }

    // Reads a data file. A required file that is missing or unreadable is an error; an optional
    // one that exists but cannot be read is a warning (the program goes on without it).
    bool read(const std::string& name, ByteSpan& span, bool required) {
        const std::u16string path = folder_ + u'/' + fromUtf8(name);
        if (TimetableDb::readWholeFile(path, span)) return true;
        struct stat st;
        const bool exists = ::stat(toUtf8(path).c_str(), &st) == 0;
        if (required) {
            error(name, !exists                ? std::string(kFileMissing)
                        : !S_ISREG(st.st_mode) ? "is not a file"
                                               : "cannot be read");
        } else if (exists) {
            warning(name, "cannot be read: the program goes without it");
        }
        return false;
    }

    // s.i and t.i: 2 header bytes, then entries of a 2-byte big-endian length n and n bytes of
    // name, up to the zero-length entry that must be the last 2 bytes of the file. Unlike the
    // loader, which reads what it can, the check wants every byte accounted for.
    bool readNameList(const std::string& file, bool trains) {
        NameList& list = trains ? trains_ : stations_;
        ByteSpan& span = list.bytes;
        if (!read(file, span, true)) return false;
        const std::uint8_t* b = span.data.get();
        const std::int32_t length = span.length;
        std::int32_t pos = 2;
        for (int entry = 0;; ++entry) {
            if (length < 4) {
                error(file,
                      "holds " + std::to_string(length) + (length == 1 ? " byte" : " bytes") +
                          ": too short for a list (a 2-byte header and the end marker 00 00)");
                break;
            }
            if (pos + 2 > length) {
                error(file, "entry " + std::to_string(entry) + " at byte " + std::to_string(pos) +
                                ": the list breaks off without its end marker 00 00");
                break;
            }
            const std::int32_t n = b[pos] * 256 + b[pos + 1];
            if (n == 0) {
                if (pos + 2 != length) {
                    error(file, std::to_string(length - pos - 2) +
                                    " bytes follow the end marker at byte " + std::to_string(pos));
                }
                break;
            }
            if (n > length - pos - 2) {
                error(file, "entry " + std::to_string(entry) + " at byte " + std::to_string(pos) +
                                ": its " + std::to_string(n) +
                                " bytes run past the end of the file");
                break;
            }
            list.at.push_back(pos);
            if (trains && entry > 0) checkOrder(file, entry);
            pos += 2 + n;
        }
        if (trains && trains_.size() == 0) error(file, "holds no trains");
        if (!trains && stations_.size() == 0) error(file, "holds no stations");
        return true;
    }

    // Train numbers stand in strictly ascending order: a train's index is its rank among them,
    // and the number of a train is found by that rank. Bytes compare as the code units they
    // stand for.
    void checkOrder(const std::string& file, int entry) {
        const std::string_view before = cutAtNul(trains_.name(entry - 1));
        const std::string_view number = cutAtNul(trains_.name(entry));
        if (before < number) return;
        error(file,
              "entry " + std::to_string(entry) + " does not sort after the train before it (" +
                  toUtf8(trainNumber(before)) + "): a train's number is found by its rank",
              trainNumber(number));
    }
    static std::string_view cutAtNul(std::string_view bytes) {
        return bytes.substr(0, bytes.find('\0'));
    }

    // Walks a record file record by record: a record runs up to the first 0x80 at or after its
    // start, as the program's record search reads them.
    void checkRecordFile(bool trains, int f) {
        const std::string& file = recordFileName(trains ? 'T' : 'S', f);
        ByteSpan span;
        if (!read(file, span, true)) return;
        (trains ? trainFileRead_ : stationFileRead_)[f] = true;
        fileSize_ = static_cast<std::size_t>(span.length);
        const std::uint8_t* b = span.data.get();
        const std::int32_t length = span.length;
        std::int32_t pos = 0;
        while (pos < length) {
            const void* hit = std::memchr(b + pos, 0x80, static_cast<std::size_t>(length - pos));
            const std::int32_t end =
                hit ? static_cast<std::int32_t>(static_cast<const std::uint8_t*>(hit) - b) : length;
            checkRecord(trains, f, file, b, length, pos, end, hit != nullptr);
            pos = end + 1;
        }
    }

    // The record from `pos` to `end` (its 0x80, or the end of the file when `terminated` is
    // false) of a file of `length` bytes.
    void checkRecord(bool trains, int f, const std::string& file, const std::uint8_t* b,
                     std::int32_t length, std::int32_t pos, std::int32_t end, bool terminated) {
        const std::int32_t size = end - pos;
        const int count = trains ? trains_.size() : stations_.size();
        const int fileCount = trains ? kTrainFileCount : kStationFileCount;
        const char* kind = trains ? "train" : "station";
        auto seenBefore = [&](int index) {
            return trains ? trainState_[index] != kNoRecord : stationSeen_[index] != 0;
        };
        const int digits = layout_.digits;
        if (!wideFile_ && (size < 2 || b[pos] > 0x7F || b[pos + 1] > 0x7F)) {
            // The record lookup reads the two bytes at every record start as an index wherever
            // both lie in the file, digits or not: "00 80" (a lone byte before an end marker)
            // reads as 128, "00 81" as 129. Ahead of that index's record, these bytes are what
            // the lookup finds, and the record it decodes from them is made of what follows.
            if (pos + 1 < length) {
                const int index = b[pos] * 128 + b[pos + 1];
                if (index < count && (index + 1) % fileCount == f && !seenBefore(index)) {
                    error(file,
                          atByte(pos) + ": its first bytes " + hexByte(b[pos]) + " " +
                              hexByte(b[pos + 1]) + " read as " + kind + " index " +
                              std::to_string(index) + ", ahead of that " + kind +
                              "'s record: the " + kind + " is read from bytes that are no record",
                          trains ? trainName(index) : std::u16string(),
                          trains ? std::u16string() : stationName(index));
                    if (trains) {
                        trainState_[index] = kBroken;
                    } else {
                        stationSeen_[index] = 1;
                    }
                    return;
                }
            }
            warning(file, "stray bytes at byte " + std::to_string(pos) +
                              " (no record index): never read");
            return;
        }
        const int index = layout_.readIndex(b + pos);
        if (!wideFile_ && (index >= count || (index + 1) % fileCount != f)) {
            warning(file, atByte(pos) + " is of " + kind + " index " + std::to_string(index) +
                              (index >= count ? ", which the name list does not hold"
                                              : ", which belongs in another file") +
                              ": never read");
            return;
        }
        auto train = [&] { return trains ? trainName(index) : std::u16string(); };
        auto station = [&] { return trains ? std::u16string() : stationName(index); };
        if (seenBefore(index)) {
            warning(file, "a second " + atByte(pos) + ": never read (the first one counts)",
                    train(), station());
            return;
        }
        if (trains) {
            trainState_[index] = kWhole;
        } else {
            stationSeen_[index] = 1;
        }
        auto broken = [&](const std::string& what) {
            error(file, atByte(pos) + ": " + what, train(), station());
            if (trains) trainState_[index] = kBroken;
        };
        if (!terminated) {
            broken("runs past the end of the file without its end marker 0x80");
            return;
        }
        const std::int32_t header = trains ? layout_.trainHeaderBytes() : digits;
        const std::int32_t item = trains ? layout_.stopBytes() : digits;
        if (size < header) {
            broken("ends after " + std::to_string(size) + " bytes, inside its " +
                   std::to_string(header) + "-byte header");
            return;
        }
        const std::int32_t high = firstHighByte(b, pos, end);
        if (high < end) {
            broken("byte " + std::to_string(high - pos) + " is " + hexByte(b[high]) +
                   ", not a base-128 digit");
            return;
        }
        if ((size - header) % item != 0) {
            broken(std::string("its end marker stands inside ") + (trains ? "stop " : "entry ") +
                   std::to_string((size - header) / item + 1) + ", not after a whole one");
            return;
        }
        if (trains) {
            checkTrainRecord(file, index, b + pos, (size - header) / item);
        } else {
            checkStationRecord(file, index, b + pos, (size - header) / item);
        }
    }

    void checkTrainRecord(const std::string& file, int t, const std::uint8_t* r, int stops) {
        const std::u16string train = trainName(t);
        const int d = layout_.digits;
        const DateKey from = dateAt(r + d + 2);
        const DateKey until = dateAt(r + d + 6);
        if (!isCalendarDate(from) || !isCalendarDate(until)) {
            warning(file,
                    "valid from " + std::to_string(from) + " until " + std::to_string(until) +
                        ": " +
                        (isCalendarDate(from) ? std::to_string(until) : std::to_string(from)) +
                        " is not a calendar date",
                    train);
        }
        const int rule = r[d + 10];
        if (rule >= static_cast<int>(ruleUse_.size())) ruleUse_.resize(rule + 1, {0, -1});
        if (ruleUse_[rule].first++ == 0) ruleUse_[rule].second = t;

        // A record file's stations go into a list of their own, reserved from the file's size:
        // each list stays small enough to come from the heap, and the memory goes back to it
        // for the database that is loaded after the check.
        std::vector<std::uint32_t>& stopStations = stopStationsOf(t);
        if (stopStations.capacity() == 0) {
            stopStations.reserve(fileSize_ / static_cast<std::size_t>(layout_.stopBytes()) + 1);
        }
        const std::size_t begin = stopStations.size();
        int lastKm = -1;
        bool fallReported = false;
        const bool checkStations = stationsRead_;
        for (int k = 0; k < stops; ++k) {
            const std::uint8_t* p = r + layout_.trainHeaderBytes() +
                                    static_cast<std::ptrdiff_t>(layout_.stopBytes()) * k;
            const int station = layout_.readIndex(p);
            const int hour = p[d];
            const int minute = p[d + 1];
            const int km = base128(p + d + 3);
            // Texts are made only for what is found: most stops are fine.
            auto stop = [k] { return "stop " + std::to_string(k + 1) + ": "; };
            if (checkStations && station >= stations_.size()) {
                error(file,
                      stop() + "station index " + std::to_string(station) +
                          " is beyond the last station (" + std::to_string(stations_.size() - 1) +
                          ")",
                      train);
                trainState_[t] = kBroken;
            } else {
                stopStations.push_back(static_cast<std::uint32_t>(station));
            }
            if (hour > 23) {
                error(file, stop() + "hour " + std::to_string(hour) + " is above 23", train,
                      stationName(station));
            }
            if (minute > 59) {
                error(file, stop() + "minute " + std::to_string(minute) + " is above 59", train,
                      stationName(station));
            }
            if (km < lastKm && !fallReported) {
                warning(file,
                        stop() + "the distance falls from " + std::to_string(lastKm) + " km to " +
                            std::to_string(km) + " km",
                        train, stationName(station));
                fallReported = true;
            }
            lastKm = km;
        }
        std::sort(stopStations.begin() + static_cast<std::ptrdiff_t>(begin), stopStations.end());
        for (std::size_t i = begin + 1; i < stopStations.size(); ++i) {
            if (stopStations[i] == stopStations[i - 1] &&
                (i < begin + 2 || stopStations[i] != stopStations[i - 2])) {
                warning(file, "calls twice or more at one station", train,
                        stationName(stopStations[i]));
            }
        }
        trainStopsBegin_[t] = static_cast<std::uint32_t>(begin);
        trainStopsEnd_[t] = static_cast<std::uint32_t>(stopStations.size());
    }

    void checkStationRecord(const std::string& file, int s, const std::uint8_t* r, int entries) {
        const int trains = trains_.size();
        for (int k = 0; k < entries; ++k) {
            const int t = layout_.readIndex(r + layout_.digits + layout_.digits * k);
            if (t >= trains) {
                if (trainsRead_) {
                    error(file,
                          "entry " + std::to_string(k + 1) + ": train index " + std::to_string(t) +
                              " is beyond the last train (" + std::to_string(trains - 1) + ")",
                          {}, stationName(s));
                }
                continue;
            }
            if (trainState_[t] != kWhole) continue;
            const std::vector<std::uint32_t>& stopStations = stopStationsOf(t);
            const auto first = stopStations.begin() + trainStopsBegin_[t];
            const auto last = stopStations.begin() + trainStopsEnd_[t];
            if (!std::binary_search(first, last, static_cast<std::uint32_t>(s))) {
                warning(file, "lists a train that does not call there", trainName(t),
                        stationName(s));
            }
        }
    }

    // t.rule: line k is rule k, read in pieces of at most 255 bytes.
    void checkRules() {
        ByteSpan span;
        std::vector<std::string> rules;
        const bool present = read("t.rule", span, false);
        if (present) {
            rules = splitRuleFile(std::string_view(reinterpret_cast<const char*>(span.data.get()),
                                                   static_cast<std::size_t>(span.length)));
        }
        for (std::size_t k = 0; k < rules.size(); ++k) {
            const std::string& piece = rules[k];
            if (piece.size() == 255 && piece.back() != '\n') {
                warning("t.rule", "the line of rule " + std::to_string(k) +
                                      " is longer than 254 bytes: its rest reads as rule " +
                                      std::to_string(k + 1));
            }
            if (parseRunningRule(ansiToWide(piece)).numbers == 0) {
                warning("t.rule",
                        "rule " + std::to_string(k) + " holds no numbers: its trains run daily");
            }
        }
        for (std::size_t r = rules.size(); r < ruleUse_.size(); ++r) {
            const auto [uses, first] = ruleUse_[r];
            if (uses == 0) continue;
            warning(
                "t.rule",
                "rule " + std::to_string(r) +
                    (present ? " is past the last line (" + std::to_string(rules.size()) + " lines)"
                             : " has no line (no t.rule)") +
                    ": " + std::to_string(uses) +
                    (uses == 1 ? " train using it runs daily" : " trains using it run daily"),
                trainName(first));
        }
    }

    // name.txt and ads.txt: UTF-16LE after a byte-order mark, read as white-space separated
    // tokens taken in pairs. The loader pairs across lines, so a line with an odd number of
    // tokens shifts the pairs after it, and a last token without a partner is lost.
    void checkTokenFile(const std::string& file) {
        ByteSpan span;
        if (!read(file, span, false)) return;
        const std::size_t n = static_cast<std::size_t>(span.length) / 2;
        auto unit = [&](std::size_t i) {
            return static_cast<char16_t>(span.data[2 * i] | span.data[2 * i + 1] << 8);
        };
        if (span.length % 2 != 0)
            warning(file, "holds an odd number of bytes: the last is ignored");
        if (n == 0) return;
        if (unit(0) != 0xFEFF) {
            warning(file,
                    "does not start with the byte-order mark FF FE: its first character is "
                    "skipped");
        }
        int line = 1;
        int tokens = 0;
        bool inToken = false;
        auto endLine = [&] {
            if (tokens % 2 != 0) {
                warning(file, "line " + std::to_string(line) + " holds " + std::to_string(tokens) +
                                  (tokens == 1 ? " token" : " tokens") +
                                  ", an odd number: the pairs after it are shifted");
            }
            ++line;
            tokens = 0;
            inToken = false;
        };
        for (std::size_t i = 1; i < n; ++i) {
            const char16_t c = unit(i);
            if (c == u'\n') {
                endLine();
            } else if (isWideSpace(c)) {
                inToken = false;
            } else if (!inToken) {
                inToken = true;
                ++tokens;
            }
        }
        endLine();
    }

    std::u16string folder_;
    CheckReport report_;
    NameList stations_;  // s.i: station index -> name, as far as it decodes
    NameList trains_;    // t.i: train index -> number, as far as it decodes
    bool stationsRead_ = false;
    bool trainsRead_ = false;
    bool trainFileRead_[kTrainFileCount] = {};
    bool stationFileRead_[kStationFileCount] = {};
    std::vector<std::uint8_t> trainState_;   // train index -> TrainState
    std::vector<std::uint8_t> stationSeen_;  // station index -> record found
    // Per train file, the stations of every train's whole stops, each train's run sorted by
    // station index.
    std::vector<std::uint32_t> stopStations_[kTrainFileCount];
    // The stop stations of train t's record: one list per narrow train file, one for T.dat.
    std::vector<std::uint32_t>& stopStationsOf(int t) {
        return stopStations_[layout_.digits == 2 ? (t + 1) % kTrainFileCount : 0];
    }
    RecordLayout layout_;                         // of the record file being checked
    bool wideFile_ = false;                       // it is S.dat or T.dat
    std::size_t fileSize_ = 0;                    // of the record file being checked
    std::vector<std::uint32_t> trainStopsBegin_;  // train index -> its range in its file's list
    std::vector<std::uint32_t> trainStopsEnd_;
    std::vector<std::pair<int, int>> ruleUse_;  // rule number -> trains using it, the first
};

}  // namespace

const std::vector<std::string>& timetableFileNames() {
    static const std::vector<std::string> names = makeNames();
    return names;
}

std::size_t requiredTimetableFileCount() {
    return requiredDataFiles().size();
}

CheckReport checkTimetable(const std::u16string& folder) {
    return Checker(folder).run();
}

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
            static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
            static_cast<long long>(st.st_mtim.tv_nsec)};
}

std::string timetableFilesStamp(const std::u16string& folder,
                                const std::map<std::string, FileIdentity>& opened) {
    const std::string base = toUtf8(folder) + '/';
    std::string stamp;
    for (const std::string& name : timetableFileNames()) {
        stamp += name;
        FileIdentity identity;
        bool known = false;
        if (const auto it = opened.find(name); it != opened.end()) {
            identity = it->second;
            known = true;
        } else if (struct stat st; ::stat((base + name).c_str(), &st) == 0) {
            identity = identityOf(st);
            known = true;
        }
        if (known) {
            for (long long value : {identity.device, identity.inode, identity.size,
                                    identity.seconds, identity.nanoseconds}) {
                stamp += ' ' + std::to_string(value);
            }
        }
        stamp += '\n';
    }
    return stamp;
}

std::string describeFinding(const CheckFinding& finding) {
    std::string text = finding.file + ": " + finding.what;
    if (!finding.train.empty() || !finding.station.empty()) {
        text += " (";
        if (!finding.train.empty()) text += "train " + toUtf8(finding.train);
        if (!finding.train.empty() && !finding.station.empty()) text += ", ";
        if (!finding.station.empty()) text += "station " + toUtf8(finding.station);
        text += ")";
    }
    return text;
}

}  // namespace zelvan
