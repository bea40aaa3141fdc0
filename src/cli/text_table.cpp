#include "cli/text_table.h"

#include <algorithm>

#include "db/text.h"

namespace zelvan::cli {
namespace {

bool isWide(char16_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

std::u16string trimmed(const std::u16string& text) {
    std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    std::size_t last = text.find_last_not_of(u' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

int displayWidth(const std::u16string& text) {
    int width = 0;
    for (char16_t c : text) {
        if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a surrogate pair
        width += isWide(c) ? 2 : 1;
    }
    return width;
}

std::string renderTable(const std::vector<std::u16string>& headings,
                        const std::vector<std::vector<std::u16string>>& rows) {
    std::vector<std::u16string> heads;
    for (const std::u16string& h : headings) heads.push_back(trimmed(h));
    std::vector<int> widths;
    for (const std::u16string& h : heads) widths.push_back(displayWidth(h));
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    auto line = [&](const std::vector<std::u16string>& cells) {
        std::u16string text;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            std::u16string cell = c < cells.size() ? cells[c] : std::u16string();
            text += cell;
            if (c + 1 < widths.size()) {
                text.append(static_cast<std::size_t>(widths[c] - displayWidth(cell) + 2), u' ');
            }
        }
        // An empty last cell leaves no padding behind.
        text.erase(text.find_last_not_of(u' ') + 1);
        return toUtf8(text) + "\n";
    };
    std::string out = line(heads);
    for (const auto& row : rows) out += line(row);
    return out;
}

}  // namespace zelvan::cli
