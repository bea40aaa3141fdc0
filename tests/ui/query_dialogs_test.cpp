// The three query dialogs driven through their fields and soft keys.
#include <QAbstractItemView>
#include <QAction>
#include <QCalendarWidget>
#include <QCompleter>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/results_dialog.h"
#include "ui/soft_key_bar.h"
#include "ui/station_combo.h"
#include "ui/station_dialog.h"
#include "ui/station_to_station_dialog.h"
#include "ui/train_number_dialog.h"
#include "ui_fixture.h"

namespace zelvan::test {
namespace {

using namespace Qt::StringLiterals;

const QDate kTravelDay(2026, 6, 1);

class QueryDialogs : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        openWindow(timetableSource());
    }

    // Opens the station-to-station dialog and runs `step` in it.
    void stationToStation(std::function<void(StationToStationDialog&)> step) {
        script_->then([step](QDialog& d) {
            auto* dialog = qobject_cast<StationToStationDialog*>(&d);
            ASSERT_NE(dialog, nullptr);
            dialog->travelDate()->setDate(kTravelDay);
            step(*dialog);
        });
        window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    }

    void trainNumber(std::function<void(TrainNumberDialog&)> step) {
        script_->then([step](QDialog& d) {
            auto* dialog = qobject_cast<TrainNumberDialog*>(&d);
            ASSERT_NE(dialog, nullptr);
            step(*dialog);
        });
        window_->openEntry(static_cast<int>(MainEntry::TrainNumber));
    }

    // Expects a results view next and records its caption, mode and first column.
    void expectView(QStringList& seen) {
        script_->then([&seen](QDialog& d) {
            auto* view = qobject_cast<ResultsDialog*>(&d);
            ASSERT_NE(view, nullptr);
            seen << view->windowTitle() + u':' + firstColumn(*view->table()).join(u',');
        });
    }
};

QStringList comboItems(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
    return items;
}

TEST_F(QueryDialogs, StationToStationShowsTheThroughTrains) {
    QStringList seen;
    stationToStation([&](StationToStationDialog& dialog) {
        expectView(seen);
        // Chinese text arrives through an input method; the field gets it as a whole.
        dialog.fromStation()->lineEdit()->insert(QStringLiteral("北京"));
        dialog.toStation()->lineEdit()->insert(QStringLiteral("上海"));
        QTest::keyClick(&dialog, Qt::Key_F1);  // "确定"
        EXPECT_TRUE(dialog.isVisible());       // the dialog waits for the next query
        expectView(seen);
        QTest::keyClick(dialog.toStation()->lineEdit(), Qt::Key_Return);
    });
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[1], seen[0]);
    // The trains that run that day, counted; the three that do not are behind the switch.
    EXPECT_EQ(seen[0], u"北京至上海：开行 2 趟，另 3 趟当日不开行:G1,G5"_s);
    EXPECT_EQ(db().queryDate, 20260601);
    EXPECT_EQ(context_.results.mode, ResultMode::Direct);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(QueryDialogs, TransferQuestionNoKeepsTheDialogYesShowsCandidates) {
    QStringList seen;
    stationToStation([&](StationToStationDialog& dialog) {
        dialog.fromStation()->setEditText(QStringLiteral("青岛"));
        dialog.toStation()->setEditText(QStringLiteral("宁波东"));
        EXPECT_TRUE(dialog.runQuery());  // answered No: nothing opens
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(messages_.shown[0].caption, QStringLiteral("不好意思"));
        EXPECT_EQ(messages_.shown[0].text, QStringLiteral("无直达车次，是否通过中转站查询"));
        EXPECT_TRUE(messages_.shown[0].question);

        messages_.answers = {true};
        expectView(seen);
        dialog.runQuery();
        // Yes with no candidate at all still opens the (empty) list.
        dialog.toStation()->setEditText(QStringLiteral("空站"));
        messages_.answers = {true};
        expectView(seen);
        dialog.runQuery();
    });
    EXPECT_EQ(seen, (QStringList{"请选择中转站点:南京", "请选择中转站点:"}));
    EXPECT_EQ(context_.results.fromName, u"青岛");
}

