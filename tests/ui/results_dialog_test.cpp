// The results views: tables and colours per mode, nested views and their return, captions, and
// the text message made from a table.
#include <QApplication>
#include <QDateEdit>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyleHints>
#include <QTableWidget>
#include <QTest>
#include <QUrlQuery>
#include <algorithm>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "ui/main_window.h"
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
const QString kBlueOnSilver = QStringLiteral("0,0,255/192,192,192");

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
        messages_.answers = {true};
        window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    }
};

TEST_F(Results, DirectTableHeadingsWidthsAndColours) {
    query(u"北京"_s, u"上海"_s, {[&](ResultsDialog& view) {
              QTableWidget& table = *view.table();
              ASSERT_EQ(table.columnCount(), 12);
              const std::vector<std::u16string>& headings = tableHeadings(TableKind::Train);
              QFontMetrics metrics(table.font());
              for (int c = 0; c < 12; ++c) {
                  QString heading = table.horizontalHeaderItem(c)->text();
                  EXPECT_EQ(heading, QString::fromStdU16String(headings[c]));
                  // The heading's rule, widened by any cell wider than the heading.
                  int widest = metrics.horizontalAdvance(heading);
                  for (int r = 0; r < table.rowCount(); ++r) {
                      widest =
                          std::max(widest, metrics.horizontalAdvance(table.item(r, c)->text()));
                  }
                  EXPECT_EQ(table.columnWidth(c), widest + 26);
              }
              expectNothingElided(table);
              EXPECT_EQ(table.horizontalHeaderItem(8)->text(), QStringLiteral("    硬卧    "));
              EXPECT_TRUE(table.showGrid());
              EXPECT_EQ(table.selectionBehavior(), QAbstractItemView::SelectRows);
              EXPECT_EQ(table.selectionMode(), QAbstractItemView::SingleSelection);
              EXPECT_FALSE(table.isSortingEnabled());
              EXPECT_EQ(table.editTriggers(), QAbstractItemView::NoEditTriggers);

              // Starting at 北京 is red whatever the status; G5 comes from 沈阳.
              QStringList colours = rowColourNames(table);
              colours.sort();
              EXPECT_EQ(colours, (QStringList{"G1 " + kLightOnRed, "G101 - " + kLightOnRed,
                                              "G5 " + kBlueOnWhite, "T9 + " + kLightOnRed,
                                              "Z11 * " + kLightOnRed}));
          }});
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
        colours = rowColourNames(*view.table());
    });
    window_->openEntry(static_cast<int>(MainEntry::Station));
    colours.sort();
    EXPECT_EQ(colours,
              (QStringList{"G1 " + kLightOnRed, "G101 - " + kLightOnGrey, "G5 " + kBlueOnWhite,
                           "K5 " + kLightOnRed, "T9 + " + kLightOnGrey, "Z11 * " + kLightOnGrey}));
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
               // Still reacting as a list of trains: the marker is cut off the number.
               direct.openRow(rowOf(table, u"Z11 *"_s));
               trail << "direct:" + direct.windowTitle();
           },
           [&](ResultsDialog& stops) {
               EXPECT_EQ(stops.mode(), ResultMode::TrainStops);
               EXPECT_EQ(stops.returnMode(), ResultMode::Direct);
               trail << "stops:" + stops.windowTitle() + tableLines(*stops.table()).join(u';');
               QTest::mouseClick(stops.table()->viewport(), Qt::LeftButton, {},
                                 stops.table()->visualItemRect(stops.table()->item(2, 0)).center());
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
                           "station:上海 ,结果7", "station:沈阳 ,结果1", "stops:Z11 ",
                           "direct:北京 至 上海 ,结果 5"}));
    EXPECT_EQ(context_.results.mode, ResultMode::Direct);
}

TEST_F(Results, TransferLegsAreWhiteThenSilver) {
    QStringList seen;
    query(u"青岛"_s, u"宁波东"_s,
          {[&](ResultsDialog& stations) {
               EXPECT_EQ(stations.windowTitle(), u"请选择中转站点"_s);
               EXPECT_EQ(stations.table()->horizontalHeaderItem(0)->text(),
                         u"     车站名称     "_s);
               stations.openRow(0);
               stations.openRow(-1);  // nothing selected: nothing opens
               EXPECT_EQ(context_.results.mode, ResultMode::Transfer);
           },
           [&](ResultsDialog& legs) {
               EXPECT_EQ(legs.returnMode(), ResultMode::Transfer);
               seen << legs.windowTitle();
               seen << rowColourNames(*legs.table());
               legs.openRow(0);  // choosing a leg opens nothing
           }});
    EXPECT_EQ(seen, (QStringList{"青岛 至 南京 至 宁波东 ,结果2", "K6 " + kBlueOnWhite,
                                 "D7 " + kBlueOnSilver}));
    EXPECT_EQ(context_.results.transferLegCount, 1);
}

