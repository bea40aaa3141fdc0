// The one in-memory timetable: the data files of one folder, the indexes built from them, and
// the query context that decoding reads. Every query is an operation of this object.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/byte_span.h"
#include "db/name_lists.h"
#include "db/record_layout.h"
#include "db/records.h"
#include "db/running_days.h"
#include "db/timetable_check.h"
#include "db/timetable_extensions.h"

namespace zelvan {

struct ResultRow;

// What the text of a station field names, as the query dialogs and the command line take it.
enum class TypedNameKind : int {
    Empty = 0,    // nothing but white space
    Place = 1,    // a place the queries know (placeStations finds it): taken as typed
    Unique = 2,   // one station by its code, pinyin, initials, first characters or Latin words
    Several = 3,  // more than one station, and not exactly one of them named in full
    Unknown = 4,  // no station
};

struct TypedName {
    TypedNameKind kind = TypedNameKind::Empty;
    std::u16string name;                     // what to query: the place, or the one station
    std::vector<std::u16string> candidates;  // Several: the stations found, busiest first
};

// Number of train files (T0-T19) and station files (S0-S9).
inline constexpr int kTrainFileCount = 20;
inline constexpr int kStationFileCount = 10;

class TimetableDb {
  public:
    // The single database of the process, created on first use and destroyed at exit.
    static TimetableDb& instance();

    // An empty database whose folder is the folder of the program file.
    TimetableDb();
    virtual ~TimetableDb();
    TimetableDb(const TimetableDb&) = delete;
    TimetableDb& operator=(const TimetableDb&) = delete;

    // --- Loading (db/timetable_db.cpp) ---

    // Opens every data file of `dataFolder` (none: the folder resolveDataFolder chooses, see
    // db/data_folder.h). True when all the required files were there; on false whatever was
    // opened before the failure stays loaded. The files are mapped (see mapFiles); names are
    // converted and indexes built as questions first need them.
    bool load(std::optional<std::u16string> dataFolder = std::nullopt);
    // Releases the record files and empties the indexes; leaves folder, ads and query context.
    void clear();
    // Reads a whole regular file as raw bytes: maps it when `map` is true and the file system
    // can, else copies it. False (and an empty span) when it cannot be opened or read
    // completely. Copying is the default: a mapped file cut short in place while its bytes are
    // read kills the reader (SIGBUS), so only the database's own files are mapped, and only
    // when mapFiles asks for it.
    // `identity`, when given, is set to the identity of the file read.
    static bool readWholeFile(const std::u16string& path, ByteSpan& span, bool map = false,
                              FileIdentity* identity = nullptr);
    // Opens a regular file to be read page by page as its bytes are asked for (a paged span,
    // see ByteSpan::ready): what a timetable of the wide form does with its large files.
    static bool readPagedFile(const std::u16string& path, ByteSpan& span,
                              FileIdentity* identity = nullptr);
    // The folder that holds the program file, without a trailing separator ("" if unknown).
    static std::u16string programFolder();
    // `folder` + separator + `fileName`.
    std::u16string pathOf(std::u16string_view fileName) const;

    // --- Train records (db/train_records.cpp) ---

    // Fills `record` for the train with index `trainIndex` and sets its running status for
    // `queryDate` counted from `fromStation`. Not found: empty name, no stops.
    void decodeTrain(int trainIndex, TrainRecord& record) const;
    // The train number of a train index (by rank in `trainIndex`; past the end: the last).
    std::u16string trainNameByIndex(int trainIndex) const;

    // --- Station records (db/station_records.cpp) ---

    // Replaces `trains` with the train indices stored for the named station (empty if none).
    void trainsAtStation(const std::u16string& stationName, std::vector<int>& trains) const;
    // The train indices the record of a station lists, by index; none when it has no record.
    std::optional<std::vector<int>> storedTrainList(int stationIndex) const;
    // The name of a station index; out of range (negative too) gives the last station's name.
    std::u16string stationNameByIndex(int stationIndex) const;

    // The status of a decoded train counted up to its first stop at `station` rather than at
    // fromStation: the run a row starting there belongs to, where the train calls at another
    // station of the queried place than the queried station itself.
    RunStatus runningStatusAt(const TrainRecord& train, int station) const;

