#pragma once
// A list to choose from, the chosen row's entry shown whole beneath it, and two buttons: one
// that acts on the chosen row (the default, also a double click) and Close. The history of an
// entry and the deleted entries are both such a window.

#include <QDialog>
#include <QSize>
#include <QStringList>
#include <cstddef>
#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class entry_preview;

class list_preview : public QDialog {
    Q_OBJECT
public:
    // What tells one such window from another.
    struct setup {
        QString object_name;
        QString title;
        QString list_name;       // the list's objectName
        QString list_accessible; // and its name for a screen reader
        QStringList columns;
        QString preview_caption;
        QString action_text; // the button that acts on the chosen row
        QString action_name;
        QString action_tip;
        int preview_stretch = 2; // the preview's share of the height, against the list's 2
        QSize size;
    };

    QLabel* st_info = nullptr;
    QTableWidget* list = nullptr;
    entry_preview* mle_preview = nullptr;
    QPushButton* cb_action = nullptr;
    QPushButton* cb_close = nullptr;

protected:
    list_preview(const setup& how, QWidget* parent);

    // Shows the highlighted row in the preview.
    virtual void show_chosen() = 0;
    // The action on the highlighted row.
    virtual void act() = 0;

    // The highlighted row among `rows`; none when no row is highlighted.
    std::optional<std::size_t> chosen_row(std::size_t rows) const;
    // A list with nothing to choose: the note says why, Close is the default.
    void show_empty(const QString& note);
    // A cell whose tooltip shows it whole (or says `tip`).
    static QTableWidgetItem* cell(const QString& text, const QString& tip = QString());
};
