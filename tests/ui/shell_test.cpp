// The main window, its soft keys and menu, the resources behind them and the single instance.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <map>

#include "compiler/timetable_source.h"
#include "db/timetable_db.h"
#include "res/menu_bars.h"
#include "res/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/downloads_dialog.h"
#include "ui/links.h"
#include "ui/main_window.h"
#include "ui/messages.h"
#include "ui/results_dialog.h"
#include "ui/single_instance.h"
#include "ui/soft_key_bar.h"
#include "ui/station_combo.h"
#include "ui/station_dialog.h"
#include "ui/station_to_station_dialog.h"
#include "ui/train_number_dialog.h"
#include "ui_fixture.h"

namespace zelvan::test {
namespace {

using namespace Qt::StringLiterals;

class Shell : public UiTest {};

QStringList texts(const QListWidget& list) {
    QStringList entries;
    for (int i = 0; i < list.count(); ++i) entries << list.item(i)->text();
    return entries;
}

QStringList menuTexts(const QMenu& menu) {
    QStringList items;
    for (QAction* action : menu.actions()) {
        items << QStringLiteral("%1 %2").arg(action->text()).arg(action->data().toInt());
    }
    return items;
}

TEST_F(Shell, MainWindowShowsTheFiveEntriesAndItsSoftKeys) {
    openWindow(timetableSource());
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Zelvan时刻表"));
    EXPECT_FALSE(window_->windowIcon().isNull());
    QListWidget& list = *window_->mainList();
    EXPECT_EQ(texts(list),
              (QStringList{"站站查询", "车次查询", "车站查询", "推荐下载", "访问主页"}));
    EXPECT_EQ(list.font().pixelSize(), 24);
    EXPECT_EQ(context_.mainList, &list);
    EXPECT_TRUE(context_.updateNotifier);

    SoftKeyBar& keys = *window_->softKeys();
    EXPECT_EQ(keys.leftKey()->text(), QStringLiteral("退出"));
    EXPECT_EQ(keys.rightKey()->text(), QStringLiteral("菜单"));
    ASSERT_NE(keys.popupMenu(), nullptr);
    // The entries say what they do (the original's were "确定", "更新" and "恢复上一版").
    EXPECT_EQ(menuTexts(*keys.popupMenu()),
              (QStringList{"关于 32790", "打开所选项 32774", "更新时刻表 32789",
                           "恢复上一版时刻表 32792", "语言 32793", "删除所选收藏 32795"}));
    // The bar sits under the list, across the whole window.
    EXPECT_GE(keys.geometry().top(), list.geometry().bottom());
}

TEST_F(Shell, EveryWindowHasTheSoftKeysOfItsMenuBar) {
    struct Expected {
        int id;
        const char* left;
        const char* right;
    };
    // F2 opens a menu in every window; every menu ends with the choice of language.
    const std::map<int, QStringList> popups{
        {res::kMenuBarStationToStation,
         {"返回 32781", "换乘方案 32791", "收藏 32794", "语言 32793"}},
        {res::kMenuBarTrainNumber, {"返回 32781", "语言 32793"}},
        {res::kMenuBarStation, {"返回 32781", "收藏 32794", "语言 32793"}},
        {res::kMenuBarDownloads, {"返回 32781", "语言 32793"}},
        {res::kMenuBarResults, {"返回 32786", "短消息 32785", "语言 32793"}},
        {res::kMenuBarResultsJourneys,
         {"返回 32786", "短消息 32785", "换乘方案 32791", "语言 32793"}},
    };
    for (Expected e : {Expected{res::kMenuBarStationToStation, "确定", "菜单"},
                       Expected{res::kMenuBarTrainNumber, "确定", "菜单"},
                       Expected{res::kMenuBarStation, "确定", "菜单"},
                       Expected{res::kMenuBarDownloads, "确定", "菜单"},
                       Expected{res::kMenuBarResults, "查看", "菜单"},
                       Expected{res::kMenuBarResultsJourneys, "查看", "菜单"}}) {
        SoftKeyBar bar(e.id, nullptr);
        EXPECT_EQ(bar.leftKey()->text(), QString::fromUtf8(e.left)) << e.id;
        EXPECT_EQ(bar.rightKey()->text(), QString::fromUtf8(e.right)) << e.id;
        QSignalSpy commands(&bar, &SoftKeyBar::commandTriggered);
        bar.pressLeft();
        bar.pressRight();
        ASSERT_GE(commands.count(), 1);
        EXPECT_EQ(commands.at(0).at(0).toInt(), res::kCmdLeftKey);
        // The right key is "菜单" everywhere: it only opens the popup.
        const auto popup = popups.find(e.id);
        ASSERT_NE(popup, popups.end()) << e.id;
        EXPECT_EQ(commands.count(), 1);
        EXPECT_EQ(menuTexts(*bar.popupMenu()), popup->second) << e.id;
        bar.popupMenu()->hide();
    }
    EXPECT_EQ(res::menuBarDescription(1), nullptr);
    SoftKeyBar none(1, nullptr);
    EXPECT_EQ(none.leftKey(), nullptr);
    none.pressLeft();  // no keys: nothing happens
    none.pressRight();
}

TEST_F(Shell, FunctionKeysActAsTheSoftKeys) {
    openWindow(timetableSource());
    QApplication::setActiveWindow(window_.get());
    SoftKeyBar& keys = *window_->softKeys();
    QTest::keyClick(window_->mainList(), Qt::Key_F2);
    EXPECT_TRUE(keys.popupMenu()->isVisible());
    keys.popupMenu()->hide();

    QTest::keyClick(window_->mainList(), Qt::Key_F1);  // "退出"
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(Shell, CtrlQEndsTheProgram) {
    openWindow(timetableSource());
    QApplication::setActiveWindow(window_.get());
    QTest::keyClick(window_->mainList(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(Shell, WhatLooksSelectedAtStartIsWhatReturnOpens) {
    openWindow(timetableSource());
    QListWidget& list = *window_->mainList();
    EXPECT_EQ(list.currentRow(), 0);
    EXPECT_TRUE(list.item(0)->isSelected());
    QStringList opened;
    script_->then([&](QDialog& d) { opened << d.objectName(); });
    QTest::keyClick(&list, Qt::Key_Return);
    QTest::keyClick(&list, Qt::Key_Down);  // the second entry, as the eye expects
    EXPECT_TRUE(list.item(1)->isSelected());
    EXPECT_EQ(opened, QStringList{u"stationToStationDialog"_s});
    EXPECT_TRUE(messages_.shown.empty());

    // A tap beside the entries leaves nothing chosen and nothing looking chosen; Down then
    // starts at the first entry again.
    QRect last = list.visualItemRect(list.item(4));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, last.bottomLeft() + QPoint(5, 40));
    EXPECT_EQ(messages_.shown.size(), 1u);
    EXPECT_FALSE(list.currentIndex().isValid());
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_TRUE(list.item(0)->isSelected());
}

TEST_F(Shell, MainWindowReopensWhereItWasClosed) {
    openWindow(timetableSource());
    window_->setGeometry(QRect(40, 50, 520, 600));
    const QRect placed = window_->geometry();
    window_->close();
    window_.reset();
    openOnDataFolder();
    EXPECT_EQ(window_->geometry(), placed);
}

TEST_F(Shell, WhatThePlatformCannotOpenIsShownForCopying) {
    openWindow(timetableSource());
    // No browser and no messaging program: the homepage, a download and a text message.
    LinkOpener previous = setLinkOpener([](const QUrl&) { return false; });
    window_->openEntry(static_cast<int>(MainEntry::Homepage));
    script_->then([](QDialog& d) { static_cast<DownloadsDialog&>(d).openSelected(); });
    window_->openEntry(static_cast<int>(MainEntry::Downloads));
    script_->then([](QDialog& d) {
        auto& dialog = static_cast<StationToStationDialog&>(d);
        dialog.fromStation()->setEditText(u"天津"_s);
        dialog.toStation()->setEditText(u"济南"_s);
        dialog.runQuery();
    });
    script_->then([](QDialog& d) { static_cast<ResultsDialog&>(d).command(res::kCmdSendMessage); });
    window_->openEntry(static_cast<int>(MainEntry::StationToStation));
    setLinkOpener(std::move(previous));
    ASSERT_EQ(messages_.shown.size(), 3u);
    for (const ShownMessage& shown : messages_.shown) EXPECT_TRUE(shown.copyable);
    EXPECT_EQ(messages_.shown[0].caption, u"访问主页"_s);
    EXPECT_EQ(messages_.shown[0].text, u"http://m.zelvan.cn/mp"_s);
    EXPECT_EQ(messages_.shown[1].caption, u"掌上词典"_s);
    EXPECT_EQ(messages_.shown[1].text, u"http://m.zelvan.cn/mp/soft/dict"_s);
    EXPECT_EQ(messages_.shown[2].caption, u"短消息"_s);
    // The caption, the question and the day of travel, then the table.
    const QStringList lines = messages_.shown[2].text.split(u'\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], u"天津至济南：开行 2 趟"_s);
    EXPECT_EQ(lines[1], u"天津至济南"_s);
    EXPECT_TRUE(lines[2].startsWith(u"20"_s)) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith(u"车次名称\t"_s)) << lines[3].toStdString();
    EXPECT_TRUE(links().empty());

    CopyableTextBox box(window_.get(), u"短消息"_s, u"北京 至 上海\nG1\t07:00\t"_s);
    EXPECT_TRUE(box.textField()->isReadOnly());
    EXPECT_TRUE(box.textField()->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(box.copyButton()->text(), u"复制"_s);
    box.copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"北京 至 上海\nG1\t07:00\t"_s);
    EXPECT_EQ(box.copyButton()->text(), u"已复制"_s);
}

TEST_F(Shell, OpeningAnEntryWithoutSelectionAsksForOne) {
    openWindow(timetableSource());
    QListWidget& list = *window_->mainList();
    list.clearSelection();
    window_->command(res::kCmdMenuOk);
    // A tap beside the entries (the list's free space under the fifth entry).
    QRect last = list.visualItemRect(list.item(4));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, last.bottomLeft() + QPoint(5, 40));
    ASSERT_EQ(messages_.shown.size(), 2u);
    for (const ShownMessage& shown : messages_.shown) {
        EXPECT_EQ(shown.caption, QStringLiteral("错误"));
        EXPECT_EQ(shown.text, QStringLiteral("请选择一条记录！"));
    }
}

TEST_F(Shell, TapMenuItemAndActionKeyOpenTheEntries) {
    openWindow(timetableSource());
    QListWidget& list = *window_->mainList();
    QStringList opened;
    for (int i = 0; i < 4; ++i) {
        script_->then([&](QDialog& d) {
            opened << d.objectName() + u' ' + d.windowTitle();
            EXPECT_TRUE(d.isModal());
            EXPECT_EQ(d.geometry(), window_->geometry());  // covers the main window
        });
    }
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(i)).center());
    }
    EXPECT_EQ(opened, (QStringList{"stationToStationDialog 站站查询", "trainNumberDialog 车次查询",
                                   "stationDialog 车站查询", "downloadsDialog 欢迎下载手机软件"}));

