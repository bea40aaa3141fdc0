// What the UI tests share: a small compiled timetable, the main window over it, message boxes
// that record and answer, links that are recorded instead of opened, and helpers to read tables.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "test_files.h"
#include "ui/app_context.h"
#include "ui/dialog_script.h"
#include "ui/messages.h"

class QTableWidget;

// Readable failures: a text as its UTF-8.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zelvan {
class MainWindow;
class ResultsDialog;
class TimetableDb;
}  // namespace zelvan

namespace zelvan::test {

// Receives every http, https and sms link the program opens.
class LinkRecorder : public QObject {
    Q_OBJECT

  public:
    static void install(LinkRecorder* recorder);
    static LinkRecorder& current();
    std::vector<QUrl> urls;

  public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

// One message box as the program asked for it.
struct ShownMessage {
    QString caption;
    QString text;
    bool question = false;
    bool copyable = false;  // shown for copying (a link or message the platform kept)
};

// Records every message box and answers questions from a queue (No when it is empty).
class RecordingMessages : public MessageBoxes {
  public:
    RecordingMessages() { previous_ = setMessageBoxes(this); }
    ~RecordingMessages() override { setMessageBoxes(previous_); }

    void notify(QWidget*, const QString& caption, const QString& text, MessageIcon) override {
        shown.push_back({caption, text, false});
    }
    // The three-way question: Other when `chooseOther` is set (it is cleared then), else as
    // askYesNo answers. The third answer's text is kept in `otherAnswer`.
    Answer askYesNoOr(QWidget* owner, const QString& caption, const QString& text,
                      const QString& other) override {
        otherAnswer = other;
        if (!chooseOther) return askYesNo(owner, caption, text) ? Answer::Yes : Answer::No;
        chooseOther = false;
        shown.push_back({caption, text, true});
        return Answer::Other;
    }
    void showCopyable(QWidget*, const QString& caption, const QString& text) override {
        shown.push_back({caption, text, false, true});
    }
    bool askYesNo(QWidget*, const QString& caption, const QString& text) override {
        shown.push_back({caption, text, true});
        if (answers.empty()) return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<ShownMessage> shown;
    std::deque<bool> answers;
    bool chooseOther = false;
    QString otherAnswer;

  private:
    MessageBoxes* previous_ = nullptr;
};

// The test timetable's source files; `ads` and `version` replace ads.tsv and version.txt
// (absent when empty).
std::map<std::string, std::string> timetableSource(const std::string& ads = "",
                                                   const std::string& version = "2026.06.01\n");

// A compiled timetable, the main window over it and the recording doubles.
class UiTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Compiles `files` into the data folder, runs `adjust` on the compiled folder (to plant
    // files the compiler refuses to write) and opens the main window on it.
    void openWindow(const std::map<std::string, std::string>& files,
                    const std::function<void()>& adjust = {});
    // Compiles the sample timetable into the data folder and opens the main window on it.
    void openSample();

    // Runs 站站查询 for `from` -> `to` on 2026-06-01 with `views` as the steps of the views it
    // opens.
    void queryBetween(const QString& from, const QString& to,
                      std::vector<std::function<void(ResultsDialog&)>> views);

    TimetableDb& db();
    void openOnDataFolder();
    std::vector<QUrl>& links() { return LinkRecorder::current().urls; }

    TempDir data_;
    AppContext context_;
    RecordingMessages messages_;
    std::unique_ptr<DialogScript> script_;
    std::unique_ptr<MainWindow> window_;
};

// Texts of a table: one line per row, cells joined by "|".
QStringList tableLines(const QTableWidget& table);
// The train names in the first column, markers included.
QStringList firstColumn(const QTableWidget& table);
// The row whose first cell is `text`; -1 if none.
int rowOf(const QTableWidget& table, const QString& text);
// Double-clicks the cell at `row`, `column` as a mouse does: a click, then the double click.
void doubleClickCell(QTableWidget& table, int row, int column = 0);
// Every heading and cell of `table` fits its column as drawn (the style's text margins taken
// off), so that none is cut or elided; never elided either way.
void expectNothingElided(const QTableWidget& table);

}  // namespace zelvan::test
