#include "gtfs/csv_reader.h"

#include <cstring>

namespace zelvan::gtfs {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view field, long long& trimmed) {
    std::size_t begin = 0;
    std::size_t end = field.size();
    while (begin < end && isBlank(field[begin])) ++begin;
    while (end > begin && isBlank(field[end - 1])) --end;
    if (begin != 0 || end != field.size()) ++trimmed;
    return field.substr(begin, end - begin);
}

}  // namespace

int columnOf(const std::vector<std::string_view>& header, std::string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == name) return static_cast<int>(i);
    }
    return -1;
}

bool readCsv(std::string_view text,
             const std::function<void(const std::vector<std::string_view>&)>& header,
             const std::function<bool(const CsvRow&)>& row, long long& trimmed, std::string& error,
             CsvState* state) {
    CsvState whole;
    CsvState& walk = state ? *state : whole;
    walk.consumed = 0;
    std::size_t pos = 0;
    if (!walk.headerDone && text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    CsvRow current;
    // Unescaped quoted fields live here until their row is handed on (kept as offsets while it
    // grows, made views once the row is whole).
    std::string unquoted;
    std::string& headerText = walk.headerText;
    bool first = !walk.headerDone;
    int line = walk.line;
    const std::size_t size = text.size();
    // A line that the next piece completes waits for it.
    const auto waitForMore = [&](std::size_t start, int startLine) {
        walk.consumed = start;
        walk.line = startLine;
        walk.headerDone = !first;
        return true;
    };
    while (pos < size) {
        current.fields.clear();
        current.line = line;
        const std::size_t end = [&] {
            const void* nl = std::memchr(text.data() + pos, '\n', size - pos);
            return nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - text.data()) : size;
        }();
        if (end == size && walk.partial) return waitForMore(pos, line);
        std::string_view plain = text.substr(pos, end - pos);
        if (plain.find('"') == std::string_view::npos) {
            // The common line: no quotes, fields end at commas.
            if (!plain.empty() && plain.back() == '\r') plain.remove_suffix(1);
            pos = end + 1;
            ++line;
            if (plain.empty()) continue;
            for (std::size_t at = 0;;) {
                const std::size_t comma = plain.find(',', at);
                current.fields.push_back(
                    trim(plain.substr(at, comma == std::string_view::npos ? comma : comma - at),
                         trimmed));
                if (comma == std::string_view::npos) break;
                at = comma + 1;
            }
        } else {
            // A line with quotes, which may run over several lines.
            unquoted.clear();
            std::vector<std::pair<std::size_t, std::size_t>> spans;  // into `unquoted`
            std::size_t i = pos;
            const int startLine = line;
            bool done = false;
            while (!done) {
                // One field.
                while (i < size && isBlank(text[i])) ++i;
                const std::size_t start = unquoted.size();
                if (i < size && text[i] == '"') {
                    ++i;
                    const int opened = line;
                    for (;;) {
                        if (i >= size && walk.partial) return waitForMore(pos, startLine);
                        if (i >= size) {
                            error = std::to_string(opened) + ": a quote is never closed";
                            return false;
                        }
                        const char c = text[i++];
                        if (c == '"') {
                            if (i < size && text[i] == '"') {
                                unquoted.push_back('"');
                                ++i;
                                continue;
                            }
                            break;
                        }
                        if (c == '\n') ++line;
                        unquoted.push_back(c);
                    }
                    while (i < size && isBlank(text[i])) ++i;
                    if (i >= size && walk.partial) return waitForMore(pos, startLine);
                    if (i < size && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
                        error = std::to_string(line) + ": text after a closing quote";
                        return false;
                    }
                } else {
                    // A quote inside a field that does not start with one is taken as it
                    // stands, as feeds write names like 5 "Ave" in the wild.
                    while (i < size && text[i] != ',' && text[i] != '\n') {
                        unquoted.push_back(text[i++]);
                    }
                    while (unquoted.size() > start &&
                           (isBlank(unquoted.back()) || unquoted.back() == '\r')) {
                        unquoted.pop_back();
                    }
                }
                spans.emplace_back(start, unquoted.size() - start);
                if (i + 1 >= size && walk.partial) return waitForMore(pos, startLine);
                if (i < size && text[i] == '\r') ++i;
                if (i >= size || text[i] == '\n') {
                    done = true;
                    ++i;
                    ++line;
                } else {
                    ++i;  // the comma
                }
            }
            pos = i;
            for (const auto& [at, length] : spans) {
                current.fields.push_back(std::string_view(unquoted).substr(at, length));
            }
        }
        if (first) {
            // The header's names outlive the buffer of quoted fields, which the next row
            // reuses: they get their own copy for the whole walk.
            std::size_t total = 0;
            for (std::string_view f : current.fields) total += f.size();
            headerText.reserve(total);
            std::vector<std::string_view> names;
            for (std::string_view f : current.fields) {
                const std::size_t at = headerText.size();
                headerText.append(f);
                names.push_back(std::string_view(headerText).substr(at, f.size()));
            }
            header(names);
            first = false;
            continue;
        }
        if (!row(current)) {
            walk.stopped = true;
            return true;
        }
    }
    walk.consumed = size;
    walk.line = line;
    walk.headerDone = walk.headerDone || !first;
    if (first && !walk.partial) {
        header({});
        walk.headerDone = true;
    }
    return true;
}

}  // namespace zelvan::gtfs