    // The action key and the popup's "确定" open the selected entry too.
    script_->then([&](QDialog& d) { opened << d.objectName(); });
    script_->then([&](QDialog& d) { opened << d.objectName(); });
    list.setCurrentRow(1);
    QTest::keyClick(&list, Qt::Key_Return);
    window_->softKeys()->popupMenu()->actions().at(1)->trigger();
    EXPECT_EQ(opened.mid(4), (QStringList{"trainNumberDialog", "trainNumberDialog"}));

    // The fifth entry opens the mobile homepage, no dialog.
    list.setCurrentRow(4);
    window_->openSelectedEntry();
    ASSERT_EQ(links().size(), 1u);
    EXPECT_EQ(links()[0].toString(), QStringLiteral("http://m.zelvan.cn/mp"));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(Shell, RealModalLoopOpensAndClosesTheAboutBox) {
    openWindow(timetableSource());
    script_.reset();  // the dialog's own event loop this time
    QString seen;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        seen = modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    window_->softKeys()->popupMenu()->actions().at(0)->trigger();  // "关于"
    EXPECT_EQ(seen, QStringLiteral("关于 Zelvan时刻表"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    script_ = std::make_unique<DialogScript>();
}

TEST_F(Shell, UpdateAgainstAnUnreachableServerReportsAndSurvives) {
    AppOptions options;
    std::string error;
    ASSERT_TRUE(compileSourceText(timetableSource(), data_.path(), error)) << error;
    options.dataFolder = data_.wide();
    options.updateServer = "http://127.0.0.1:9";  // discard port: nothing listens
    window_ = std::make_unique<MainWindow>(context_, TimetableDb::instance(), options);
    window_->command(res::kCmdUpdate);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].caption, QStringLiteral("信息"));
    EXPECT_FALSE(messages_.shown[0].question);
}

TEST_F(Shell, DamagedTimetableIsNamedAndTheWayBackOffered) {
    // An update left the timetable before it (version 2026.05.01); the one in use is damaged.
    std::string goodT3;
    openWindow(timetableSource(), [&] {
        goodT3 = readBytes(data_ / "T3.dat");
        const std::filesystem::path previous = data_ / ".update/previous";
        std::filesystem::create_directories(previous);
        for (const auto& entry : std::filesystem::directory_iterator(data_.path())) {
            if (entry.is_regular_file()) std::filesystem::copy(entry.path(), previous);
        }
        writeBytes(previous / "ver.txt", "2026.05.01\n");
        writeBytes(data_ / "T3.dat", "\x01");
    });
    EXPECT_EQ(window_->damage(), u"数据文件 T3.dat 损坏");

    // A query is not opened on it: the step back and the update are offered (No to both).
    window_->openEntry(static_cast<int>(MainEntry::Station));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].caption, QStringLiteral("错误"));
    EXPECT_EQ(messages_.shown[0].text,
              QStringLiteral("数据文件 T3.dat 损坏，时刻表不能使用。\n恢复上一版时刻表吗?"));
    EXPECT_EQ(messages_.shown[1].text,
              QStringLiteral("数据文件 T3.dat 损坏，时刻表不能使用。\n现在就去更新时刻表吗?"));

