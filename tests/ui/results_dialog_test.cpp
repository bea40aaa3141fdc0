// The results views: tables and colours per mode, nested views and their return, captions, and
// the text message made from a table.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyleHints>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <QUrlQuery>
#include <algorithm>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "ui/main_window.h"
#include "ui/preferences.h"
#include "ui/results_dialog.h"
#include "ui/results_table.h"
#include "ui/soft_key_bar.h"
#include "ui/station_combo.h"
#include "ui/station_dialog.h"
#include "ui/station_to_station_dialog.h"
#include "ui/text_message.h"
#include "ui/train_number_dialog.h"
#include "ui_fixture.h"

namespace zelvan::test {
namespace {

using namespace Qt::StringLiterals;

// "text/back" colours of every row, e.g. "0,0,255/255,255,255".
QStringList rowColourNames(const QTableWidget& table) {
    QStringList colours;
    for (int r = 0; r < table.rowCount(); ++r) {
        const QTableWidgetItem* item = table.item(r, 0);
        QColor text = item->foreground().color();
        QColor back = item->background().color();
        colours << QStringLiteral("%1 %2,%3,%4/%5,%6,%7")
                       .arg(item->text())
                       .arg(text.red())
                       .arg(text.green())
                       .arg(text.blue())
                       .arg(back.red())
                       .arg(back.green())
                       .arg(back.blue());
    }
    return colours;
}

const QString kBlueOnWhite = QStringLiteral("0,0,255/255,255,255");
const QString kLightOnRed = QStringLiteral("233,221,229/202,0,0");
const QString kBlueOnGrey = QStringLiteral("0,0,255/128,128,128");
const QString kLightOnGrey = QStringLiteral("233,221,229/128,128,128");

// Clicks the heading of `column` as a reader does.
void clickHeading(QTableWidget& table, int column) {
    QHeaderView* header = table.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// The sorted heading and its direction, "none" when the table shows its listed order.
QString sortShown(const QTableWidget& table) {
    const QHeaderView* header = table.horizontalHeader();
    if (!header->isSortIndicatorShown() || header->sortIndicatorSection() < 0) return u"none"_s;
    return table.horizontalHeaderItem(header->sortIndicatorSection())->text().trimmed() +
           (header->sortIndicatorOrder() == Qt::AscendingOrder ? u" up"_s : u" down"_s);
}

// The train-number query for `number` on `date`, with `step` in the view it opens.
void askTrainNumber(DialogScript& script, const QDate& date, const QString& number,
                    std::function<void(ResultsDialog&)> step) {
    script.then([=](QDialog& d) {
        auto& dialog = static_cast<TrainNumberDialog&>(d);
        dialog.travelDate()->setDate(date);
        dialog.trainNumber()->setText(number);
        dialog.runQuery();
    });
    script.then([step](QDialog& d) { step(static_cast<ResultsDialog&>(d)); });
}

class Results : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        openWindow(timetableSource());
        db().queryDate = 20260601;
    }

