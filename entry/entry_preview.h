#pragma once
// Shows the five texts of an entry, read-only, each under the entry window's caption: an earlier
// version, or a deleted entry, looked at before it is taken back.

#include <QTextEdit>

#include "statements.h"

class entry_preview : public QTextEdit {
    Q_OBJECT
public:
    explicit entry_preview(QWidget* parent = nullptr);

    void show_entry(const statements::entry_texts& entry);
    // A line in place of an entry ("Choose a version to see it.").
    void show_note(const QString& note);
};
