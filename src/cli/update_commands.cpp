// Commands of the online update: update (check the server, install a newer timetable), rollback
// (put back the timetable the last update replaced), extract (unpack a database package) and
// pack (make a package and its version file for a web server).
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_common.h"
#include "cli/language.h"
#include "db/product.h"
#include "db/text.h"
#include "update/cancel_token.h"
#include "update/installation.h"
#include "update/network_connection.h"
#include "update/package_reader.h"
#include "update/package_writer.h"
#include "update/update_checker.h"
#include "update/version.h"

namespace zelvan::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The update's progress as one line on standard error, redrawn in place (phase, bar, bytes,
// total, rate), when standard error is a terminal; nothing otherwise, so that logs and pipes
// hold only the messages. A ticker redraws it a few times a second, so that a stalled server
// shows its rate falling and a slow version file gets its line after half a second.
class ProgressLine {
  public:
    ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {
        if (!enabled_) return;
        // Ctrl+C must reach the main thread, where it ends the read of a prompt.
        sigset_t blocked;
        sigset_t previous;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGINT);
        sigaddset(&blocked, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
        ticker_ = std::thread([this] { tick(); });
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    ~ProgressLine() { finish(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const UpdateProgress& progress) {
        if (!enabled_) return;
        std::lock_guard lock(mutex_);
        Clock::time_point now = Clock::now();
        bool newPhase = !started_ || progress.phase != latest_.phase;
        if (newPhase) {
            started_ = true;
            phaseStart_ = now;
        }
        latest_ = progress;
        paused_ = false;
        if (newPhase || now - lastDraw_ >= kRedrawInterval) draw(now);
    }

    // Wipes the line before other output takes its place; it comes back with the next report.
    void clear() {
        std::lock_guard lock(mutex_);
        paused_ = true;
        if (!drawn_) return;
        std::cerr << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }

    // The update has ended: no more lines.
    void finish() {
        if (ticker_.joinable()) {
            {
                std::lock_guard lock(mutex_);
                stopping_ = true;
            }
            wake_.notify_all();
            ticker_.join();
        }
        clear();
    }

  private:
    static constexpr auto kQuietStart = std::chrono::milliseconds(500);
    static constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
    static constexpr auto kTickInterval = std::chrono::milliseconds(250);
    static constexpr int kBarWidth = 24;

    void tick() {
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, kTickInterval, [this] { return stopping_; })) {
            if (started_ && !paused_) draw(Clock::now());
        }
    }

    // With mutex_ held.
    void draw(Clock::time_point now) {
        // The version file is small: it gets a line only when it is slow to come.
        if (latest_.phase == UpdatePhase::Checking && now - phaseStart_ < kQuietStart) return;
        lastDraw_ = now;
        std::string line = "\r" + out(trZh(phaseText(latest_.phase)));
        if (latest_.phase != UpdatePhase::Installing) {
            if (latest_.total > 0) {
                auto filled = static_cast<int>(
                    kBarWidth * std::min(latest_.received, latest_.total) / latest_.total);
                line +=
                    " [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";
            }
            line += "  " + out(receivedText(latest_));
            double seconds = std::chrono::duration<double>(now - phaseStart_).count();
            if (seconds >= 0.2) {
                auto rate =
                    static_cast<std::int64_t>(static_cast<double>(latest_.received) / seconds);
                line += "  " + out(byteCountText(rate)) + "/s";
            }
        }
        std::cerr << line << "\x1b[K" << std::flush;
        drawn_ = true;
    }

    const bool enabled_;
    std::thread ticker_;
    std::mutex mutex_;  // guards what follows
    std::condition_variable wake_;
    bool stopping_ = false;
    bool started_ = false;
    bool paused_ = false;
    bool drawn_ = false;
    UpdateProgress latest_;
    Clock::time_point phaseStart_;
    Clock::time_point lastDraw_;
};