TEST_F(QueryDialogs, SuggestionsFollowTheTypedCodeAndKeepTheText) {
    stationToStation([&](StationToStationDialog& dialog) {
        StationCombo& from = *dialog.fromStation();
        from.setFocus();
        QTest::keyClicks(from.lineEdit(), QStringLiteral("bj"));
        // Upper-cased for the lookup, shown as typed; busiest first (北京 has more trains).
        EXPECT_EQ(from.currentText(), QStringLiteral("bj"));
        EXPECT_EQ(comboItems(from), (QStringList{"北京", "北京南"}));
        EXPECT_TRUE(from.suggestions()->popup()->isVisible());

        // Typing goes on into the field while the list is open; "BJN" narrows the list.
        QTest::keyClicks(from.suggestions()->popup(), QStringLiteral("n"));
        EXPECT_EQ(from.currentText(), QStringLiteral("bjn"));
        EXPECT_EQ(comboItems(from), (QStringList{"北京南"}));

        // No code "BJNX": the list stays as it was.
        QTest::keyClicks(from.lineEdit(), QStringLiteral("x"));
        EXPECT_EQ(from.currentText(), QStringLiteral("bjnx"));
        EXPECT_EQ(comboItems(from), (QStringList{"北京南"}));

        // Backspace deletes one character in the focused field, as the Back key does.
        from.suggestions()->popup()->hide();
        QTest::keyClick(from.lineEdit(), Qt::Key_Backspace);
        EXPECT_EQ(from.currentText(), QStringLiteral("bjn"));

        // Choosing a suggestion puts the name into the field.
        from.suggestions()->activated(QStringLiteral("北京南"));
        EXPECT_EQ(from.currentText(), QStringLiteral("北京南"));

        // The second field and the station dialog's field take part too.
        QTest::keyClicks(dialog.toStation()->lineEdit(), QStringLiteral("qd"));
        EXPECT_EQ(comboItems(*dialog.toStation()), (QStringList{"青岛"}));
    });
    script_->then([](QDialog& d) {
        auto* dialog = qobject_cast<StationDialog*>(&d);
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(dialog->stationName()->lineEdit(), QStringLiteral("jn"));
        EXPECT_EQ(comboItems(*dialog->stationName()), (QStringList{"济南"}));
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
}

TEST_F(QueryDialogs, EnterRunsTheQueryEscapeIsTheBackKey) {
    int result = 0;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<TrainNumberDialog&>(d);
        QTest::keyClicks(dialog.trainNumber(), QStringLiteral("G1"));
        script_->then([](QDialog& view) {
            EXPECT_EQ(view.windowTitle(), u"请选择车次：开行 1 趟，另 1 趟当日不开行");
        });
        QTest::keyClick(dialog.trainNumber(), Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(dialog.trainNumber(), Qt::Key_Escape);
        result = d.result();
        EXPECT_FALSE(d.isVisible());
    });
    window_->openEntry(static_cast<int>(MainEntry::TrainNumber));
    EXPECT_EQ(result, res::kCmdBack);

    trainNumber([&](TrainNumberDialog& dialog) {
        dialog.softKeys()->popupMenu()->actions().first()->trigger();  // "菜单", "返回"
        result = dialog.result();
    });
    EXPECT_EQ(result, res::kCmdBack);
}

TEST_F(QueryDialogs, TrainNumberOpensStopsForOneMatchAndChoiceForSeveral) {
    QStringList seen;
    trainNumber([&](TrainNumberDialog& dialog) {
        expectView(seen);  // k6: one train, its stops at once
        expectView(seen);  // g1: G1 and G101 to choose from
        QTest::keyClicks(dialog.trainNumber(), QStringLiteral("k6"));
        EXPECT_TRUE(dialog.runQuery());
        EXPECT_EQ(dialog.trainNumber()->text(), QStringLiteral("k6"));
        dialog.trainNumber()->setText(QStringLiteral("g1"));
        EXPECT_TRUE(dialog.runQuery());
        dialog.trainNumber()->setText(QStringLiteral("X"));
        EXPECT_FALSE(dialog.runQuery());
    });
    EXPECT_EQ(seen,
              (QStringList{"K6 :青岛,济南,南京", "请选择车次：开行 1 趟，另 1 趟当日不开行:G1"}));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].caption, QStringLiteral("警告"));
    EXPECT_EQ(messages_.shown[0].text, QStringLiteral("没有查到相关结果"));
    EXPECT_FALSE(messages_.shown[0].question);
}

