// Matching typed text against station names and their pinyin, and the lazily built list of
// stations that TimetableDb::findStations walks.
#include "db/station_pinyin.h"

#include <algorithm>

#include "db/text.h"
#include "db/timetable_db.h"
#include "db/wide_space.h"

namespace zelvan {
namespace {

// Separators people put between syllables: space, apostrophe (ASCII, typographic, full-width)
// and the ideographic space of a Chinese input method.
bool isSeparator(char16_t c) {
    return c == u' ' || c == u'\'' || c == u'\u2019' || c == u'\uFF07' || c == u'\u3000';
}

// A syllable is at most six letters ("zhuang", "chuang"); a little room for odd spellings.
constexpr std::size_t kMaxSyllable = 8;
// Station names hold at most 511 units; no reading is longer than that in syllables.
constexpr std::size_t kMaxSyllables = 64;

}  // namespace

TypedStation::TypedStation(std::u16string_view typed) {
    std::size_t begin = 0;
    std::size_t end = typed.size();
    while (begin < end && isWideSpace(typed[begin])) ++begin;
    while (end > begin && isWideSpace(typed[end - 1])) --end;
    text.assign(typed.substr(begin, end - begin));

    pinyin = !text.empty();
    for (char16_t c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c >= u'a' && c <= u'z') {
            letters.push_back(static_cast<char>(c));
        } else if (isSeparator(c)) {
            // Separators at the start, doubled ones and the one at the end add nothing.
            if (!letters.empty() && (breaks.empty() || breaks.back() != letters.size())) {
                breaks.push_back(static_cast<std::uint16_t>(letters.size()));
            }
        } else {
            pinyin = false;
            break;
        }
    }
    if (!breaks.empty() && breaks.back() == letters.size()) breaks.pop_back();
    // Too long to be the pinyin of any station, and keeps the offsets small.
    if (letters.empty() || letters.size() > kMaxSyllable * kMaxSyllables) pinyin = false;
    if (!pinyin) {
        letters.clear();
        breaks.clear();
    }
}

std::string foldLatin(std::u16string_view name) {
    // U+00C0-U+024F to their base letters ('.' for none), as NFKD less the marks gives them.
    static constexpr std::string_view kBase =
        "aaaaaaaceeeeiiiidnooooo.ouuuuytsaaaaaaaceeeeiiiidnooooo.ouuuuyty"
        "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkklllllll"
        "lllnnnnnn.nnoooooooorrrrrrsssssssstttt..uuuuuuuuuuuuwwyyyzzzzzzs"
        "................................oo.............uu..............."
        "....dddlllnnnaaiioouuuuuuuuuu.aaaa....ggkkoooo..jdddgg..nnaa...."
        "aaaaeeeeiiiioooorrrruuuusstt..hh......aaeeooooooooyy............"
        "................";
    std::string folded;
    bool letter = false;
    for (const char16_t c : name) {
        // Letters travellers type as two: Straße as strasse, Æbelø as aebelo.
        const char* pair = nullptr;
        switch (c) {
            case u'\u00DF':  // ß
            case u'\u1E9E':  // ẞ
                pair = "ss";
                break;
            case u'\u00C6':  // Æ
            case u'\u00E6':
                pair = "ae";
                break;
            case u'\u0152':  // Œ
            case u'\u0153':
                pair = "oe";
                break;
            case u'\u00DE':  // Þ
            case u'\u00FE':
                pair = "th";
                break;
            default:
                break;
        }
        if (pair != nullptr) {
            folded += pair;
            letter = true;
            continue;
        }
        char base = 0;
        if (c >= u'A' && c <= u'Z') {
            base = static_cast<char>(c - u'A' + 'a');
        } else if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            base = static_cast<char>(c);
        } else if (c >= 0xC0 && c < 0xC0 + kBase.size() && kBase[c - 0xC0] != '.') {
            base = kBase[c - 0xC0];
        } else if (c == 0x0300 || (c > 0x0300 && c <= 0x036F)) {
            continue;  // a combining mark: the letter before it stands
        }
        if (base != 0) {
            letter = letter || (base >= 'a' && base <= 'z');
            folded.push_back(base);
        } else if (!folded.empty() && folded.back() != ' ') {
            folded.push_back(' ');
        }
    }
    if (!folded.empty() && folded.back() == ' ') folded.pop_back();
    return letter ? folded : std::string();
}