// Answers the update check's questions on the terminal: "y" or "yes" on stdin is Yes, anything
// else (end of input included) is No. With --json only the final document goes to stdout.
class TerminalNotifier : public UpdateNotifier {
  public:
    TerminalNotifier(bool answerYes, bool json, const CancelToken& cancel)
        : answerYes_(answerYes), json_(json), cancel_(cancel) {}

    bool ask(bool programFlag, bool questionFlag, const std::u16string& text) override {
        progress_.clear();
        std::ostream& shown = json_ ? std::cerr : std::cout;
        if (!programFlag && !questionFlag) {
            notices.push_back(out(text));
            shown << out(text) << "\n";
            return false;
        }
        questions.push_back(out(text));
        shown << out(text) << " [y/n] " << std::flush;
        bool yes = answerYes_;
        if (yes) {
            shown << "y\n";
        } else {
            std::string line;
            if (readAnswer(line)) {
                while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                    line.pop_back();
                yes = line == "y" || line == "Y" || line == "yes" || line == "Yes";
                if (!::isatty(STDIN_FILENO)) shown << (yes ? "y" : "n") << "\n";  // no echo
            } else {
                shown << "\n";
            }
        }
        answers.push_back(yes);
        return yes;
    }

    void showError(const std::u16string& text) override {
        progress_.clear();
        errors.push_back(out(text));
        std::cerr << "zelvan-cli update: " << out(text) << "\n";
    }

    void openHomepage() override {
        (json_ ? std::cerr : std::cout)
            << fill(trZh("主页: %s"), {out(std::u16string(kMobileSiteAddress))}) << "\n";
    }

    void showProgress(const UpdateProgress& progress) override { progress_.show(progress); }
    // The check has ended: its progress line goes for good.
    void finishProgress() { progress_.finish(); }

    std::vector<std::string> questions, notices, errors;
    std::vector<bool> answers;

  private:
    // One line of standard input, read a byte at a time so that nothing is read ahead of the
    // answer; false at the end of input and once the update is cancelled. Waiting on the
    // token as well catches a Ctrl+C that comes just before the read would have begun.
    bool readAnswer(std::string& line) const {
        line.clear();
        for (;;) {
            pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {cancel_.waitDescriptor(), POLLIN, 0}};
            int ready = ::poll(fds, 2, -1);
            if (cancel_.cancelled()) return false;
            if (ready < 0 && errno != EINTR) return false;
            if (ready <= 0) continue;
            char c = 0;
            ssize_t n = ::read(STDIN_FILENO, &c, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return !line.empty();
            if (c == '\n') return true;
            line.push_back(c);
        }
    }

    bool answerYes_;
    bool json_;
    const CancelToken& cancel_;
    ProgressLine progress_;
};

// Ctrl+C (and a polite kill) cancel the running update: the download stops, its partial file
// goes, the installed timetable stays as it was, and the command ends with status 1.
CancelToken* interruptedUpdate = nullptr;

extern "C" void cancelOnSignal(int) {
    if (interruptedUpdate) interruptedUpdate->cancel();
}

class CancelOnInterrupt {
  public:
    explicit CancelOnInterrupt(CancelToken& token) {
        interruptedUpdate = &token;
        struct sigaction action {};
        action.sa_handler = cancelOnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: a prompt waiting for input ends as No
        ::sigaction(SIGINT, &action, &previousInt_);
        ::sigaction(SIGTERM, &action, &previousTerm_);
    }
    ~CancelOnInterrupt() {
        ::sigaction(SIGINT, &previousInt_, nullptr);
        ::sigaction(SIGTERM, &previousTerm_, nullptr);
        interruptedUpdate = nullptr;
    }
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;

