#include "ui_fixture.h"

#include <QDateEdit>
#include <QDesktopServices>
#include <QHeaderView>
#include <QSettings>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "compiler/timetable_source.h"
#include "db/timetable_db.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/results_dialog.h"
#include "ui/station_combo.h"
#include "ui/station_to_station_dialog.h"

namespace zelvan::test {
namespace {

LinkRecorder* installedRecorder = nullptr;

// Stations in index order. 空站 has a record without trains.
constexpr const char* kStations =
    "name\ttrains\n"
    "北京\t*\n天津\t*\n济南\t*\n南京\t*\n上海\t*\n青岛\t*\n宁波东\t*\n沈阳\t*\n北京南\t*\n"
    "空站\t-\n";

// G1, K5, T9, G101 and Z11 start at 北京; G5 passes it. T9 has expired, G101 is not valid yet
// and Z11's rule (line 1: period 2, no day set) never lets it run. 青岛 -> 宁波东 has no
// through train: K6 reaches 南京 and D7 goes on from there.
constexpr const char* kTrains =
    "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
    "G1\t0x06\t0\t20200101\t20351231\t0\n"
    "G3\t0x06\t0\t20200101\t20351231\t0\n"
    "G5\t0x06\t0\t20200101\t20351231\t0\n"
    "G7\t0x06\t0\t20200101\t20351231\t0\n"
    "K5\t0x30\t0\t20200101\t20351231\t0\n"
    "K6\t0x30\t0\t20200101\t20351231\t0\n"
    "D7\t0x00\t0\t20200101\t20351231\t0\n"
    "T9\t0x21\t0\t20000101\t20011231\t0\n"
    "G101\t0x06\t0\t20400101\t20401231\t0\n"
    "Z11\t0x21\t0\t20200101\t20351231\t1\n";

constexpr const char* kStops =
    "train\tstation\tarrival\tdwell\tkm\n"
    "G1\t北京\t08:00\t0\t0\nG1\t天津\t08:30\t2\t120\nG1\t济南\t09:30\t2\t400\n"
    "G1\t南京\t11:00\t2\t1000\nG1\t上海\t12:00\t0\t1300\n"
    "G3\t天津\t09:00\t0\t0\nG3\t济南\t10:00\t2\t280\nG3\t上海\t13:00\t0\t1180\n"
    "G5\t沈阳\t05:00\t0\t0\nG5\t北京\t09:00\t5\t700\nG5\t上海\t14:00\t0\t2000\n"
    "G7\t北京南\t07:00\t0\t0\nG7\t天津\t07:30\t0\t120\n"
    "K5\t北京\t20:00\t0\t0\nK5\t济南\t02:00\t10\t490\nK5\t青岛\t07:00\t0\t880\n"
    "K6\t青岛\t08:00\t0\t0\nK6\t济南\t13:00\t10\t390\nK6\t南京\t20:00\t0\t1000\n"
    "D7\t南京\t08:00\t0\t0\nD7\t上海\t09:30\t5\t300\nD7\t宁波东\t12:00\t0\t520\n"
    "T9\t北京\t19:00\t0\t0\nT9\t上海\t07:00\t0\t1460\n"
    "G101\t北京\t06:00\t0\t0\nG101\t上海\t11:00\t0\t1300\n"
    "Z11\t北京\t21:00\t0\t0\nZ11\t上海\t08:00\t0\t1460\n";

constexpr const char* kCodes =
    "code\tname\nBJ\t北京\nBJN\t北京南\nJN\t济南\nKZ\t空站\nNBD\t宁波东\nQD\t青岛\n";

constexpr const char* kRules = "1 1\n2 0\n";

}  // namespace

void LinkRecorder::install(LinkRecorder* recorder) {
    for (const char* scheme : {"http", "https", "sms"}) {
        if (recorder) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), recorder, "open");
        } else {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
    }
    installedRecorder = recorder;
}

LinkRecorder& LinkRecorder::current() {
    return *installedRecorder;
}

