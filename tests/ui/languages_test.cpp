// The application in English and back in Chinese: the main window, the results views, a
// journey's legs, the messages, and the names the core gives whole that the translation holds.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "fare/result_table.h"
#include "res/resource_ids.h"
#include "res/shown_texts.h"
#include "ui/journey_dialog.h"
#include "ui/main_window.h"
#include "ui/messages.h"
#include "ui/results_dialog.h"
#include "ui/soft_key_bar.h"
#include "ui/station_combo.h"
#include "ui/station_to_station_dialog.h"
#include "ui/train_number_dialog.h"
#include "ui/translation.h"
#include "ui_fixture.h"

namespace zelvan::test {
namespace {

using namespace Qt::StringLiterals;

// Whether `text` holds a Chinese character (station names aside, none should show in English).
bool hasChinese(const QString& text) {
    static const QRegularExpression han(u"\\p{Han}"_s);
    return text.contains(han);
}

QStringList headings(const QTableWidget& table) {
    QStringList texts;
    for (int c = 0; c < table.columnCount(); ++c) {
        if (!table.isColumnHidden(c)) texts << table.horizontalHeaderItem(c)->text();
    }
    return texts;
}

// No heading is cut: the header asks for no more room than its section has.
void expectHeadingsFit(const QTableWidget& table) {
    const QHeaderView& header = *table.horizontalHeader();
    for (int c = 0; c < table.columnCount(); ++c) {
        if (table.isColumnHidden(c)) continue;
        const QSize wanted =
            header.model()->headerData(c, Qt::Horizontal, Qt::SizeHintRole).toSize();
        const int needed =
            std::max(wanted.width(),
                     header.fontMetrics().horizontalAdvance(table.horizontalHeaderItem(c)->text()));
        EXPECT_LE(needed, header.sectionSize(c))
            << table.horizontalHeaderItem(c)->text().toStdString();
    }
    expectNothingElided(table);
}

// The cells of `table` outside the columns of station names and train numbers.
QStringList wordCells(const QTableWidget& table, std::initializer_list<int> nameColumns) {
    QStringList cells;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) {
            const bool name =
                std::find(nameColumns.begin(), nameColumns.end(), c) != nameColumns.end();
            if (!name && table.item(r, c)) cells << table.item(r, c)->text();
        }
    }
    return cells;
}

class English : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_TRUE(applyLanguage(UiLanguage::English));
    }
    void TearDown() override {
        applyLanguage(UiLanguage::Chinese);
        UiTest::TearDown();
    }

    void query(const QString& from, const QString& to,
               std::vector<std::function<void(ResultsDialog&)>> views) {
        queryBetween(from, to, std::move(views));
    }
};

TEST_F(English, TheMainWindowSpeaksTheLanguageChosenAndTurnsBackAtOnce) {
    openWindow(timetableSource());
    QListWidget& list = *window_->mainList();
    const auto entries = [&list] {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i) texts << list.item(i)->text();
        return texts;
    };
    SoftKeyBar& keys = *window_->softKeys();
    EXPECT_EQ(window_->windowTitle(), u"Zelvan Timetable"_s);
    EXPECT_EQ(entries(),
              (QStringList{u"Between stations"_s, u"Find a train"_s, u"Station timetable"_s,
                           u"Recommended software"_s, u"Visit the home page"_s}));
    EXPECT_EQ(keys.leftKey()->text(), u"Exit"_s);
    EXPECT_EQ(keys.rightKey()->text(), u"Menu"_s);
    QStringList menu;
    for (QAction* action : keys.popupMenu()->actions()) menu << action->text();
    EXPECT_EQ(menu, (QStringList{u"About"_s, u"Open the chosen entry"_s, u"Update the timetable"_s,
                                 u"Restore the previous timetable"_s, u"Language"_s,
                                 u"Remove the chosen favourite"_s}));

    // Chinese again: every text of the open window as the original has it.
    EXPECT_FALSE(applyLanguage(UiLanguage::Chinese));
    QCoreApplication::processEvents();  // the LanguageChange events
    EXPECT_EQ(window_->windowTitle(), u"Zelvan时刻表"_s);
    EXPECT_EQ(entries(), (QStringList{u"站站查询"_s, u"车次查询"_s, u"车站查询"_s, u"推荐下载"_s,
                                      u"访问主页"_s}));
    EXPECT_EQ(keys.leftKey()->text(), u"退出"_s);
    EXPECT_EQ(keys.popupMenu()->actions().value(4)->text(), u"语言"_s);
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

