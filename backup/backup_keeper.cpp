#include "backup_keeper.h"

#include <QFile>
#include <QThread>
#include <algorithm>

#include "backup_folder.h"

struct backup_keeper::result {
    backup_folder::outcome outcome;
};

backup_keeper::backup_keeper(QString database, QString folder, QObject* parent)
    : QObject(parent), database_file(std::move(database)), backup_folder(std::move(folder))
{
}

backup_keeper::~backup_keeper()
{
    queued.reset();
    wait();
}

QString backup_keeper::note_file() const { return database_file + QStringLiteral(".backup-failed"); }

QString backup_keeper::earlier_failure() const
{
    QFile note(note_file());
    return note.open(QIODevice::ReadOnly) ? QString::fromUtf8(note.readAll()).trimmed() : QString();
}

void backup_keeper::daily(QDate today)
{
    const std::vector<QDate> made = backup_folder::days(database_file, backup_folder);
    if (std::find(made.begin(), made.end(), today) == made.end())
        start(today);
}

void backup_keeper::note_save(QDate today)
{
    if (++saves < saves_between)
        return;
    saves = 0;
    start(today);
}

void backup_keeper::start(QDate day)
{
    if (worker != nullptr) {
        queued = day;
        return;
    }
    running = std::make_shared<result>();
    worker = QThread::create([job = running, database = database_file, folder = backup_folder, day] {
        job->outcome = backup_folder::make(database, folder, day);
    });
    connect(worker, &QThread::finished, this, &backup_keeper::conclude);
    worker->start(QThread::LowPriority);
}

void backup_keeper::wait()
{
    while (worker != nullptr) {
        worker->wait();
        conclude();
    }
}

void backup_keeper::conclude()
{
    if (worker == nullptr || !worker->isFinished())
        return; // already concluded by wait()
    delete worker;
    worker = nullptr;
    const backup_folder::outcome outcome = running->outcome;
    running.reset();
    if (outcome.ok) {
        QFile::remove(note_file());
    } else {
        QFile note(note_file());
        if (note.open(QIODevice::WriteOnly | QIODevice::Truncate))
            note.write(outcome.text.toUtf8());
    }
    emit finished(outcome.text, !outcome.ok);
    if (queued) {
        const QDate day = *queued;
        queued.reset();
        start(day);
    }
}
