// The journey views: from 站站查询 (and from its results) to the journey question (换乘方案),
// the journeys, a journey's legs and a train's stops, and back level by level; arriving by a
// time, via a station, step-free; a ride or a journey put in the traveller's calendar.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "ui/journey_dialog.h"
#include "ui/links.h"
#include "ui/main_window.h"
#include "ui/results_dialog.h"
#include "ui/soft_key_bar.h"
#include "ui/station_combo.h"
#include "ui/station_to_station_dialog.h"
#include "ui/translation.h"
#include "ui_fixture.h"

namespace zelvan::test {
namespace {

using namespace Qt::StringLiterals;

// The popup entry of a view's or dialog's right soft key with this text.
QAction* popupEntry(SoftKeyDialog& dialog, const QString& text) {
    for (QAction* action : dialog.softKeys()->popupMenu()->actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

class Journeys : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        openWindow(timetableSource());
    }

    // The first step: 站站查询 for `from` -> `to` on 2026-06-01, running `step` in it.
    void stationToStation(const QString& from, const QString& to,
                          std::function<void(StationToStationDialog&)> step) {
        script_->then([=](QDialog& d) {
            auto* dialog = qobject_cast<StationToStationDialog*>(&d);
            ASSERT_NE(dialog, nullptr);
            dialog->travelDate()->setDate(QDate(2026, 6, 1));
            dialog->fromStation()->setEditText(from);
            dialog->toStation()->setEditText(to);
            step(*dialog);
        });
    }
    // Opens 站站查询 and runs the steps.
    void run() { window_->openEntry(static_cast<int>(MainEntry::StationToStation)); }

    // The journey question, expected next: runs `step`, then closes it ("返回").
    void thenQuestion(std::function<void(JourneyDialog&)> step) {
        script_->then([=](QDialog& d) {
            auto* question = qobject_cast<JourneyDialog*>(&d);
            ASSERT_NE(question, nullptr);
            step(*question);
            popupEntry(*question, u"返回"_s)->trigger();
        });
    }
    // The journey question as it opens, asked at once.
    void thenAsked() {
        thenQuestion([](JourneyDialog& question) { EXPECT_TRUE(question.runQuery()); });
    }

    // The next view, expected to be a results view in `mode`.
    void thenView(ResultMode mode, std::function<void(ResultsDialog&)> step) {
        script_->then([=](QDialog& d) {
            auto* view = qobject_cast<ResultsDialog*>(&d);
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(view->mode(), mode);
            step(*view);
        });
    }
};

TEST_F(Journeys, WalkFromTheDialogToATrainsStopsAndBack) {
    // 青岛 -> 宁波东 has no through train: K6 to 南京, the next morning D7 on.
    QStringList trail;
    stationToStation(u"青岛"_s, u"宁波东"_s, [&](StationToStationDialog& dialog) {
        QAction* journeys = popupEntry(dialog, u"换乘方案"_s);
        ASSERT_NE(journeys, nullptr);
        journeys->trigger();
        EXPECT_TRUE(dialog.isVisible());  // back in the dialog with its inputs
        EXPECT_EQ(dialog.fromStation()->currentText(), u"青岛"_s);
        popupEntry(dialog, u"返回"_s)->trigger();
        EXPECT_EQ(dialog.result(), res::kCmdBack);
    });
    thenQuestion([&](JourneyDialog& question) {
        // The places and the day come along; another day than today is asked from its start.
        EXPECT_EQ(question.fromStation()->currentText(), u"青岛"_s);
        EXPECT_EQ(question.toStation()->currentText(), u"宁波东"_s);
        EXPECT_EQ(question.travelDate()->date(), QDate(2026, 6, 1));
        EXPECT_EQ(question.time()->time(), QTime(0, 0));
        EXPECT_EQ(question.timeMode()->currentText(), u"出发不早于"_s);
        EXPECT_EQ(question.maxChanges()->value(), 2);
        EXPECT_EQ(question.maxChanges()->maximum(), kMaxJourneyChanges);
        EXPECT_FALSE(question.stepFree()->isChecked());
        question.softKeys()->pressLeft();   // "确定"
        EXPECT_TRUE(question.isVisible());  // back in the question after the views
    });
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        trail << journeys.windowTitle() << tableLines(*journeys.table());
        ASSERT_EQ(journeys.table()->columnCount(), 5);
        EXPECT_EQ(journeys.table()->horizontalHeaderItem(4)->text(), u"      车次      "_s);
        journeys.table()->selectRow(0);
        journeys.softKeys()->pressLeft();  // "查看"
        EXPECT_EQ(context_.results.mode, ResultMode::Journeys);
        journeys.softKeys()->popupMenu()->actions().at(0)->trigger();  // "返回"
        EXPECT_EQ(journeys.result(), res::kCmdResultsBack);
    });
    thenView(ResultMode::JourneyLegs, [&](ResultsDialog& legs) {
        EXPECT_EQ(legs.returnMode(), ResultMode::Journeys);
        trail << legs.windowTitle() << tableLines(*legs.table());
        // No "换乘方案" here: the popup is the plain one.
        EXPECT_EQ(popupEntry(legs, u"换乘方案"_s), nullptr);
        legs.openRow(1);  // D7
        EXPECT_EQ(context_.results.mode, ResultMode::JourneyLegs);
        QTest::keyClick(legs.table(), Qt::Key_Escape);
        EXPECT_EQ(legs.result(), res::kCmdResultsBack);
    });
    thenView(ResultMode::TrainStops, [&](ResultsDialog& stops) {
        EXPECT_EQ(stops.returnMode(), ResultMode::JourneyLegs);
        trail << stops.windowTitle() << tableLines(*stops.table()).join(u';');
        QTest::keyClick(stops.table(), Qt::Key_Escape);
        EXPECT_FALSE(stops.isVisible());
    });
    run();
    EXPECT_EQ(trail.join(u'\n').toStdString(),
              (QStringList{
                   "青岛至宁波东：换乘方案 1 个", "08:00|12:00+1|28:00|1 次|K6→D7",
                   "青岛至南京至宁波东：共 2 程",
                   "K6|青岛|08:00|南京|20:00|12:00||1000|快速|64|114|130/135/140|213/223|"
                   "青岛|南京",
                   "D7|南京|08:00+1|宁波东|12:00+1|04:00|12:00|520|动车|64|105|121/124/128|189/196|"
                   "南京|宁波东",
                   "D7 ", "南京|-- --|08:00|0;上海|09:30|09:35|300;宁波东|12:00|-- --|520"})
                  .join(u'\n')
                  .toStdString());
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(Journeys, OfferedByTheViewsOfAStationToStationQuestion) {
    // Through trains 北京 -> 上海: the direct view offers the journeys too; so does the list of
    // transfer stations of 青岛 -> 宁波东. The views nested deeper do not.
    QStringList captions;
    stationToStation(u"北京"_s, u"上海"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runQuery()); });
    thenView(ResultMode::Direct, [&](ResultsDialog& direct) {
        ASSERT_NE(popupEntry(direct, u"换乘方案"_s), nullptr);
        popupEntry(direct, u"换乘方案"_s)->trigger();
        EXPECT_EQ(context_.results.mode, ResultMode::Direct);
        direct.openRow(0);
    });
    thenAsked();
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        EXPECT_EQ(journeys.returnMode(), ResultMode::Direct);
        captions << journeys.windowTitle();
    });
    thenView(ResultMode::TrainStops, [&](ResultsDialog& stops) {
        EXPECT_EQ(popupEntry(stops, u"换乘方案"_s), nullptr);
        stops.command(res::kCmdJourneys);  // not offered here: nothing opens
    });
    run();

    messages_.answers = {true};
    stationToStation(u"青岛"_s, u"宁波东"_s,
                     [&](StationToStationDialog& dialog) { dialog.runQuery(); });
    thenView(ResultMode::Transfer,
             [&](ResultsDialog& transfer) { popupEntry(transfer, u"换乘方案"_s)->trigger(); });
    thenAsked();
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        EXPECT_EQ(journeys.returnMode(), ResultMode::Transfer);
        captions << journeys.windowTitle();
    });
    run();
    EXPECT_EQ(captions.size(), 2);
    EXPECT_TRUE(captions.value(0).startsWith(u"北京至上海：换乘方案 "_s))
        << captions.value(0).toStdString();
    EXPECT_EQ(captions.value(1), u"青岛至宁波东：换乘方案 1 个"_s);
}