    // Runs the station-to-station query `from` -> `to` with `views` as the steps of the views
    // it opens (a transfer question is answered Yes).
    void query(const QString& from, const QString& to,
               std::vector<std::function<void(ResultsDialog&)>> views) {
        messages_.answers = {true};
        queryBetween(from, to, std::move(views));
    }
};

TEST_F(Results, DirectTableHeadingsWidthsAndColours) {
    query(u"北京"_s, u"上海"_s, {[&](ResultsDialog& view) {
              QTableWidget& table = *view.table();
              ASSERT_EQ(table.columnCount(), 12);
              const std::vector<std::u16string>& headings = tableHeadings(TableKind::Train);
              QFontMetrics metrics(table.font());
              // The departures sort the table: their heading holds the sort's arrow too.
              const int sorted = table.horizontalHeader()->sortIndicatorSection();
              EXPECT_EQ(sorted, 1);
              for (int c = 0; c < 12; ++c) {
                  QString heading = table.horizontalHeaderItem(c)->text();
                  EXPECT_EQ(heading, QString::fromStdU16String(headings[c]));
                  // The heading's rule, widened by any cell wider than the heading.
                  int widest = metrics.horizontalAdvance(heading);
                  for (int r = 0; r < table.rowCount(); ++r) {
                      widest =
                          std::max(widest, metrics.horizontalAdvance(table.item(r, c)->text()));
                  }
                  if (c == sorted) {
                      EXPECT_GT(table.columnWidth(c), widest + 26);
                  } else {
                      EXPECT_EQ(table.columnWidth(c), widest + 26);
                  }
              }
              expectNothingElided(table);
              EXPECT_EQ(table.horizontalHeaderItem(8)->text(), QStringLiteral("    硬卧    "));
              EXPECT_TRUE(table.showGrid());
              EXPECT_EQ(table.selectionBehavior(), QAbstractItemView::SelectRows);
              // Rows are chosen to share them, several at once.
              EXPECT_EQ(table.selectionMode(), QAbstractItemView::ExtendedSelection);
              EXPECT_FALSE(table.isSortingEnabled());
              EXPECT_EQ(table.editTriggers(), QAbstractItemView::NoEditTriggers);

              // Starting at 北京 is red; G5 comes from 沈阳. The trains that do not run stand
              // behind the switch, grey with their marker.
              EXPECT_EQ(rowColourNames(table),
                        (QStringList{"G1 " + kLightOnRed, "G5 " + kBlueOnWhite}));
              EXPECT_EQ(view.legendLine()->text(), u"红底：始发　白底：途经"_s);
              EXPECT_TRUE(view.notRunningSwitch()->isVisible());
              view.notRunningSwitch()->click();
              EXPECT_EQ(
                  rowColourNames(table),
                  (QStringList{"G1 " + kLightOnRed, "G5 " + kBlueOnWhite, "G101 - " + kLightOnGrey,
                               "T9 + " + kLightOnGrey, "Z11 * " + kLightOnGrey}));
              EXPECT_EQ(view.legendLine()->text(), u"红底：始发　白底：途经　灰底：不开行"_s);
          }});
}

TEST_F(Results, ClickedHeadingsSortThatTableOnly) {
    // 北京 -> 上海 leaves at G101 06:00, G1 08:00, G5 09:05, T9 19:00 and Z11 21:00; T9 and
    // Z11 arrive the next morning. All of them shown, the ones that do not run after the rest.
    QStringList seen;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               direct.showNotRunning(true);
               seen << sortShown(table) + u": "_s + firstColumn(table).join(u',');
               clickHeading(table, 1);  // 开点
               seen << sortShown(table) + u": "_s + firstColumn(table).join(u',');
               clickHeading(table, 1);
               seen << sortShown(table) + u": "_s + firstColumn(table).join(u',');
               table.selectRow(rowOf(table, u"G5"_s));
               clickHeading(table, 2);  // 到点: days counted
               seen << sortShown(table) + u": "_s + firstColumn(table).join(u',');
               EXPECT_EQ(table.selectedItems().value(0), table.item(rowOf(table, u"G5"_s), 0));
               clickHeading(table, 5);  // 车次类型 does not sort
               clickHeading(table, 0);  // 车次: G5 before G101
               seen << sortShown(table) + u": "_s + firstColumn(table).join(u',');
               expectNothingElided(table);
               // Opening a sorted row opens that row's train.
               QTest::keyClick(&table, Qt::Key_Return);
           },
           [&](ResultsDialog& stops) { seen << stops.windowTitle(); }});
    // A later view opens in time order again, its own sort; so does the station board.
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               seen << sortShown(table) + u": "_s + firstColumn(table).join(u',');
               direct.openRow(rowOf(table, u"G1"_s));
           },
           [&](ResultsDialog& stops) { stops.openRow(0); },
           [&](ResultsDialog& station) {
               seen << sortShown(*station.table());
               clickHeading(*station.table(), 0);
               seen << sortShown(*station.table());
           }});
    EXPECT_EQ(
        seen.join(u'\n').toStdString(),
        (QStringList{u"开点 up: G1,G5,G101 -,T9 +,Z11 *"_s, u"开点 down: G5,G1,Z11 *,T9 +,G101 -"_s,
                     u"none: G1,G101 -,G5,T9 +,Z11 *"_s, u"到点 up: G1,G5,G101 -,T9 +,Z11 *"_s,
                     u"车次名称 up: G1,G5,G101 -,T9 +,Z11 *"_s, u"G5 "_s,
                     u"开点 up: G1,G5,G101 -,T9 +,Z11 *"_s, u"开点 up"_s, u"车次名称 up"_s})
            .join(u'\n')
            .toStdString());
}