    // --- Auxiliary tables (db/aux_tables.cpp) ---

    bool loadStationCodes(const std::u16string& path);
    // The same, with the file read at once and parsed when the codes are first used.
    bool deferStationCodes(const std::u16string& path);
    bool loadAds(const std::u16string& path);
    // Sets `version` to the first line of ver.txt, line break included; unchanged if missing.
    void readDatabaseVersion(std::u16string& version) const;

    // --- Station-name resolution (db/station_names.cpp) ---

    // Exact lookup with the alias 宁波 -> 宁波东; -1 when no station has the name.
    int stationIndexByName(const std::u16string& name) const;
    // The train's stop for a place name, trying the station suffixes in their fixed order.
    std::optional<StopRecord> findStopForPlace(const std::u16string& place,
                                               const TrainRecord& train) const;
    // Replaces `names` with the stations whose code matches `typed`, busiest first.
    void suggestStations(const std::u16string& typed, std::vector<std::u16string>& names) const;
    // Replaces `names` with the stations whose name starts with `typed`, or whose pinyin
    // (pinyin.txt, db/station_pinyin.cpp) starts with it or has it as initials, or a word of
    // whose Latin name does (case, accents and letters written as two folded); busiest first,
    // each name once, then those whose feed stop id is `typed`; at most `limit` names (0: all).
    // Empty or blank text finds nothing.
    void findStations(const std::u16string& typed, std::vector<std::u16string>& names,
                      std::size_t limit = 0) const;

    // What `typed` names (white space around it aside). A place is taken as typed; otherwise
    // the stations that suggestStations and findStations offer, of which one is taken when it
    // is the only one, or the only one named in full (its code, its whole pinyin or its
    // Latin name), so that "nanjing" is 南京 beside 南京南.
    TypedName resolveTypedName(const std::u16string& typed) const;

    // --- Result rows (fare/result_row.cpp, library zelvan_fare) ---

    // Builds the row for `train` from `departure` to `arrival`; false when there is none.
    bool buildResultRow(const TrainRecord& train, const StopRecord* departure,
                        const StopRecord* arrival, ResultRow& row) const;
    // The same row for a stretch a query found (same queryDate and fromStation), read from the
    // record without decoding it; false when the stretch does not fit the record.
    bool buildResultRow(const TrainStretch& stretch, ResultRow& row) const;

    // --- Queries (query/, library zelvan_query) ---

    // Train index of the first name at key-order position `start` or later that contains
    // `text` (whole-number mode: `text` ends a number, before "/" or at the end); -1 if none.
    int findTrainByNumber(const std::u16string& text, int start, bool wholeNumber) const;
    // The train whose stops the list of stops shows for a number: findTrainByNumber's, or, when
    // several trains are shown under that train's number (an imported timetable's runs that
    // differ by day), the first of them running on queryDate from its origin. -1 if none.
    int findTrainRun(const std::u16string& number) const;
    // Appends a whole-run row for every train whose number contains `text`.
    void queryTrainNumber(const std::u16string& text, std::vector<ResultRow>& rows);
    // Appends a row per through train; true when `rows` is non-empty afterwards.
    bool queryStationToStation(const std::u16string& from, const std::u16string& to,
                               std::vector<ResultRow>& rows);
    // Appends a row per train calling at the station, from there to its terminus.
    void queryStation(const std::u16string& stationName, std::vector<ResultRow>& rows);
    // The same two queries answered as numbers: a stretch for every row the query would append,
    // in the same order, each ready to become that row (buildResultRow below).
    bool findStationToStation(const std::u16string& from, const std::u16string& to,
                              std::vector<TrainStretch>& stretches);
    void findStationTrains(const std::u16string& stationName, std::vector<TrainStretch>& stretches);
    // Appends up to 15 transfer stations between `from` and `to`, best first.
    void queryTransferStations(const std::u16string& from, const std::u16string& to,
                               std::vector<std::u16string>& stations);
    // station index -> least distance (km) to or from the named station along one train.
    void collectReachableStations(const std::u16string& stationName, std::map<int, int>& reach,
                                  bool forward);
    // Replaces `rows` with the trains from `from` to `via`, then from `via` to `to`; returns the
    // number of first-leg rows (transferLegCount).
    int queryTransferTrains(const std::u16string& from, const std::u16string& via,
                            const std::u16string& to, std::vector<ResultRow>& rows);

