#pragma once
// Takes the embedded database's backups while the program runs, in a thread of their own so
// that the user never waits for one: when the program starts and closes unless the day has one
// already, and after every `saves_between` saves. A failure stops nothing: it is announced, and
// kept in a note beside the database until a backup succeeds, so the next start says it again.

#include <QDate>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QThread;

class backup_keeper : public QObject {
    Q_OBJECT
public:
    static constexpr int saves_between = 20;

    backup_keeper(QString database, QString folder, QObject* parent = nullptr);
    // Waits for a backup under way.
    ~backup_keeper() override;

    const QString& database() const { return database_file; }
    const QString& folder() const { return backup_folder; }

    // What an earlier run could not back up; empty when its last backup succeeded.
    QString earlier_failure() const;

    // At start and at close: a backup unless `today` has one.
    void daily(QDate today = QDate::currentDate());
    // After a save; every saves_between-th makes a backup.
    void note_save(QDate today = QDate::currentDate());
    // Returns once no backup is under way (at close, before the session goes).
    void wait();

signals:
    // A backup ended: where it went, or why it failed (failed true).
    void finished(const QString& text, bool failed);

private:
    void start(QDate day);
    void conclude();
    QString note_file() const;

    QString database_file;
    QString backup_folder;
    int saves = 0;
    QThread* worker = nullptr;
    // Another backup was asked for while one was under way.
    std::optional<QDate> queued;
    struct result;
    std::shared_ptr<result> running;
};
