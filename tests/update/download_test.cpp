// Downloads over HTTP from a server on 127.0.0.1: what is stored, what is reported.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "db/text.h"
#include "test_files.h"
#include "update/cancel_token.h"
#include "update/download.h"
#include "update_support.h"

namespace zelvan {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

struct RecordingListener : DownloadListener {
    std::vector<std::string> errors;
    std::vector<std::int64_t> progress;
    int finished = 0;
    std::atomic<int> reports{0};  // may be watched from another thread

    void reportError(const std::u16string& text) override { errors.push_back(toUtf8(text)); }
    void reportProgress(std::int64_t bytes) override {
        progress.push_back(bytes);
        ++reports;
    }
    void downloadFinished() override { ++finished; }
};

class Download : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.running()); }
    TempDir site;
    TempDir local;
    test::TestServer server{site.path()};
    RecordingListener listener;
};

TEST_F(Download, BodyIsStoredThroughTheCopyLoop) {
    std::string body;
    for (int i = 0; i < 40000; ++i) body.push_back(static_cast<char>(i * 7));
    test::writeBytes(site / "big.bin", body);
    test::writeBytes(local / "big.bin", "an earlier file is replaced");
    EXPECT_EQ(downloadToFile(listener, server.url("/big.bin"), local / "big.bin"), 0);
    EXPECT_EQ(test::readBytes(local / "big.bin"), body);
    EXPECT_EQ(listener.finished, 1);
    EXPECT_TRUE(listener.errors.empty());
    // The announced length first, then pieces of at most 16 KB adding up to it.
    ASSERT_GE(listener.progress.size(), 4u);
    EXPECT_EQ(listener.progress[0], 40000);
    std::int64_t sum = 0;
    for (std::size_t i = 1; i < listener.progress.size(); ++i) {
        EXPECT_LE(listener.progress[i], 16384);
        sum += listener.progress[i];
    }
    EXPECT_EQ(sum, 40000);
}

TEST_F(Download, EmptyBodyAndRedirectsAreFine) {
    test::writeBytes(site / "empty", "");
    test::writeBytes(site / "x", "moved");
    EXPECT_EQ(downloadToFile(listener, server.url("/empty"), local / "empty"), 0);
    EXPECT_TRUE(fs::exists(local / "empty"));
    EXPECT_EQ(downloadToFile(listener, server.url("/redirect/x"), local / "x"), 0);
    EXPECT_EQ(test::readBytes(local / "x"), "moved");
    EXPECT_EQ(listener.finished, 2);
}

TEST_F(Download, FailuresAreReportedAndNeverFinish) {
    test::writeBytes(site / "x", std::string(5000, 'x'));
    DownloadLimits small;
    small.maxBytes = 1000;
    DownloadLimits impatient;
    impatient.stallSeconds = 1;
    std::string down = "http://127.0.0.1:" + std::to_string(test::closedPort()) + "/x";
    struct Case {
        std::string url;
        fs::path file;
        DownloadLimits limits;
        std::string message;
    } cases[] = {
        {down, local / "a", {}, "连接网络失败!"},
        {server.url("/nothing-here"), local / "b", {}, "连接网络失败!"},
        {server.url("/status/403"), local / "c", {}, "连接网络失败!"},
        {"file:///etc/hostname", local / "d", {}, "连接网络失败!"},  // the web only
        {server.url("/x"), local / "no/such/folder/e", {}, "无法写磁盘！"},
        {server.url("/cut/x"), local / "f", {}, "下载文件出错！"},
        // Half the body, then silence: curl averages over a few seconds, so this takes ~7 s.
        {server.url("/stall/x"), local / "g", impatient, "下载文件出错！"},
        {server.url("/x"), local / "h", small, "下载文件出错！"},
    };
    for (const Case& c : cases) {
        listener.errors.clear();
        EXPECT_EQ(downloadToFile(listener, c.url, c.file, c.limits), -1) << c.url;
        EXPECT_EQ(listener.errors, std::vector<std::string>{c.message}) << c.url;
    }
    EXPECT_EQ(listener.finished, 0);
    // An error page is not stored as if it were the file.
    EXPECT_FALSE(fs::exists(local / "b"));
    EXPECT_FALSE(fs::exists(local / "c"));
}

TEST_F(Download, SlowBodiesReportGrowingProgressAndComplete) {
    // 1 KB pieces with pauses between them: with and without an announced length.
    std::string body;
    for (int i = 0; i < 6000; ++i) body.push_back(static_cast<char>(i * 13));
    test::writeBytes(site / "x", body);
    for (const std::string path : {"/slow/x", "/nolength/x"}) {
        RecordingListener slow;
        EXPECT_EQ(downloadToFile(slow, server.url(path), local / "x"), 0) << path;
        EXPECT_EQ(test::readBytes(local / "x"), body) << path;
        EXPECT_EQ(slow.finished, 1) << path;
        ASSERT_GE(slow.progress.size(), 4u) << path;  // pieces, not one report at the end
        EXPECT_EQ(slow.progress[0], path == "/slow/x" ? 6000 : 0) << path;
        std::int64_t sum = 0;
        for (std::size_t i = 1; i < slow.progress.size(); ++i) sum += slow.progress[i];
        EXPECT_EQ(sum, 6000) << path;
    }
}

TEST_F(Download, CancelStopsAStalledDownloadAtOnceAndRemovesItsFile) {
    // Half the body arrives, then the server says nothing for a minute.
    test::writeBytes(site / "x", std::string(64000, 'x'));
    CancelToken cancel;
    int result = 0;
    std::thread transfer([&] {
        result = downloadToFile(listener, server.url("/stall/x"), local / "x", {}, &cancel);
    });
    for (int i = 0; i < 1000 && listener.reports < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(listener.reports, 2) << "no bytes arrived";
    auto asked = std::chrono::steady_clock::now();
    cancel.cancel();
    transfer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    EXPECT_EQ(result, kDownloadCancelled);
    EXPECT_TRUE(listener.errors.empty());  // a cancel is not a failure to report
    EXPECT_EQ(listener.finished, 0);
    EXPECT_FALSE(fs::exists(local / "x"));

    // A cancelled token stops the next download before it starts.
    EXPECT_EQ(downloadToFile(listener, server.url("/x"), local / "x", {}, &cancel),
              kDownloadCancelled);
    EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
}  // namespace zelvan