TEST_F(English, TheMenusLanguageChoiceIsAppliedAndRemembered) {
    openWindow(timetableSource());
    chooseInLanguageMenu(1);  // 中文
    EXPECT_TRUE(window_->command(res::kCmdLanguage));
    EXPECT_FALSE(englishInUse());
    EXPECT_EQ(savedLanguage(), UiLanguage::Chinese);
    QCoreApplication::processEvents();
    EXPECT_EQ(window_->mainList()->item(0)->text(), u"站站查询"_s);

    chooseInLanguageMenu(2);  // English
    window_->command(res::kCmdLanguage);
    EXPECT_TRUE(englishInUse());
    EXPECT_EQ(savedLanguage(), UiLanguage::English);
    QCoreApplication::processEvents();
    EXPECT_EQ(window_->mainList()->item(0)->text(), u"Between stations"_s);

    chooseInLanguageMenu(0);  // 跟随系统: as the locale of the run asks
    window_->command(res::kCmdLanguage);
    EXPECT_EQ(savedLanguage(), UiLanguage::System);
    EXPECT_EQ(englishInUse(), localeWantsEnglish());
}

TEST_F(English, ResultsStopsAndMessagesReadInEnglish) {
    openWindow(timetableSource());
    db().queryDate = 20260601;
    QStringList seen;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               // The locale of this run is no English one: the United States' formats.
               EXPECT_EQ(headings(table),
                         (QStringList{u"Train"_s, u"Dep."_s, u"Arr."_s, u"Duration"_s, u"mi"_s,
                                      u"Type"_s, u"Hard seat"_s, u"Soft seat"_s, u"Hard sleeper"_s,
                                      u"Soft sleeper"_s, u"Origin"_s, u"Terminus"_s}));
               EXPECT_EQ(tableLines(table).value(0).section(u'|', 0, 6),
                         u"G1|8:00 AM|12:00 PM|4 h 00 min|808|High-speed|CNY 550"_s);
               expectHeadingsFit(table);
               for (const QString& cell : wordCells(table, {10, 11})) {
                   EXPECT_FALSE(hasChinese(cell)) << cell.toStdString();
               }
               seen << direct.windowTitle() << direct.dateLine()->text()
                    << direct.legendLine()->text();
               direct.showNotRunning(true);
               seen << direct.dateLine()->text() << direct.legendLine()->text();
               direct.openRow(rowOf(table, u"Z11 *"_s));
           },
           [&](ResultsDialog& stops) {
               EXPECT_EQ(headings(*stops.table()),
                         (QStringList{u"Station"_s, u"Arr."_s, u"Dep."_s, u"mi"_s}));
               expectHeadingsFit(*stops.table());
               seen << stops.dateLine()->text() << stops.legendLine()->text();
           }});
    // No full-width space in an English line: two plain ones part its pieces.
    EXPECT_EQ(seen, (QStringList{
                        u"北京 to 上海: 2 trains run; 3 more do not run that day"_s,
                        u"Mon, Jun 1, 2026"_s,
                        u"Red: starts here  White: calls here"_s,
                        u"Mon, Jun 1, 2026    + no longer runs  * does not run that "
                        u"day  - not yet running"_s,
                        u"Red: starts here  White: calls here  Grey: does not run that day"_s,
                        u"Mon, Jun 1, 2026  Z11 does not run that day"_s,
                        u"Does not run  valid Jan 1, 2020 to Dec 31, 2035"_s,
                    }));

    // The messages of a query that finds nothing, or no such station.
    query(u"北京"_s, u"火星"_s, {});
    ASSERT_FALSE(messages_.shown.empty());
    EXPECT_EQ(messages_.shown.back().caption, u"Warning"_s);
    EXPECT_EQ(messages_.shown.back().text, u"No station called 火星"_s);
    script_->then([](QDialog& d) {
        auto& dialog = static_cast<TrainNumberDialog&>(d);
        dialog.trainNumber()->setText(u"X999"_s);
        dialog.runQuery();
    });
    window_->openEntry(static_cast<int>(MainEntry::TrainNumber));
    EXPECT_EQ(messages_.shown.back().text, u"No results found"_s);
}