TEST_F(Results, AThirdClickGivesTheOrderTheQueryFoundThemIn) {
    QStringList orders;
    SortKey key = SortKey::Departure;
    query(u"北京"_s, u"上海"_s, {[&](ResultsDialog& direct) {
              QTableWidget& table = *direct.table();
              direct.showNotRunning(true);
              for (int i = 0; i < 3; ++i) clickHeading(table, 3);  // 历时
              orders << firstColumn(table).join(u',') << sortShown(table);
              key = direct.sort().key;
          }});
    // The original's list: as the query found them, the trains that do not run among them.
    EXPECT_EQ(orders.value(1), u"none"_s);
    EXPECT_EQ(key, SortKey::Listed);
    QStringList listed;
    for (const ResultRow& row : context_.results.rows) {
        listed << QString::fromStdU16String(row.trainName + statusMarker(row.status));
    }
    EXPECT_EQ(orders.value(0), listed.join(u','));
}

TEST_F(Results, StationTimetableGreysTrainsThatDoNotRun) {
    // Through the station dialog: 北京 on 2026-06-01.
    QStringList colours;
    script_->then([&](QDialog& d) {
        auto* station = d.findChild<StationCombo*>();
        ASSERT_NE(station, nullptr);
        d.findChild<QDateEdit*>()->setDate(QDate(2026, 6, 1));
        station->setEditText(u"北京"_s);
        static_cast<QueryDialog&>(d).runQuery();
    });
    script_->then([&](QDialog& d) {
        auto& view = static_cast<ResultsDialog&>(d);
        EXPECT_EQ(view.table()->columnCount(), 7);
        view.showNotRunning(true);
        colours = rowColourNames(*view.table());
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    // In time order, the ones that run first.
    EXPECT_EQ(colours, (QStringList{"G1 " + kLightOnRed, "G5 " + kBlueOnWhite, "K5 " + kLightOnRed,
                                    "G101 - " + kLightOnGrey, "T9 + " + kLightOnGrey,
                                    "Z11 * " + kLightOnGrey}));
}

TEST_F(Results, NestedViewsRestoreTheirOwnModes) {
    // Direct -> G5's stops -> 上海's trains -> back -> stops again -> back -> direct again.
    QStringList trail;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               table.selectRow(rowOf(table, u"G5"_s));
               direct.softKeys()->pressLeft();  // "查看"
               EXPECT_EQ(context_.results.mode, ResultMode::Direct);
               // Still reacting as a list of trains, its own train whatever its marker.
               direct.showNotRunning(true);
               direct.openRow(rowOf(table, u"Z11 *"_s));
               trail << "direct:" + direct.windowTitle();
           },
           [&](ResultsDialog& stops) {
               EXPECT_EQ(stops.mode(), ResultMode::TrainStops);
               EXPECT_EQ(stops.returnMode(), ResultMode::Direct);
               trail << "stops:" + stops.windowTitle() + tableLines(*stops.table()).join(u';');
               doubleClickCell(*stops.table(), 2);
               EXPECT_EQ(context_.results.mode, ResultMode::TrainStops);
               stops.openRow(0);  // 沈阳 has G5 only
           },
           [&](ResultsDialog& station) {
               EXPECT_EQ(station.returnMode(), ResultMode::TrainStops);
               trail << "station:" + station.windowTitle();
               station.softKeys()->popupMenu()->actions().at(0)->trigger();  // "返回"
               EXPECT_FALSE(station.isVisible());
               EXPECT_EQ(station.result(), res::kCmdResultsBack);
           },
           [&](ResultsDialog& station) { trail << "station:" + station.windowTitle(); },
           [&](ResultsDialog& stops) {
               trail << "stops:" + stops.windowTitle();
               QTest::keyClick(stops.table(), Qt::Key_Backspace);  // does nothing here
               EXPECT_TRUE(stops.isVisible());
               QTest::keyClick(stops.table(), Qt::Key_Escape);
               EXPECT_EQ(stops.result(), res::kCmdResultsBack);
           }});
    EXPECT_EQ(trail,
              (QStringList{"stops:G5 沈阳|-- --|05:00|0;北京|09:00|09:05|700;上海|14:00|-- --|2000",
                           "station:上海：开行 4 趟，另 3 趟当日不开行", "station:沈阳：开行 1 趟",
                           "stops:Z11 ", "direct:北京至上海：开行 2 趟，另 3 趟当日不开行"}));
    EXPECT_EQ(context_.results.mode, ResultMode::Direct);
}

