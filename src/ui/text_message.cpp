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
    return item ? item->text().trimmed().left(kControlTextLimit) : QString();
}

QString cellText(const QTableWidget& table, int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item ? item->text().left(kControlTextLimit) : QString();
}

// One line of the cells of `row` (-1: the headings) in the columns shown.
QString line(const QTableWidget& table, int row) {
    QString text;
    for (int c = 0; c < table.columnCount(); ++c) {
        if (table.isColumnHidden(c)) continue;
        text += (row < 0 ? headingText(table, c) : cellText(table, row, c)) + u'\t';
    }
    return text + u'\n';
}

}  // namespace

QString messageBody(const QTableWidget& table) {
    std::vector<int> rows;
    for (int r = 0; r < table.rowCount(); ++r) rows.push_back(r);
    return sharedTableText(table, {}, rows);
}

QString sharedTableText(const QTableWidget& table, const QStringList& head,
                        const std::vector<int>& rows) {
    QString text;
    for (const QString& note : head) text += note + u'\n';
    text += line(table, -1);
    for (const int r : rows) {
        if (r >= 0 && r < table.rowCount()) text += line(table, r);
    }
    return text;
}

QUrl messageUrl(const QString& body, const QString& subject) {
    // Every byte outside the unreserved set is encoded, so tabs, line feeds, "&", "+" and "="
    // in the texts cannot break the query apart.
    QByteArray encoded = "sms:?body=" + QUrl::toPercentEncoding(body) +
                         "&subject=" + QUrl::toPercentEncoding(subject);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

void sendAsMessage(QWidget* owner, const QString& body, const QString& subject) {
    const QString cut = subject.left(kControlTextLimit);
    if (!openUrl(messageUrl(body, cut))) {
        showCopyable(owner, QCoreApplication::translate("zelvan", "短消息"), cut + u'\n' + body);
    }
}

}  // namespace zelvan
