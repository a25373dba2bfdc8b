#include "w_main.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <limits>

#include "application.h"
#include "centring.h"
#include "dynamic_cursor.h"
#include "enter_key.h"
#include "entry_number.h"
#include "field_marks.h"
#include "multiline_edit.h"
#include "platform.h"
#include "w_history.h"

namespace {

QFont arial_10() { return platform::font(QStringLiteral("Arial"), 10); }
QFont times_12() { return platform::font(QStringLiteral("Times New Roman"), 12); }

template <typename Control>
Control* make(QWidget* window, const char* name, const QFont& font, int x, int y, int width, int height)
{
    auto* control = new Control(window);
    control->setObjectName(QLatin1String(name));
    control->setFont(font);
    platform::place(control, x, y, width, height);
    return control;
}

// Product and LOT are read and written as plain text of any length: the database holds
// texts longer than the form was drawn for, and cutting them would lose data on save.
void no_length_limit(QLineEdit* edit) { edit->setMaxLength(std::numeric_limits<int>::max()); }

// The selection stays visible while the focus is elsewhere.
void keep_selection_visible(QWidget* edit)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    edit->setPalette(palette);
}

std::int16_t as_code(long sqlcode)
{
    return static_cast<std::int16_t>(std::clamp<long>(sqlcode, std::numeric_limits<std::int16_t>::min(), -1));
}

} // namespace

w_main::w_main(application& application_object, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      app(application_object)
{
    // Closing the window deletes it, which clears the application's w_main.
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("w_main"));
    setWindowTitle(QStringLiteral("QUARNEX - ZEMLO Technical Services"));
    platform::resize_in_units(this, 3721, 2132);
    setFixedSize(size());
    parm = app.message->StringParm;
    create();
    open_event();
}

void w_main::create()
{
    sle_rbr = make<QLineEdit>(this, "sle_rbr", arial_10(), 1280, 1136, 183, 112);
    sle_rbr->setVisible(false);

    cb_save = make<QPushButton>(this, "cb_save", arial_10(), 2720, 1804, 411, 108);
    cb_save->setText(QStringLiteral("Save"));
    connect(cb_save, &QPushButton::clicked, this, &w_main::cb_save_clicked);

    cb_edit = make<QPushButton>(this, "cb_edit", arial_10(), 119, 1804, 411, 108);
    cb_edit->setText(QStringLiteral("Edit FAQ"));
    cb_edit->setVisible(false);

    st_odgovor = make<QLabel>(this, "st_odgovor", times_12(), 119, 644, 411, 60);
    st_odgovor->setText(QStringLiteral("Notes:"));

    em_lot = make<QLineEdit>(this, "em_lot", arial_10(), 535, 396, 681, 80);
    no_length_limit(em_lot);

    st_lot = make<QLabel>(this, "st_lot", arial_10(), 119, 400, 411, 80);
    st_lot->setText(QStringLiteral("LOT:"));

    em_proizvod = make<QLineEdit>(this, "em_proizvod", arial_10(), 535, 524, 2601, 80);
    no_length_limit(em_proizvod);

    st_pr = make<QLabel>(this, "st_pr", arial_10(), 114, 524, 411, 80);
    st_pr->setText(QStringLiteral("Product:"));

    st_qu = make<QLabel>(this, "st_qu", arial_10(), 1435, 92, 411, 60);
    st_qu->setText(QStringLiteral("Question:"));

    st_ko = make<QLabel>(this, "st_ko", arial_10(), 119, 84, 411, 60);
    st_ko->setText(QStringLiteral("Keywords:"));

    mle_adresa = make<multiline_edit>(this, "mle_adresa", arial_10(), 110, 188, 1230, 160);
    mle_adresa->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    cb_close = make<QPushButton>(this, "cb_close", arial_10(), 3191, 1804, 411, 108);
    cb_close->setText(QStringLiteral("Close"));
    connect(cb_close, &QPushButton::clicked, this, &w_main::cb_close_clicked);

    // The frame around the form stays behind the controls it frames.
    gb_ram = make<QGroupBox>(this, "gb_ram", arial_10(), 41, 24, 3621, 1948);
    gb_ram->lower();

    mle_odgovor = make<multiline_edit>(this, "mle_odgovor", times_12(), 119, 748, 3470, 980);
    mle_odgovor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    keep_selection_visible(mle_odgovor);

    mle_question = make<multiline_edit>(this, "mle_question", arial_10(), 1435, 188, 2153, 292);
    mle_question->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    keep_selection_visible(mle_question);

    create_history_and_print();
    set_tab_order();
    set_keys();
}

