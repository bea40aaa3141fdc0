// The results view: one table per answer, captioned by its question and, for the trains, how
// many run that day. A click selects a row; a double click, the action key or "查看" opens its
// nested view (a train's stops, a station's trains, both legs of a transfer, or a journey's
// legs); "返回" closes the view and restores the mode of the view beneath. The trains that do
// not run that day stand behind a switch; clicking a heading sorts this table by that column.
// Ctrl+C copies the rows chosen, "短消息" shares the rows shown, each with the question and
// the day on top.
#pragma once

#include "fare/result_table.h"
#include "ui/results_table.h"
#include "ui/soft_key_dialog.h"

class QCheckBox;
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
    // The table's first columns (the train and its time), kept in view over its left edge
    // while it scrolls sideways.
    QTableView* frozenColumn() const { return frozen_; }
    // The caption again over the table, wrapped: a narrow window's title bar cuts it.
    QLabel* captionLine() const { return captionLine_; }
    // The line over the table: the day of travel, the time the list starts from and what the
    // row markers mean (hidden for the candidate transfer stations, which hold no trains).
    QLabel* dateLine() const { return dateLine_; }
    // The line under it: what the rows' colours mean (hidden where they mean nothing), or for a
    // train's stops on which days the train runs.
    QLabel* legendLine() const { return legendLine_; }
    // The switch that shows the trains that do not run that day below the others; hidden where
    // there are none (and where no train runs, which shows them anyway).
    QCheckBox* notRunningSwitch() const { return notRunningSwitch_; }
    ResultMode mode() const { return mode_; }
    ResultMode returnMode() const { return returnMode_; }
    // The order the table shows.
    const TableSort& sort() const { return view_.sort; }
    // What the table shows: counts, statuses, colours.
    const ShownRows& shownRows() const { return shown_; }

    // Opens the nested view for row `index` of the table (-1: nothing).
    void openRow(int index);
    // Sorts by column `column` as a click on its heading does: by its key, then reversed, then
    // in the order the query found them (for this view only). A column that does not sort
    // leaves the table as it is.
    void sortByColumn(int column);
    // Shows or hides the trains that do not run that day, as the switch does; the choice is
    // remembered for the views opened later.
    void showNotRunning(bool show);
    // What the view shares: the question and the day, then the headings and the rows (the
    // rows chosen when `chosenOnly` or when several are chosen; otherwise the rows shown, for
    // a station's trains the next ones from the time asked for), each cell followed by a tab.
    QString sharedText(bool chosenOnly) const;
    // Hands the rows shown to the text-message handler (sharedText).
    void sendAsMessage();
    // Ctrl+C: the rows chosen, with the question, the day and the headings, to the clipboard.
    void copyChosenRows() const;
    // "加入日历": writes the ride of table row `index` (a train, or a journey with all its
    // legs; in a journey's legs the whole journey) as an iCalendar file into the calendar
    // folder, then offers to open it with the desktop's calendar. Says so when the row is no
    // ride or the file cannot be written.
    void addToCalendar(int index);
    bool command(int id) override;

    // At most this many trains go into a station's message: the next ones.
    static constexpr int kMessageTrains = 20;

  protected:
    int escapeCommand() const override;
    void finish(int result) override;
    // A change of language: the caption, the lines, the switch and the table take its texts.
    void changeEvent(QEvent* event) override;

  private:
    // The first cell of table row `index`, as read back from the table.
    QString firstCell(int index) const;
    int selectedRow() const;
    // The table rows chosen, in table order.
    std::vector<int> chosenRows() const;
    // The position in its list of the row shown at table row `index` (the table may be sorted).
    int listIndex(int index) const;
    // The row of the list a table row of trains shows; null for another table.
    const ResultRow* rowAt(int index) const;
    // Fills the table afresh from the results, the selected entry staying selected.
    void fillTable();
    // Sets the caption, the lines and the switch from what the table shows.
    void setTexts();
    // Selects the first train at or after the time asked for and scrolls it to the top.
    void scrollToFromTime();
    // Opens a nested view of `mode` over this one.
    void openNested(ResultMode mode);

    ResultContext& results_;
    TimetableDb& db_;
    ResultMode mode_;
    ResultMode returnMode_;
    int date_ = 0;          // the day of travel the rows were found for
    int fromMinutes_ = -1;  // the time the list opened at
    // What this view shows, as it was when it opened: the lists of `results_` are refilled by
    // the views opened over it.
    ResultContext data_;
    TableView view_;
    ShownRows shown_;
    QTableWidget* table_ = nullptr;
    QLabel* captionLine_ = nullptr;
    QLabel* dateLine_ = nullptr;
    QLabel* legendLine_ = nullptr;
    QCheckBox* notRunningSwitch_ = nullptr;
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
