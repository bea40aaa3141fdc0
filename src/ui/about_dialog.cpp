#include "ui/about_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/product.h"
#include "db/timetable_days.h"
#include "db/timetable_db.h"
#include "res/configuration.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/icon.h"
#include "ui/locale_formats.h"
#include "ui/qt_text.h"
#include "update/version.h"

namespace zelvan {
namespace {

// The text is formatted into a buffer of 512 units, terminator included.
constexpr int kAboutTextLimit = 511;

}  // namespace

QString aboutText(const QString& databaseVersion, const QString& partnerAddress,
                  const QString& days) {
    const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    text += QCoreApplication::translate("zelvan", "Zelvan时刻表 v") + toQString(kProgramVersion) +
            u'-' + toQString(kProgramBuild) + lineEnd;
    text += lineEnd;
    text += QCoreApplication::translate("zelvan", "数据库版本:") + databaseVersion + lineEnd;
    if (!days.isEmpty()) {
        text += QCoreApplication::translate("zelvan", "时刻表日期：%1").arg(days) + lineEnd;
    }
    text += QCoreApplication::translate("zelvan", "主页:") + toQString(kHomepageAddress) + lineEnd;
    text +=
        QCoreApplication::translate("zelvan", "wap访问:") + toQString(kMobileSiteAddress) + lineEnd;
    if (!partnerAddress.trimmed().isEmpty()) {
        text += QCoreApplication::translate("zelvan", "合作伙伴:") + partnerAddress + lineEnd;
    }
    text += lineEnd;
    text += QCoreApplication::translate("zelvan", "数据仅供参考，请以当地火车站发布数据为准。") +
            lineEnd;
    text += lineEnd;
    return text.left(kAboutTextLimit);
}

QString aboutDisplayText(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            shown += u'\n';
            ++i;
        } else if (text[i] != u'\r' && text[i] != u'\n') {
            shown += text[i];
        }
    }
    return shown;
}

AboutDialog::AboutDialog(const TimetableDb& db, QWidget* owner) : SoftKeyDialog(0, owner), db_(db) {
    setObjectName(QStringLiteral("aboutDialog"));
    body()->setContentsMargins(12, 12, 12, 12);
    body()->setSpacing(8);

    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setProperty("controlId", res::kIdAboutIcon);
    picture->setPixmap(appIcon().pixmap(32, 32));
    top->addWidget(picture);
    top->addStretch(1);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(ok, &QDialogButtonBox::accepted, this, [this] { command(res::kCmdOk); });
    top->addWidget(ok);
    body()->addLayout(top);

    field_ = new QPlainTextEdit(this);
    field_->setProperty("controlId", res::kIdAboutText);
    field_->setReadOnly(true);
    field_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    body()->addWidget(field_, 1);

    notice_ = new QLabel(this);
    notice_->setProperty("controlId", res::kIdAboutNotice);
    body()->addWidget(notice_);
    ok_ = ok->button(QDialogButtonBox::Ok);
    setTexts();
    ok_->setFocus();
}

void AboutDialog::setTexts() {
    setWindowTitle(shown(res::kCaptionAbout));
    std::u16string version;
    db_.readDatabaseVersion(version);
    text_ = aboutText(toQString(version), toQString(res::kPartnerSiteAddress),
                      localDays(timetableDays(db_)));
    field_->setPlainText(aboutDisplayText(text_));
    notice_->setText(shown(res::kOwnerNotice));
    ok_->setText(QCoreApplication::translate("zelvan", "确定"));
}

void AboutDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && field_) setTexts();
    SoftKeyDialog::changeEvent(event);
}

bool AboutDialog::command(int id) {
    if (id == res::kCmdOk) {
        finish(id);
        return true;
    }
    return false;
}

int AboutDialog::escapeCommand() const {
    return res::kCmdOk;
}

}  // namespace zelvan
