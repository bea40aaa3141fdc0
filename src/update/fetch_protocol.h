// What zelvan-fetch, the program that performs a download, tells the process that started it:
// one line on its standard output per report of the transfer, in the order of the
// DownloadListener calls they stand for.
//
//     length N     the announced content length, 0 when the server gave none (the first report)
//     got N        N more bytes of the body are in the local file
//     done         the whole body is in the local file (exit status 0)
//     fail KIND    the download failed (exit status 1); KIND names the message:
//                  no-network, connect, write, download
//
// Usage: zelvan-fetch [--connect-timeout S] [--stall S] [--max-bytes N] -- URL FILE
#pragma once

#include <string_view>

#include "update/download.h"

namespace zelvan::fetch {

inline constexpr std::string_view kLength = "length";
inline constexpr std::string_view kGot = "got";
inline constexpr std::string_view kDone = "done";
inline constexpr std::string_view kFail = "fail";

struct FailureKind {
    std::string_view kind;
    std::u16string_view text;
};
inline constexpr FailureKind kFailureKinds[] = {
    {"no-network", kTextNoNetwork},
    {"connect", kTextConnectFailed},
    {"write", kTextCannotWrite},
    {"download", kTextDownloadError},
};

// The kind for a failure message (a message of no kind counts as a failed download).
inline std::string_view failureKind(std::u16string_view text) {
    for (const FailureKind& f : kFailureKinds) {
        if (f.text == text) return f.kind;
    }
    return "download";
}
// The message for a kind; empty for an unknown kind.
inline std::u16string_view failureText(std::string_view kind) {
    for (const FailureKind& f : kFailureKinds) {
        if (f.kind == kind) return f.text;
    }
    return {};
}

}  // namespace zelvan::fetch