TEST_F(Journeys, TheNoThroughTrainQuestionOffersTheJourneysToo) {
    QString caption;
    messages_.chooseOther = true;
    stationToStation(u"青岛"_s, u"宁波东"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runQuery()); });
    thenAsked();
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        EXPECT_EQ(journeys.returnMode(), ResultMode::Journeys);
        caption = journeys.windowTitle();
    });
    run();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, u"无直达车次，是否通过中转站查询"_s);
    EXPECT_EQ(messages_.otherAnswer, u"换乘方案"_s);
    EXPECT_EQ(caption, u"青岛至宁波东：换乘方案 1 个"_s);
}

TEST_F(Journeys, ASortedListOpensTheJourneyItShows) {
    // 北京 -> 上海, latest departure first: the row opened is the journey shown in it, not
    // the one listed at that place.
    QString listedFirst;
    QString shownFirst;
    QString legsFirst;
    stationToStation(u"北京"_s, u"上海"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runJourneys()); });
    thenAsked();
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        listedFirst = tableLines(*journeys.table()).value(0);
        journeys.sortByColumn(0);  // 出发
        journeys.sortByColumn(0);  // reversed
        shownFirst = tableLines(*journeys.table()).value(0);
        journeys.openRow(0);
    });
    thenView(ResultMode::JourneyLegs,
             [&](ResultsDialog& legs) { legsFirst = tableLines(*legs.table()).value(0); });
    run();
    EXPECT_NE(listedFirst, shownFirst);
    const QStringList shown = shownFirst.split(u'|');
    const QStringList leg = legsFirst.split(u'|');
    ASSERT_EQ(shown.size(), 5);
    ASSERT_GT(leg.size(), 3);
    EXPECT_EQ(leg[0].section(u' ', 0, 0), shown[4].section(u'→', 0, 0)) << legsFirst.toStdString();
    EXPECT_EQ(leg[2], shown[0]);
}

