#include "cli/text_table.h"

#include <algorithm>
#include <numeric>

#include "db/text.h"

namespace zelvan::cli {
namespace {

bool isWide(char16_t c) {
    if (c < 0x1100) return false;  // most cells are digits and signs
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
    const std::size_t columns = heads.size();
    // Every cell is measured once: the column widths, then each cell's padding come from it.
    std::vector<int> headWidths;
    for (const std::u16string& h : heads) headWidths.push_back(displayWidth(h));
    std::vector<int> widths = headWidths;
    std::vector<int> cellWidths(rows.size() * columns, 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size() && c < columns; ++c) {
            const int w = displayWidth(rows[r][c]);
            cellWidths[r * columns + c] = w;
            widths[c] = std::max(widths[c], w);
        }
    }
    std::u16string text;
    text.reserve(static_cast<std::size_t>(
        (rows.size() + 1) * (std::accumulate(widths.begin(), widths.end(), 0) + 2 * columns + 1)));
    auto line = [&](const std::vector<std::u16string>& cells, const int* cellWidth) {
        for (std::size_t c = 0; c < columns; ++c) {
            if (c < cells.size()) text += cells[c];
            if (c + 1 < columns) {
                text.append(static_cast<std::size_t>(widths[c] - cellWidth[c] + 2), u' ');
            }
        }
        // An empty last cell leaves no padding behind (the line before ends in a line feed).
        text.erase(text.find_last_not_of(u' ') + 1);
        text += u'\n';
    };
    line(heads, headWidths.data());
    for (std::size_t r = 0; r < rows.size(); ++r) line(rows[r], cellWidths.data() + r * columns);
    return toUtf8(text);
}

}  // namespace zelvan::cli
