// "推荐下载": recommended software by title; choosing a title opens its download page and the
// dialog stays open for another choice.
#pragma once

#include <string>
#include <vector>

#include "ui/soft_key_dialog.h"

class QListWidget;

namespace zelvan {

class TimetableDb;
struct AppContext;

// Refills the context's recommended titles and links: the database's list when both lists are
// equally long with at least two entries, else the built-in list.
void chooseRecommendations(const TimetableDb& db, AppContext& context);

class DownloadsDialog : public SoftKeyDialog {
    Q_OBJECT

  public:
    DownloadsDialog(AppContext& context, const TimetableDb& db, QWidget* owner);

    QListWidget* list() const { return list_; }
    // Opens the link of the selected title; nothing without a selection.
    void openSelected();
    bool command(int id) override;

  protected:
    int escapeCommand() const override;
    // A change of language: the caption and the built-in titles in the new one.
    void changeEvent(QEvent* event) override;

  private:
    void openEntry(int index);

    AppContext& context_;
    QListWidget* list_ = nullptr;
};

}  // namespace zelvan