TEST_F(Results, TransferLegsArePartedByARowAndSortApart) {
    QStringList seen;
    query(u"青岛"_s, u"宁波东"_s,
          {[&](ResultsDialog& stations) {
               EXPECT_EQ(stations.windowTitle(), u"请选择中转站点"_s);
               EXPECT_EQ(stations.table()->horizontalHeaderItem(0)->text(),
                         u"     车站名称     "_s);
               // The earliest arrival says where.
               EXPECT_EQ(stations.table()->horizontalHeaderItem(1)->text(), u"最早到达宁波东"_s);
               EXPECT_TRUE(stations.legendLine()->isHidden());
               // K6 reaches 南京 at 20:00; D7 goes on the next morning.
               EXPECT_EQ(tableLines(*stations.table()), QStringList{u"南京|12:00+1"_s});
               stations.openRow(0);
               stations.openRow(-1);  // nothing selected: nothing opens
               EXPECT_EQ(context_.results.mode, ResultMode::Transfer);
           },
           [&](ResultsDialog& legs) {
               EXPECT_EQ(legs.returnMode(), ResultMode::Transfer);
               QTableWidget& table = *legs.table();
               seen << legs.windowTitle();
               seen << rowColourNames(table);
               // The separator spans the table, takes no selection and opens nothing.
               EXPECT_EQ(table.columnSpan(1, 0), table.columnCount());
               EXPECT_FALSE(table.item(1, 0)->flags() & Qt::ItemIsSelectable);
               // Sorting keeps each leg on its side of the separator.
               legs.sortByColumn(1);
               legs.sortByColumn(1);
               seen << firstColumn(table).join(u',');
               legs.openRow(0);  // choosing a leg opens nothing
               legs.openRow(1);
           }});
    EXPECT_EQ(seen,
              (QStringList{"青岛至南京至宁波东：开行 2 趟", "K6 " + kBlueOnWhite,
                           u"第二程 0,0,0/0,0,0"_s, "D7 " + kBlueOnWhite, u"K6,第二程,D7"_s}));
    EXPECT_EQ(context_.results.transferLegCount, 1);
}

TEST_F(Results, TrainsThatDoNotRunAreGreyWithTheirMarkerInEveryTable) {
    // G1 matches G1 and G101 (not valid yet): the choice of trains greys G101 as the direct
    // trains and the station board do, once the switch shows it.
    QStringList seen;
    askTrainNumber(*script_, QDate(2026, 6, 1), u"G1"_s, [&](ResultsDialog& view) {
        EXPECT_EQ(view.mode(), ResultMode::TrainChoice);
        seen << rowColourNames(*view.table()) << view.legendLine()->text();
        view.showNotRunning(true);
        seen << rowColourNames(*view.table()) << view.legendLine()->text();
    });
    window_->openEntry(static_cast<int>(MainEntry::TrainNumber));
    EXPECT_EQ(seen, (QStringList{"G1 " + kBlueOnWhite, QString(), "G1 " + kBlueOnWhite,
                                 "G101 - " + kLightOnGrey, u"灰底：不开行"_s}));
    // The switch is remembered for the views opened later.
    EXPECT_TRUE(showsNotRunning());
}

