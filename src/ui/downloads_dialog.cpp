#include "ui/downloads_dialog.h"

#include <QEvent>
#include <QFontMetrics>
#include <QListWidget>
#include <QVBoxLayout>

#include "db/timetable_db.h"
#include "res/configuration.h"
#include "res/resource_ids.h"
#include "res/texts.h"
#include "ui/action_key.h"
#include "ui/app_context.h"
#include "ui/links.h"
#include "ui/qt_text.h"

namespace zelvan {

void chooseRecommendations(const TimetableDb& db, AppContext& context) {
    context.recommendedTitles.clear();
    context.recommendedLinks.clear();
    // A single entry is taken for a leftover, not a list: the built-in list is shown instead.
    if (db.adTitles.size() >= 2 && db.adTitles.size() == db.adLinks.size()) {
        context.recommendedTitles = db.adTitles;
        context.recommendedLinks = db.adLinks;
        return;
    }
    for (const res::Recommendation& entry : res::builtInRecommendations()) {
        context.recommendedTitles.emplace_back(entry.title);
        context.recommendedLinks.emplace_back(entry.link);
    }
}

DownloadsDialog::DownloadsDialog(AppContext& context, const TimetableDb& db, QWidget* owner)
    : SoftKeyDialog(res::kMenuBarDownloads, owner), context_(context) {
    setObjectName(QStringLiteral("downloadsDialog"));
    setWindowTitle(shown(res::kCaptionDownloads));
    list_ = new QListWidget(this);
    list_->setProperty("controlId", res::kIdDownloadsList);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // 12 pixels on the handheld; never smaller than the platform's own text.
    QFont font = list_->font();
    font.setPixelSize(12);
    if (QFontMetrics(font).height() < QFontMetrics(list_->font()).height()) font = list_->font();
    list_->setFont(font);
    body()->setContentsMargins(8, 8, 8, 8);
    body()->addWidget(list_);

    chooseRecommendations(db, context_);
    for (const std::u16string& title : context_.recommendedTitles) list_->addItem(shown(title));
    // What looks selected is selected.
    list_->setCurrentRow(0);
    connect(list_, &QListWidget::clicked, this,
            [this](const QModelIndex& index) { openEntry(index.row()); });
    onActionKey(list_, [this](int row) { openEntry(row); });
    list_->setFocus();
}

void DownloadsDialog::openSelected() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (!selected.isEmpty()) openEntry(list_->row(selected.first()));
}

void DownloadsDialog::openEntry(int index) {
    if (index < 0 || index >= static_cast<int>(context_.recommendedLinks.size())) return;
    const QString title = index < static_cast<int>(context_.recommendedTitles.size())
                              ? shown(context_.recommendedTitles[index])
                              : windowTitle();
    openLinkOrShow(this, title, toQString(context_.recommendedLinks[index]));
}

bool DownloadsDialog::command(int id) {
    switch (id) {
        case res::kCmdOk:
        case res::kCmdLeftKey:
            openSelected();
            return false;
        case res::kCmdCancel:
        case res::kCmdAbort:
        case res::kCmdBack:
            finish(id);
            return true;
        default:
            return false;
    }
}

int DownloadsDialog::escapeCommand() const {
    return res::kCmdBack;
}

void DownloadsDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && list_) {
        setWindowTitle(shown(res::kCaptionDownloads));
        for (int i = 0; i < list_->count(); ++i) {
            if (static_cast<std::size_t>(i) < context_.recommendedTitles.size()) {
                list_->item(i)->setText(
                    shown(context_.recommendedTitles[static_cast<std::size_t>(i)]));
            }
        }
    }
    SoftKeyDialog::changeEvent(event);
}

}  // namespace zelvan
