// The results view: one table per answer, captioned by its mode. Choosing a row opens a nested
// view (a train's stops, a station's trains, both legs of a transfer, or a journey's legs);
// "返回" closes the view and restores the mode of the view beneath.
#pragma once

#include "fare/result_table.h"
#include "ui/soft_key_dialog.h"

class QLabel;
class QTableWidget;

namespace zelvan {

class TimetableDb;
struct ResultContext;

class ResultsDialog : public SoftKeyDialog {
    Q_OBJECT

  public:
    // Shows `results.mode` as it is now; closing restores `results.returnMode` as it is now.
    ResultsDialog(ResultContext& results, TimetableDb& db, QWidget* owner);

    QTableWidget* table() const { return table_; }
    // The line over the table: the day of travel and what the row markers mean (hidden for the
    // candidate transfer stations, which hold no trains).
    QLabel* dateLine() const { return dateLine_; }
    ResultMode mode() const { return mode_; }
    ResultMode returnMode() const { return returnMode_; }

    // Opens the nested view for row `index` of the table (-1: nothing).
    void openRow(int index);
    // Hands the whole table to the text-message handler.
    void sendAsMessage();
    bool command(int id) override;

  protected:
    int escapeCommand() const override;
    void finish(int result) override;

  private:
    // The first cell of table row `index`, as read back from the table.
    QString firstCell(int index) const;
    int selectedRow() const;
    // Opens a nested view of `mode` over this one.
    void openNested(ResultMode mode);

    ResultContext& results_;
    TimetableDb& db_;
    ResultMode mode_;
    ResultMode returnMode_;
    QTableWidget* table_ = nullptr;
    QLabel* dateLine_ = nullptr;
};

// Opens the view of `results.mode` modally over `owner`; returns when it closes. The view
// restores `returnMode` when it closes.
int showResults(QWidget* owner, ResultContext& results, TimetableDb& db, ResultMode returnMode);

// "换乘方案": finds the journeys from `results.fromName` to `results.toName` on the database's
// day of travel and opens their view over `owner` (restoring `returnMode` when it closes); with
// none, says "没有查到相关结果" and returns false.
bool showJourneys(QWidget* owner, ResultContext& results, TimetableDb& db, ResultMode returnMode);

}  // namespace zelvan
