// The name tables of the database, read from their files only as far as they are used: the
// station names of s.i, the train numbers of t.i and the station codes of name.txt. Each reads
// like the standard container it stands for (a vector, a map), so callers index, iterate and
// compare them as before; whatever they touch is decoded then, and the rest stays file bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "db/byte_span.h"

namespace zelvan {

// Where each entry's name bytes begin in a name list: found by a pass over the file, or read in
// place from the table a wide timetable's record file keeps (db/record_layout.h), so that a
// list of a million names is not read to be used.
class EntryOffsets {
  public:
    void clear() {
        owned_.clear();
        table_ = nullptr;
        count_ = 0;
    }
    void assign(std::vector<std::uint32_t> offsets) {
        owned_ = std::move(offsets);
        table_ = owned_.data();
        count_ = owned_.size();
    }
    // `count` little-endian offsets at `table` (4-byte aligned), held by someone else for as
    // long as these are used.
    void view(const std::uint8_t* table, std::size_t count);
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::uint32_t operator[](std::size_t i) const { return table_[i]; }
    const std::uint32_t* begin() const { return table_; }
    const std::uint32_t* end() const { return table_ + count_; }

  private:
    std::vector<std::uint32_t> owned_;
    const std::uint32_t* table_ = nullptr;
    std::size_t count_ = 0;
};

// Station index -> name, as a std::vector<std::u16string> reads. Loaded from s.i (2 bytes not
// read, then entries of a 2-byte big-endian length n and n bytes of UTF-8; an entry is read only
// while it starts before length - 2, n = 0 ends the list, a name running past the end of the
// file is cut there); each name is converted when first read.
class StationNameList {
  public:
    using Names = std::vector<std::u16string>;
    using value_type = std::u16string;
    using const_iterator = Names::const_iterator;
    using iterator = Names::const_iterator;

    StationNameList() = default;
    StationNameList(const StationNameList&) = delete;
    StationNameList& operator=(const StationNameList&) = delete;

    // Takes the bytes of an s.i file and finds its entries; names are converted on demand.
    void assignFile(ByteSpan file);
    // The same with the entries' offsets read from `table` (`count` of them, see EntryOffsets)
    // instead of found by a pass over the file.
    void assignFile(ByteSpan file, const std::uint8_t* table, std::size_t count);
    StationNameList& operator=(Names names);
    void push_back(std::u16string name);
    void clear();

    std::size_t size() const { return fromFile_ ? fileEntries_.size() : all_.size(); }
    bool empty() const { return size() == 0; }
    // The name of a station index below size(), converted on first use.
    const std::u16string& operator[](std::size_t i) const {
        if (!fromFile_ || allBuilt_) return all_[i];
        if (i < convertedAt_.size() && convertedAt_[i] >= 0) {
            // A process that reads names again and again (four times as many as there are)
            // gets all of them converted once, and reads them from a plain table after that.
            if (++reads_ > 4 * fileEntries_.size()) return all()[i];
            return converted_[static_cast<std::size_t>(convertedAt_[i])];
        }
        return convert(i);
    }
    const std::u16string& front() const { return (*this)[0]; }
    const std::u16string& back() const { return (*this)[size() - 1]; }
    // Every name, converted.
    const Names& all() const;
    operator const Names&() const { return all(); }
    const_iterator begin() const { return all().begin(); }
    const_iterator end() const { return all().end(); }
    friend bool operator==(const StationNameList& list, const Names& names) {
        return list.all() == names;
    }

