// The About box and the recommended downloads.
#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>

#include "db/timetable_db.h"
#include "res/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/downloads_dialog.h"
#include "ui/main_window.h"
#include "ui/soft_key_bar.h"
#include "ui_fixture.h"

namespace zelvan::test {
namespace {

using namespace Qt::StringLiterals;

class AboutAndDownloads : public UiTest {
  protected:
    // Opens the About box from the menu and returns its text as built.
    QString aboutBoxText() {
        QString text;
        script_->then([&](QDialog& d) {
            auto& about = static_cast<AboutDialog&>(d);
            EXPECT_EQ(about.windowTitle(), u"关于 Zelvan时刻表"_s);
            EXPECT_TRUE(about.textField()->isReadOnly());
            text = about.text();
            EXPECT_EQ(about.textField()->toPlainText(), aboutDisplayText(text));
            QTest::keyClick(&about, Qt::Key_Return);  // OK
            EXPECT_FALSE(about.isVisible());
            EXPECT_EQ(about.result(), res::kCmdOk);
        });
        window_->command(res::kCmdAbout);
        return text;
    }

    // The titles the downloads dialog lists.
    QStringList downloadTitles() {
        QStringList titles;
        script_->then([&](QDialog& d) {
            auto& dialog = static_cast<DownloadsDialog&>(d);
            // 12 pixels, unless the platform's own text is larger.
            const QFont font = dialog.list()->font();
            EXPECT_GE(QFontMetrics(font).height(), QFontMetrics(QApplication::font()).height());
            EXPECT_TRUE(font.pixelSize() == 12 || font == QApplication::font());
            for (int i = 0; i < dialog.list()->count(); ++i) {
                titles << dialog.list()->item(i)->text();
            }
        });
        window_->openEntry(static_cast<int>(MainEntry::Downloads));
        return titles;
    }
};

const QString kAboutTail =
    u"主页:http://www.zelvan.cn\r\nwap访问:http://m.zelvan.cn/mp\r\n"
    u"\r\n数据仅供参考，请以当地火车站发布数据为准。\r\n\r\n"_s;

TEST_F(AboutAndDownloads, AboutTextWithAndWithoutVersionFile) {
    openWindow(timetableSource("", "2026.06.01\n"));
    // The days the timetable covers follow its version (T9 from 2000, G101 to 2040).
    const QString days = u"时刻表日期：2000年1月1日至2040年12月31日\r\n"_s;
    EXPECT_EQ(aboutBoxText(),
              u"Zelvan时刻表 v1.0-0317\r\n\r\n数据库版本:2026.06.01\n\r\n"_s + days + kAboutTail);
    // The version's own line break is not shown as an extra line.
    EXPECT_EQ(aboutDisplayText(aboutText(u"2026.06.01\n"_s)).section(u'\n', 2, 2),
              u"数据库版本:2026.06.01"_s);

    // A new database shows without a restart; without ver.txt the line ends after the colon.
    std::filesystem::remove(data_.path() / "ver.txt");
    EXPECT_EQ(aboutBoxText(),
              u"Zelvan时刻表 v1.0-0317\r\n\r\n数据库版本:\r\n"_s + days + kAboutTail);

    // No partner is configured, so there is no partner line; a configured one is shown.
    EXPECT_FALSE(aboutText(QString()).contains(u"合作伙伴"_s));
    EXPECT_TRUE(
        aboutText(QString(), u"http://m.partner.cn"_s)
            .contains(u"wap访问:http://m.zelvan.cn/mp\r\n合作伙伴:http://m.partner.cn\r\n\r\n"_s));
}

TEST_F(AboutAndDownloads, OnePairInAdsFileGivesTheBuiltInList) {
    openWindow(timetableSource("甲\thttp://m.zelvan.cn/mp/a\n"));
    QStringList titles = downloadTitles();
    ASSERT_EQ(titles.size(), 7);
    EXPECT_EQ(titles.first(), u"掌上词典"_s);
    EXPECT_EQ(titles.last(), u"Zelvan官方软件下载"_s);
}

TEST_F(AboutAndDownloads, TwoPairsAreShownAndEachTapOpensItsLink) {
    // The compiler accepts links into the product's site only: plant a foreign one directly.
    openWindow(timetableSource(), [&] {
        writeBytes(data_ / "ads.txt",
                   utf16File(u"甲 http://m.zelvan.cn/mp/a\r\n乙 http://elsewhere.example/b\r\n"));
    });
    QStringList titles;
    script_->then([&](QDialog& d) {
        auto& dialog = static_cast<DownloadsDialog&>(d);
        EXPECT_EQ(dialog.windowTitle(), u"欢迎下载手机软件"_s);
        QListWidget& list = *dialog.list();
        for (int i = 0; i < list.count(); ++i) titles << list.item(i)->text();

        // The first title is selected as it looks; "确定" without a selection does nothing.
        EXPECT_EQ(list.selectedItems().value(0), list.item(0));
        list.clearSelection();
        dialog.softKeys()->pressLeft();
        EXPECT_TRUE(links().empty());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(1)).center());
        list.setCurrentRow(0);
        dialog.softKeys()->pressLeft();
        EXPECT_TRUE(dialog.isVisible());  // stays open for another choice
        dialog.softKeys()->popupMenu()->actions().first()->trigger();  // "菜单", "返回"
        EXPECT_EQ(dialog.result(), res::kCmdBack);
    });
    window_->openEntry(static_cast<int>(MainEntry::Downloads));
    EXPECT_EQ(titles, (QStringList{u"甲"_s, u"乙"_s}));
    // A link into another site was replaced by the product's own site when the file was read.
    ASSERT_EQ(links().size(), 2u);
    EXPECT_EQ(links()[0].toString(), u"http://m.zelvan.cn/mp"_s);
    EXPECT_EQ(links()[1].toString(), u"http://m.zelvan.cn/mp/a"_s);
    EXPECT_EQ(context_.recommendedLinks.size(), 2u);
}

}  // namespace
}  // namespace zelvan::test