    // True unless the train forbids boarding at stop position `from` or leaving at `to`.
    bool canBoard(int trainIndex, int position) const {
        return !extensions.restricted(trainIndex) ||
               extensions.stopExtras(trainIndex, position).board;
    }
    bool canRide(int trainIndex, int from, int to) const {
        if (!extensions.restricted(trainIndex)) return true;
        return extensions.stopExtras(trainIndex, from).board &&
               extensions.stopExtras(trainIndex, to).alight;
    }

    // --- Members, in their documented order ---

    std::u16string folder;                     // data folder, no trailing separator
    StationNameList stationNames;              // station index -> name (s.i order)
    TrainNumberIndex trainIndex;               // train number -> train index (t.i position)
    StationCodeMap stationsByCode;             // code -> names joined by "|"
    std::vector<ByteSpan> trainFiles;          // T0.dat ... T19.dat by file number
    std::vector<ByteSpan> stationFiles;        // S0.dat ... S9.dat by file number
    std::vector<std::u16string> runningRules;  // rule number -> line of t.rule
    std::vector<std::u16string> adTitles;      // recommended downloads: titles
    std::vector<std::u16string> adLinks;       // ... and their links, parallel to adTitles
    // The optional tables beyond the record files: service days, numbers shown, route types,
    // stop restrictions, station extras, time zone and tariff (empty for a native timetable).
    TimetableExtensions extensions;
    // The data files the last load read, by file name, as they were when it opened them: their
    // stamp (timetableFilesStamp) needs no second look at them.
    std::map<std::string, FileIdentity> openedFiles;
    DateKey queryDate = 0;  // day of travel for the next decode
    int fromStation = -1;   // departure station index, -1 for none

    // Lookups through indexes, each built when a question first needs it, when true (the
    // default); the plain linear scans when false. Both give the same answers; tests compare
    // them.
    bool useIndexes = true;
    // The data files are mapped when true (the default): a short run reads only the pages its
    // question touches. A program that holds the timetable for long sets it to false and gets
    // copies, so that a data file rewritten in place while it runs (rather than replaced by a
    // rename, as the compiler and the update do) cannot end it: a mapped file cut short kills
    // its reader on the next touch of the lost pages (SIGBUS).
    bool mapFiles = true;

    // Offset of the record of `index` in `file` as a scan from the file's start finds it, or
    // -1. `trains` selects the train files, else the station files.
    int findRecord(bool trains, int index) const;
    // True when the record offsets of file number `file` were built from the file held now.
    bool fileIndexed(bool trains, int file) const;

    // The stations a place name stands for, in the order of the suffix table: what
    // findStopForPlace tries, resolved once for a whole query.
    struct PlaceStations {
        std::array<int, 8> stations{};
        int count = 0;
    };
    PlaceStations placeStations(const std::u16string& place) const;
    // The train's stop that findStopForPlace gives for the place; null when none.
    static const StopRecord* stopForPlace(const PlaceStations& place, const TrainRecord& train);
    // Forgets every index built so far; each is built again from the files and names held now
    // when a question next needs it.
    void buildIndexes();

    // What has been read and indexed so far: the record files whose offsets were built, the
    // stations whose train lists were read (and of those, whose distances were), the station
    // names converted, and whether the full train-number map and the code map were built.
    struct IndexState {
        std::vector<int> indexedTrainFiles;
        std::vector<int> indexedStationFiles;
        std::vector<int> listedStations;
        std::vector<int> measuredStations;
        std::size_t convertedStationNames = 0;
        bool stationNameIndex = false;
        bool trainNumberMap = false;
        bool stationCodes = false;
    };
    IndexState indexState() const;