    // The stored bytes of name i up to its first NUL; false (and nothing) when the names were
    // not read from a file.
    bool storedBytes(std::size_t i, std::string_view& bytes) const {
        if (!fromFile_) return false;
        const std::string_view entry = entryBytes(i);
        // A name is a few bytes: its NUL, if any, is found by hand rather than by a call.
        std::size_t end = 0;
        while (end < entry.size() && entry[end] != '\0') ++end;
        bytes = entry.substr(0, end);
        return true;
    }
    // True when the names were read from a file and the stored bytes of name i up to its first
    // NUL are `key`, a text without NUL.
    bool storedBytesAre(std::size_t i, std::string_view key) const {
        if (!fromFile_) return false;
        const std::string_view entry = entryBytes(i);
        return entry.size() >= key.size() && entry.compare(0, key.size(), key) == 0 &&
               (entry.size() == key.size() || entry[key.size()] == '\0');
    }
    bool fromFile() const { return fromFile_; }
    // The name bytes of entry i (names read from a file only): its stored length, cut at the end
    // of the file, NUL and what follows it included.
    std::string_view entryBytes(std::size_t i) const {
        const std::uint8_t* b = file_.data.get();
        const std::size_t offset = fileEntries_[i];
        // An offset from a table may be damaged: one outside the file is an empty name.
        if (offset < 2 || offset > static_cast<std::size_t>(file_.length)) return {};
        const std::size_t n = static_cast<std::size_t>(b[offset - 2] * 256 + b[offset - 1]);
        const std::size_t left = static_cast<std::size_t>(file_.length) - offset;
        return {reinterpret_cast<const char*>(b + offset), n < left ? n : left};
    }
    // Changes with every assignment or change, so that indexes built from the names can tell.
    std::uint64_t version() const { return version_; }
    // How many names have been converted from the file so far.
    std::size_t convertedCount() const { return converted_.size(); }

  private:
    const std::u16string& convert(std::size_t i) const;

    ByteSpan file_;
    bool fromFile_ = false;     // the names are file_'s entries, unchanged
    EntryOffsets fileEntries_;  // entry -> offset of its name bytes in file_
    // Names converted so far, in the order first asked for (room for every entry is reserved
    // at once: a name once handed out stays where it is), and entry -> its position there, -1
    // for not yet.
    mutable std::vector<std::u16string> converted_;
    mutable std::vector<std::int32_t> convertedAt_;
    mutable Names all_;  // every name in order (built once all are asked for, or given by hand)
    mutable bool allBuilt_ = false;
    mutable std::size_t reads_ = 0;  // names read through converted_
    std::uint64_t version_ = 0;
};

// A std::map whose content is filled on first use from a deferred source (a file kept as bytes).
// Reading or changing it fills it first; every change counts as one in version().
template <class Map>
class DeferredMap {
  public:
    using map_type = Map;
    using key_type = typename Map::key_type;
    using mapped_type = typename Map::mapped_type;
    using value_type = typename Map::value_type;
    using iterator = typename Map::iterator;
    using const_iterator = typename Map::const_iterator;

    DeferredMap() = default;
    DeferredMap(const DeferredMap&) = delete;
    DeferredMap& operator=(const DeferredMap&) = delete;

    DeferredMap& operator=(Map map) {
        edit() = std::move(map);
        return *this;
    }
    void clear() {
        fill_ = nullptr;
        map_.clear();
        ++version_;
    }

    const Map& all() const {
        if (fill_) {
            // Taken out first: a filler that reads the map sees it as filled.
            auto fill = std::move(fill_);
            fill_ = nullptr;
            fill(map_);
        }
        return map_;
    }
    operator const Map&() const { return all(); }
    std::size_t size() const { return all().size(); }
    bool empty() const { return all().empty(); }
    const_iterator begin() const { return all().begin(); }
    const_iterator end() const { return all().end(); }
    const_iterator find(const key_type& key) const { return all().find(key); }
    std::size_t count(const key_type& key) const { return all().count(key); }
    bool contains(const key_type& key) const { return all().count(key) != 0; }
    const_iterator lower_bound(const key_type& key) const { return all().lower_bound(key); }
    const_iterator upper_bound(const key_type& key) const { return all().upper_bound(key); }
    // Throws std::out_of_range for a missing key, as std::map::at does.
    const mapped_type& at(const key_type& key) const { return all().at(key); }
    friend bool operator==(const DeferredMap& deferred, const Map& map) {
        return deferred.all() == map;
    }

