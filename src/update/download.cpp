#include "update/download.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "update/cancel_token.h"
#include "update/fetch_protocol.h"

extern char** environ;

namespace fs = std::filesystem;

namespace zelvan {
namespace {

constexpr const char* kFetchProgramName = "zelvan-fetch";

// How often a wait looks at a token that has no descriptor to wake it.
constexpr int kCancelPollMs = 100;

// Runs the download program with its standard output on a pipe.
class FetchChild {
  public:
    FetchChild(const fs::path& program, std::vector<std::string> args) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return;
        args.insert(args.begin(), program.string());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        // The child starts with default signal handling and nothing blocked, whatever this
        // process (a GUI, a terminal program with its own SIGINT handler) has set up.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, s);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        if (::posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (pid_ > 0) {
            fd_ = out[0];
        } else {
            ::close(out[0]);
        }
    }
    ~FetchChild() {
        stop();
        if (fd_ >= 0) ::close(fd_);
    }
    FetchChild(const FetchChild&) = delete;
    FetchChild& operator=(const FetchChild&) = delete;

    bool started() const { return pid_ > 0; }
    int output() const { return fd_; }
    // Ends the child at once (it holds nothing that needs tidying) and reaps it.
    void stop() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        wait();
    }
    // Reaps the child; true when it exited with status 0.
    bool wait() {
        if (pid_ <= 0) return exitedCleanly_;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        exitedCleanly_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return exitedCleanly_;
    }

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
    bool exitedCleanly_ = false;
};

// The reports read so far, turned into listener calls as their lines complete.
class ReportReader {
  public:
    explicit ReportReader(DownloadListener& listener) : listener_(listener) {}

    std::string pending;
    bool done = false;
    bool broken = false;  // a line that is not in the protocol
    std::u16string failure;

    void take(const char* data, std::size_t size) {
        pending.append(data, size);
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos;
             start = end + 1) {
            line(std::string_view(pending).substr(start, end - start));
        }
        pending.erase(0, start);
    }
    bool finished() const { return done || broken || !failure.empty(); }

  private:
    DownloadListener& listener_;

    void line(std::string_view text) {
        if (finished()) {
            broken = true;
            return;
        }
        std::size_t space = text.find(' ');
        std::string_view word = text.substr(0, space);
        std::string_view value = space == std::string_view::npos ? "" : text.substr(space + 1);
        if (word == fetch::kLength || word == fetch::kGot) {
            std::int64_t bytes = 0;
            const char* end = value.data() + value.size();
            auto [ptr, ec] = std::from_chars(value.data(), end, bytes);
            if (ec != std::errc() || ptr != end || bytes < 0 || value.empty()) {
                broken = true;
                return;
            }
            listener_.reportProgress(bytes);
        } else if (word == fetch::kDone && value.empty()) {
            done = true;
        } else if (word == fetch::kFail && !fetch::failureText(value).empty()) {
            failure = fetch::failureText(value);
        } else {
            broken = true;
        }
    }
};

}  // namespace

fs::path fetchProgramPath() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    fs::path programFolder = ec ? fs::path() : self.parent_path();
    fs::path installed =
        ec ? fs::path() : (programFolder / ZELVAN_LIBEXEC_RELATIVE).lexically_normal();
    for (const fs::path& folder : {programFolder, installed}) {
        if (folder.empty()) continue;
        fs::path candidate = folder / kFetchProgramName;
        if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

int downloadToFile(DownloadListener& listener, const std::string& url, const fs::path& localFile,
                   const DownloadLimits& limits, const CancelToken* cancel) {
    auto cancelled = [cancel] { return cancel && cancel->cancelled(); };
    if (cancelled()) return kDownloadCancelled;

    fs::path program = fetchProgramPath();
    std::unique_ptr<FetchChild> child;
    if (!program.empty()) {
        child = std::make_unique<FetchChild>(
            program, std::vector<std::string>{
                         "--connect-timeout", std::to_string(limits.connectTimeoutSeconds),
                         "--stall", std::to_string(limits.stallSeconds), "--max-bytes",
                         std::to_string(limits.maxBytes), "--", url, localFile.string()});
    }
    if (!child || !child->started()) {
        listener.reportError(std::u16string(kTextNoNetwork));
        return -1;
    }

    // The child keeps its own time limits; this one only guards against a child that hangs
    // without a word, so that the wait always ends.
    const auto silenceLimit =
        std::chrono::seconds(limits.connectTimeoutSeconds + limits.stallSeconds + 30);
    auto lastReport = std::chrono::steady_clock::now();
    const int wakeFd = cancel ? cancel->waitDescriptor() : -1;
    ReportReader reader(listener);
    bool endOfOutput = false;
    while (!endOfOutput && !reader.finished() && !cancelled()) {
        pollfd fds[2] = {{child->output(), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        int timeout = cancel && wakeFd < 0 ? kCancelPollMs : 1000;
        int ready = ::poll(fds, wakeFd >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            if (std::chrono::steady_clock::now() - lastReport > silenceLimit) break;
            continue;
        }
        char buffer[4096];
        ssize_t n = ::read(child->output(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            endOfOutput = true;
        } else {
            reader.take(buffer, static_cast<std::size_t>(n));
            lastReport = std::chrono::steady_clock::now();
        }
    }

    if (cancelled()) {
        child->stop();
        std::error_code ec;
        fs::remove(localFile, ec);
        return kDownloadCancelled;
    }
    // A child that gave its verdict is about to exit by itself; any other is ended.
    bool exitedCleanly =
        reader.finished() && !reader.broken ? child->wait() : (child->stop(), false);
    if (reader.done && exitedCleanly) {
        listener.downloadFinished();
        return 0;
    }
    // A child that ended without a verdict, or said something else, failed the download.
    listener.reportError(reader.failure.empty() ? std::u16string(kTextDownloadError)
                                                : reader.failure);
    return -1;
}

}  // namespace zelvan