void w_main::create_history_and_print()
{
    // Beside the hidden "Edit FAQ", in the row of Save and Close.
    cb_history = make<QPushButton>(this, "cb_history", arial_10(), 585, 1804, 411, 108);
    cb_history->setText(QStringLiteral("History…"));
    connect(cb_history, &QPushButton::clicked, this, &w_main::cb_history_clicked);

    // Beside "History…", in the same row.
    cb_print = make<QPushButton>(this, "cb_print", arial_10(), 1051, 1804, 411, 108);
    cb_print->setText(QStringLiteral("Print…"));
    cb_print->setAccessibleName(QStringLiteral("Print"));
    cb_print->setToolTip(QStringLiteral("Print the entry, or save it as a PDF file (Ctrl+P)"));
    connect(cb_print, &QPushButton::clicked, this, &w_main::cb_print_clicked);
}

void w_main::set_keys()
{
    // Each caption names its field for a screen reader.
    st_ko->setBuddy(mle_adresa);
    st_qu->setBuddy(mle_question);
    st_lot->setBuddy(em_lot);
    st_pr->setBuddy(em_proizvod);
    st_odgovor->setBuddy(mle_odgovor);
    marks_shown = new field_marks({{mle_adresa, QStringLiteral("adresa")},
                                   {mle_question, QStringLiteral("pitanje")},
                                   {em_lot, QStringLiteral("lot")},
                                   {em_proizvod, QStringLiteral("proizvod")},
                                   {mle_odgovor, QStringLiteral("odgovor")}},
                                  this);
    auto* next_mark = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(next_mark, &QShortcut::activated, marks_shown, &field_marks::next);
    auto* previous_mark = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(previous_mark, &QShortcut::activated, marks_shown, &field_marks::previous);

    // Enter presses the focused button; in the text boxes it stays a line break. Ctrl+S saves
    // from anywhere in the window, Ctrl+H shows the entry's history.
    platform::press_with_enter(cb_save);
    platform::press_with_enter(cb_close);
    platform::press_with_enter(cb_history);
    platform::press_with_enter(cb_print);
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(save, &QShortcut::activated, cb_save, &QPushButton::click);
    auto* history = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(history, &QShortcut::activated, cb_history, &QPushButton::click);
    auto* print = new QShortcut(QKeySequence(QKeySequence::Print), this);
    connect(print, &QShortcut::activated, cb_print, &QPushButton::click);
}

void w_main::set_tab_order()
{
    const QList<QWidget*> order{mle_adresa, mle_question, em_lot,   em_proizvod, mle_odgovor, cb_edit,
                                cb_save,    sle_rbr,      cb_close, cb_history,  cb_print};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    mle_adresa->setFocus();
}

void w_main::open_event()
{
    platform::centre_window(this);
    load_parameter();
}

void w_main::open_entry()
{
    parm = app.message->StringParm;
    clear_fields();
    load_parameter();
}

void w_main::load_parameter()
{
    const std::int16_t broj = platform::to_integer(parm);
    if (broj > 0)
        prikazifaq(broj);
    else
        sle_rbr->setText(entry_number::window_text(novibroj()));
    // The marks of the search that listed the entry; a new entry has none.
    marks_shown->show(holds_stored_entry ? app.entry_marks : marks::rule{});
    app.entry_marks = {};
    marks_shown->scroll_to_first(mle_odgovor);
    opened_texts = shown_texts();
    show_history_state();
}

void w_main::show_history_state()
{
    // A new entry has no earlier versions; a stored one may have.
    cb_history->setEnabled(holds_stored_entry);
    cb_history->setToolTip(holds_stored_entry ? QStringLiteral("The earlier versions of this entry (Ctrl+H)")
                                              : QStringLiteral("A new entry has no earlier versions."));
}