TEST_F(Results, SharedTextIsTheRowsShownOrChosenUnderTheQuestionAndTheDay) {
    // 北京 -> 上海 on 2026-06-01: G1 and G5 run, three more do not.
    QString copied;
    query(
        u"北京"_s, u"上海"_s, {[&](ResultsDialog& view) {
            QTableWidget& table = *view.table();
            ASSERT_EQ(table.rowCount(), 2);
            // Only the rows shown, none of the trains behind the switch.
            const QString shared = view.sharedText(false);
            const QStringList lines = shared.split(u'\n');
            ASSERT_EQ(lines.size(), 6) << shared.toStdString();
            EXPECT_EQ(lines[0], u"北京至上海"_s);
            EXPECT_EQ(lines[1], u"2026年6月1日周一"_s);
            QString headingLine;
            for (const std::u16string& h : tableHeadings(TableKind::Train)) {
                headingLine += QString::fromStdU16String(h).trimmed() + u'\t';
            }
            EXPECT_EQ(lines[2], headingLine);
            EXPECT_TRUE(lines[3].startsWith(u"G1\t08:00\t12:00\t"_s)) << lines[3].toStdString();
            EXPECT_TRUE(lines[4].startsWith(u"G5\t09:05\t"_s)) << lines[4].toStdString();
            EXPECT_EQ(lines[5], QString());
            EXPECT_EQ(lines[3].count(u'\t'), 12);
            view.softKeys()->popupMenu()->actions().at(1)->trigger();  // "短消息"
            ASSERT_EQ(links().size(), 1u);
            const QUrlQuery sms(links()[0]);
            EXPECT_EQ(sms.queryItemValue(u"body"_s, QUrl::FullyDecoded), shared);
            EXPECT_EQ(sms.queryItemValue(u"subject"_s, QUrl::FullyDecoded),
                      u"北京至上海：开行 2 趟，另 3 趟当日不开行"_s);
            // Ctrl+C copies the rows chosen (here the first, chosen when the view opened).
            QApplication::clipboard()->clear();
            QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
            copied = QApplication::clipboard()->text();
            // Several chosen rows are what the message shares too.
            view.showNotRunning(true);
            table.clearSelection();
            table.selectionModel()->select(table.model()->index(rowOf(table, u"G5"_s), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            table.selectionModel()->select(table.model()->index(rowOf(table, u"T9 +"_s), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            const QStringList chosen = view.sharedText(false).split(u'\n');
            ASSERT_EQ(chosen.size(), 6);
            EXPECT_TRUE(chosen[3].startsWith(u"G5\t"_s));
            EXPECT_TRUE(chosen[4].startsWith(u"T9 +\t"_s));
        }});
    const QStringList lines = copied.split(u'\n');
    ASSERT_EQ(lines.size(), 5) << copied.toStdString();
    EXPECT_EQ(lines[0], u"北京至上海"_s);
    EXPECT_TRUE(lines[3].startsWith(u"G1\t"_s));
}

TEST_F(Results, AStationsMessageIsTheNextTrainsFromTheTimeAsked) {
    // 上海 on 2026-06-01 from 11:00: G1 12:00 and G3 13:00 arrive there (they end there), D7
    // leaves at 09:35 and G5 arrives at 14:00.
    QStringList shared;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        dialog.travelDate()->setDate(QDate(2026, 6, 1));
        dialog.fromTime()->setTime(QTime(11, 0));
        dialog.stationName()->setEditText(u"上海"_s);
        dialog.runQuery();
    });
    script_->then([&](QDialog& d) {
        auto& view = static_cast<ResultsDialog&>(d);
        QTableWidget& table = *view.table();
        // The list opens at the first train from that time, chosen.
        EXPECT_EQ(table.selectedItems().value(0)->text(), u"G1"_s);
        EXPECT_EQ(firstColumn(table), (QStringList{u"D7"_s, u"G1"_s, u"G3"_s, u"G5"_s}));
        shared = view.sharedText(false).split(u'\n');
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    ASSERT_EQ(shared.size(), 7);
    EXPECT_EQ(shared[0], u"上海"_s);
    EXPECT_EQ(shared[1], u"2026年6月1日周一　11:00 起"_s);
    EXPECT_TRUE(shared[3].startsWith(u"G1\t终到 12:00\t"_s)) << shared[3].toStdString();
    EXPECT_TRUE(shared[4].startsWith(u"G3\t"_s));
    EXPECT_TRUE(shared[5].startsWith(u"G5\t"_s));
}

TEST(TextMessage, UrlSurvivesSeparatorsInTheTexts) {
    QString body = u"a&b=c+d %25\t\n"_s;
    QString subject = u"x?y#z"_s;
    QUrlQuery query(messageUrl(body, subject));
    EXPECT_EQ(query.queryItemValue(u"body"_s, QUrl::FullyDecoded), body);
    EXPECT_EQ(query.queryItemValue(u"subject"_s, QUrl::FullyDecoded), subject);
}

TEST(ResultCaption, EveryModeAndTypedPlaceholdersStayAsTyped) {
    ResultContext results;
    results.fromName = u"%1A";
    results.toName = u"B";
    results.transferName = u"X";
    results.trainNumber = u"T109";
    results.stationName = u"S";
    results.rows.resize(3);
    results.stationRows.resize(2);
    // Spaced as Chinese is set: none between Chinese characters, one around a number.
    EXPECT_EQ(resultCaption(ResultMode::Direct, results), u"%1A至B：开行 3 趟"_s);
    EXPECT_EQ(resultCaption(ResultMode::TrainStops, results), u"T109 "_s);
    EXPECT_EQ(resultCaption(ResultMode::StationTrains, results), u"S：开行 2 趟"_s);
    EXPECT_EQ(resultCaption(ResultMode::Transfer, results), u"请选择中转站点"_s);
    EXPECT_EQ(resultCaption(ResultMode::TrainChoice, results), u"请选择车次：开行 3 趟"_s);
    EXPECT_EQ(resultCaption(ResultMode::TransferTrains, results), u"%1A至X至B：开行 3 趟"_s);
    EXPECT_EQ(resultCaption(static_cast<ResultMode>(9), results), u"结果"_s);
    // With what a table shows: those that run, and how many more do not.
    ShownRows shown;
    shown.running = 42;
    shown.notRunning = 61;
    EXPECT_EQ(resultCaption(ResultMode::Direct, results, &shown),
              u"%1A至B：开行 42 趟，另 61 趟当日不开行"_s);
}

TEST_F(Results, DatedViewsShowTheDayAndWhatTheirMarkersMean) {
    // 2026-06-01 was a Monday. T9 has expired, Z11 does not run that day, G101 is not valid yet.
    QStringList lines;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               lines << direct.dateLine()->text();  // no marker shown, none explained
               direct.showNotRunning(true);
               lines << direct.dateLine()->text();
               direct.openRow(rowOf(*direct.table(), u"Z11 *"_s));
           },
           [&](ResultsDialog& stops) {
               lines << stops.dateLine()->text();
               // Z11's rule has no running day in its period of two.
               EXPECT_EQ(stops.legendLine()->text(),
                         u"不开行　有效期 2020年1月1日 至 2035年12月31日"_s);
               stops.openRow(0);  // 北京's trains, from the time Z11 leaves there
           },
           [&](ResultsDialog& station) { lines << station.dateLine()->text(); }});
    EXPECT_EQ(lines,
              (QStringList{u"2026年6月1日周一"_s,
                           u"2026年6月1日周一　　+ 已过期　* 当日不开行　- 尚未开行"_s,
                           u"2026年6月1日周一　Z11 当日不开行"_s,
                           u"2026年6月1日周一　21:00 起　　+ 已过期　* 当日不开行　- 尚未开行"_s}));

    // The candidate stations hold no trains: no date. Both legs do.
    bool candidatesDated = true;
    query(u"青岛"_s, u"宁波东"_s,
          {[&](ResultsDialog& stations) {
               candidatesDated = !stations.dateLine()->isHidden();
               stations.openRow(0);
           },
           [&](ResultsDialog& legs) { lines << legs.dateLine()->text(); }});
    EXPECT_FALSE(candidatesDated);
    EXPECT_EQ(lines.value(4), u"2026年6月1日周一"_s);
}

TEST_F(Results, AClickSelectsAndADoubleClickOpensOneLevel) {
    // On a desktop a click selects and a double click opens. A double click that lands on the
    // view just opened belongs to the gesture that opened it and opens nothing more; a later
    // one does.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(400);
    int opened = 0;
    bool selectedOnly = false;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               QTest::qWait(450);
               const int g5 = rowOf(table, u"G5"_s);
               const QPoint at = table.visualItemRect(table.item(g5, 0)).center();
               QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
               selectedOnly = context_.results.mode == ResultMode::Direct &&
                              table.selectedItems().value(0) == table.item(g5, 0);
               QTest::qWait(450);
               doubleClickCell(table, g5);
           },
           [&](ResultsDialog& stops) {
               ++opened;
               EXPECT_EQ(context_.results.trainNumber, u"G5");
               QTableWidget& table = *stops.table();
               const QPoint at = table.visualItemRect(table.item(1, 0)).center();
               doubleClickCell(table, 1);
               EXPECT_EQ(context_.results.mode, ResultMode::TrainStops);
               QTest::qWait(450);
               QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
               EXPECT_EQ(context_.results.mode, ResultMode::TrainStops);
               QTest::qWait(450);
               doubleClickCell(table, 1);
           },
           [&](ResultsDialog& station) {
               ++opened;
               EXPECT_EQ(station.mode(), ResultMode::StationTrains);
           }});
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    EXPECT_TRUE(selectedOnly);
    EXPECT_EQ(opened, 2);
}