bool latinMatches(std::string_view folded, std::string_view typed) {
    if (typed.empty() || folded.size() < typed.size()) return false;
    for (std::size_t at = 0; at + typed.size() <= folded.size();) {
        if (folded.compare(at, typed.size(), typed) == 0) return true;
        const std::size_t space = folded.find(' ', at);
        if (space == std::string_view::npos) return false;
        at = space + 1;
    }
    return false;
}

bool readingMatches(const PinyinReading& reading, const TypedStation& typed) {
    if (!typed.pinyin) return false;
    const std::string& q = typed.letters;
    if (reading.letters.compare(0, q.size(), q) == 0 && q.size() <= reading.letters.size()) {
        // "xi'an" is 西安, not 仙...: a typed separator must fall between two syllables.
        bool aligned = std::all_of(typed.breaks.begin(), typed.breaks.end(), [&](std::uint16_t b) {
            return std::binary_search(reading.ends.begin(), reading.ends.end(), b);
        });
        if (aligned) return true;
    }
    // Initials: one letter per syllable, so any separator stands between two of them.
    return q.size() <= reading.initials.size() && reading.initials.compare(0, q.size(), q) == 0;
}

bool parseReading(std::string_view syllables, PinyinReading& reading) {
    reading = {};
    std::size_t start = 0;
    while (start <= syllables.size()) {
        std::size_t space = syllables.find(' ', start);
        if (space == std::string_view::npos) space = syllables.size();
        std::string_view syllable = syllables.substr(start, space - start);
        if (syllable.empty() || syllable.size() > kMaxSyllable ||
            reading.ends.size() >= kMaxSyllables) {
            return false;
        }
        for (char c : syllable) {
            if (c < 'a' || c > 'z') return false;
        }
        reading.letters += syllable;
        reading.ends.push_back(static_cast<std::uint16_t>(reading.letters.size()));
        reading.initials.push_back(syllable.front());
        start = space + 1;
    }
    return !reading.ends.empty();
}

std::vector<std::string_view> tabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

StationPinyin StationPinyin::parse(std::string_view text) {
    StationPinyin table;
    forEachTextLine(text, [&](std::string_view line) {
        std::vector<std::string_view> fields = tabFields(line);
        if (fields.size() < 2 || fields[0].empty()) return;
        // Names are converted as s.i names are, so that the two compare equal.
        std::u16string name = utf8ToWide(fields[0]);
        std::vector<PinyinReading>& readings = table.byName_[name];
        for (std::size_t i = 1; i < fields.size() && readings.size() < kMaxReadings; ++i) {
            PinyinReading reading;
            if (!parseReading(fields[i], reading)) continue;
            bool known = std::any_of(readings.begin(), readings.end(), [&](const auto& r) {
                return r.letters == reading.letters && r.ends == reading.ends;
            });
            if (!known) readings.push_back(std::move(reading));
        }
        if (readings.empty()) table.byName_.erase(name);
    });
    return table;
}

const std::vector<PinyinReading>* StationPinyin::readingsOf(const std::u16string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &it->second;
}

// Every station name once, busiest first (most trains in its record; on a tie the lower station
// index), with its readings.
struct TimetableDb::StationFinder {
    struct Entry {
        std::u16string name;
        const std::vector<PinyinReading>* readings = nullptr;
        std::string latin;  // foldLatin of the name
    };
    StationPinyin pinyin;
    std::vector<Entry> entries;
    std::size_t stationCount = 0;  // size of stationNames when built
};

std::shared_ptr<const TimetableDb::StationFinder> TimetableDb::stationFinder() const {
    if (finder_ && finder_->stationCount == stationNames.size()) return finder_;
    auto finder = std::make_shared<StationFinder>();
    finder->stationCount = stationNames.size();
    ByteSpan file;
    if (readWholeFile(pathOf(u"pinyin.txt"), file)) {
        finder->pinyin = StationPinyin::parse(std::string_view(
            reinterpret_cast<const char*>(file.data.get()), static_cast<std::size_t>(file.length)));
    }
    struct Ranked {
        std::size_t trains;
        std::size_t index;
    };
    std::vector<Ranked> ranked;
    std::unordered_map<std::u16string, bool> seen;
    std::vector<int> trains;
    for (std::size_t i = 0; i < stationNames.size(); ++i) {
        if (!seen.emplace(stationNames[i], true).second) continue;
        trainsAtStation(stationNames[i], trains);
        ranked.push_back({trains.size(), i});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const Ranked& a, const Ranked& b) { return a.trains > b.trains; });
    for (const Ranked& r : ranked) {
        const std::u16string& name = stationNames[r.index];
        finder->entries.push_back({name, finder->pinyin.readingsOf(name), foldLatin(name)});
    }
    finder_ = std::move(finder);
    return finder_;
}

