// The About box: program version and build, the installed database version, the product's
// addresses and the note that the data are for reference only.
#pragma once

#include <QString>

#include "res/configuration.h"
#include "ui/soft_key_dialog.h"

class QPlainTextEdit;

namespace zelvan {

class TimetableDb;

// The about text for a database version text (as ver.txt gives it, line break included): nine
// lines, each ended by "\r\n"; eight when no partner address is configured (the partner line
// then goes rather than showing a placeholder).
QString aboutText(const QString& databaseVersion,
                  const QString& partnerAddress =
                      QString::fromUtf16(res::kPartnerSiteAddress.data(),
                                         static_cast<qsizetype>(res::kPartnerSiteAddress.size())));
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

  private:
    QString text_;
    QPlainTextEdit* field_ = nullptr;
};

}  // namespace zelvan
