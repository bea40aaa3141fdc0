#include "update/http_get.h"

#include <curl/curl.h>

#include <cstdio>
#include <ctime>
#include <mutex>

namespace zelvan {
namespace {

constexpr long kCopyBufferBytes = 16384;

bool curlReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ready;
}

bool isSuccess(long status) {
    return status >= 200 && status < 300;
}

// State of one transfer, shared with the write callback.
struct Transfer {
    DownloadListener* listener = nullptr;
    CURL* curl = nullptr;
    const std::filesystem::path* localFile = nullptr;
    std::int64_t maxBytes = 0;
    std::FILE* file = nullptr;
    bool started = false;      // the first piece of the body has been seen
    bool badStatus = false;    // the reply was not 2xx: no body is stored
    bool cannotWrite = false;  // the local file could not be created or written
    bool tooLong = false;      // the body passed maxBytes
    std::int64_t received = 0;

    // Called once the reply's headers are known: checks the status, announces the content
    // length and creates the local file.
    bool begin() {
        started = true;
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (!isSuccess(status)) {
            badStatus = true;
            return false;
        }
        curl_off_t length = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        listener->reportProgress(length > 0 ? static_cast<std::int64_t>(length) : 0);
        file = std::fopen(localFile->c_str(), "wb");
        if (!file) {
            cannotWrite = true;
            return false;
        }
        return true;
    }
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    Transfer& t = *static_cast<Transfer*>(user);
    size_t bytes = size * count;
    if (!t.started && !t.begin()) return 0;  // 0 aborts the transfer
    if (!t.file) return 0;
    if (t.maxBytes > 0 && t.received + static_cast<std::int64_t>(bytes) > t.maxBytes) {
        t.tooLong = true;
        return 0;
    }
    if (bytes > 0 && std::fwrite(data, 1, bytes, t.file) != bytes) {
        t.cannotWrite = true;
        return 0;
    }
    t.received += static_cast<std::int64_t>(bytes);
    t.listener->reportProgress(static_cast<std::int64_t>(bytes));
    return bytes;
}

}  // namespace

int fetchToFile(DownloadListener& listener, const std::string& url,
                const std::filesystem::path& localFile, const DownloadLimits& limits) {
    CURL* curl = curlReady() ? curl_easy_init() : nullptr;
    if (!curl) {
        listener.reportError(std::u16string(kTextNoNetwork));
        return -1;
    }

    // The agent carries the time, which also keeps caches on the way from answering.
    char agent[64];
    std::snprintf(agent, sizeof agent, "Agent%ld",
                  static_cast<long>(static_cast<std::int32_t>(std::time(nullptr))));
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Accept: */*");
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");

    Transfer transfer;
    transfer.listener = &listener;
    transfer.curl = curl;
    transfer.localFile = &localFile;
    transfer.maxBytes = limits.maxBytes;

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    // Addresses come from the downloaded version file: nothing but the web, also on redirects.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    if (limits.maxBytes > 0) {
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    }
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kCopyBufferBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t announced = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);

    std::u16string_view error;
    if (transfer.badStatus || (status != 0 && !isSuccess(status))) {
        error = kTextConnectFailed;
    } else if (transfer.cannotWrite) {
        error = kTextCannotWrite;
    } else if (result != CURLE_OK) {
        // No reply at all is a failed connection; a reply that broke off is a failed download.
        error = status == 0 ? kTextConnectFailed : kTextDownloadError;
    } else if (!transfer.started && !transfer.begin()) {
        // An empty body still makes an (empty) file.
        error = transfer.badStatus ? kTextConnectFailed : kTextCannotWrite;
    } else if (announced >= 0 && transfer.received != static_cast<std::int64_t>(announced)) {
        error = kTextDownloadError;
    }
    if (transfer.file && std::fclose(transfer.file) != 0 && error.empty()) error = kTextCannotWrite;
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    if (!error.empty()) {
        listener.reportError(std::u16string(error));
        return -1;
    }
    listener.downloadFinished();
    return 0;
}

}  // namespace zelvan
