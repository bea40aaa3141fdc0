// The results view: one table per answer, captioned by its mode. A click selects a row; a
// double click, the action key or "查看" opens its nested view (a train's stops, a station's
// trains, both legs of a transfer, or a journey's legs); "返回" closes the view and restores the
// mode of the view beneath. Clicking a heading sorts the table by that column.
#pragma once

#include "fare/result_table.h"
#include "ui/soft_key_dialog.h"

class QLabel;
class QTableView;
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
    // The table's first column, kept in view over its left edge while it scrolls sideways.
    QTableView* frozenColumn() const { return frozen_; }
    // The line over the table: the day of travel and what the row markers mean (hidden for the
    // candidate transfer stations, which hold no trains).
    QLabel* dateLine() const { return dateLine_; }
    // The line under it: what the rows' colours mean (hidden where they mean nothing), or for a
    // train's stops on which days the train runs.
    QLabel* legendLine() const { return legendLine_; }
    ResultMode mode() const { return mode_; }
    ResultMode returnMode() const { return returnMode_; }

    // Opens the nested view for row `index` of the table (-1: nothing).
    void openRow(int index);
    // Sorts by column `column` as a click on its heading does: by its key, then reversed, then
    // in the listed order again; the choice holds for every view of the kind opened later. A
    // column that does not sort leaves the table as it is.
    void sortByColumn(int column);
    // Hands the whole table to the text-message handler, after the date and legend lines.
    void sendAsMessage();
    // "加入日历": writes the ride of table row `index` (a train, or a journey with all its
    // legs; in a journey's legs the whole journey) as an iCalendar file into the calendar
    // folder, then offers to open it with the desktop's calendar. Says so when the row is no
    // ride or the file cannot be written.
    void addToCalendar(int index);
    bool command(int id) override;

  protected:
    int escapeCommand() const override;
    void finish(int result) override;

  private:
    // The first cell of table row `index`, as read back from the table.
    QString firstCell(int index) const;
    int selectedRow() const;
    // The position in its list of the row shown at table row `index` (the table may be sorted).
    int listIndex(int index) const;
    // Fills the table afresh from the results, the selected entry staying selected.
    void fillTable();
    // Opens a nested view of `mode` over this one.
    void openNested(ResultMode mode);

    ResultContext& results_;
    TimetableDb& db_;
    ResultMode mode_;
    ResultMode returnMode_;
    QTableWidget* table_ = nullptr;
    QLabel* dateLine_ = nullptr;
    QLabel* legendLine_ = nullptr;
    QTableView* frozen_ = nullptr;
};

// Opens the view of `results.mode` modally over `owner`; returns when it closes. The view
// restores `returnMode` when it closes.
int showResults(QWidget* owner, ResultContext& results, TimetableDb& db, ResultMode returnMode);

// Finds the journeys from `results.fromName` to `results.toName` on the database's day of
// travel with `results.journeyOptions` (arriving by a time: latest departure first) and opens
// their view over `owner` (restoring `returnMode` when it closes); with none, says
// "没有查到相关结果" and returns false.
bool showJourneys(QWidget* owner, ResultContext& results, TimetableDb& db, ResultMode returnMode);

}  // namespace zelvan
