// A traveller's day in the application: the days the timetable covers and the day of travel,
// the locale's formats (en_US, en_GB, zh_CN), the language chosen from a results view, the
// favourite questions, the swap of the two stations and digits typed into the date.
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "ui/locale_formats.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/query_dialog.h"
#include "ui/results_dialog.h"
#include "ui/soft_key_bar.h"
#include "ui/station_combo.h"
#include "ui/station_dialog.h"
#include "ui/station_to_station_dialog.h"
#include "ui/translation.h"
#include "ui_fixture.h"

namespace zelvan::test {
namespace {

using namespace Qt::StringLiterals;

// The test timetable with every train valid from 2030 to 2031 only: today is not covered.
std::map<std::string, std::string> futureTimetable() {
    std::map<std::string, std::string> files = timetableSource();
    std::string trains = "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n";
    for (const char* number : {"G1", "G3", "G5", "G7", "K5", "K6", "D7", "T9", "G101", "Z11"}) {
        trains += std::string(number) + "\t0x06\t0\t20300101\t20311231\t0\n";
    }
    files["trains.tsv"] = trains;
    return files;
}

// Chooses entry `index` of the language menu as soon as it opens.
void chooseInLanguageMenu(int index) {
    QTimer::singleShot(0, [index] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->setActiveAction(menu->actions().value(index));
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

QStringList headings(const QTableWidget& table) {
    QStringList texts;
    for (int c = 0; c < table.columnCount(); ++c) {
        if (!table.isColumnHidden(c)) texts << table.horizontalHeaderItem(c)->text().trimmed();
    }
    return texts;
}

class TravellerDay : public UiTest {
  protected:
    void TearDown() override {
        applyLanguage(UiLanguage::Chinese);
        QLocale::setDefault(QLocale::system());
        UiTest::TearDown();
    }
};

TEST_F(TravellerDay, ADayOutsideTheTimetableIsSaidBeforeTheAnswerWithTheNearestOffered) {
    openWindow(futureTimetable());
    QStringList seen;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        // Today is not covered: the dialog opens on the first day that is, and says so.
        EXPECT_EQ(dialog.travelDate()->date(), QDate(2030, 1, 1));
        EXPECT_EQ(dialog.coverageLine()->text(), u"时刻表日期：2030年1月1日至2031年12月31日"_s);
        dialog.travelDate()->setDate(QDate(2032, 3, 1));
        EXPECT_TRUE(dialog.coverageLine()->text().endsWith(u"（所选日期不在其中）"_s));
        dialog.fromStation()->setEditText(u"北京"_s);
        dialog.toStation()->setEditText(u"上海"_s);
        // Yes: the nearest covered day instead.
        messages_.answers = {true};
        script_->then([&](QDialog& view) { seen << view.windowTitle(); });
        dialog.runQuery();
        EXPECT_EQ(dialog.travelDate()->date(), QDate(2031, 12, 31));
        EXPECT_EQ(db().queryDate, 20311231);
        // No: the day asked for, where nothing runs (every train shown, each with its marker).
        dialog.travelDate()->setDate(QDate(2029, 12, 31));
        messages_.answers = {false};
        script_->then([&](QDialog& view) {
            seen << view.windowTitle();
            seen << firstColumn(*static_cast<ResultsDialog&>(view).table()).join(u',');
        });
        dialog.runQuery();
        EXPECT_EQ(db().queryDate, 20291231);
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text,
              u"时刻表日期为 2030年1月1日至2031年12月31日，2032年3月1日周一 不在其中。\n"
              u"改查最近的 2031年12月31日周三 吗？"_s);
    EXPECT_TRUE(messages_.shown[0].question);
    EXPECT_EQ(seen, (QStringList{u"北京至上海：开行 5 趟"_s,
                                 u"北京至上海：开行 0 趟，另 5 趟当日不开行"_s,
                                 u"G101 -,G1 -,G5 -,T9 -,Z11 -"_s}));
}

TEST_F(TravellerDay, TheDayChosenIsEveryDialogsAndTheNextRunsUntilItIsOver) {
    openWindow(timetableSource());
    const QDate day = QDate::currentDate().addDays(3);
    script_->then([&](QDialog& d) { static_cast<QueryDialog&>(d).travelDate()->setDate(day); });
    window_->openEntry(static_cast<int>(MainEntry::TrainNumber));
    script_->then([&](QDialog& d) {
        EXPECT_EQ(static_cast<QueryDialog&>(d).travelDate()->date(), day);
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    // A later run opens on it while it lies ahead and the timetable covers it.
    TimetableDays covered{20000101, 20401231};
    EXPECT_EQ(openingTravelDay(db(), covered), day);
    EXPECT_EQ(openingTravelDay(db(), {20000101, dateKeyOf(day) - 1}), QDate::currentDate());
    rememberTravelDay(QDate::currentDate().addDays(-1));
    EXPECT_EQ(openingTravelDay(db(), covered), QDate::currentDate());
    EXPECT_EQ(openingTravelDay(db(), {20450101, 20451231}), QDate(2045, 1, 1));
}

TEST_F(TravellerDay, DigitsTypedIntoTheDateAreTakenAndTheStationsSwap) {
    openWindow(timetableSource());
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        dialog.fromStation()->setEditText(u"天津"_s);
        dialog.toStation()->setEditText(u"济南"_s);
        dialog.swapButton()->click();
        EXPECT_EQ(dialog.fromStation()->currentText(), u"济南"_s);
        EXPECT_EQ(dialog.toStation()->currentText(), u"天津"_s);
        dialog.swapButton()->click();
        // The field holds digits only (yyyy/M/d here), so typed digits are taken at once.
        QDateEdit& date = *dialog.travelDate();
        date.setFocus();
        date.setCurrentSectionIndex(0);
        QTest::keyClicks(&date, u"2026/6/1"_s);
        EXPECT_EQ(date.date(), QDate(2026, 6, 1));
        script_->then([](QDialog&) {});
        QTest::keyClick(&date, Qt::Key_Return);  // runs the query with the day as typed
        EXPECT_EQ(db().queryDate, 20260601);
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
}

// The locale's formats in the results: the date, 12- or 24-hour clock, the first day of the
// week, miles or km, the duration and the built-in tariff's currency.
struct LocaleCase {
    const char* locale;
    bool english;
    const char16_t* line;       // the direct trains' date line on 2026-06-01
    const char16_t* firstRow;   // G1's cells: number, departure, arrival, duration, distance,
                                // type, hard seat
    const char16_t* distance;   // the distance column's heading
    Qt::DayOfWeek firstDay;
};

void PrintTo(const LocaleCase& c, std::ostream* out) {
    *out << c.locale;
}

class LocaleFormats : public TravellerDay, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(LocaleFormats, TheResultsAndTheDateFieldUseTheLocalesFormats) {
    const LocaleCase& c = GetParam();
    QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
    applyLanguage(c.english ? UiLanguage::English : UiLanguage::Chinese);
    openWindow(timetableSource());
    QString line;
    QString firstRow;
    QStringList shownHeadings;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        dialog.travelDate()->setDate(QDate(2026, 6, 1));
        EXPECT_EQ(dialog.travelDate()->calendarWidget()->firstDayOfWeek(), c.firstDay);
        EXPECT_FALSE(dialog.travelDate()->displayFormat().contains(u"ddd"_s));
        dialog.fromStation()->setEditText(u"北京"_s);
        dialog.toStation()->setEditText(u"上海"_s);
        script_->then([&](QDialog& v) {
            auto& view = static_cast<ResultsDialog&>(v);
            line = view.dateLine()->text();
            firstRow = tableLines(*view.table()).value(0).section(u'|', 0, 6);
            shownHeadings = headings(*view.table());
        });
        dialog.runQuery();
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    EXPECT_EQ(line, QString::fromUtf16(c.line));
    EXPECT_EQ(firstRow, QString::fromUtf16(c.firstRow));
    EXPECT_EQ(shownHeadings.value(4), QString::fromUtf16(c.distance));
    // No full-width space in an English text.
    if (c.english) {
        EXPECT_FALSE(line.contains(QChar(0x3000)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EnUsEnGbZhCn, LocaleFormats,
    ::testing::Values(
        LocaleCase{"en_US", true, u"Mon, Jun 1, 2026",
                   u"G1|8:00 AM|12:00 PM|4 h 00 min|808|High-speed|CNY 550", u"mi",
                   Qt::Sunday},
        LocaleCase{"en_GB", true, u"Mon, 1 Jun 2026", u"G1|08:00|12:00|4 h 00 min|808|High-speed|CNY 550",
                   u"mi", Qt::Monday},
        LocaleCase{"zh_CN", false, u"2026年6月1日周一", u"G1|08:00|12:00|04:00|1300|高铁|550",
                   u"里程", Qt::Sunday}),
    [](const ::testing::TestParamInfo<LocaleCase>& info) {
        return std::string(info.param.locale);
    });

TEST_F(TravellerDay, TheLanguageChosenInAResultsViewAppliesToItAndTheWindowsUnderIt) {
    openWindow(timetableSource());
    QStringList seen;
    queryBetween(u"北京"_s, u"上海"_s, {[&](ResultsDialog& view) {
                     chooseInLanguageMenu(2);  // English
                     view.softKeys()->popupMenu()->actions().back()->trigger();  // "语言"
                     QCoreApplication::processEvents();
                     EXPECT_TRUE(englishInUse());
                     EXPECT_EQ(savedLanguage(), UiLanguage::English);
                     seen << view.windowTitle() << view.captionLine()->text()
                          << headings(*view.table()).mid(0, 3).join(u',')
                          << view.notRunningSwitch()->text();
                     // The dialog under it and the main window speak it too.
                     auto* dialog = qobject_cast<StationToStationDialog*>(view.parentWidget());
                     ASSERT_NE(dialog, nullptr);
                     seen << dialog->windowTitle() << dialog->softKeys()->leftKey()->text();
                     seen << window_->mainList()->item(0)->text();
                     chooseInLanguageMenu(1);  // 中文
                     view.softKeys()->popupMenu()->actions().back()->trigger();
                     QCoreApplication::processEvents();
                     seen << view.windowTitle() << window_->mainList()->item(0)->text();
                 }});
    EXPECT_EQ(seen, (QStringList{u"北京 to 上海: 2 trains run; 3 more do not run that day"_s,
                                 u"北京 to 上海: 2 trains run; 3 more do not run that day"_s,
                                 u"Train,Dep.,Arr."_s,
                                 u"Also the 3 trains that do not run that day"_s,
                                 u"Between stations"_s, u"OK"_s, u"Between stations"_s,
                                 u"北京至上海：开行 2 趟，另 3 趟当日不开行"_s, u"站站查询"_s}));
}

TEST_F(TravellerDay, AFavouriteQuestionIsKeptOnTheMainListOfItsTimetable) {
    openWindow(timetableSource());
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        dialog.fromStation()->setEditText(u"tianjin"_s);  // as typed, taken as the station
        dialog.toStation()->setEditText(u"济南"_s);
        EXPECT_TRUE(dialog.command(res::kCmdFavourite));
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        dialog.stationName()->setEditText(u"南京"_s);
        EXPECT_TRUE(dialog.command(res::kCmdFavourite));
        dialog.stationName()->setEditText(u"火星"_s);  // no station: not kept
        EXPECT_FALSE(dialog.command(res::kCmdFavourite));
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    QListWidget& list = *window_->mainList();
    ASSERT_EQ(list.count(), 7);
    EXPECT_EQ(list.item(5)->text(), u"★ 天津 → 济南"_s);
    EXPECT_EQ(list.item(6)->text(), u"★ 南京 车站时刻"_s);
    ASSERT_FALSE(messages_.shown.empty());
    EXPECT_EQ(messages_.shown[0].text, u"已收藏，主菜单中可直接打开：★ 天津 → 济南"_s);
    // Opened from the list: the answer for the day of travel, at once.
    QString caption;
    script_->then([&](QDialog& d) { caption = d.windowTitle(); });
    window_->openEntry(5);
    EXPECT_EQ(caption, u"天津至济南：开行 2 趟"_s);
    // Removed from the list by the menu; another timetable keeps its own.
    list.setCurrentRow(5);
    EXPECT_TRUE(window_->command(res::kCmdRemoveFavourite));
    ASSERT_EQ(list.count(), 6);
    EXPECT_EQ(list.item(5)->text(), u"★ 南京 车站时刻"_s);
    EXPECT_TRUE(favourites(u"/elsewhere"_s).isEmpty());
    list.setCurrentRow(0);
    window_->command(res::kCmdRemoveFavourite);  // no favourite chosen: said so
    EXPECT_EQ(list.count(), 6);
    EXPECT_TRUE(messages_.shown.back().text.startsWith(u"请先在列表中选择一个收藏"_s));
}

}  // namespace
}  // namespace zelvan::test