TEST_F(QueryDialogs, StationQueryUsesItsDateAndTheTrainQueryKeepsIt) {
    QStringList seen;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        dialog.travelDate()->setDate(QDate(2001, 12, 31));  // T9's last day
        dialog.stationName()->setEditText(QStringLiteral("空站"));
        EXPECT_FALSE(dialog.runQuery());  // no train calls there
        EXPECT_EQ(messages_.shown.size(), 1u);
        dialog.stationName()->setEditText(QStringLiteral("北京"));
        expectView(seen);
        EXPECT_TRUE(dialog.runQuery());
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].startsWith(QStringLiteral("北京：开行 "))) << seen[0].toStdString();
    EXPECT_TRUE(seen[0].section(u':', 1).split(u',').contains(QStringLiteral("T9")))
        << seen[0].toStdString();  // T9 runs on its last day
    EXPECT_EQ(db().queryDate, 20011231);

    // The train-number query reports the status for that same day.
    trainNumber([&](TrainNumberDialog& dialog) {
        expectView(seen);
        dialog.trainNumber()->setText(QStringLiteral("T"));
        dialog.runQuery();
    });
    EXPECT_EQ(seen.value(1), QStringLiteral("T9 :北京,上海"));
    ASSERT_EQ(context_.results.trainRows.size(), 1u);
    EXPECT_EQ(context_.results.trainRows[0].status, 0);
}

TEST_F(QueryDialogs, AStationThatDoesNotExistIsNamedAndTheInputsStay) {
    stationToStation([&](StationToStationDialog& dialog) {
        dialog.fromStation()->setEditText(u"北京"_s);
        dialog.toStation()->setEditText(u"火星"_s);
        EXPECT_FALSE(dialog.runQuery());
        ASSERT_EQ(messages_.shown.size(), 1u);
        EXPECT_EQ(messages_.shown[0].caption, u"警告"_s);
        EXPECT_EQ(messages_.shown[0].text, u"没有找到车站：火星"_s);
        EXPECT_FALSE(messages_.shown[0].question);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.fromStation()->currentText(), u"北京"_s);
        EXPECT_EQ(dialog.toStation()->currentText(), u"火星"_s);
        EXPECT_EQ(dialog.travelDate()->date(), kTravelDay);
        // 宁波 names 宁波东 through the alias: known, so the transfer question comes instead.
        dialog.fromStation()->setEditText(u"青岛"_s);
        dialog.toStation()->setEditText(u"宁波"_s);
        dialog.runQuery();
        ASSERT_EQ(messages_.shown.size(), 2u);
        EXPECT_TRUE(messages_.shown[1].question);
    });
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        dialog.stationName()->setEditText(u"火星"_s);
        EXPECT_FALSE(dialog.runQuery());
        EXPECT_EQ(dialog.stationName()->currentText(), u"火星"_s);
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    ASSERT_EQ(messages_.shown.size(), 3u);
    EXPECT_EQ(messages_.shown[2].text, u"没有找到车站：火星"_s);
    // Names that name no station are not remembered.
    EXPECT_FALSE(recentStations().contains(u"火星"_s));
}