    // The journey planner reads every train's record as it is (header and stops), without
    // the number and status decodeTrain looks up for a train shown.
    friend struct TimetableArrays buildTimetableArrays(const TimetableDb& db);

  private:
    // The stored train number of a train index (as trainNameByIndex); false when there is none.
    bool trainNameAt(int trainIndex, std::u16string& name) const;
    // Key-order position and train index of the first match at `start` or later; {-1, -1}.
    std::pair<int, int> findTrainPosition(const std::u16string& text, int start,
                                          bool wholeNumber) const;
    // A train's record as decodeTrain reads it, undecoded: the header (after the train index:
    // kind, factor, valid from, valid until, rule) and the stops, layout.stopBytes() each. No
    // stops (count 0) when the train is not found; then the header may be cut short.
    struct RawTrain {
        const std::uint8_t* header = nullptr;  // at the kind code
        const std::uint8_t* stops = nullptr;
        int count = 0;
        RecordLayout layout;
        // Set for a train that stands longer at a stop than its record says (t.stops).
        const TimetableExtensions* extensions = nullptr;
        int train = -1;
        // Stop `position` (0 <= position < count), decoded.
        StopRecord stop(int position) const {
            StopRecord decoded = layout.stop(stopBytes(position), position);
            if (extensions) extensions->applyDwell(train, decoded);
            return decoded;
        }
        const std::uint8_t* stopBytes(int position) const {
            return stops + layout.stopBytes() * position;
        }
        int stationAt(int position) const { return layout.stopStation(stopBytes(position)); }
        int kmAt(int position) const { return layout.stopKm(stopBytes(position)); }
    };
    RawTrain rawTrain(int trainIndex) const;
    // A record found: its first byte, how many bytes of its file it may reach (to the end of a
    // narrow file, to the end of its range in a wide one) and the layout of its indices. Null
    // `bytes` when there is none.
    struct FoundRecord {
        const std::uint8_t* bytes = nullptr;
        std::int32_t reach = 0;
        RecordLayout layout;
    };
    FoundRecord recordOf(bool trains, int index) const;
    // The stop count of a train record found (narrow: counted once and kept).
    int stopCountAt(int trainIndex, const FoundRecord& record) const;
    // The running rule of a t.rule line (daily when there is no such line).
    RunningRule runningRuleOf(int ruleNumber) const;
    // The running status decodeTrain gives the train of a raw record with stops, its midnights
    // counted up to the first stop at `station` (all of them when it has none there).
    RunStatus runningStatusOf(int trainIndex, const RawTrain& train, int station) const;
    // The stretch of a raw train from stop `departure` to stop `arrival` (positions, -1 for
    // none) as the row builder takes them, with the status decodeTrain would give; false when
    // the builder gives no row.
    bool rawStretch(int trainIndex, const RawTrain& train, int departure, int arrival,
                    TrainStretch& stretch) const;
    // The positions of the stops that stopForPlace would give for two places, read in one pass
    // over a raw train's stops; -1 for none.
    static std::pair<int, int> placeStops(const PlaceStations& first, const PlaceStations& second,
                                          const RawTrain& train);
    // The indexed searches: emit(stretch, raw train, count) for every stretch in query order,
    // `count` times the same one.
    template <class Emit>
    void eachThroughTrain(const std::u16string& from, const std::u16string& to, Emit emit);
    template <class Emit>
    void eachStationTrain(const std::u16string& stationName, Emit emit);
    // The row of a stretch of a raw train.
    bool buildResultRow(const TrainStretch& stretch, const RawTrain& train, ResultRow& row) const;
    // A station's train list as trainsAtStation reads it from the record (empty for none),
    // read on first use.
    std::span<const std::uint32_t> stationList(int stationIndex) const;
    // Parallel to stationList: the distance of the listed train's first stop at the station,
    // kNoStop when it has none there; read from the trains' records when asked for the second
    // time (empty before).
    static constexpr std::uint16_t kNoStop = 0xFFFF;
    std::span<const std::uint16_t> stationListKm(int stationIndex) const;

