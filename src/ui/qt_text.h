// Conversions between the core's UTF-16 strings and QString, and the resource texts as QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "res/strings.h"
#include "ui/translation.h"

namespace zelvan {

// Text read back from a control holds at most this many characters (a 260-unit buffer with
// its terminator); longer text is cut.
inline constexpr int kControlTextLimit = 259;

inline QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string toU16(const QString& text) {
    return text.toStdU16String();
}

// The text of a control as the core receives it: cut to kControlTextLimit characters.
inline std::u16string controlText(const QString& text) {
    return toU16(text.left(kControlTextLimit));
}

// String `id` of the program's string table, in the language in use.
inline QString resourceText(int id) {
    return shown(res::resourceString(id));
}

}  // namespace zelvan