  private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

const char* outcomeName(UpdateOutcome outcome) {
    switch (outcome) {
        case UpdateOutcome::NoUpdate:
            return "no-update";
        case UpdateOutcome::NewProgram:
            return "new-program";
        case UpdateOutcome::Declined:
            return "declined";
        case UpdateOutcome::Updated:
            return "updated";
        case UpdateOutcome::Failed:
            return "failed";
        case UpdateOutcome::NoAnswer:
            return "no-answer";
        case UpdateOutcome::Cancelled:
            return "cancelled";
        case UpdateOutcome::Busy:
            return "busy";
    }
    return "failed";
}

std::string withoutTrailingSlash(std::string url) {
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url;
}

const CLI::Validator kWebAddress(
    [](std::string& text) {
        return text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0
                   ? std::string()
                   : fill(tr("expects an http:// or https:// address, got '%s'"), {text});
    },
    "URL");

}  // namespace

void addUpdateCommands(CLI::App& app, Globals& globals) {
    static struct {
        std::string server = std::string(kDefaultUpdateServer);
        bool yes = false;
        std::string package, folder, output;
        std::string url = std::string(kDefaultUpdateServer) + std::string(kPackageFilePath);
        std::string text = "时刻表数据更新";
    } options;

    if (CLI::App* update = addCommand(
            app, globals, "update",
            tr("Check the download server for a newer program or timetable and install it"))) {
        update->add_option("--server", options.server, tr("Base address of the download server"))
            ->check(kWebAddress)
            ->capture_default_str();
        update->add_flag("--yes,-y", options.yes, tr("Answer yes to every question"));
        update->callback([&globals] {
            TimetableDb db;
            // A folder without a (loadable) timetable can still receive one.
            const DataFolder folder = mendedDataFolder(globals);
            db.load(folder.path);
            UpdateChecker checker(db, withoutTrailingSlash(options.server));
            checker.setInstallFolder(folder.updateFolder);
            CancelToken cancel;
            TerminalNotifier notifier(options.yes, globals.json, cancel);
            NetworkConnection connection;
            checker.setCancelToken(&cancel);
            UpdateOutcome outcome;
            {
                CancelOnInterrupt interrupt(cancel);
                outcome = runUpdateCommand(connection, checker, notifier);
                notifier.finishProgress();
            }
            if (outcome == UpdateOutcome::NoAnswer) {
                std::cerr << "zelvan-cli update: "
                          << fill(tr("the version file of %s is not understood (it needs six "
                                     "fields separated by \"|\")"),
                                  {checker.server()})
                          << "\n";
            }
            if (outcome == UpdateOutcome::Failed || outcome == UpdateOutcome::NoAnswer ||
                outcome == UpdateOutcome::Cancelled || outcome == UpdateOutcome::Busy) {
                globals.exitCode = kExitFailed;
            }
            if (globals.json) {
                std::u16string version;
                db.readDatabaseVersion(version);
                printJson({{"outcome", outcomeName(outcome)},
                           {"questions", notifier.questions},
                           {"answers", notifier.answers},
                           {"notices", notifier.notices},
                           {"errors", notifier.errors},
                           {"databaseVersion", out(version)},
                           {"dataFolder", out(db.folder)}});
            }
        });
    }

    if (CLI::App* rollback = addCommand(app, globals, "rollback",
                                        tr("Put back the timetable that the last update "
                                           "replaced"))) {
        rollback->callback([&globals] {
            const DataFolder folder = mendedDataFolder(globals);
            TimetableDb db;
            db.load(folder.path);
            InstallResult result;
            result.status = InstallStatus::Nothing;
            if (!folder.updateFolder.empty()) {
                result = rollBackTimetable(db, std::filesystem::path(toUtf8(folder.updateFolder)));
            }
            const std::string text = out(rollBackText(result, db));
            const bool done = result.status == InstallStatus::Installed;
            if (!done) globals.exitCode = kExitFailed;
            if (globals.json) {
                std::u16string version;
                db.readDatabaseVersion(version);
                printJson(
                    {{"rolledBack", done}, {"message", text}, {"databaseVersion", out(version)}});
            } else if (done) {
                std::cout << text << "\n";
            } else {
                std::cerr << "zelvan-cli rollback: " << text << "\n";
            }
        });
    }

    if (CLI::App* extract =
            addCommand(app, globals, "extract", tr("Unpack a database package into a folder"))) {
        extract->add_option("PACKAGE", options.package, tr("Package file (a zip archive)"))
            ->required();
        extract->add_option("DIR", options.folder, tr("Folder to unpack into (created if missing)"))
            ->required();
        extract->callback([&globals] {
            ExtractSummary summary =
                extractPackage(fromUtf8(options.package), fromUtf8(options.folder));
            if (summary.code == kPackageCannotOpen && summary.entries == 0) {
                std::cerr << "zelvan-cli extract: "
                          << fill(tr("%s cannot be opened as a zip archive"), {options.package})
                          << "\n";
            } else if (summary.code == kPackageTooLarge && summary.written == 0) {
                std::cerr << "zelvan-cli extract: "
                          << fill(tr("%s would unpack to more than allowed (256 MiB, or 100 times "
                                     "its size)"),
                                  {options.package})
                          << "\n";
            } else if (summary.code != kPackageOk) {
                char code[16];
                std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(summary.code));
                std::cerr << "zelvan-cli extract: "
                          << fill(tr("%s of %s entries could not be unpacked (code %s)"),
                                  {std::to_string(summary.failed), std::to_string(summary.entries),
                                   code})
                          << "\n";
            }
            if (summary.skipped > 0) {
                std::cerr << "zelvan-cli extract: "
                          << fill(tr("skipped %s entries whose names lead outside %s"),
                                  {std::to_string(summary.skipped), options.folder})
                          << "\n";
            }
            if (summary.code != kPackageOk) globals.exitCode = kExitFailed;
            if (globals.json) {
                printJson({{"entries", summary.entries},
                           {"written", summary.written},
                           {"skipped", summary.skipped},
                           {"failed", summary.failed},
                           {"code", summary.code}});
            } else if (summary.code == kPackageOk) {
                std::cout << fill(tr("%s of %s entries unpacked into %s"),
                                  {std::to_string(summary.written), std::to_string(summary.entries),
                                   options.folder})
                          << "\n";
            }
        });
    }

    if (CLI::App* pack = addCommand(
            app, globals, "pack",
            tr("Make a database package OUT and its version file OUT.ver from a data folder "
               "(serve them as wm.db and wm.ver)"))) {
        pack->add_option("DIR", options.folder, tr("Data folder holding the timetable files"))
            ->required();
        pack->add_option("OUT", options.output, tr("Package file to write"))->required();
        pack->add_option("--url", options.url, tr("Address the package will be served from"))
            ->check(kWebAddress)
            ->capture_default_str();
        pack->add_option("--text", options.text,
                         tr("Text about the update (field 3 of the version file)"))
            ->capture_default_str();
        pack->callback([&globals] {
            std::vector<std::string> packed;
            std::string error;
            std::string versionFile = options.output + ".ver";
            bool ok = writePackage(options.folder, options.output, packed, error);
            std::error_code sizeError;
            const auto bytes = ok ? std::filesystem::file_size(options.output, sizeError) : 0;
            if (ok && !writeVersionFile(options.folder, versionFile, options.text, options.url,
                                        error, sizeError ? -1 : static_cast<std::int64_t>(bytes))) {
                std::error_code ec;
                std::filesystem::remove(options.output, ec);  // no package without its version file
                ok = false;
            }
            if (!ok) {
                std::cerr << "zelvan-cli pack: " << error << "\n";
                globals.exitCode = kExitFailed;
                return;
            }
            if (globals.json) {
                printJson(
                    {{"package", options.output}, {"versionFile", versionFile}, {"files", packed}});
                return;
            }
            std::cout << fill(tr("packed %s files into %s"),
                              {std::to_string(packed.size()), options.output})
                      << "\n"
                      << fill(tr("version file %s"), {versionFile}) << "\n";
        });
    }
}

}  // namespace zelvan::cli