TEST_F(Results, FirstRowIsSelectedAndTheActionKeyOpensIt) {
    QString opened;
    query(u"天津"_s, u"济南"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               EXPECT_EQ(table.font(), QApplication::font());  // the platform's own text
               ASSERT_EQ(table.selectedItems().value(0), table.item(0, 0));
               EXPECT_EQ(table.currentRow(), 0);
               QTest::keyClick(&table, Qt::Key_Return);
           },
           [&](ResultsDialog& stops) { opened = stops.windowTitle(); }});
    EXPECT_TRUE(opened == u"G1 "_s || opened == u"G3 "_s) << opened.toStdString();
}

TEST_F(Results, TheTrainAndItsDepartureStayInViewWhileTheTableScrollsSideways) {
    QString opened;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               direct.resize(400, 500);  // narrower than the table's twelve columns
               QApplication::processEvents();
               QScrollBar& sideways = *table.horizontalScrollBar();
               ASSERT_GT(sideways.maximum(), 0);
               sideways.setValue(sideways.maximum());
               QTableView& frozen = *direct.frozenColumn();
               EXPECT_TRUE(frozen.isVisible());
               EXPECT_EQ(frozen.geometry().left(), table.frameWidth());
               // The train and its departure, the columns a narrow screen must keep.
               EXPECT_EQ(frozen.columnWidth(0), table.columnWidth(0));
               EXPECT_EQ(frozen.columnWidth(1), table.columnWidth(1));
               EXPECT_FALSE(frozen.isColumnHidden(1));
               EXPECT_TRUE(frozen.isColumnHidden(2));
               EXPECT_EQ(frozen.width(),
                         table.columnWidth(0) + table.columnWidth(1) + 2 * frozen.frameWidth());
               const QModelIndex first =
                   frozen.indexAt(QPoint(5, frozen.rowViewportPosition(0) + 2));
               EXPECT_EQ(first.data().toString(), table.item(0, 0)->text());
               const QModelIndex departure = frozen.indexAt(
                   QPoint(table.columnWidth(0) + 5, frozen.rowViewportPosition(0) + 2));
               EXPECT_EQ(departure.data().toString(), table.item(0, 1)->text());
               // Its heading sorts by train; a double click on it opens that row's train.
               QHeaderView& heading = *frozen.horizontalHeader();
               QTest::mouseClick(heading.viewport(), Qt::LeftButton, {},
                                 QPoint(10, heading.height() / 2));
               EXPECT_EQ(sortShown(table), u"车次名称 up"_s);
               EXPECT_TRUE(frozen.horizontalHeader()->isSortIndicatorShown());
               const QPoint at = frozen.visualRect(frozen.model()->index(1, 0)).center();
               QTest::mouseClick(frozen.viewport(), Qt::LeftButton, {}, at);
               EXPECT_EQ(table.selectedItems().value(0), table.item(1, 0));
               QTest::mouseDClick(frozen.viewport(), Qt::LeftButton, {}, at);
           },
           [&](ResultsDialog& stops) { opened = stops.windowTitle(); }});
    EXPECT_EQ(opened, u"G5 "_s);
}

