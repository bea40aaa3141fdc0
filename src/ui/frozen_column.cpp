#include "ui/frozen_column.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <algorithm>

namespace zelvan {
namespace {

// How many of the first columns stay in view: the table's "frozenColumns" (default 1), never
// all of them.
int frozenCount(const QTableWidget& table) {
    const int asked = std::max(table.property("frozenColumns").toInt(), 1);
    return std::min(asked, std::max(table.columnCount() - 1, 1));
}

// The width of the frozen columns shown.
int frozenWidth(const QTableWidget& table) {
    int width = 0;
    for (int c = 0; c < frozenCount(table); ++c) {
        if (!table.isColumnHidden(c)) width += table.columnWidth(c);
    }
    return width;
}

// Places the frozen view over the first columns, their headings included, as the table lays out.
void placeFrozen(QTableWidget& table, QTableView& frozen) {
    const int frame = table.frameWidth();
    frozen.setGeometry(frame, frame, frozenWidth(table) + frozen.frameWidth() * 2,
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
    const int count = frozenCount(table);
    for (int c = 0; c < columns; ++c) {
        frozen.setColumnHidden(c, c >= count || table.isColumnHidden(c));
    }
    frozen.setVisible(columns > 1);
    if (columns == 0) return;
    for (int c = 0; c < count; ++c) frozen.setColumnWidth(c, table.columnWidth(c));
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
        // A span's first cell names it; the cells it covers are skipped.
        for (int c = 0; c < count;) {
            const int span = table.columnSpan(r, c);
            if (span > 1) frozen.setSpan(r, c, 1, span);
            c += std::max(span, 1);
        }
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
                         if (column < frozenCount(table)) syncFrozenColumn(table, *frozen);
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
