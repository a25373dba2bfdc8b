#pragma once
// What a change the user makes (save, delete, restore) came to: the one answer every change
// gives its window. A failure carries the title of the statement that failed and the
// database's message; the window shows the two in its message box.

#include <QString>

struct change_outcome {
    enum class result {
        saved,            // stored and committed under `rbr`
        deleted,          // deleted and committed
        restored,         // back under `rbr`
        cancelled,        // nothing changed: the user said no, or was already told why
        already_restored, // restored before, under `rbr`
        not_deleted,      // no deletion has this version
        no_number_left,   // its number is taken and the numbering has none left
        failed,           // `title` and `text` say what failed
    };
    result what = result::failed;
    int rbr = 0;
    bool under_old_number = false;
    QString title;
    QString text;

    bool failed() const { return what == result::failed; }
    static change_outcome of(result what, int rbr = 0) { return {what, rbr, false, QString(), QString()}; }
    static change_outcome failure(const QString& title, const QString& text)
    {
        return {result::failed, 0, false, title, text};
    }
};