TEST_F(Results, HomeAndEndGoToTheFirstAndLastRow) {
    QString opened;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               QTableWidget& table = *direct.table();
               table.setCurrentCell(2, 3);
               QTest::keyClick(&table, Qt::Key_End);
               EXPECT_EQ(table.selectedItems().value(0), table.item(table.rowCount() - 1, 0));
               QTest::keyClick(&table, Qt::Key_Home);
               EXPECT_EQ(table.selectedItems().value(0), table.item(0, 0));
               opened = table.item(0, 0)->text();
               QTest::keyClick(&table, Qt::Key_Return);
           },
           [&](ResultsDialog& stops) { opened += u'>' + stops.windowTitle(); }});
    EXPECT_EQ(opened.section(u'>', 1), QString::fromStdU16String(trainNumberFromCell(
                                           opened.section(u'>', 0, 0).toStdU16String())) +
                                           u' ');
}

TEST_F(Results, CtrlQFromANestedViewEndsTheProgram) {
    QList<QDialog*> open;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) { direct.openRow(0); },
           [&](ResultsDialog& stops) {
               for (QWidget* top : QApplication::topLevelWidgets()) {
                   if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible()) {
                       open << dialog;
                   }
               }
               QTest::keyClick(stops.table(), Qt::Key_Q, Qt::ControlModifier);
               for (QDialog* dialog : open) EXPECT_FALSE(dialog->isVisible());
               EXPECT_FALSE(window_->isVisible());
           }});
    EXPECT_EQ(open.size(), 3);  // the query dialog and two views
    EXPECT_FALSE(window_->isVisible());
}

