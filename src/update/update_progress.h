// Where an update stands, and its texts as the progress displays of the application and the
// command line show them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include "db/translation.h"

namespace zelvan {

enum class UpdatePhase : int {
    Checking = 0,     // fetching the version file
    Downloading = 1,  // fetching the package
    Installing = 2,   // unpacking, checking and installing it
};

struct UpdateProgress {
    UpdatePhase phase = UpdatePhase::Checking;
    std::int64_t received = 0;  // bytes of the current download so far
    std::int64_t total = 0;     // its announced length; 0 when the server gave none
};

inline constexpr std::u16string_view kTextChecking = ZELVAN_TEXT("zelvan", "正在检查更新…");
inline constexpr std::u16string_view kTextDownloading = ZELVAN_TEXT("zelvan", "正在下载…");
inline constexpr std::u16string_view kTextInstalling = ZELVAN_TEXT("zelvan", "正在安装…");

// "正在检查更新…", "正在下载…" or "正在安装…".
std::u16string_view phaseText(UpdatePhase phase);
// A byte count for people: "980 B", "12.5 KB", "3.4 MB" (units of 1024).
std::u16string byteCountText(std::int64_t bytes);
// "12.5 KB / 3.4 MB" with a total, "12.5 KB" without (total 0).
std::u16string receivedText(const UpdateProgress& progress);

}  // namespace zelvan