// The test timetable with G9 from 北京南 to 石家庄: 沈阳 -> 石家庄 takes G5 to 北京, then
// crosses the city to 北京南.
class CrossCityJourneys : public Journeys {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        std::map<std::string, std::string> files = timetableSource();
        files["stations.tsv"] += "石家庄\t*\n";
        files["trains.tsv"] += "G9\t0x06\t0\t20200101\t20351231\t0\n";
        files["stops.tsv"] += "G9\t北京南\t11:00\t0\t0\nG9\t石家庄\t12:30\t0\t280\n";
        openWindow(files);
    }
};

TEST_F(CrossCityJourneys, AChangeBetweenTwoStationsIsMarkedAndToldInTheLegs) {
    QStringList seen;
    stationToStation(u"沈阳"_s, u"石家庄"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runJourneys()); });
    thenAsked();
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        seen << tableLines(*journeys.table());
        journeys.openRow(0);
    });
    thenView(ResultMode::JourneyLegs, [&](ResultsDialog& legs) {
        QTableWidget& table = *legs.table();
        seen << firstColumn(table);
        // The label stays in view in the first column, the text spans the others.
        EXPECT_EQ(table.columnSpan(1, 1), table.columnCount() - 1);
        seen << table.item(1, 1)->text();
        legs.openRow(1);  // the change is no train: nothing opens
        QTest::keyClick(&table, Qt::Key_End);
        QTest::keyClick(&table, Qt::Key_Return);
    });
    thenView(ResultMode::TrainStops, [&](ResultsDialog& stops) { seen << stops.windowTitle(); });
    run();
    EXPECT_EQ(seen,
              (QStringList{u"05:00|12:30|07:30|1 次（异站）|G5→G9"_s, u"G5"_s, u"换站"_s, u"G9"_s,
                           u"换乘：北京 → 北京南，步行/市内交通 60 分钟"_s, u"G9 "_s}));
}