TEST_F(QueryDialogs, StationFieldsTakePinyinInitialsAndCharactersAfterTheCodes) {
    stationToStation([&](StationToStationDialog& dialog) {
        StationCombo& from = *dialog.fromStation();
        QTest::keyClicks(from.lineEdit(), u"beijing"_s);
        EXPECT_EQ(comboItems(from), (QStringList{u"北京"_s, u"北京南"_s}));  // busiest first
        from.lineEdit()->clear();
        QTest::keyClicks(from.lineEdit(), u"jinan"_s);
        EXPECT_EQ(comboItems(from), QStringList{u"济南"_s});
        from.lineEdit()->clear();
        from.lineEdit()->insert(u"北京"_s);  // as an input method hands it over
        from.suggestFor(from.currentText());
        EXPECT_EQ(comboItems(from), (QStringList{u"北京"_s, u"北京南"_s}));
        // The code's names come first and stay as they were, found names follow once each.
        from.lineEdit()->clear();
        QTest::keyClicks(from.lineEdit(), u"bjn"_s);
        EXPECT_EQ(comboItems(from), QStringList{u"北京南"_s});
    });
}

TEST_F(QueryDialogs, TypedNamesThatFindOneStationAreTakenSeveralOpenTheList) {
    QStringList seen;
    stationToStation([&](StationToStationDialog& dialog) {
        StationCombo& from = *dialog.fromStation();
        StationCombo& to = *dialog.toStation();
        // Empty: asked for. Several (北京, 北京南): the drop-down offers them, no message.
        from.setEditText(u"  "_s);
        to.setEditText(u"济南"_s);
        EXPECT_FALSE(dialog.runQuery());
        from.setEditText(u"bei"_s);
        EXPECT_FALSE(dialog.runQuery());
        EXPECT_EQ(comboItems(from), (QStringList{u"北京"_s, u"北京南"_s}));
        EXPECT_TRUE(from.suggestions()->popup()->isVisible());
        EXPECT_EQ(from.currentText(), u"bei"_s);
        from.suggestions()->popup()->hide();
        // The whole pinyin names 北京 beside 北京南; the same station twice is said so.
        from.setEditText(u"beijing"_s);
        to.setEditText(u"BJ"_s);  // 北京's code
        EXPECT_FALSE(dialog.runQuery());
        EXPECT_EQ(from.currentText(), u"北京"_s);
        // One station each way: taken and shown in the fields, and the query runs.
        from.setEditText(u"jinan"_s);
        to.setEditText(u"qd"_s);
        expectView(seen);
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_EQ(from.currentText(), u"济南"_s);
        EXPECT_EQ(to.currentText(), u"青岛"_s);
    });
    QStringList texts;
    for (const ShownMessage& shown : messages_.shown) texts << shown.text;
    EXPECT_EQ(texts, (QStringList{u"请输入车站名称"_s, u"出发站与到达站相同"_s}));
    EXPECT_EQ(seen, QStringList{u"济南至青岛：开行 1 趟:K5"_s});
    EXPECT_EQ(recentStations().value(0), u"济南"_s);

    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        dialog.stationName()->setEditText(u"tianjin"_s);
        expectView(seen);
        EXPECT_TRUE(dialog.runQuery());
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    EXPECT_TRUE(seen.value(1).startsWith(u"天津：开行 "_s)) << seen.value(1).toStdString();
}

