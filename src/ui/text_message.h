// Sending a results table as a text message: the body holds the headings and every row, the
// subject is the view's caption; both go to the desktop's handler of "sms:" links.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QTableWidget;
class QWidget;

namespace zelvan {

// Headings, then every row; each cell followed by a tab, each line ended by a line feed.
QString messageBody(const QTableWidget& table);
// "sms:?body=...&subject=..." with both values percent-encoded.
QUrl messageUrl(const QString& body, const QString& subject);
// Hands body and subject to the text-message handler; when the desktop has none, shows the
// subject and the body in a box over `owner` from which they can be copied. The body is the
// lines of `notes` (the day of travel, what the markers and colours mean), each ended by a line
// feed, then messageBody of `table`.
void sendAsMessage(QWidget* owner, const QTableWidget& table, const QString& subject,
                   const QStringList& notes = {});

}  // namespace zelvan
