#include "status_line.h"

#include <QLabel>

status_line::status_line(QWidget* parent) : QStatusBar(parent)
{
    source = new QLabel(this);
    source->setObjectName(QStringLiteral("st_source"));
    addPermanentWidget(source);
    source->hide();
}

void status_line::note_change(const QString& what) { change = what; }

void status_line::note_trouble(const QString& what)
{
    trouble = what;
    showMessage(what.simplified());
    setToolTip(what);
}

void status_line::show_outcome(const QString& outcome, bool failed)
{
    // The change goes first: a long failure message must not push it out of sight.
    QString text = change.isEmpty() ? outcome : change + QStringLiteral(" · ") + outcome;
    if (!trouble.isEmpty()) {
        text = trouble + QStringLiteral(" · ") + text;
        failed = true;
    }
    change.clear();
    trouble.clear();
    showMessage(text.simplified());
    setToolTip(failed ? text : QString());
}

void status_line::show_source(const QString& description)
{
    source_text = description;
    fit_source();
}

void status_line::resizeEvent(QResizeEvent* event)
{
    QStatusBar::resizeEvent(event);
    fit_source();
}

void status_line::fit_source()
{
    // Three fifths of the line at most: the rest is for the count and the last change.
    const int room = width() * 3 / 5;
    source->setText(source->fontMetrics().elidedText(source_text, Qt::ElideMiddle, room));
    source->setToolTip(source_text);
    source->setVisible(!source_text.isEmpty());
}