TEST_F(CrossCityJourneys, AJourneyShowsWhereItStartsWhereThatIsNotThePlaceAsked) {
    // 北京 -> 石家庄: G9 leaves from 北京南, of the place 北京; it arrives where asked. In
    // English the changes read as words.
    QStringList seen;
    stationToStation(u"北京"_s, u"石家庄"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runJourneys()); });
    thenAsked();
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        seen << tableLines(*journeys.table());
        applyLanguage(UiLanguage::English);
        QCoreApplication::processEvents();
        seen << tableLines(*journeys.table());
        applyLanguage(UiLanguage::Chinese);
        QCoreApplication::processEvents();
    });
    run();
    EXPECT_EQ(seen, (QStringList{u"11:00 北京南|12:30|01:30|直达|G9"_s,
                                 u"11:00 AM 北京南|12:30 PM|1 h 30 min|Direct|G9"_s}));
}

// Two railways' timetables in one: G9 leaves 丰台, twelve minutes' walk from 北京 (a walk of
// the timetable's, as an import of several feeds makes between their stations).
class WalkBetweenFeeds : public Journeys {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        std::map<std::string, std::string> files = timetableSource();
        files["stations.tsv"] += "丰台\t*\n石家庄\t*\n";  // stations 10 and 11
        files["trains.tsv"] += "G9\t0x06\t0\t20200101\t20351231\t0\n";
        files["stops.tsv"] += "G9\t丰台\t11:00\t0\t0\nG9\t石家庄\t12:30\t0\t280\n";
        files["s.walks"] = "from\tto\tminutes\n0\t10\t12\n";
        openWindow(files);
    }
};

TEST_F(WalkBetweenFeeds, TheLegsAndTheirMessageNameBothStationsAndTheWalksMinutes) {
    QString change;
    stationToStation(u"沈阳"_s, u"石家庄"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runJourneys()); });
    thenQuestion([&](JourneyDialog& question) {
        question.maxChanges()->setValue(kMaxJourneyChanges);
        EXPECT_TRUE(question.runQuery());
    });
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        EXPECT_EQ(tableLines(*journeys.table()).value(0),
                  u"05:00|12:30|07:30|1 次（异站）|G5→G9"_s);
        journeys.openRow(0);
    });
    thenView(ResultMode::JourneyLegs, [&](ResultsDialog& legs) {
        change = legs.table()->item(1, 1)->text();
        legs.sendAsMessage();
    });
    run();
    EXPECT_EQ(change, u"换乘：北京 → 丰台，步行/市内交通 12 分钟"_s);
    ASSERT_EQ(links().size(), 1u);
    const QString body = QUrl::fromPercentEncoding(links()[0].toEncoded());
    EXPECT_TRUE(body.contains(u"换站\t换乘：北京 → 丰台，步行/市内交通 12 分钟"_s))
        << body.toStdString();
}

TEST_F(Journeys, NoneFoundOrNoSuchStationIsSaidAndNothingOpens) {
    stationToStation(u"空站"_s, u"上海"_s, [&](StationToStationDialog& dialog) {
        EXPECT_TRUE(dialog.runJourneys());
        EXPECT_EQ(db().queryDate, 20260601);  // the dialog's day was taken
        dialog.toStation()->setEditText(u"火星"_s);
        EXPECT_FALSE(dialog.runJourneys());  // no question asked
    });
    thenQuestion([&](JourneyDialog& question) {
        EXPECT_FALSE(question.runQuery());
        question.toStation()->setEditText(u"火星"_s);
        EXPECT_FALSE(question.runQuery());
    });
    run();
    ASSERT_EQ(messages_.shown.size(), 3u);
    EXPECT_EQ(messages_.shown[0].caption, u"警告"_s);
    EXPECT_EQ(messages_.shown[0].text, u"没有查到相关结果"_s);
    EXPECT_EQ(messages_.shown[1].text, u"没有找到车站：火星"_s);
    EXPECT_EQ(messages_.shown[2].text, u"没有找到车站：火星"_s);
}