TEST_F(English, AJourneysLegsAndItsChangeAcrossTheCity) {
    std::map<std::string, std::string> files = timetableSource();
    files["stations.tsv"] += "石家庄\t*\n";
    files["trains.tsv"] += "G9\t0x06\t0\t20200101\t20351231\t0\n";
    files["stops.tsv"] += "G9\t北京南\t11:00\t0\t0\nG9\t石家庄\t12:30\t0\t280\n";
    openWindow(files);
    QStringList seen;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        dialog.travelDate()->setDate(QDate(2026, 6, 1));
        dialog.fromStation()->setEditText(u"沈阳"_s);
        dialog.toStation()->setEditText(u"石家庄"_s);
        EXPECT_TRUE(dialog.runJourneys());
    });
    script_->then([&](QDialog& d) {
        auto& question = static_cast<JourneyDialog&>(d);
        seen << question.windowTitle() << question.timeMode()->itemText(0)
             << question.timeMode()->itemText(1) << question.stepFree()->text();
        EXPECT_TRUE(question.runQuery());
        question.command(res::kCmdBack);
    });
    script_->then([&](QDialog& d) {
        auto& journeys = static_cast<ResultsDialog&>(d);
        EXPECT_EQ(headings(*journeys.table()),
                  (QStringList{u"Dep."_s, u"Arr."_s, u"Duration"_s, u"Changes"_s, u"Trains"_s}));
        expectHeadingsFit(*journeys.table());
        seen << journeys.windowTitle() << tableLines(*journeys.table());
        journeys.openRow(0);
    });
    script_->then([&](QDialog& d) {
        auto& legs = static_cast<ResultsDialog&>(d);
        const QStringList shown = headings(*legs.table());
        EXPECT_EQ(shown.mid(0, 7), (QStringList{u"Train"_s, u"From"_s, u"Dep."_s, u"To"_s,
                                                u"Arr."_s, u"Duration"_s, u"Wait"_s}));
        expectHeadingsFit(*legs.table());
        seen << legs.windowTitle() << firstColumn(*legs.table())
             << legs.table()->item(1, 1)->text();
    });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    EXPECT_EQ(seen,
              (QStringList{u"Journeys"_s, u"Leave after"_s, u"Arrive by"_s, u"Step-free"_s,
                           u"沈阳 to 石家庄: 1 journey"_s,
                           u"5:00 AM|12:30 PM|7 h 30 min|1 change with a walk|G5→G9"_s,
                           u"沈阳 to 北京南 to 石家庄: 2 legs"_s, u"G5"_s, u"Change"_s, u"G9"_s,
                           u"Change: 北京 → 北京南, 60 min on foot or by city transport"_s}));
}

// A message box is wide enough for a title bar to show its whole caption beside the window
// buttons, however short its text (a narrow box showed "W… g" for "Warning").
TEST_F(English, MessageBoxesLeaveTheirCaptionRoom) {
    for (const QString& caption : {u"Warning"_s, u"Update available"_s, u"警告"_s}) {
        std::unique_ptr<QMessageBox> notice =
            newNoticeBox(nullptr, caption, u"No"_s, MessageIcon::Warning);
        std::unique_ptr<QMessageBox> question = newQuestionBox(nullptr, caption, u"?"_s);
        QFont bold = notice->font();
        bold.setBold(true);
        const int wanted = QFontMetrics(bold).horizontalAdvance(caption) + 100;
        EXPECT_GE(notice->sizeHint().width(), wanted) << caption.toStdString();
        EXPECT_GE(question->sizeHint().width(), wanted) << caption.toStdString();
    }
}

// The names the core gives whole are the ones listed for the translation: every heading of
// every table, and every kind name a train number's letter and kind code give.
TEST(ShownTexts, TheListsHoldEveryHeadingAndKindTheCoreGives) {
    const auto listed = [](const auto& list, std::u16string_view text) {
        return std::find(std::begin(list), std::end(list), text) != std::end(list);
    };
    for (TableKind kind :
         {TableKind::Train, TableKind::Station, TableKind::Stops, TableKind::TransferStations,
          TableKind::Journeys, TableKind::JourneyLegs}) {
        for (int c = 0; c < static_cast<int>(tableHeadings(kind).size()); ++c) {
            for (bool tariff : {true, false}) {
                const QString heading =
                    QString::fromStdU16String(shownHeading(kind, c, tariff)).trimmed();
                EXPECT_TRUE(listed(res::kHeadingTexts, heading.toStdU16String()))
                    << heading.toStdString();
            }
        }
    }
    for (char16_t letter : {u'A', u'C', u'D', u'G', u'K', u'N', u'T', u'Z', u'1'}) {
        for (int code = 0; code < 128; ++code) {
            const std::u16string kind = kindText(letter, code);
            EXPECT_TRUE(listed(res::kKindTexts, kind))
                << QString::fromStdU16String(kind).toStdString();
        }
    }
}

}  // namespace
}  // namespace zelvan::test