TEST_F(Results, TextMessageCarriesTheWholeTableAndTheCaption) {
    // Two through trains from 天津 to 济南: G1 and G3.
    QUrl sent;
    QString body;
    query(u"天津"_s, u"济南"_s, {[&](ResultsDialog& view) {
              ASSERT_EQ(view.table()->rowCount(), 2);
              body = messageBody(*view.table());
              view.softKeys()->popupMenu()->actions().at(1)->trigger();  // "短消息"
              EXPECT_TRUE(view.isVisible());
          }});
    QStringList lines = body.split(u'\n');
    ASSERT_EQ(lines.size(), 4);  // three lines, each ended by a line feed
    EXPECT_EQ(lines[3], QString());
    const std::vector<std::u16string>& headings = tableHeadings(TableKind::Train);
    QString headingLine;
    for (const std::u16string& h : headings) headingLine += QString::fromStdU16String(h) + u'\t';
    EXPECT_EQ(lines[0], headingLine);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(lines[i].count(u'\t'), 12);
        EXPECT_TRUE(lines[i].endsWith(u'\t'));
    }
    EXPECT_TRUE(lines[1].startsWith(u"G1\t"_s) || lines[1].startsWith(u"G3\t"_s));

    ASSERT_EQ(links().size(), 1u);
    sent = links()[0];
    EXPECT_EQ(sent.scheme(), u"sms"_s);
    QUrlQuery query(sent);
    EXPECT_EQ(query.queryItemValue(u"body"_s, QUrl::FullyDecoded), body);
    EXPECT_EQ(query.queryItemValue(u"subject"_s, QUrl::FullyDecoded), u"天津 至 济南 ,结果 2"_s);
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
    EXPECT_EQ(resultCaption(ResultMode::Direct, results), u"%1A 至 B ,结果 3"_s);
    EXPECT_EQ(resultCaption(ResultMode::TrainStops, results), u"T109 "_s);
    EXPECT_EQ(resultCaption(ResultMode::StationTrains, results), u"S ,结果2"_s);
    EXPECT_EQ(resultCaption(ResultMode::Transfer, results), u"请选择中转站点"_s);
    EXPECT_EQ(resultCaption(ResultMode::TrainChoice, results), u"请选择车次"_s);
    EXPECT_EQ(resultCaption(ResultMode::TransferTrains, results), u"%1A 至 X 至 B ,结果3"_s);
    EXPECT_EQ(resultCaption(static_cast<ResultMode>(9), results), u"结果"_s);
}

TEST_F(Results, DatedViewsShowTheDayAndWhatTheirMarkersMean) {
    // 2026-06-01 was a Monday. T9 has expired, Z11 does not run that day, G101 is not valid yet.
    QStringList lines;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) {
               lines << direct.dateLine()->text();
               direct.openRow(rowOf(*direct.table(), u"Z11 *"_s));
           },
           [&](ResultsDialog& stops) {
               lines << stops.dateLine()->text();
               stops.openRow(0);  // 北京's trains
           },
           [&](ResultsDialog& station) { lines << station.dateLine()->text(); }});
    EXPECT_EQ(lines, (QStringList{u"2026-06-01 星期一　　+ 已过期　* 当日不开行　- 尚未开行"_s,
                                  u"2026-06-01 星期一　Z11 当日不开行"_s,
                                  u"2026-06-01 星期一　　+ 已过期　* 当日不开行　- 尚未开行"_s}));

    // The candidate stations hold no trains: no date. Both legs do.
    bool candidatesDated = true;
    query(u"青岛"_s, u"宁波东"_s,
          {[&](ResultsDialog& stations) {
               candidatesDated = !stations.dateLine()->isHidden();
               stations.openRow(0);
           },
           [&](ResultsDialog& legs) { lines << legs.dateLine()->text(); }});
    EXPECT_FALSE(candidatesDated);
    EXPECT_EQ(lines.value(3), u"2026-06-01 星期一"_s);
}

TEST_F(Results, ADoubleClickOpensOneLevel) {
    // The first click opens a train's stops; the second click of the gesture lands on them and
    // must not open a station's trains as well. A later click does.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(400);
    int opened = 0;
    query(u"北京"_s, u"上海"_s,
          {[&](ResultsDialog& direct) { direct.openRow(rowOf(*direct.table(), u"G5"_s)); },
           [&](ResultsDialog& stops) {
               ++opened;
               QTableWidget& table = *stops.table();
               const QPoint at = table.visualItemRect(table.item(1, 0)).center();
               QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, at);
               QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
               EXPECT_EQ(context_.results.mode, ResultMode::TrainStops);
               QTest::qWait(450);
               QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
           },
           [&](ResultsDialog& station) {
               ++opened;
               EXPECT_EQ(station.mode(), ResultMode::StationTrains);
           }});
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
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
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<TrainNumberDialog&>(d);
        dialog.travelDate()->setDate(QDate(2026, 12, 24));
        dialog.trainNumber()->setText(u"K1"_s);
        dialog.runQuery();
    });
    script_->then([&](QDialog& d) {
        auto& view = static_cast<ResultsDialog&>(d);
        EXPECT_EQ(view.mode(), ResultMode::TrainChoice);
        expectNothingElided(*view.table());
        legend = view.dateLine()->text();
        firsts = firstColumn(*view.table());
    });
    window_->openEntry(static_cast<int>(MainEntry::TrainNumber));
    EXPECT_TRUE(legend.startsWith(u"2026-12-24 星期四"_s)) << legend.toStdString();
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