TEST_F(Journeys, ArriveByListsTheLatestDepartureFirstAndViaAndStepFreeAreAsked) {
    // 北京 -> 上海 on 2026-06-01: arriving by 10:00 the next day, the latest departure first.
    QStringList byTen;
    QStringList whole;
    stationToStation(u"北京"_s, u"上海"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runJourneys()); });
    thenQuestion([&](JourneyDialog& question) {
        EXPECT_TRUE(question.runQuery());
        question.timeMode()->setCurrentIndex(1);  // 到达不晚于
        question.time()->setTime(QTime(23, 59));
        EXPECT_TRUE(question.runQuery());
        // A via station that is one of the two ends, and step-free on a timetable that says
        // nothing of it: said, nothing opens.
        question.viaStation()->setEditText(u"北京"_s);
        EXPECT_FALSE(question.runQuery());
        question.viaStation()->setEditText(QString());
        question.stepFree()->setChecked(true);
        EXPECT_FALSE(question.runQuery());
    });
    thenView(ResultMode::Journeys,
             [&](ResultsDialog& journeys) { whole = tableLines(*journeys.table()); });
    thenView(ResultMode::Journeys,
             [&](ResultsDialog& journeys) { byTen = tableLines(*journeys.table()); });
    run();
    ASSERT_FALSE(byTen.empty());
    // Every journey arriving on the day of travel, the latest departure first.
    QStringList expected;
    for (const QString& line : whole) {
        if (!line.section(u'|', 1, 1).contains(u'+')) expected.prepend(line);
    }
    EXPECT_EQ(byTen, expected);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text, u"途经站是出发地或目的地：北京"_s);
    EXPECT_EQ(messages_.shown[1].text, u"时刻表没有注明无障碍信息，无法查询无障碍行程"_s);
}

TEST_F(Journeys, ARideOrAJourneyGoesIntoTheCalendar) {
    // The file goes into the folder of the test; "yes" hands it to the desktop's calendar.
    TempDir folder;
    context_.results.calendarFolder = QString::fromStdString(folder.path().string());
    std::vector<QUrl> opened;
    LinkOpener previous = setLinkOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    messages_.answers = {true, false};
    stationToStation(u"青岛"_s, u"宁波东"_s,
                     [&](StationToStationDialog& dialog) { EXPECT_TRUE(dialog.runJourneys()); });
    thenAsked();
    thenView(ResultMode::Journeys, [&](ResultsDialog& journeys) {
        journeys.table()->selectRow(0);
        popupEntry(journeys, u"加入日历"_s)->trigger();
        journeys.openRow(0);
    });
    thenView(ResultMode::JourneyLegs, [&](ResultsDialog& legs) {
        // The legs of one journey put the whole journey in; a train's stops offer nothing.
        legs.command(res::kCmdAddToCalendar);
        legs.openRow(0);
    });
    thenView(ResultMode::TrainStops,
             [&](ResultsDialog& stops) { EXPECT_EQ(popupEntry(stops, u"加入日历"_s), nullptr); });
    run();
    const std::filesystem::path file = folder / "zelvan-20260601-K6.ics";
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(file.string())));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text, u"已保存日历文件："_s +
                                           QString::fromStdString(file.string()) +
                                           u"\n现在用日历程序打开吗？"_s);
    const std::string text = readBytes(file);
    EXPECT_NE(text.find("SUMMARY:K6 青岛 → 南京\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SUMMARY:D7 南京 → 宁波东\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("DTSTART;TZID=Asia/Shanghai:20260602T080000\r\n"), std::string::npos);
    setLinkOpener(std::move(previous));
}

}  // namespace
}  // namespace zelvan::test