class SampleViews : public UiTest {};

TEST_F(SampleViews, NoCellOfTheBusiestStationOrOfTrainsK1IsCut) {
    openSample();
    std::u16string busiest;
    std::size_t most = 0;
    std::vector<int> trains;
    for (const std::u16string& name : db().stationNames) {
        db().trainsAtStation(name, trains);
        if (trains.size() > most) {
            most = trains.size();
            busiest = name;
        }
    }
    int rows = 0;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<StationDialog&>(d);
        dialog.stationName()->setEditText(QString::fromStdU16String(busiest));
        dialog.runQuery();
    });
    script_->then([&](QDialog& d) {
        auto& view = static_cast<ResultsDialog&>(d);
        rows = view.table()->rowCount();
        expectNothingElided(*view.table());
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    EXPECT_GT(rows, 50);

    QString legend;
    QStringList firsts;
    askTrainNumber(*script_, QDate(2026, 12, 24), u"K1"_s, [&](ResultsDialog& view) {
        EXPECT_EQ(view.mode(), ResultMode::TrainChoice);
        expectNothingElided(*view.table());
        legend = view.dateLine()->text();
        firsts = firstColumn(*view.table());
    });
    window_->openEntry(static_cast<int>(MainEntry::TrainNumber));
    EXPECT_TRUE(legend.startsWith(u"2026年12月24日周四"_s)) << legend.toStdString();
    // Every marker shown is explained above the table.
    for (const QString& marker : {u" +"_s, u" *"_s, u" -"_s}) {
        bool marked = std::any_of(firsts.begin(), firsts.end(),
                                  [&](const QString& cell) { return cell.endsWith(marker); });
        EXPECT_EQ(legend.contains(marker.mid(1) + u' '), marked) << marker.toStdString();
    }
}

TEST_F(Results, UnknownTrainShowsHeadingsOnly) {
    context_.results.mode = ResultMode::TrainStops;
    context_.results.trainNumber = u"NOPE";
    ResultsDialog view(context_.results, db(), window_.get());
    EXPECT_EQ(view.table()->columnCount(), 4);
    EXPECT_EQ(view.table()->rowCount(), 0);
    EXPECT_EQ(view.windowTitle(), u"NOPE "_s);
}

}  // namespace
}  // namespace zelvan::test
