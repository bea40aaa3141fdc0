#include "update/update_progress.h"

#include <cstdio>

namespace zelvan {

std::u16string_view phaseText(UpdatePhase phase) {
    switch (phase) {
        case UpdatePhase::Checking:
            return kTextChecking;
        case UpdatePhase::Downloading:
            return kTextDownloading;
        case UpdatePhase::Installing:
            return kTextInstalling;
    }
    return kTextChecking;
}

std::u16string byteCountText(std::int64_t bytes) {
    char text[32];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%lld B", static_cast<long long>(bytes));
    } else if (bytes < 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024);
    } else {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
    }
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string receivedText(const UpdateProgress& progress) {
    std::u16string text = byteCountText(progress.received);
    if (progress.total > 0) text += u" / " + byteCountText(progress.total);
    return text;
}

}  // namespace zelvan
