#include "ui/about_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/product.h"
#include "db/timetable_db.h"
#include "res/configuration.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/icon.h"
#include "ui/qt_text.h"
#include "update/version.h"

namespace zelvan {
namespace {

// The text is formatted into a buffer of 512 units, terminator included.
constexpr int kAboutTextLimit = 511;

}  // namespace

QString aboutText(const QString& databaseVersion, const QString& partnerAddress) {
    const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    text += QCoreApplication::translate("zelvan", "Zelvan时刻表 v") + toQString(kProgramVersion) +
            u'-' + toQString(kProgramBuild) + lineEnd;
    text += lineEnd;
    text += QCoreApplication::translate("zelvan", "数据库版本:") + databaseVersion + lineEnd;
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

AboutDialog::AboutDialog(const TimetableDb& db, QWidget* owner) : SoftKeyDialog(0, owner) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(shown(res::kCaptionAbout));
    body()->setContentsMargins(12, 12, 12, 12);
    body()->setSpacing(8);

    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setProperty("controlId", res::kIdAboutIcon);
    picture->setPixmap(appIcon().pixmap(32, 32));
    top->addWidget(picture);
    top->addStretch(1);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ok->button(QDialogButtonBox::Ok)->setText(QCoreApplication::translate("zelvan", "确定"));
    connect(ok, &QDialogButtonBox::accepted, this, [this] { command(res::kCmdOk); });
    top->addWidget(ok);
    body()->addLayout(top);

    std::u16string version;
    db.readDatabaseVersion(version);
    text_ = aboutText(toQString(version));
    field_ = new QPlainTextEdit(aboutDisplayText(text_), this);
    field_->setProperty("controlId", res::kIdAboutText);
    field_->setReadOnly(true);
    field_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    body()->addWidget(field_, 1);

    auto* notice = new QLabel(shown(res::kOwnerNotice), this);
    notice->setProperty("controlId", res::kIdAboutNotice);
    body()->addWidget(notice);
    ok->button(QDialogButtonBox::Ok)->setFocus();
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