void TimetableDb::findStations(const std::u16string& typed, std::vector<std::u16string>& names,
                               std::size_t limit) const {
    names.clear();
    const TypedStation query(typed);
    if (query.text.empty()) return;
    std::shared_ptr<const StationFinder> finder = stationFinder();
    // Latin names match by the start of any word, whatever the case and accents.
    const std::string latin = foldLatin(query.text);
    for (const StationFinder::Entry& entry : finder->entries) {
        bool match = entry.name.compare(0, query.text.size(), query.text) == 0;
        if (!match && !latin.empty() && !entry.latin.empty()) {
            match = latinMatches(entry.latin, latin);
        }
        if (!match && query.pinyin && entry.readings) {
            match = std::any_of(entry.readings->begin(), entry.readings->end(),
                                [&](const PinyinReading& r) { return readingMatches(r, query); });
        }
        if (!match) continue;
        names.push_back(entry.name);
        if (limit != 0 && names.size() >= limit) return;
    }
}

TypedName TimetableDb::resolveTypedName(const std::u16string& typed) const {
    TypedName result;
    const TypedStation query(typed);
    if (query.text.empty()) return result;
    result.name = query.text;
    if (placeStations(query.text).count > 0) {
        result.kind = TypedNameKind::Place;
        return result;
    }
    // Codes are stored in upper case.
    const std::u16string code = upperAscii(query.text);
    // A code's walk can meet a station twice (BJ, then BJN); each is one candidate.
    std::vector<std::u16string> found;
    suggestStations(code, found);
    std::vector<std::u16string> named;
    findStations(query.text, named);
    found.insert(found.end(), named.begin(), named.end());
    for (std::u16string& name : found) {
        if (std::find(result.candidates.begin(), result.candidates.end(), name) ==
            result.candidates.end()) {
            result.candidates.push_back(std::move(name));
        }
    }
    if (result.candidates.size() > 1) {
        std::u16string coded;  // the names of the code typed, each between bars
        if (auto it = stationsByCode.find(code); it != stationsByCode.end()) {
            coded = u"|" + it->second + u"|";
        }
        std::shared_ptr<const StationFinder> finder = stationFinder();
        const std::string latin = foldLatin(query.text);
        std::vector<std::u16string> inFull;
        for (const std::u16string& name : result.candidates) {
            bool full = coded.find(u"|" + name + u"|") != std::u16string::npos;
            if (!full && !latin.empty()) full = foldLatin(name) == latin;
            const std::vector<PinyinReading>* readings = finder->pinyin.readingsOf(name);
            if (!full && query.pinyin && readings) {
                full = std::any_of(readings->begin(), readings->end(), [&](const PinyinReading& r) {
                    return r.letters == query.letters;
                });
            }
            if (full) inFull.push_back(name);
        }
        if (inFull.size() == 1) {
            result.candidates = std::move(inFull);
        } else if (!latin.empty()) {
            // "San Francisco" is San Francisco Caltrain, not So. San Francisco Caltrain: the one
            // name that starts with the typed words, where the others only have them later.
            std::vector<std::u16string> starting;
            for (const std::u16string& name : result.candidates) {
                const std::string folded = foldLatin(name);
                if (folded.compare(0, latin.size(), latin) == 0) starting.push_back(name);
            }
            if (starting.size() == 1) result.candidates = std::move(starting);
        }
    }
    if (result.candidates.empty()) {
        result.kind = TypedNameKind::Unknown;
    } else if (result.candidates.size() == 1) {
        result.kind = TypedNameKind::Unique;
        result.name = result.candidates.front();
    } else {
        result.kind = TypedNameKind::Several;
    }
    return result;
}

}  // namespace zelvan
