// The two forms of the record files. A timetable of at most 16,384 stations and 16,384 trains
// keeps the handheld's narrow form: S0-S9.dat and T0-T19.dat, every index two base-128 digits,
// a record found by a walk over its file. A larger one is written in the wide form: one S.dat
// and one T.dat, indices of three or four digits, each file headed by tables that find a record
// and a name without reading anything else (docs/formats.md, "Record files of a large
// timetable"). A reader of the narrow form finds no T0.dat in a wide folder and refuses it.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "db/byte_span.h"
#include "db/records.h"

namespace zelvan {

// Most stations or trains of the narrow form: two base-128 digits.
inline constexpr int kNarrowIndexLimit = 128 * 128;
// The wide files' names.
inline constexpr const char* kWideStationFile = "S.dat";
inline constexpr const char* kWideTrainFile = "T.dat";

// How the records of one timetable are laid out: `digits` base-128 digits (high digit first) per
// train or station index; everything else as in the narrow form.
struct RecordLayout {
    int digits = 2;

    // Train record: index, kind, factor, valid from (4), valid until (4), rule, then the stops.
    int trainHeaderBytes() const { return digits + 11; }
    // Stop: station, arrival hour, minute, dwell, distance (2).
    int stopBytes() const { return digits + 5; }
    int readIndex(const std::uint8_t* b) const {
        int value = 0;
        for (int i = 0; i < digits; ++i) value = value * 128 + b[i];
        return value;
    }
    // The stop at `bytes` (stopBytes() of them); `sequence` is its position in the run.
    StopRecord stop(const std::uint8_t* bytes, int sequence) const {
        StopRecord stop;
        stop.station = readIndex(bytes);
        const std::uint8_t* rest = bytes + digits;
        stop.arrivalHour = rest[0];
        stop.arrivalMinute = rest[1];
        stop.dwellMinutes = rest[2];
        stop.distanceKm = rest[3] * 128 + rest[4];
        stop.sequence = sequence;
        return stop;
    }
    int stopStation(const std::uint8_t* bytes) const { return readIndex(bytes); }
    int stopKm(const std::uint8_t* bytes) const {
        return bytes[digits + 3] * 128 + bytes[digits + 4];
    }
};

// The header of a wide record file, read in place:
//   0   4            80 5A 57 d: 0x80 (no record starts with it), "ZW", d = '3' or '4' digits
//   4   4            n, the number of stations (S.dat) or trains (T.dat), little-endian
//   8   4 (n + 1)    record offsets: record i is the bytes from offset i to offset i + 1
//   ..  4 n          name offsets: where entry i's name bytes begin in s.i (t.i)
//   ..  4 n          S.dat only: the station indices in the order of their names' bytes
//   ..               the records
// Every table entry is little-endian; a record's range is empty when it has no record.
class WideRecordFile {
  public:
    static constexpr int kHeaderBytes = 8;

    // The header of `span` when it is a wide record file whose tables fit in it; else one that
    // is not valid().
    static WideRecordFile of(const ByteSpan& span, bool stations) {
        WideRecordFile file;
        const std::uint8_t* b = span.data.get();
        if (span.length < kHeaderBytes || b == nullptr) return file;
        if (b[0] != 0x80 || b[1] != 'Z' || b[2] != 'W' || (b[3] != '3' && b[3] != '4')) {
            return file;
        }
        const std::uint32_t n = read32(b + 4);
        const std::uint64_t tables = std::uint64_t{n} * (stations ? 12 : 8) + 4;
        if (kHeaderBytes + tables > static_cast<std::uint64_t>(span.length)) return file;
        file.bytes_ = b;
        file.length_ = static_cast<std::uint32_t>(span.length);
        file.count_ = n;
        file.stations_ = stations;
        file.layout_.digits = b[3] - '0';
        return file;
    }
    // True when the magic bytes say wide, whatever the rest holds.
    static bool marked(const ByteSpan& span) {
        return span.length >= 4 && span.data && span.data[0] == 0x80 && span.data[1] == 'Z' &&
               span.data[2] == 'W';
    }

    bool valid() const { return bytes_ != nullptr; }
    const RecordLayout& layout() const { return layout_; }
    std::uint32_t count() const { return count_; }
    // Where the records begin: after the tables.
    std::uint32_t recordsStart() const {
        return kHeaderBytes + 4 * (count_ + 1) + 4 * count_ + (stations_ ? 4 * count_ : 0);
    }
    // The bytes of record `index` as [begin, end) offsets into the file; false when it has none
    // or its range does not lie within the file after the tables.
    bool record(std::int64_t index, std::uint32_t& begin, std::uint32_t& end) const {
        if (index < 0 || index >= count_) return false;
        const std::uint8_t* table = bytes_ + kHeaderBytes + 4 * index;
        begin = read32(table);
        end = read32(table + 4);
        return begin < end && begin >= recordsStart() && end <= length_;
    }
    // Where entry `index`'s name bytes begin in the name list, as stored (unchecked).
    std::uint32_t nameOffset(std::uint32_t index) const {
        return read32(bytes_ + nameTable() + 4 * index);
    }
    // The offset in the file of the table of name offsets.
    std::uint32_t nameTable() const { return kHeaderBytes + 4 * (count_ + 1); }
    // S.dat: the station at position `rank` of the name order (unchecked).
    std::uint32_t stationByName(std::uint32_t rank) const {
        return read32(bytes_ + kHeaderBytes + 4 * (count_ + 1) + 4 * count_ + 4 * rank);
    }
    const std::uint8_t* bytes() const { return bytes_; }
    std::uint32_t length() const { return length_; }

    static std::uint32_t read32(const std::uint8_t* b) {
        return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
               std::uint32_t{b[3]} << 24;
    }

  private:
    const std::uint8_t* bytes_ = nullptr;
    std::uint32_t length_ = 0;
    std::uint32_t count_ = 0;
    bool stations_ = false;
    RecordLayout layout_;
};

// The wide record file among a timetable's train (station) files: the one file of a timetable of
// the wide form; not valid() for the narrow form's twenty (ten).
inline WideRecordFile wideRecordFile(const std::vector<ByteSpan>& files, bool stations) {
    if (files.size() != 1) return {};
    return WideRecordFile::of(files.front(), stations);
}

}  // namespace zelvan