    // Builds the record offsets of one file unless they were built from the file held now.
    void indexFile(bool trains, int file) const;
    // A station's cache entry, its train list read from the station file held now.
    struct StationEntry;
    StationEntry& stationEntry(int stationIndex) const;
    // The rank tables of a train-number map that is not ranked by train index.
    void rankTrainNumbers() const;
    // The name -> station table, built from the names held now, and the key of a station in
    // it: the stored UTF-8 bytes of its name up to a NUL (names set by hand: the name as UTF-8).
    void indexStationNames() const;
    std::string_view stationNameKey(std::size_t station, std::string& buffer) const;
    // FNV-1a: names are a few bytes.
    static constexpr std::uint32_t kNameHashStart = 2166136261u;
    static std::uint32_t nameHashStep(std::uint32_t hash, char c) {
        return (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    static std::uint32_t stationNameHash(std::string_view key) {
        std::uint32_t hash = kNameHashStart;
        for (const char c : key) hash = nameHashStep(hash, c);
        return hash;
    }

    // The index state is built lazily behind const operations: one thread uses a database.
    static constexpr int kRecordFileCount = kTrainFileCount + kStationFileCount;
    mutable std::array<const std::uint8_t*, kRecordFileCount> indexedFiles_{};  // built from
    mutable std::vector<std::int32_t> trainRecordAt_;    // train index -> record offset, -1 none
    static constexpr std::uint16_t kUncounted = 0xFFFF;  // not counted yet, or too many stops
    mutable std::vector<std::uint16_t> trainStopCount_;  // parallel: the record's stop count
    mutable std::vector<std::int32_t> stationRecordAt_;  // station index -> offset, -1 none
    struct StationEntry {
        std::vector<std::uint32_t> trains;   // the record's entries
        std::vector<std::uint16_t> km;       // parallel: km of the train's first stop there
        const std::uint8_t* file = nullptr;  // the station file `trains` were read from
        bool read = false;                   // `trains` read
        bool measured = false;               // km filled
        int requests = 0;                    // km asked for
        std::uint64_t generation = 0;        // measuredGeneration_ when km was filled
    };
    mutable std::vector<std::int32_t> stationEntryAt_;  // station index -> entry, -1 none yet
    // In the order first asked for; entries move as it grows, their lists' buffers do not.
    mutable std::vector<StationEntry> stationEntries_;
    // The train files the distances were last measured from, and a count of their changes.
    mutable std::array<const std::uint8_t*, kTrainFileCount> measuredFrom_{};
    mutable std::uint64_t measuredGeneration_ = 0;
    // name key -> station, open addressing: (hash of the key, station index), -1 empty; equal
    // keys stand in station order.
    mutable std::vector<std::pair<std::uint32_t, std::int32_t>> stationSlots_;
    mutable std::uint64_t stationSlotsVersion_ = ~std::uint64_t{0};
    // For a t.i in key order: every train number converted, by rank, once a process has asked
    // for many (trainNameAt), and how many it had asked for before.
    mutable std::vector<std::u16string> convertedNumbers_;
    mutable std::uint64_t convertedVersion_ = ~std::uint64_t{0};
    mutable std::size_t numbersRead_ = 0;
    // Only for a t.i out of key order: key-order rank -> train number and train index.
    mutable std::vector<std::u16string> trainNamesByRank_;
    mutable std::vector<int> trainIndexByRank_;
    mutable std::uint64_t rankVersion_ = ~std::uint64_t{0};
    // The stations findStations walks, built on its first use after a load (pinyin.txt is read
    // then, not at load).
    struct StationFinder;
    std::shared_ptr<const StationFinder> stationFinder() const;
    mutable std::shared_ptr<const StationFinder> finder_;
    // Rule lines as last read, with their rules; a line changed since is read again.
    mutable std::vector<std::pair<std::u16string, RunningRule>> parsedRules_;
};

// The number of stops of the train record at `offset` of a train file.
int trainStopCount(const ByteSpan& span, std::int32_t offset);

// The suffixes a place name is tried with to find its stations, in order; the first is none
// (the place's own station), then "东", "西", "南", "北", "虹桥", "新区", "园区".
const std::array<std::u16string_view, 8>& stationSuffixes();

}  // namespace zelvan
