// The pinyin of station names (pinyin.txt) from a word list in the format of the Rime input
// method's dictionaries: an optional YAML header between "---" and "...", then lines
// "text<TAB>syllables[<TAB>weight]" with the syllables separated by spaces.
//
// A name is cut into the fewest pieces that the word list knows, whole words before single
// characters, so 长沙南 reads "chang sha nan" through the word 长沙 and not "zhang sha nan"
// through the characters. Every reading of a piece is kept, most used first, and the readings
// of the name are their combinations, capped at StationPinyin::kMaxReadings.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "compiler/compiler_p.h"
#include "db/station_pinyin.h"
#include "db/text.h"

#ifndef ZELVAN_PINYIN_DICTIONARY
#define ZELVAN_PINYIN_DICTIONARY "/usr/share/rime-data/pinyin_simp.dict.yaml"
#endif

namespace zelvan {

std::filesystem::path defaultPinyinDictionary() {
    return ZELVAN_PINYIN_DICTIONARY;
}

namespace compiler {
namespace {

// Longest word looked up, in UTF-16 units; station names rarely hold longer words.
constexpr std::size_t kMaxWord = 8;

bool isSyllables(std::string_view code) {
    PinyinReading reading;
    return parseReading(code, reading);
}

}  // namespace

bool PinyinDictionary::read(const std::filesystem::path& path, std::string& error) {
    words_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the pinyin dictionary " + path.string();
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read the pinyin dictionary " + path.string();
        return false;
    }
    add(text);
    if (words_.empty()) {
        error = "the pinyin dictionary " + path.string() + " holds no words";
        return false;
    }
    return true;
}

void PinyinDictionary::add(std::string_view text) {
    bool header = false;
    bool first = true;
    forEachTextLine(text, [&](std::string_view line) {
        if (first && line == "---") header = true;
        first = false;
        if (header) {
            header = line != "...";
            return;
        }
        std::vector<std::string_view> f = tabFields(line);
        if (f.size() < 2 || f[0].empty() || !isValidUtf8(f[0]) || !isSyllables(f[1])) return;
        long weight = 0;
        if (f.size() >= 3) weight = std::strtol(std::string(f[2]).c_str(), nullptr, 10);
        std::u16string word = fromUtf8(f[0]);
        if (word.size() > kMaxWord) return;
        std::vector<Reading>& readings = words_[word];
        auto known = std::find_if(readings.begin(), readings.end(),
                                  [&](const Reading& r) { return r.syllables == f[1]; });
        if (known == readings.end()) {
            readings.push_back({std::string(f[1]), weight});
        } else {
            known->weight = std::max(known->weight, weight);
        }
    });
    for (auto& [word, readings] : words_) {
        std::stable_sort(readings.begin(), readings.end(),
                         [](const Reading& a, const Reading& b) { return a.weight > b.weight; });
    }
}

std::vector<std::string> PinyinDictionary::readingsOf(std::u16string_view name) const {
    // The readings of one piece of the name: a word of the list, a single character of it, or
    // an ASCII letter standing for itself.
    auto pieceReadings = [&](std::size_t at, std::size_t length) -> std::vector<std::string> {
        std::u16string piece(name.substr(at, length));
        auto it = words_.find(piece);
        if (it != words_.end()) {
            std::vector<std::string> out;
            for (const Reading& r : it->second) out.push_back(r.syllables);
            return out;
        }
        if (length == 1 && piece[0] < 0x80 && std::isalpha(piece[0])) {
            return {std::string(1, static_cast<char>(std::tolower(piece[0])))};
        }
        return {};
    };

    // cost[i]: fewest pieces for name[i..]; on a tie the longer first piece wins.
    const std::size_t n = name.size();
    constexpr std::size_t kNone = SIZE_MAX;
    std::vector<std::size_t> cost(n + 1, kNone);
    std::vector<std::size_t> take(n + 1, 0);
    cost[n] = 0;
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t length = std::min(kMaxWord, n - i); length >= 1; --length) {
            if (cost[i + length] == kNone || cost[i + length] + 1 >= cost[i]) continue;
            if (pieceReadings(i, length).empty()) continue;
            cost[i] = cost[i + length] + 1;
            take[i] = length;
        }
    }
    if (n == 0 || cost[0] == kNone) return {};

    std::vector<std::string> readings = {std::string()};
    for (std::size_t i = 0; i < n; i += take[i]) {
        std::vector<std::string> next;
        for (const std::string& head : readings) {
            for (const std::string& piece : pieceReadings(i, take[i])) {
                if (next.size() >= StationPinyin::kMaxReadings) break;
                next.push_back(head.empty() ? piece : head + ' ' + piece);
            }
        }
        readings = std::move(next);
    }
    return readings;
}

std::string pinyinFile(const TimetableSource& source, const PinyinDictionary& dictionary) {
    std::string out;
    std::unordered_set<std::u16string> written;
    for (const SourceStation& station : source.stations) {
        // A line holds a name and its readings between tabs.
        if (station.name.find_first_of(u"\t\r\n") != std::u16string::npos) continue;
        if (!written.insert(station.name).second) continue;
        std::vector<std::string> readings = dictionary.readingsOf(station.name);
        if (readings.empty()) continue;
        out += toUtf8(station.name);
        for (const std::string& reading : readings) out += '\t' + reading;
        out += '\n';
    }
    return out;
}

}  // namespace compiler
}  // namespace zelvan