std::map<std::string, std::string> timetableSource(const std::string& ads,
                                                   const std::string& version) {
    std::map<std::string, std::string> files{
        {"stations.tsv", kStations}, {"trains.tsv", kTrains}, {"stops.tsv", kStops},
        {"codes.tsv", kCodes},       {"rules.txt", kRules},
    };
    if (!ads.empty()) files["ads.tsv"] = "title\tlink\n" + ads;
    if (!version.empty()) files["version.txt"] = version;
    return files;
}

void UiTest::SetUp() {
    LinkRecorder::current().urls.clear();
    openSettings()->clear();
    script_ = std::make_unique<DialogScript>();
}

void UiTest::TearDown() {
    EXPECT_EQ(script_->pending(), 0) << "dialogs expected but never opened";
    EXPECT_EQ(script_->unexpected(), 0) << "dialogs opened without a step";
    window_.reset();
    script_.reset();
}

void UiTest::openWindow(const std::map<std::string, std::string>& files,
                        const std::function<void()>& adjust) {
    std::string error;
    // Without a window the test cannot go on.
    if (!compileSourceText(files, data_.path(), error)) {
        ADD_FAILURE() << error;
        std::abort();
    }
    if (adjust) adjust();
    openOnDataFolder();
}

void UiTest::openSample() {
    std::string error;
    if (!compileTimetable(ZELVAN_SAMPLE_SOURCE, data_.path(), error)) {
        ADD_FAILURE() << error;
        std::abort();
    }
    openOnDataFolder();
}

void UiTest::openOnDataFolder() {
    AppOptions options;
    options.dataFolder = data_.wide();
    window_ = std::make_unique<MainWindow>(context_, TimetableDb::instance(), options);
    window_->show();
}

void UiTest::queryBetween(const QString& from, const QString& to,
                          std::vector<std::function<void(ResultsDialog&)>> views) {
    script_->then([=](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        dialog.travelDate()->setDate(QDate(2026, 6, 1));
        dialog.fromStation()->setEditText(from);
        dialog.toStation()->setEditText(to);
        dialog.runQuery();
    });
    for (auto& step : views) {
        script_->then([step](QDialog& d) {
            auto* view = qobject_cast<ResultsDialog*>(&d);
            ASSERT_NE(view, nullptr);
            step(*view);
        });
    }
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
}

TimetableDb& UiTest::db() {
    return TimetableDb::instance();
}

QStringList tableLines(const QTableWidget& table) {
    QStringList lines;
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.columnCount(); ++c) {
            const QTableWidgetItem* item = table.item(r, c);
            cells << (item ? item->text() : QString());
        }
        lines << cells.join(u'|');
    }
    return lines;
}

QStringList firstColumn(const QTableWidget& table) {
    QStringList names;
    for (int r = 0; r < table.rowCount(); ++r) {
        const QTableWidgetItem* item = table.item(r, 0);
        names << (item ? item->text() : QString());
    }
    return names;
}

int rowOf(const QTableWidget& table, const QString& text) {
    return static_cast<int>(firstColumn(table).indexOf(text));
}

void doubleClickCell(QTableWidget& table, int row, int column) {
    const QPoint at = table.visualItemRect(table.item(row, column)).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, at);
}

void expectNothingElided(const QTableWidget& table) {
    EXPECT_EQ(table.textElideMode(), Qt::ElideNone);
    const QFontMetrics metrics(table.font());
    // An item view draws a cell's text inside the focus frame's margin on either side.
    const int margin =
        table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1;
    for (int c = 0; c < table.columnCount(); ++c) {
        const int room = table.columnWidth(c) - 2 * margin;
        const QString heading = table.horizontalHeaderItem(c)->text();
        EXPECT_LE(QFontMetrics(table.horizontalHeader()->font()).horizontalAdvance(heading), room)
            << heading.toStdString();
        for (int r = 0; r < table.rowCount(); ++r) {
            // A row spanning the table (a leg's separator) has one wide cell only.
            if (!table.item(r, c) || table.columnSpan(r, c) > 1) continue;
            const QString text = table.item(r, c)->text();
            ASSERT_LE(metrics.horizontalAdvance(text), room)
                << "row " << r << " column " << c << ": " << text.toStdString();
        }
    }
}

}  // namespace zelvan::test
