// One running program per user: a later start asks the running one to come forward and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace zelvan {

class SingleInstance : public QObject {
    Q_OBJECT

  public:
    explicit SingleInstance(QString key = defaultKey(), QObject* parent = nullptr);

    // True when no other instance answers under the key: this one now listens for later starts.
    // False when one answered; it has been asked to come forward and told `dataFolder`, the
    // timetable this start was asked for (empty: none in particular).
    bool claim(const QString& dataFolder = QString());
    // The key of the current user's instance.
    static QString defaultKey();

  signals:
    // A later start asked this instance to come forward; `dataFolder` is the timetable it was
    // asked for (empty: none in particular).
    void activationRequested(const QString& dataFolder);

  private:
    QString key_;
    QLocalServer* server_ = nullptr;
};

}  // namespace zelvan
