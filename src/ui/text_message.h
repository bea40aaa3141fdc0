// Sharing what a view shows: as the body of a text message (its subject the view's caption),
// handed to the desktop's handler of "sms:" links, or copied. The text is the question and the
// day, then the headings and the rows, each cell followed by a tab and each line by a line feed.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

class QTableWidget;
class QWidget;

namespace zelvan {

// Headings, then every row; each cell followed by a tab, each line ended by a line feed. Only
// the columns shown; the headings without the spaces that pad them.
QString messageBody(const QTableWidget& table);
// `head` (the question, the day), each line ended by a line feed, then the headings and the
// table rows `rows` as messageBody has them.
QString sharedTableText(const QTableWidget& table, const QStringList& head,
                        const std::vector<int>& rows);
// "sms:?body=...&subject=..." with both values percent-encoded.
QUrl messageUrl(const QString& body, const QString& subject);
// Hands body and subject to the text-message handler; when the desktop has none, shows the
// subject and the body in a box over `owner` from which they can be copied.
void sendAsMessage(QWidget* owner, const QString& body, const QString& subject);

}  // namespace zelvan
