// The update command of the application against the loopback server of the update tests: the
// event loop keeps running while the download does, the progress dialog follows it, and a
// cancel stops a stalled one at once with the installed timetable untouched.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "compiler/timetable_source.h"
#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "ui/main_window.h"
#include "ui/update_command.h"
#include "ui/update_progress_dialog.h"
#include "ui_fixture.h"
#include "update/package_writer.h"
#include "update_support.h"

namespace zelvan::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class UpdateUi : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(server.running());
        // On offer: the test timetable with a newer version. The padding after the archive
        // (zip readers find its directory from the end) makes the slow server take a while.
        std::string error;
        ASSERT_TRUE(compileSourceText(timetableSource("", "2026.07.01\n"), offered.path(), error))
            << error;
        std::vector<std::string> packed;
        ASSERT_TRUE(writePackage(offered.path(), site / "wm.db", packed, error)) << error;
        writeBytes(site / "wm.db", readBytes(site / "wm.db") + std::string(20000, 'x'));
    }

    // The version file, naming the package at `packagePath`; the main window over the test
    // timetable, asking the server at `base`.
    void start(const std::string& packagePath, const std::string& base = "") {
        std::string error;
        ASSERT_TRUE(writeVersionFile(offered.path(), site / "wm.ver", "新的时刻表",
                                     server.url(packagePath), error))
            << error;
        ASSERT_TRUE(compileSourceText(timetableSource(), data_.path(), error)) << error;
        before = snapshot(data_.path());
        AppOptions options;
        options.dataFolder = data_.wide();
        options.updateServer = server.url(base);
        window_ = std::make_unique<MainWindow>(context_, TimetableDb::instance(), options);
        window_->show();
    }

    // Runs the update command with `tick` called every 10 ms meanwhile; returns how long the
    // command took.
    Clock::duration runUpdate(const std::function<void()>& tick) {
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            ++ticks;
            tick();
        });
        timer.start();
        Clock::time_point begin = Clock::now();
        window_->command(res::kCmdUpdate);
        return Clock::now() - begin;
    }

    UpdateProgressDialog* dialog() const {
        UpdateSession* session = window_->updateSession();
        UpdateProgressDialog* d = session ? session->progressDialog() : nullptr;
        return d && d->isVisible() ? d : nullptr;
    }

    std::u16string installedVersion() {
        std::u16string version;
        db().readDatabaseVersion(version);
        return version;
    }

    TempDir site;
    TempDir offered;
    TestServer server{site.path()};
    std::vector<std::pair<std::string, std::string>> before;
    int ticks = 0;
};

TEST_F(UpdateUi, SlowDownloadShowsGrowingProgressAndCompletes) {
    start("/slow/wm.db");
    messages_.answers = {true};
    std::vector<int> bar;
    QStringList phases;
    QString bytes;
    Clock::duration took = runUpdate([&] {
        UpdateProgressDialog* d = dialog();
        if (!d) return;
        if (phases.isEmpty() || phases.back() != d->phaseLabel()->text()) {
            phases << d->phaseLabel()->text();
        }
        if (d->phaseLabel()->text() == u"正在下载…") {
            if (bar.empty() || bar.back() != d->bar()->value()) bar.push_back(d->bar()->value());
            bytes = d->bytesLabel()->text();
        }
    });

    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].caption, QStringLiteral("发现更新"));
    EXPECT_EQ(messages_.shown[0].text,
              QStringLiteral("发现新数据库版本:2026.07.01\n正在使用的版本:2026.06.01\n新的时刻表\n"
                             "现在就去下载吗?"));
    EXPECT_EQ(messages_.shown[1].caption, QStringLiteral("没有更新"));
    EXPECT_EQ(messages_.shown[1].text, QStringLiteral("更新完毕"));
    EXPECT_EQ(installedVersion(), u"2026.07.01\n");

    // The bar climbed in steps and the bytes showed the total.
    EXPECT_TRUE(phases.contains(QStringLiteral("正在下载…"))) << phases.join(u',').toStdString();
    EXPECT_GE(bar.size(), 3u);
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
    EXPECT_TRUE(bytes.startsWith(QStringLiteral("已接收 "))) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains(QStringLiteral(" KB / "))) << bytes.toStdString();
    // The event loop ran the whole time: a frozen one would tick once at the end.
    EXPECT_GE(ticks, std::chrono::duration_cast<milliseconds>(took).count() / 50);
    EXPECT_FALSE(window_->updateSession());
}

TEST_F(UpdateUi, CancelStopsAStalledDownloadWithinASecond) {
    start("/stall/wm.db");
    messages_.answers = {true};
    int stalledTicks = 0;
    Clock::time_point cancelledAt;
    runUpdate([&] {
        UpdateProgressDialog* d = dialog();
        if (!d || d->bar()->value() == 0) return;
        // Half the package is in and nothing more comes; the window still ticks.
        if (++stalledTicks == 20) {
            EXPECT_TRUE(d->isModal());
            cancelledAt = Clock::now();
            QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        }
    });
    Clock::duration cancelTook = Clock::now() - cancelledAt;

    EXPECT_GE(stalledTicks, 20);
    EXPECT_LT(cancelTook, std::chrono::seconds(1));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_TRUE(messages_.shown[0].question);
    // Captioned as information: a cancelled update is no "没有更新" answer.
    EXPECT_EQ(messages_.shown[1].caption, QStringLiteral("信息"));
    EXPECT_EQ(messages_.shown[1].text, QStringLiteral("更新已取消，原有数据未改变"));
    EXPECT_EQ(snapshot(data_.path()), before);
    EXPECT_FALSE(std::filesystem::exists(data_ / ".update/wm.db"));
    EXPECT_EQ(installedVersion(), u"2026.06.01\n");
}

TEST_F(UpdateUi, ClosingTheWindowEndsTheCheckAndASecondUpdateIsRefused) {
    start("/wm.db", "/stall");  // the version file stalls half-way
    QString busyText;
    Clock::time_point begin = Clock::now();
    Clock::duration busyAfter{};
    Clock::time_point closedAt;
    runUpdate([&] {
        if (ticks == 1) window_->command(res::kCmdUpdate);  // while the first one runs
        UpdateProgressDialog* d = dialog();
        if (!d || !busyText.isEmpty()) return;
        busyText = d->phaseLabel()->text();
        busyAfter = Clock::now() - begin;
        closedAt = Clock::now();
        window_->close();
    });
    Clock::duration closeTook = Clock::now() - closedAt;

    // A busy indicator once the check took half a second; the close ended the check quietly.
    EXPECT_EQ(busyText, QStringLiteral("正在检查更新…"));
    EXPECT_GE(busyAfter, milliseconds(450));
    EXPECT_LT(closeTook, std::chrono::seconds(1));
    EXPECT_FALSE(window_->isVisible());
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].caption, QStringLiteral("信息"));
    EXPECT_EQ(messages_.shown[0].text, QStringLiteral("另一个更新正在进行，请稍后再试"));
    EXPECT_EQ(snapshot(data_.path()), before);
}

}  // namespace
}  // namespace zelvan::test
