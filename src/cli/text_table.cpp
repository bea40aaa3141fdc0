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

int displayWidth(std::u16string_view text) {
    int width = 0;
    for (char16_t c : text) {
        if (c < 0x1100) {  // most cells are digits and signs
            ++width;
        } else if (c < 0xDC00 || c > 0xDFFF) {  // not the second half of a surrogate pair
            width += isWide(c) ? 2 : 1;
        }
    }
    return width;
}

std::string renderTable(const std::vector<std::u16string>& headings,
                        const std::vector<std::vector<std::u16string>>& rows) {
    return renderTable(
        headings, rows.size(), [&rows](std::size_t r, std::size_t c) -> std::u16string_view {
            return c < rows[r].size() ? std::u16string_view(rows[r][c]) : std::u16string_view();
        });
}

std::string renderTable(const std::vector<std::u16string>& headings, std::size_t rowCount,
                        const CellText& cell) {
    std::vector<std::u16string> heads;
    for (const std::u16string& h : headings) heads.push_back(trimmed(h));
    const std::size_t columns = heads.size();
    // Every cell is measured once: the column widths, then each cell's padding come from it.
    std::vector<int> headWidths;
    for (const std::u16string& h : heads) headWidths.push_back(displayWidth(h));
    std::vector<int> widths = headWidths;
    std::vector<int> cellWidths(rowCount * columns, 0);
    for (std::size_t r = 0; r < rowCount; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            const int w = displayWidth(cell(r, c));
            cellWidths[r * columns + c] = w;
            widths[c] = std::max(widths[c], w);
        }
    }
    std::u16string text;
    text.reserve(static_cast<std::size_t>(
        (rowCount + 1) * (std::accumulate(widths.begin(), widths.end(), 0) + 2 * columns + 1)));
    auto line = [&](auto cellOf, const int* cellWidth) {
        for (std::size_t c = 0; c < columns; ++c) {
            text += cellOf(c);
            if (c + 1 < columns) {
                text.append(static_cast<std::size_t>(widths[c] - cellWidth[c] + 2), u' ');
            }
        }
        // An empty last cell leaves no padding behind (the line before ends in a line feed).
        text.erase(text.find_last_not_of(u' ') + 1);
        text += u'\n';
    };
    line([&](std::size_t c) { return std::u16string_view(heads[c]); }, headWidths.data());
    for (std::size_t r = 0; r < rowCount; ++r) {
        line([&](std::size_t c) { return cell(r, c); }, cellWidths.data() + r * columns);
    }
    return toUtf8(text);
}

std::string renderLabelled(const std::vector<Labelled>& lines) {
    int width = 0;
    for (const Labelled& line : lines) width = std::max(width, displayWidth(line.first));
    std::string text;
    for (const auto& [label, value] : lines) {
        text += toUtf8(label);
        text.append(static_cast<std::size_t>(width - displayWidth(label) + 2), ' ');
        text += value + "\n";
    }
    return text;
}

}  // namespace zelvan::cli
