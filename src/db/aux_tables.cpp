// name.txt and ads.txt: UTF-16LE, a byte-order mark, then tokens separated by white space and
// taken in pairs (pairing follows token order, not lines). ver.txt: its first line.
#include <cstdio>

#include "db/product.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "db/wide_space.h"

namespace zelvan {
namespace {

// Hands the token pairs of the bytes of a UTF-16LE file to `take`. An odd last byte is ignored;
// a pair with an empty token (an unpaired last token) is dropped.
template <typename TakePair>
void tokenPairs(const ByteSpan& span, TakePair take) {
    const std::size_t n = static_cast<std::size_t>(span.length) / 2;
    std::u16string units(n, u'\0');
    for (std::size_t i = 0; i < n; ++i) {
        units[i] = static_cast<char16_t>(span.data[2 * i] | span.data[2 * i + 1] << 8);
    }
    auto skipSpace = [&](std::size_t& pos) {
        while (pos < n && isWideSpace(units[pos])) ++pos;
    };
    auto token = [&](std::size_t& pos) {
        std::size_t start = pos;
        while (pos < n && !isWideSpace(units[pos])) ++pos;
        return units.substr(start, pos - start);
    };
    std::size_t pos = 1;  // unit 0 is the byte-order mark
    while (pos < n) {
        skipSpace(pos);
        std::u16string first = token(pos);
        skipSpace(pos);
        std::u16string second = token(pos);
        if (!first.empty() && !second.empty()) take(first, second);
    }
}

// The same for a file; false when it cannot be read.
template <typename TakePair>
bool readTokenPairs(const std::u16string& path, TakePair take) {
    ByteSpan span;
    if (!TimetableDb::readWholeFile(path, span)) return false;
    tokenPairs(span, take);
    return true;
}

}  // namespace

void addStationCodes(const ByteSpan& file, std::map<std::u16string, std::u16string>& codes) {
    tokenPairs(file, [&](const std::u16string& name, const std::u16string& code) {
        auto [it, inserted] = codes.emplace(code, name);
        if (!inserted) it->second += u"|" + name;
    });
}

bool TimetableDb::loadStationCodes(const std::u16string& path) {
    ByteSpan span;
    if (!readWholeFile(path, span)) return false;
    addStationCodes(span, stationsByCode.edit());
    return true;
}

bool TimetableDb::deferStationCodes(const std::u16string& path) {
    ByteSpan span;
    if (!readWholeFile(path, span, mapFiles)) return false;
    stationsByCode.assignFile(std::move(span));
    return true;
}

bool TimetableDb::loadAds(const std::u16string& path) {
    adTitles.clear();
    adLinks.clear();
    return readTokenPairs(path, [&](const std::u16string& title, const std::u16string& link) {
        adTitles.push_back(title);
        // Every link must lead into the product's own site; anything else is replaced by it.
        bool own = link.compare(0, kMobileSiteAddress.size(), kMobileSiteAddress) == 0;
        adLinks.push_back(own ? link : std::u16string(kMobileSiteAddress));
    });
}

void TimetableDb::readDatabaseVersion(std::u16string& version) const {
    ByteSpan span;
    if (!readWholeFile(pathOf(u"ver.txt"), span)) return;
    // One text-mode line of at most 255 characters, its line feed included when it fits.
    std::string line;
    for (std::int32_t i = 0; i < span.length; ++i) {
        char c = static_cast<char>(span.data[i]);
        if (c == '\r' && i + 1 < span.length && span.data[i + 1] == '\n') continue;
        line.push_back(c);
        if (c == '\n') break;
    }
    std::u16string text = fromUtf8(line);
    if (text.size() > 255) text.resize(255);
    version = text;
}

}  // namespace zelvan
