// Station names as people type them: full pinyin or a prefix of it (spaces and apostrophes
// allowed), pinyin initials, or the first characters of the name. The readings come from the
// optional file pinyin.txt of the data folder, which the compiler writes from a dictionary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zelvan {

// One way of reading a station name, e.g. 长沙南 as "chang sha nan".
struct PinyinReading {
    std::string letters;              // the syllables run together: "changshanan"
    std::vector<std::uint16_t> ends;  // offset in `letters` after each syllable: 5, 8, 11
    std::string initials;             // first letter of each syllable: "csn"
};

// What a user typed into a station field, prepared once for matching against many names.
struct TypedStation {
    std::u16string text;                // as typed, without surrounding white space
    std::string letters;                // pinyin mode: the letters in lower case, no separators
    std::vector<std::uint16_t> breaks;  // offsets in `letters` where the user put a separator
    bool pinyin = false;                // only ASCII letters, spaces and apostrophes were typed

    explicit TypedStation(std::u16string_view typed);
};

// A name in Latin script as station fields compare it: lower-case ASCII letters and digits,
// accents dropped ("Zürich HB" -> "zurich hb"), words separated by single spaces; empty when
// the name holds no Latin letter.
std::string foldLatin(std::u16string_view name);
// True when `typed` (folded) starts a word of `folded` and runs on from there ("rock" and
// "far rock" both match "far rockaway").
bool latinMatches(std::string_view folded, std::string_view typed);

// True when `typed` (pinyin mode) is a prefix of the reading's letters with every typed
// separator on a syllable boundary, or a prefix of its initials.
bool readingMatches(const PinyinReading& reading, const TypedStation& typed);

// A reading from its syllables separated by single spaces ("chang sha"); false for anything
// else (upper case, other characters, empty syllables).
bool parseReading(std::string_view syllables, PinyinReading& reading);

// Calls take(line) for every line of `text` that is neither empty nor a "#" comment. Lines end
// at LF; a CR before it is dropped. pinyin.txt and the compiler's word list are read this way.
template <typename Take>
void forEachTextLine(std::string_view text, Take take) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() != '#') take(line);
    }
}

// The fields of a line between tabs (one field when it holds none).
std::vector<std::string_view> tabFields(std::string_view line);

// The readings of pinyin.txt by station name.
class StationPinyin {
  public:
    // A name keeps at most this many readings; more would only slow every keystroke down.
    static constexpr std::size_t kMaxReadings = 16;

    // Parses the text of pinyin.txt: UTF-8 lines "name<TAB>reading<TAB>reading...", LF or CR LF.
    // Empty lines and lines starting with "#" are skipped, as are malformed readings; a name
    // listed twice keeps the readings of both lines.
    static StationPinyin parse(std::string_view text);

    // The readings of `name`; null when it has none.
    const std::vector<PinyinReading>* readingsOf(const std::u16string& name) const;
    bool empty() const { return byName_.empty(); }

  private:
    std::unordered_map<std::u16string, std::vector<PinyinReading>> byName_;
};

}  // namespace zelvan