    // Yes to the step back: the timetable before is in use and answers again.
    messages_.shown.clear();
    messages_.answers = {true};
    window_->offerRepair();
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[1].text,
              QStringLiteral("已恢复上一版时刻表，数据库版本：2026.05.01"));
    EXPECT_TRUE(window_->damage().empty());
    EXPECT_EQ(readBytes(data_ / "T3.dat"), goodT3);
    script_->then([](QDialog& d) { EXPECT_EQ(d.objectName(), QStringLiteral("stationDialog")); });
    window_->openEntry(static_cast<int>(MainEntry::Station));

    // The menu's "恢复上一版" once the way back is used up.
    messages_.shown.clear();
    window_->command(res::kCmdRollBack);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, QStringLiteral("没有可以恢复的上一版时刻表"));
    EXPECT_FALSE(messages_.shown[0].question);
}

TEST_F(Shell, AMaximizedWindowIsKeptByTheViewsOpenedOverIt) {
    openWindow(timetableSource());
    window_->showMaximized();
    QStringList states;
    const auto state = [&states](QWidget& w) {
        states << QString::number(static_cast<int>(w.windowState() & Qt::WindowMaximized));
    };
    script_->then([&](QDialog& d) {
        state(d);
        d.setWindowState(Qt::WindowNoState);  // the view un-maximized ...
        static_cast<StationDialog&>(d).stationName()->setEditText(u"北京"_s);
        static_cast<StationDialog&>(d).runQuery();
    });
    script_->then([&](QDialog& d) { state(d); });  // ... its own view follows it
    window_->openEntry(static_cast<int>(MainEntry::Station));
    EXPECT_EQ(states, (QStringList{u"2"_s, u"0"_s}));
}

