// Downloading one address over HTTP into a local file, reporting through a listener. The
// transfer runs in a child process, zelvan-fetch (fetch_protocol.h), which can be stopped at
// any moment; this process only reads its reports.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include "db/translation.h"

namespace zelvan {

class CancelToken;

// Messages of a failed download, as the user sees them.
inline constexpr std::u16string_view kTextNoNetwork = ZELVAN_TEXT("zelvan", "没有连接网络!");
inline constexpr std::u16string_view kTextConnectFailed = ZELVAN_TEXT("zelvan", "连接网络失败!");
inline constexpr std::u16string_view kTextCannotWrite = ZELVAN_TEXT("zelvan", "无法写磁盘！");
inline constexpr std::u16string_view kTextDownloadError = ZELVAN_TEXT("zelvan", "下载文件出错！");

// Receives the reports of `downloadToFile`.
class DownloadListener {
  public:
    virtual ~DownloadListener() = default;
    // The download failed; `text` is one of the messages above.
    virtual void reportError(const std::u16string& text) = 0;
    // First the announced content length (0 when unknown), then the size of every piece read.
    virtual void reportProgress(std::int64_t bytes) = 0;
    // The whole body is in the local file.
    virtual void downloadFinished() = 0;
};

// Bounds of one download.
struct DownloadLimits {
    long connectTimeoutSeconds = 15;
    long stallSeconds = 30;     // fail when less than 1 byte/s arrives for this long
    std::int64_t maxBytes = 0;  // a longer body is a failed download; 0: no limit
};

// What `downloadToFile` returns when `cancel` stopped it.
inline constexpr int kDownloadCancelled = -2;

// GETs `url` (http or https only) into `localFile`, replacing it. Returns 0 after the whole body
// was stored and `downloadFinished` was called, -1 after `reportError` on any failure: the
// download program missing ("没有连接网络!"), no connection or a reply other than 2xx
// ("连接网络失败!"), the file not writable ("无法写磁盘！"), a body cut short of its announced
// length, stalled or over the limit ("下载文件出错！"). Once `cancel` is cancelled the transfer
// stops at once, `localFile` is removed and kDownloadCancelled is returned without a report.
int downloadToFile(DownloadListener& listener, const std::string& url,
                   const std::filesystem::path& localFile, const DownloadLimits& limits = {},
                   const CancelToken* cancel = nullptr);

// The download program: zelvan-fetch beside the running program (where the build puts every
// program), else the one in libexec/zelvan/ of the installation the program belongs to (found
// from its bin/); empty when neither is.
std::filesystem::path fetchProgramPath();

}  // namespace zelvan
