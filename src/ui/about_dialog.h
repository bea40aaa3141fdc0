// The About box: program version and build, the installed database version, the product's
// addresses and the note that the data are for reference only.
#pragma once

#include <QString>

#include "res/configuration.h"
#include "ui/soft_key_dialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zelvan {

class TimetableDb;

// The about text for a database version text (as ver.txt gives it, line break included): nine
// lines, each ended by "\r\n"; eight when no partner address is configured (the partner line
// then goes rather than showing a placeholder). With `days` (daysText of the timetable's days,
// empty: none known) a line after the version says which days the timetable covers.
QString aboutText(const QString& databaseVersion,
                  const QString& partnerAddress =
                      QString::fromUtf16(res::kPartnerSiteAddress.data(),
                                         static_cast<qsizetype>(res::kPartnerSiteAddress.size())),
                  const QString& days = QString());
// The about text as a text field shows it: "\r\n" breaks a line, a stray "\r" or "\n" (the
// version's own line break) does not.
QString aboutDisplayText(const QString& text);

class AboutDialog : public SoftKeyDialog {
    Q_OBJECT

  public:
    // Reads the database version of `db`'s folder now, so a new database shows at once.
    AboutDialog(const TimetableDb& db, QWidget* owner);

    // The text as built, before display.
    const QString& text() const { return text_; }
    QPlainTextEdit* textField() const { return field_; }

    bool command(int id) override;

  protected:
    int escapeCommand() const override;
    // A change of language: the caption and the text in the new one.
    void changeEvent(QEvent* event) override;

  private:
    void setTexts();

    const TimetableDb& db_;
    QString text_;
    QLabel* notice_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPlainTextEdit* field_ = nullptr;
};

}  // namespace zelvan
