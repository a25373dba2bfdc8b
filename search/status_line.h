#pragma once
// The search window's status line: on the left what the last search came to, after the change
// made just before it ("Entry 42 saved · 3 entries"); at the right end the data source the
// program is connected to, shortened in the middle when the line is too short for it.

#include <QStatusBar>
#include <QString>

class QLabel;

class status_line : public QStatusBar {
    Q_OBJECT
public:
    explicit status_line(QWidget* parent = nullptr);

    // A save or a delete; told with the outcome of the refresh that follows it.
    void note_change(const QString& what);
    // Something gone wrong beside the searches (a failed backup): shown at once, and again in
    // front of the next outcome.
    void note_trouble(const QString& what);
    // Shows what a search came to: a count, or why nothing is listed (the whole message in the
    // tooltip, as a database's message can be long and run over several lines).
    void show_outcome(const QString& outcome, bool failed);
    // The data source's description; an empty one hides it.
    void show_source(const QString& description);

    QLabel* source_label() const { return source; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fit_source();

    QLabel* source = nullptr;
    QString source_text;
    QString change;
    QString trouble;
};
