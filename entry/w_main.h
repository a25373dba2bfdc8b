#pragma once
// The entry window: shows one FAQ entry so that the user can read, change and save it, or an
// empty form for a new entry. There is one entry window, held in the application's w_main.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <utility>

#include "entry_page.h"
#include "statements.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class multiline_edit;
class application;
class field_marks;

class w_main : public QWidget {
    Q_OBJECT
public:
    // Creates the controls and runs the open event with the parameter in app.message->StringParm:
    // an entry number loads that entry, anything else opens a new, numbered entry.
    explicit w_main(application& app, QWidget* parent = nullptr);

    // Opens the window again for the parameter now in app.message->StringParm: clears the
    // fields, then loads or numbers as on opening. The window keeps its place on the screen.
    void open_entry();

    // Loads entry broj into the fields and makes it the application's current entry.
    // Returns 0, or the negative SQLCode of a failure (reported to the user).
    std::int16_t prikazifaq(std::int16_t broj);
    // The largest stored number plus one; no value for an empty table; -27008 when no number
    // can be given (reported to the user).
    std::optional<std::int16_t> novibroj();

    void cb_save_clicked();
    void cb_close_clicked();
    // Lists the earlier versions of the stored entry the window shows; a version the user takes
    // replaces the texts in the fields, for Save to store.
    void cb_history_clicked();
    // Prints the entry as the window shows it, through the print dialog (which also saves PDF).
    void cb_print_clicked();
    // The entry as Print… puts it on paper: the texts on screen, with its number and the date it
    // was stored under (today's for a new entry).
    entry_page::entry printed_entry() const;
    // Puts a version's texts into the fields; the number and the stored entry stay as they are.
    void take_version(const statements::entry_texts& version);

    // The user changed the texts since the window opened its entry (an edit that was undone is
    // no change).
    bool has_unsaved_changes() const;
    // The window holds the stored entry that an opening parameter names.
    bool shows_stored_entry(const QString& entry_parm) const;

    // Controls, in creation order.
    QLineEdit* sle_rbr = nullptr;
    QPushButton* cb_save = nullptr;
    QPushButton* cb_edit = nullptr;
    QLabel* st_odgovor = nullptr;
    QLineEdit* em_lot = nullptr;
    QLabel* st_lot = nullptr;
    QLineEdit* em_proizvod = nullptr;
    QLabel* st_pr = nullptr;
    QLabel* st_qu = nullptr;
    QLabel* st_ko = nullptr;
    multiline_edit* mle_adresa = nullptr;
    QPushButton* cb_close = nullptr;
    QGroupBox* gb_ram = nullptr;
    multiline_edit* mle_odgovor = nullptr;
    multiline_edit* mle_question = nullptr;
    // Beyond the form's own controls: the history of the entry, in the free space at the bottom
    // left (Ctrl+H).
    QPushButton* cb_history = nullptr;
    // The search's marks in the five fields of an entry opened from the result list (F3 and
    // Shift+F3 go from one to the next).
    field_marks* marks_shown = nullptr;
    // Beside it: printing the entry (Ctrl+P).
    QPushButton* cb_print = nullptr;

signals:
    // The entry is stored and committed under number rbr, just before the window closes.
    void saved(int rbr);

private:
    void create();
    // What the entry window has beyond its designed controls: History… and Print…, the
    // captions named for screen readers, the search's marks and the keys.
    void create_added_buttons();
    void name_fields_for_readers();
    void create_marks();
    void create_shortcuts();
    void set_tab_order();
    void open_event();
    // Loads the entry named by the parameter, or numbers a new one.
    void load_parameter();
    void clear_fields();
    // novibroj's ways out: the failure box (-27008), and the lowest free number when nothing is
    // left above the largest one.
    std::int16_t numbering_failed();
    std::int16_t lowest_free_number();
    // The history button: on for a stored entry.
    void show_history_state();
    void show_entry(const statements::entry_texts& entry);
    statements::entry_texts shown_texts() const;
    // What Save writes: the shown texts, with the NULLs the user left untouched.
    statements::entry_texts texts_to_write() const;

    // A fresh number for the entry, written to sle_rbr; no value (after the message) if none.
    std::optional<std::int16_t> number_entry();

    application& app;
    QString parm;
    // The number in sle_rbr is that of a row this window loaded; otherwise the window holds a
    // new entry, which must never overwrite a row another client stored under its number.
    bool holds_stored_entry = false;
    // The entry as the database held it when this window loaded it (empty for a new entry).
    statements::entry_texts stored_version;
    // The texts as the controls showed them right after the window opened its entry.
    statements::entry_texts opened_texts;
    // The number and texts of a new entry whose commit failed; it may have been stored all the same.
    std::optional<std::pair<std::int16_t, statements::entry_texts>> unconfirmed_insert;
};
