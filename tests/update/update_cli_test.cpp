// zelvan-cli update as a person runs it: on a terminal (a pseudo-terminal here), with its
// progress line and Ctrl+C, and with its output going to files, where only the messages appear.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "test_files.h"
#include "update_support.h"

namespace zelvan {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;  // on a terminal: everything the terminal showed
    std::string err;
};

int exitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<char*> argvOf(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// Runs the tool with no input and its standard output and error going to files.
Outcome runWithoutTerminal(std::vector<std::string> args) {
    TempDir scratch;
    args.insert(args.begin(), ZELVAN_CLI_PATH);
    Outcome run;
    pid_t pid = ::fork();
    if (pid == 0) {
        int in = ::open("/dev/null", O_RDONLY);
        int out = ::open((scratch / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open((scratch / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execv(args[0].c_str(), argvOf(args).data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = exitCodeOf(status);
    run.out = test::readBytes(scratch / "out");
    run.err = test::readBytes(scratch / "err");
    return run;
}

// Runs the tool on a pseudo-terminal and types Ctrl+C once `interruptAfter` has appeared on it.
Outcome runOnTerminal(std::vector<std::string> args, const std::string& interruptAfter = "") {
    args.insert(args.begin(), ZELVAN_CLI_PATH);
    Outcome run;
    int terminal = -1;
    pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::execv(args[0].c_str(), argvOf(args).data());
        ::_exit(127);
    }
    if (pid < 0) return run;
    bool interrupted = interruptAfter.empty();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{terminal, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buffer[4096];
        ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n <= 0) break;  // EIO once the tool has closed the terminal
        run.out.append(buffer, static_cast<std::size_t>(n));
        if (!interrupted && run.out.find(interruptAfter) != std::string::npos) {
            EXPECT_EQ(::write(terminal, "\x03", 1), 1);
            interrupted = true;
        }
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    ::close(terminal);
    run.exitCode = exitCodeOf(status);
    return run;
}

// A timetable whose package is large enough to take a second from the slow server: its record
// files are stored, not deflated.
test::TestTimetable bigTimetable() {
    test::TestTimetable t{{"北京", "上海"}, {}, "2011.02.01\n"};
    for (int i = 0; i < 2000; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "K%04d", i);
        t.trains.push_back({name, {{0, 8, 0, 0, 0}, {1, 20, 0, 0, 1400}}});
    }
    return t;
}

class UpdateCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.running());
        test::writeTimetable(
            data.path(),
            {{"北京", "上海"}, {{"K1", {{0, 8, 0, 0, 0}, {1, 20, 0, 0, 1400}}}}, "2011.01.01\n"});
        before = test::snapshot(data.path());
        std::vector<test::ZipEntry> entries = test::timetableEntries(bigTimetable());
        for (test::ZipEntry& e : entries) e.deflate = false;
        ASSERT_TRUE(test::writeZip(site / "wm.db", entries));
    }
    void servePackageAt(const std::string& path) {
        test::writeBytes(site / "wm.ver", "1.0|0317|x|2011.02.01|" + server.url(path) + "|-");
    }
    std::vector<std::string> update(bool yes) const {
        std::vector<std::string> args = {"--data", data.path().string(), "update", "--server",
                                         server.url()};
        if (yes) args.push_back("--yes");
        return args;
    }

    TempDir site;
    TempDir data;
    test::TestServer server{site.path()};
    std::vector<std::pair<std::string, std::string>> before;
};

TEST_F(UpdateCommand, WithoutATerminalOnlyTheMessagesAppear) {
    servePackageAt("/slow/wm.db");
    Outcome run = runWithoutTerminal(update(true));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "发现新数据库版本:2011.02.01\n正在使用的版本:2011.01.01\nx\n现在就去下载吗? [y/n] y\n"
              "更新完毕\n");
    EXPECT_EQ(test::readBytes(data / "ver.txt"), "2011.02.01\n");
}

TEST_F(UpdateCommand, OnATerminalAProgressLineIsDrawnAndCleared) {
    servePackageAt("/slow/wm.db");
    Outcome run = runOnTerminal(update(true));
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out.rfind("发现新数据库版本:2011.02.01\r\n正在使用的版本:2011.01.01\r\nx\r\n"
                            "现在就去下载吗? [y/n] y\r\n",
                            0),
              0u)
        << run.out;
    // Redrawn in place: the phase, a bar, bytes of the total and a rate.
    const std::string size = " / " + std::to_string(fs::file_size(site / "wm.db") / 1024);
    EXPECT_NE(run.out.find("\r正在下载… [#"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(size), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" KB/s\x1b[K"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\r正在安装…"), std::string::npos) << run.out;
    // The line is wiped before the notice.
    EXPECT_TRUE(run.out.ends_with("\r\x1b[K更新完毕\r\n")) << run.out;
}

TEST_F(UpdateCommand, CtrlCCancelsCleanlyWithStatus1) {
    struct Case {
        const char* what;
        std::string packagePath;
        bool yes;
        std::string interruptAfter;
    } cases[] = {
        {"at the question", "/wm.db", false, "[y/n] "},
        {"while the package downloads", "/stall/wm.db", true, "正在下载… [#"},
    };
    for (const Case& c : cases) {
        servePackageAt(c.packagePath);
        Outcome run = runOnTerminal(update(c.yes), c.interruptAfter);
        EXPECT_EQ(run.exitCode, 1) << c.what << run.out;
        EXPECT_TRUE(run.out.ends_with("更新已取消，原有数据未改变\r\n")) << c.what << run.out;
        EXPECT_EQ(test::snapshot(data.path()), before) << c.what;
        EXPECT_FALSE(fs::exists(data / ".update/wm.db")) << c.what;
    }
}

}  // namespace
}  // namespace zelvan