void w_main::cb_history_clicked()
{
    if (!holds_stored_entry)
        return;
    w_history dialog(app, platform::to_integer(sle_rbr->text()), this);
    if (!dialog.load())
        return;
    if (dialog.exec() == QDialog::Accepted && dialog.taken())
        take_version(*dialog.taken());
}

void w_main::take_version(const statements::entry_texts& version)
{
    show_entry(version);
    marks_shown->show_again();
    mle_adresa->setFocus();
}

bool w_main::has_unsaved_changes() const { return !statements::same_texts(shown_texts(), opened_texts); }

bool w_main::shows_stored_entry(const QString& entry_parm) const
{
    const std::int16_t broj = platform::to_integer(entry_parm);
    return holds_stored_entry && broj > 0 && platform::to_integer(sle_rbr->text()) == broj;
}

void w_main::clear_fields()
{
    holds_stored_entry = false;
    stored_version = {};
    unconfirmed_insert.reset();
    sle_rbr->clear();
    show_entry(statements::entry_texts{});
    mle_adresa->setFocus();
}

void w_main::show_entry(const statements::entry_texts& entry)
{
    mle_adresa->set_text(entry.adresa);
    mle_question->set_text(entry.pitanje);
    em_proizvod->setText(entry.proizvod);
    em_lot->setText(entry.lot);
    mle_odgovor->set_text(entry.odgovor);
}

statements::entry_texts w_main::shown_texts() const
{
    return statements::entry_texts{mle_adresa->text(), mle_question->text(), em_proizvod->text(), em_lot->text(),
                                   mle_odgovor->text()};
}

std::int16_t w_main::prikazifaq(std::int16_t broj)
{
    app.rbr = broj;
    const QString ls_select_string = statements::load_statement(app.rbr);
    transaction& sqlca = *app.sqlca;
    dynamic_cursor dyn_cursor(sqlca, *app.sqlsa);
    dyn_cursor.prepare(ls_select_string);
    dyn_cursor.open();
    if (sqlca.failed()) {
        const std::int16_t code = as_code(sqlca.SQLCode);
        show_failure(QStringLiteral("DataBase Error!"), sqlca);
        return code;
    }
    statements::entry_texts row;
    while (sqlca.succeeded()) {
        dyn_cursor.fetch(row);
        if (sqlca.succeeded()) {
            // With several rows under one number, the last one fetched stays in the fields.
            sle_rbr->setText(platform::to_text(app.rbr));
            show_entry(row);
            stored_version = row;
            holds_stored_entry = true;
        } else if (sqlca.failed()) {
            const std::int16_t code = as_code(sqlca.SQLCode);
            show_failure(QStringLiteral("DataBase Error"), sqlca);
            dyn_cursor.close();
            return code;
        }
    }
    dyn_cursor.close();
    return 0;
}

std::optional<std::int16_t> w_main::novibroj()
{
    std::optional<int> broj = 0;
    statements::select_max_rbr(*app.sqlca, broj);
    if (!app.sqlca->succeeded())
        return numbering_failed();
    const entry_number::next_number next = entry_number::after(broj);
    if (next.exhausted)
        return lowest_free_number();
    return next.number;
}

std::int16_t w_main::numbering_failed()
{
    platform::message_box(QStringLiteral("Error"), QStringLiteral("Database error. NewID failed."),
                          app.sqlca->SQLErrText);
    return entry_number::numbering_failed;
}

std::int16_t w_main::lowest_free_number()
{
    // A number at the end of the range (stray, or put in by another program) leaves nothing
    // above it; the numbers below it may still be free.
    std::optional<int> free;
    statements::select_lowest_free_rbr(*app.sqlca, free);
    if (!app.sqlca->succeeded())
        return numbering_failed();
    if (!free || *free < entry_number::first || *free > entry_number::last) {
        platform::message_box(
            QStringLiteral("Error"),
            QStringLiteral("No entry number is left: entry numbers end at %1.").arg(entry_number::last));
        return entry_number::numbering_failed;
    }
    app.show_status(QStringLiteral("An entry is numbered %1 or higher: the new entry takes the lowest free number, %2.")
                        .arg(entry_number::last)
                        .arg(*free));
    return static_cast<std::int16_t>(*free);
}

void w_main::cb_close_clicked() { close(); }