TEST_F(QueryDialogs, DialogsReopenWithTheirLastQueryAndOfferTheStationsUsedLast) {
    const QDate tomorrow = QDate::currentDate().addDays(1);
    QStringList seen;
    stationToStation([&](StationToStationDialog& dialog) {
        dialog.travelDate()->setDate(tomorrow);
        dialog.fromStation()->setEditText(u"天津"_s);
        dialog.toStation()->setEditText(u"济南"_s);
        expectView(seen);
        dialog.runQuery();
    });
    ASSERT_EQ(seen.size(), 1);
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        EXPECT_EQ(dialog.fromStation()->currentText(), u"天津"_s);
        EXPECT_EQ(dialog.toStation()->currentText(), u"济南"_s);
        EXPECT_EQ(dialog.travelDate()->date(), tomorrow);
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));

    // The station dialog has no query of its own yet: an empty field offering the recent ones.
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        StationCombo& station = *dialog.stationName();
        EXPECT_EQ(station.currentText(), QString());
        // The day of travel is the one 站站查询 asked about.
        EXPECT_EQ(dialog.travelDate()->date(), tomorrow);
        EXPECT_EQ(comboItems(station), (QStringList{u"天津"_s, u"济南"_s}));
        QTest::keyClicks(station.lineEdit(), u"bj"_s);
        EXPECT_EQ(comboItems(station), (QStringList{u"北京"_s, u"北京南"_s}));
        // Emptying the field offers them again; so does opening the drop-down.
        QTest::keyClick(station.lineEdit(), Qt::Key_Backspace);
        QTest::keyClick(station.lineEdit(), Qt::Key_Backspace);
        EXPECT_EQ(comboItems(station), (QStringList{u"天津"_s, u"济南"_s}));
        EXPECT_TRUE(station.suggestions()->popup()->isVisible());
        station.suggestions()->popup()->hide();
        QTest::keyClicks(station.lineEdit(), u"bj"_s);
        station.showPopup();
        EXPECT_EQ(comboItems(station), (QStringList{u"天津"_s, u"济南"_s}));
        station.hidePopup();
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));

    // In a later run a day gone by is not offered again; at most ten stations are kept, the
    // newest first.
    rememberQuery(u"station"_s, {u"北京"_s, QString(), QDate(2001, 1, 1)});
    context_.results.travelDay = 0;  // as a new run of the program starts
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        EXPECT_EQ(dialog.stationName()->currentText(), u"北京"_s);
        EXPECT_EQ(dialog.travelDate()->date(), QDate::currentDate());
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    QStringList many;
    for (int i = 0; i < 12; ++i) many << QStringLiteral("站%1").arg(i);
    rememberStations(many + QStringList{u"站0"_s, u" "_s});
    EXPECT_EQ(recentStations(), many.mid(0, 10));
}

TEST_F(QueryDialogs, TrainNumberDialogShowsAndSetsTheDayOfItsStatuses) {
    context_.results.travelDay = 20011231;  // as the last station query left it
    QStringList lines;
    trainNumber([&](TrainNumberDialog& dialog) {
        EXPECT_EQ(dialog.travelDate()->date(), QDate(2001, 12, 31));
        // The field all digits (typed digits are taken), the weekday beside it.
        EXPECT_EQ(dialog.travelDate()->text(), u"2001/12/31"_s);
        EXPECT_EQ(dialog.findChild<QLabel*>(u"weekday"_s)->text(), u"星期一"_s);
        dialog.trainNumber()->setText(u"T9"_s);
        for (QDate day : {QDate(2026, 6, 1), QDate(2001, 6, 1)}) {
            dialog.travelDate()->setDate(day);
            script_->then(
                [&](QDialog& d) { lines << static_cast<ResultsDialog&>(d).dateLine()->text(); });
            dialog.runQuery();
        }
    });
    EXPECT_EQ(lines,
              (QStringList{u"2026年6月1日周一　T9 已过期"_s, u"2001年6月1日周五　T9 当日开行"_s}));
    EXPECT_EQ(db().queryDate, 20010601);
}

TEST_F(QueryDialogs, DatePickersStartTodayWithACalendarAndShareTheDayChosen) {
    script_->then([](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        EXPECT_EQ(dialog.travelDate()->date(), QDate::currentDate());
        EXPECT_TRUE(dialog.travelDate()->calendarPopup());
        // Chinese month and weekday names in the Chinese program, whatever the environment.
        EXPECT_EQ(dialog.travelDate()->calendarWidget()->locale().language(), QLocale::Chinese);
        EXPECT_EQ(dialog.travelDate()->locale().language(), QLocale::Chinese);
        EXPECT_TRUE(dialog.findChild<QLabel*>(u"weekday"_s)->text().startsWith(u"星期"_s));
        // Chosen here, without a query: every dialog opens on it from now on.
        dialog.travelDate()->setDate(kTravelDay);
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    script_->then([](QDialog& d) {
        EXPECT_EQ(static_cast<StationDialog&>(d).travelDate()->date(), kTravelDay);
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    trainNumber(
        [](TrainNumberDialog& dialog) { EXPECT_EQ(dialog.travelDate()->date(), kTravelDay); });
    EXPECT_EQ(lastTravelDay(), kTravelDay);
}

}  // namespace
}  // namespace zelvan::test
