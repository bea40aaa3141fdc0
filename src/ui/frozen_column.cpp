#include "ui/frozen_column.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>

namespace zelvan {
namespace {

// Places the frozen view over the first column, its heading included, as the table lays out.
void placeFrozen(QTableWidget& table, QTableView& frozen) {
    const int frame = table.frameWidth();
    frozen.setGeometry(frame, frame, table.columnWidth(0) + frozen.frameWidth() * 2,
                       table.viewport()->height() + table.horizontalHeader()->height());
}

// Re-lays the frozen view when the table changes size.
class FrozenPlacer final : public QObject {
  public:
    FrozenPlacer(QTableWidget& table, QTableView& frozen)
        : QObject(&frozen), table_(table), frozen_(frozen) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &table_ &&
            (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)) {
            placeFrozen(table_, frozen_);
        }
        return false;
    }

  private:
    QTableWidget& table_;
    QTableView& frozen_;
};

}  // namespace

void syncFrozenColumn(QTableWidget& table, QTableView& frozen) {
    const int columns = table.columnCount();
    for (int c = 0; c < columns; ++c) frozen.setColumnHidden(c, c != 0);
    frozen.setVisible(columns > 1);
    if (columns == 0) return;
    frozen.setColumnWidth(0, table.columnWidth(0));
    frozen.verticalHeader()->setDefaultSectionSize(table.verticalHeader()->defaultSectionSize());
    frozen.horizontalHeader()->setFixedHeight(table.horizontalHeader()->height());
    frozen.setShowGrid(table.showGrid());
    frozen.setWordWrap(table.wordWrap());
    frozen.setTextElideMode(table.textElideMode());
    frozen.setSelectionBehavior(table.selectionBehavior());
    frozen.setSelectionMode(table.selectionMode());
    frozen.setEditTriggers(table.editTriggers());
    const QHeaderView* header = table.horizontalHeader();
    QHeaderView* frozenHeader = frozen.horizontalHeader();
    frozenHeader->setSectionsClickable(header->sectionsClickable());
    frozenHeader->setHighlightSections(false);
    frozenHeader->setFont(header->font());
    frozenHeader->setSortIndicatorShown(header->isSortIndicatorShown());
    frozenHeader->setSortIndicator(header->sortIndicatorSection(), header->sortIndicatorOrder());
    frozen.clearSpans();
    for (int r = 0; r < table.rowCount(); ++r) {
        if (table.columnSpan(r, 0) > 1) frozen.setSpan(r, 0, 1, table.columnSpan(r, 0));
    }
    frozen.verticalScrollBar()->setValue(table.verticalScrollBar()->value());
    placeFrozen(table, frozen);
}

QTableView* freezeFirstColumn(QTableWidget& table) {
    auto* frozen = new QTableView(&table);
    frozen->setObjectName(QStringLiteral("frozenColumn"));
    frozen->setModel(table.model());
    frozen->setSelectionModel(table.selectionModel());
    // The table keeps the keyboard; the frozen column is only looked at and clicked.
    frozen->setFocusPolicy(Qt::NoFocus);
    frozen->verticalHeader()->hide();
    frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Both scroll by pixels, so that their rows stay level at every position.
    table.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    frozen->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table.viewport()->stackUnder(frozen);

    QObject::connect(frozen->verticalScrollBar(), &QAbstractSlider::valueChanged,
                     table.verticalScrollBar(), &QAbstractSlider::setValue);
    QObject::connect(table.verticalScrollBar(), &QAbstractSlider::valueChanged,
                     frozen->verticalScrollBar(), &QAbstractSlider::setValue);
    QObject::connect(table.horizontalHeader(), &QHeaderView::sectionResized, frozen,
                     [&table, frozen](int column, int, int) {
                         if (column == 0) syncFrozenColumn(table, *frozen);
                     });
    QObject::connect(table.verticalHeader(), &QHeaderView::sectionResized, frozen,
                     [frozen](int row, int, int size) { frozen->setRowHeight(row, size); });
    QObject::connect(table.model(), &QAbstractItemModel::columnsInserted, frozen,
                     [&table, frozen] { syncFrozenColumn(table, *frozen); });
    QObject::connect(frozen, &QAbstractItemView::doubleClicked, &table,
                     [&table](const QModelIndex& index) {
                         emit table.cellDoubleClicked(index.row(), index.column());
                     });
    QObject::connect(
        frozen->horizontalHeader(), &QHeaderView::sectionClicked, &table,
        [&table](int column) { emit table.horizontalHeader()->sectionClicked(column); });
    table.installEventFilter(new FrozenPlacer(table, *frozen));
    syncFrozenColumn(table, *frozen);
    return frozen;
}

}  // namespace zelvan