TEST_F(Shell, TheMenusStepBackAsksBeforeItReplacesTheTimetable) {
    openWindow(timetableSource(), [&] {
        const std::filesystem::path previous = data_ / ".update/previous";
        std::filesystem::create_directories(previous);
        for (const auto& entry : std::filesystem::directory_iterator(data_.path())) {
            if (entry.is_regular_file()) std::filesystem::copy(entry.path(), previous);
        }
        writeBytes(previous / "ver.txt", "2026.05.01\n");
    });
    window_->command(res::kCmdRollBack);  // answered No
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_TRUE(messages_.shown[0].question);
    EXPECT_EQ(messages_.shown[0].text, u"恢复上一版时刻表吗?正在使用的时刻表将被替换。"_s);
    EXPECT_EQ(readBytes(data_ / "ver.txt"), "2026.06.01\n");
    messages_.answers = {true};
    window_->command(res::kCmdRollBack);
    ASSERT_EQ(messages_.shown.size(), 3u);
    EXPECT_EQ(messages_.shown[2].text, u"已恢复上一版时刻表，数据库版本：2026.05.01"_s);
}

TEST(SingleInstance, LaterStartAsksTheFirstToComeForwardAndNamesItsTimetable) {
    const QString key = QStringLiteral("zelvan-ui-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(key);
    ASSERT_TRUE(first.claim());
    QSignalSpy forward(&first, &SingleInstance::activationRequested);
    SingleInstance second(key);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(forward.wait(2000) || forward.count() > 0);
    SingleInstance third(key);
    EXPECT_FALSE(third.claim(u"/tmp/其他 时刻表"_s));
    EXPECT_TRUE(forward.count() > 1 || forward.wait(2000));
    ASSERT_EQ(forward.count(), 2);
    EXPECT_EQ(forward.at(0).at(0).toString(), QString());
    EXPECT_EQ(forward.at(1).at(0).toString(), u"/tmp/其他 时刻表"_s);
}

TEST_F(Shell, AnotherTimetableAskedForIsToldAndTheOneInUseStays) {
    openWindow(timetableSource());
    const QString inUse = QString::fromStdU16String(db().folder);
    window_->tellOtherTimetable(QString());
    window_->tellOtherTimetable(inUse + u'/');  // the same folder, written otherwise
    EXPECT_TRUE(messages_.shown.empty());
    window_->tellOtherTimetable(u"/srv/%2"_s);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].caption, u"信息"_s);
    EXPECT_EQ(messages_.shown[0].text,
              u"程序已在运行，没有打开另一个时刻表：/srv/%2\n正在使用的时刻表："_s + inUse +
                  u"\n要使用另一个时刻表，请先关闭程序再启动。"_s);
    EXPECT_EQ(QString::fromStdU16String(db().folder), inUse);
}

}  // namespace
}  // namespace zelvan::test
