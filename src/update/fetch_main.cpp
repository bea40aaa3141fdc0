// zelvan-fetch: performs one download of the update and reports on its standard output, one
// line per report (fetch_protocol.h). The update runs it as a child process so that the
// transfer never blocks the program that asked for it, can be stopped by ending the child, and
// so that libcurl is loaded only while an update downloads.
#include <signal.h>
#include <sys/prctl.h>

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "update/fetch_protocol.h"
#include "update/http_get.h"

namespace {

using namespace zelvan;

class LineReporter final : public DownloadListener {
  public:
    void reportError(const std::u16string& text) override {
        line(fetch::kFail, fetch::failureKind(text));
    }
    void reportProgress(std::int64_t bytes) override {
        line(lengthSent_ ? fetch::kGot : fetch::kLength, std::to_string(bytes));
        lengthSent_ = true;
    }
    void downloadFinished() override { line(fetch::kDone, {}); }

  private:
    static void line(std::string_view word, std::string_view value) {
        std::string text(word);
        if (!value.empty()) text.append(" ").append(value);
        text.push_back('\n');
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }

    bool lengthSent_ = false;
};

bool parseCount(std::string_view text, long long& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0;
}

int usage() {
    std::fputs(
        "usage: zelvan-fetch [--connect-timeout S] [--stall S] [--max-bytes N] -- URL FILE\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Ends with the program that asked for the download, even while the server is silent
    // (otherwise it would live on until its first report met the closed pipe).
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);

    DownloadLimits limits;
    int i = 1;
    for (; i < argc; i += 2) {
        std::string_view option = argv[i];
        if (option == "--") {
            ++i;
            break;
        }
        long long value = 0;
        if (i + 1 >= argc || !parseCount(argv[i + 1], value)) return usage();
        if (option == "--connect-timeout") {
            limits.connectTimeoutSeconds = static_cast<long>(value);
        } else if (option == "--stall") {
            limits.stallSeconds = static_cast<long>(value);
        } else if (option == "--max-bytes") {
            limits.maxBytes = value;
        } else {
            return usage();
        }
    }
    if (argc - i != 2) return usage();

    LineReporter reporter;
    return fetchToFile(reporter, argv[i], argv[i + 1], limits) == 0 ? 0 : 1;
}