    // The map for a change: filled first, and counted as changed.
    Map& edit() {
        all();
        ++version_;
        return map_;
    }
    mapped_type& operator[](const key_type& key) { return edit()[key]; }
    template <class... Args>
    std::pair<iterator, bool> emplace(Args&&... args) {
        return edit().emplace(std::forward<Args>(args)...);
    }

    bool filled() const { return !fill_; }
    std::uint64_t version() const { return version_; }

  protected:
    // Empties the map and leaves `fill` to fill it when it is first used.
    void defer(std::function<void(Map&)> fill) {
        map_.clear();
        fill_ = std::move(fill);
        ++version_;
    }

  private:
    mutable Map map_;
    mutable std::function<void(Map&)> fill_;
    std::uint64_t version_ = 0;
};

// Train number -> train index (its position in t.i), as a std::map reads. t.i has the framing of
// s.i; a number is single-byte text (byte value = code unit) ending at a NUL, and a number given
// twice keeps the later position. While the file stands in strictly ascending order, as the
// compiler writes it, a train's index is its rank: the number of train index t is entry t, read
// from the file, and the map itself is built only when something asks for it.
class TrainNumberIndex : public DeferredMap<std::map<std::u16string, int>> {
  public:
    using DeferredMap::operator=;
    // Takes the bytes of a t.i file; its entries are found when first needed.
    void assignFile(ByteSpan file);
    // The same with the entries' offsets read from `table` (see EntryOffsets).
    void assignFile(ByteSpan file, const std::uint8_t* table, std::size_t count);
    void clear();
    std::size_t size() const { return ranked() ? entries_.size() : all().size(); }
    bool empty() const { return size() == 0; }

    // Takes the numbers of the file held now as standing in strict key order without comparing
    // them: for a file that passed the timetable check, which fails a t.i out of that order.
    void assumeOrdered() { orderAssumed_ = true; }
    // True when the numbers are the file's entries in strict key order, unchanged since.
    bool ranked() const {
        if (rankedVersion_ != version()) return false;
        if (!scanned_) scan();
        return ranked_;
    }
    // The number at rank `rank` < size() as single-byte text (ranked only).
    std::string_view rankBytes(std::size_t rank) const;
    // The first rank from `start` on whose number contains `bytes`, or -1 (ranked only). With
    // `wholeNumber`, `bytes` ends in "/" and is looked for in the number followed by "/". With
    // `cutRunSuffix` a number ends at its first unit separator (0x1F): an imported timetable
    // stores the further runs of a number N as N 0x1F 2, N 0x1F 3, ..., and the suffix is never
    // part of the number.
    int findRank(std::string_view bytes, std::size_t start, bool wholeNumber,
                 bool cutRunSuffix = false) const;

  private:
    // Finds the file's entries and whether they stand in strict key order.
    void scan() const;

    ByteSpan file_;
    mutable bool scanned_ = true;
    mutable EntryOffsets entries_;         // entry -> offset of its name bytes in file_
    const std::uint8_t* table_ = nullptr;  // offsets of a wide timetable, when given
    std::size_t tableCount_ = 0;
    mutable bool ranked_ = false;
    bool orderAssumed_ = false;  // assumeOrdered() since the file was assigned
    std::uint64_t rankedVersion_ = 0;
};

// Code -> names of the stations with that code joined by "|" (name.txt), as a std::map reads;
// parsed when first used.
class StationCodeMap : public DeferredMap<std::map<std::u16string, std::u16string>> {
  public:
    using DeferredMap::operator=;
    // Takes the bytes of a name.txt file; its pairs are added to the map when first used.
    void assignFile(ByteSpan file);
    void clear();

  private:
    ByteSpan file_;
};

// A t.i entry as its train number: single-byte text up to the first NUL.
std::u16string trainNumberOf(std::string_view bytes);
// Adds the (name, code) pairs of the bytes of a name.txt file to `codes`: the names of one code
// joined by "|" in file order.
void addStationCodes(const ByteSpan& file, std::map<std::u16string, std::u16string>& codes);

}  // namespace zelvan
