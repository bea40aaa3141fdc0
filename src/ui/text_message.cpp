#include "ui/text_message.h"

#include <QCoreApplication>
#include <QTableWidget>

#include "ui/links.h"
#include "ui/messages.h"
#include "ui/qt_text.h"

namespace zelvan {
namespace {

QString headingText(const QTableWidget& table, int column) {
    const QTableWidgetItem* item = table.horizontalHeaderItem(column);
    return item ? item->text().left(kControlTextLimit) : QString();
}

QString cellText(const QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item ? item->text().left(kControlTextLimit) : QString();
}

}  // namespace

QString messageBody(const QTableWidget& table) {
    const int columns = table.columnCount();
    QString body;
    for (int c = 0; c < columns; ++c) body += headingText(table, c) + u'\t';
    body += u'\n';
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < columns; ++c) body += cellText(table, r, c) + u'\t';
        body += u'\n';
    }
    return body;
}

QUrl messageUrl(const QString& body, const QString& subject) {
    // Every byte outside the unreserved set is encoded, so tabs, line feeds, "&", "+" and "="
    // in the texts cannot break the query apart.
    QByteArray encoded = "sms:?body=" + QUrl::toPercentEncoding(body) +
                         "&subject=" + QUrl::toPercentEncoding(subject);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

void sendAsMessage(QWidget* owner, const QTableWidget& table, const QString& subject,
                   const QStringList& notes) {
    QString body;
    for (const QString& note : notes) body += note + u'\n';
    body += messageBody(table);
    const QString cut = subject.left(kControlTextLimit);
    if (!openUrl(messageUrl(body, cut))) {
        showCopyable(owner, QCoreApplication::translate("zelvan", "短消息"), cut + u'\n' + body);
    }
}

}  // namespace zelvan
