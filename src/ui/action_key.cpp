#include "ui/action_key.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace zelvan {
namespace {

class ActionKeyFilter final : public QObject {
  public:
    ActionKeyFilter(QAbstractItemView* view, std::function<void(int)> choose)
        : QObject(view), view_(view), choose_(std::move(choose)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                key->key() == Qt::Key_Select) {
                QModelIndex current = view_->currentIndex();
                bool selected = current.isValid() && view_->selectionModel()->isSelected(current);
                choose_(selected ? current.row() : -1);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QAbstractItemView* view_;
    std::function<void(int)> choose_;
};

}  // namespace

void onActionKey(QAbstractItemView* view, std::function<void(int row)> choose) {
    view->installEventFilter(new ActionKeyFilter(view, std::move(choose)));
}

}  // namespace zelvan
