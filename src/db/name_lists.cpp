#include "db/name_lists.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "db/text.h"

namespace zelvan {

std::u16string trainNumberOf(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::u16string number(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        number[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
    }
    return number;
}

namespace {

// Calls take(offset, bytes) with the offset of the name bytes of each entry of a name list
// (framing above) and those bytes: an entry is read only while it starts before length - 2,
// n = 0 ends the list, a name running past the end of the file is cut there.
template <class Take>
void eachEntry(const ByteSpan& file, Take take) {
    const std::uint8_t* b = file.data.get();
    const std::int32_t length = file.length;
    for (std::int32_t pos = 2; pos < length - 2;) {
        const std::int32_t n = b[pos] * 256 + b[pos + 1];
        if (n == 0) break;
        const std::int32_t start = pos + 2;
        take(static_cast<std::uint32_t>(start),
             std::string_view(reinterpret_cast<const char*>(b + start),
                              static_cast<std::size_t>(std::min(n, length - start))));
        pos = start + n;
    }
}

// The most entries a name list can hold (each takes its 2-byte length and at least a byte):
// room reserved for them at once is only touched as far as entries fill it, while a list grown
// step by step copies itself into new pages.
std::size_t mostEntries(const ByteSpan& file) {
    return file.length > 2 ? static_cast<std::size_t>(file.length - 2) / 3 + 1 : 0;
}

}  // namespace

void EntryOffsets::view(const std::uint8_t* table, std::size_t count) {
    owned_.clear();
    if constexpr (std::endian::native == std::endian::little) {
        if (reinterpret_cast<std::uintptr_t>(table) % alignof(std::uint32_t) == 0) {
            table_ = reinterpret_cast<const std::uint32_t*>(table);
            count_ = count;
            return;
        }
    }
    std::vector<std::uint32_t> copy(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* b = table + 4 * i;
        copy[i] = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
                  std::uint32_t{b[3]} << 24;
    }
    assign(std::move(copy));
}

namespace {

std::vector<std::uint32_t> entryOffsets(const ByteSpan& file) {
    std::vector<std::uint32_t> offsets;
    offsets.reserve(mostEntries(file));
    eachEntry(file, [&](std::uint32_t offset, std::string_view) { offsets.push_back(offset); });
    return offsets;
}

// The name bytes of the entry at `offset`: its stored length, cut at the end of the file; empty
// for an offset outside the file (a damaged table).
std::string_view entryAt(const ByteSpan& file, std::uint32_t offset) {
    if (offset < 2 || offset > static_cast<std::uint32_t>(file.length)) return {};
    const std::uint8_t* b = file.data.get();
    const std::size_t n = static_cast<std::size_t>(b[offset - 2] * 256 + b[offset - 1]);
    const std::size_t left = static_cast<std::size_t>(file.length) - offset;
    return {reinterpret_cast<const char*>(b + offset), n < left ? n : left};
}

// a < b, byte by byte as unsigned values (train numbers are a few bytes: no call for them).
bool precedes(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

}  // namespace

// --- StationNameList ---

void StationNameList::assignFile(ByteSpan file) {
    clear();
    file_ = std::move(file);
    fileEntries_.assign(entryOffsets(file_));
    fromFile_ = true;
}

void StationNameList::assignFile(ByteSpan file, const std::uint8_t* table, std::size_t count) {
    clear();
    file_ = std::move(file);
    fileEntries_.view(table, count);
    fromFile_ = true;
}

StationNameList& StationNameList::operator=(Names names) {
    clear();
    all_ = std::move(names);
    return *this;
}

void StationNameList::push_back(std::u16string name) {
    all();
    fromFile_ = false;
    all_.push_back(std::move(name));
    ++version_;
}

void StationNameList::clear() {
    file_.release();
    fileEntries_.clear();
    fromFile_ = false;
    converted_.clear();
    convertedAt_.clear();
    all_.clear();
    allBuilt_ = false;
    reads_ = 0;
    ++version_;
}

const std::u16string& StationNameList::convert(std::size_t i) const {
    if (convertedAt_.empty()) {
        convertedAt_.assign(fileEntries_.size(), -1);
        converted_.reserve(fileEntries_.size());
    }
    std::int32_t& at = convertedAt_[i];
    if (at < 0) {
        at = static_cast<std::int32_t>(converted_.size());
        converted_.push_back(utf8ToWide(entryBytes(i)));
    }
    return converted_[static_cast<std::size_t>(at)];
}

const StationNameList::Names& StationNameList::all() const {
    if (fromFile_ && !allBuilt_) {
        all_.clear();
        all_.reserve(fileEntries_.size());
        for (std::size_t i = 0; i < fileEntries_.size(); ++i) {
            const bool converted = i < convertedAt_.size() && convertedAt_[i] >= 0;
            all_.push_back(converted ? converted_[static_cast<std::size_t>(convertedAt_[i])]
                                     : utf8ToWide(entryBytes(i)));
        }
        allBuilt_ = true;
    }
    return all_;
}

// --- TrainNumberIndex ---

void TrainNumberIndex::assignFile(ByteSpan file, const std::uint8_t* table, std::size_t count) {
    assignFile(std::move(file));
    table_ = table;
    tableCount_ = count;
}

void TrainNumberIndex::assignFile(ByteSpan file) {
    file_ = std::move(file);
    entries_.clear();
    table_ = nullptr;
    tableCount_ = 0;
    scanned_ = false;
    orderAssumed_ = false;
    defer([this](map_type& map) {
        scan();
        int counter = 0;
        for (const std::uint32_t offset : entries_) {
            // In key order each name belongs at the end and the hint saves the search; a name
            // out of order is placed by the usual one. A name twice keeps the later number.
            auto it = map.try_emplace(map.end(), trainNumberOf(entryAt(file_, offset)), counter);
            it->second = counter++;
        }
    });
    rankedVersion_ = version();
}

void TrainNumberIndex::scan() const {
    if (scanned_) return;
    // One pass finds the entries and checks their order: strictly ascending byte order up to
    // each NUL is strictly ascending code-unit order.
    ranked_ = true;
    std::string_view previous;
    // A number is a few bytes: its NUL, if any, is found by hand rather than by a call.
    const auto inOrder = [&](std::size_t entry, std::string_view name) {
        if (!ranked_ || orderAssumed_) return;
        std::size_t end = 0;
        while (end < name.size() && name[end] != '\0') ++end;
        name = name.substr(0, end);
        if (entry > 0 && !precedes(previous, name)) ranked_ = false;
        previous = name;
    };
    if (table_ != nullptr) {
        // A wide timetable's table: the order is checked only where the file's check has not.
        entries_.view(table_, tableCount_);
        for (std::size_t i = 0; i < entries_.size() && ranked_ && !orderAssumed_; ++i) {
            inOrder(i, entryAt(file_, entries_[i]));
        }
    } else {
        std::vector<std::uint32_t> offsets;
        offsets.reserve(mostEntries(file_));
        eachEntry(file_, [&](std::uint32_t offset, std::string_view name) {
            inOrder(offsets.size(), name);
            offsets.push_back(offset);
        });
        entries_.assign(std::move(offsets));
    }
    scanned_ = true;
}

void TrainNumberIndex::clear() {
    DeferredMap::clear();
    file_.release();
    entries_.clear();
    table_ = nullptr;
    tableCount_ = 0;
    scanned_ = true;
    ranked_ = false;
    orderAssumed_ = false;
}

std::string_view TrainNumberIndex::rankBytes(std::size_t rank) const {
    std::string_view name = entryAt(file_, entries_[rank]);
    return name.substr(0, name.find('\0'));
}

int TrainNumberIndex::findRank(std::string_view bytes, std::size_t start, bool wholeNumber,
                               bool cutRunSuffix) const {
    if (start >= entries_.size()) return -1;
    // The whole file is searched at once and a hit is kept when it lies inside one number: far
    // cheaper than a search per number, and the framing bytes between numbers only cost a
    // check now and then. A whole number's "/" may be the one appended after its end.
    const std::string_view probe = wholeNumber ? bytes.substr(0, bytes.size() - 1) : bytes;
    if (probe.empty() && !wholeNumber) return static_cast<int>(start);
    if (probe.empty()) {
        // An empty whole number stands only where a name is empty or has a "/" at its start,
        // at its end or next to another "/".
        for (std::size_t rank = start; rank < entries_.size(); ++rank) {
            std::string_view number = rankBytes(rank);
            if (cutRunSuffix) number = number.substr(0, number.find('\x1F'));
            if (number.empty() || number.front() == '/' || number.back() == '/' ||
                number.find("//") != std::string_view::npos) {
                return static_cast<int>(rank);
            }
        }
        return -1;
    }
    const std::string_view file(reinterpret_cast<const char*>(file_.data.get()),
                                static_cast<std::size_t>(file_.length));
    std::size_t rank = start;
    for (std::size_t from = entries_[start];;) {
        const std::size_t hit = file.find(probe, from);
        if (hit == std::string_view::npos) return -1;
        const std::uint32_t* after = std::upper_bound(
            entries_.begin() + static_cast<std::ptrdiff_t>(rank), entries_.end(), hit);
        // Offsets out of order (a damaged table) may put the hit before the search's start.
        if (after == entries_.begin() + static_cast<std::ptrdiff_t>(rank) ||
            entries_[static_cast<std::size_t>(after - entries_.begin() - 1)] > hit) {
            from = hit + 1;
            continue;
        }
        rank = static_cast<std::size_t>(after - entries_.begin() - 1);
        std::string_view number = rankBytes(rank);
        if (cutRunSuffix) number = number.substr(0, number.find('\x1F'));
        const std::size_t end = hit - entries_[rank] + probe.size();
        const std::size_t begin = end - probe.size();
        if (end <= number.size() &&
            (!wholeNumber || ((begin == 0 || number[begin - 1] == '/') &&
                              (end == number.size() || number[end] == '/')))) {
            return static_cast<int>(rank);
        }
        from = hit + 1;
    }
}

// --- StationCodeMap ---

void StationCodeMap::assignFile(ByteSpan file) {
    file_ = std::move(file);
    defer([this](map_type& map) {
        addStationCodes(file_, map);
        file_.release();
    });
}

void StationCodeMap::clear() {
    DeferredMap::clear();
    file_.release();
}

}  // namespace zelvan
