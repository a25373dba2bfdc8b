#include "w_search.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <algorithm>
#include <limits>
#include <optional>

#include "application.h"
#include "centring.h"
#include "data_source.h"
#include "dw_pretraga.h"
#include "enter_key.h"
#include "entry_delete.h"
#include "platform.h"
#include "result_list_view.h"
#include "search_marks.h"
#include "search_statement.h"
#include "statements.h"
#include "status_line.h"
#include "uo_srch1.h"
#include "w_deleted.h"
#include "w_words.h"

namespace {

constexpr int window_width = 3735;
constexpr int window_height = 2132;

QPushButton* make_button(QWidget* parent, const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // No default button: Enter presses a button only while it has the focus (in a search text
    // it searches).
    button->setAutoDefault(false);
    button->setDefault(false);
    platform::press_with_enter(button);
    return button;
}

// A list number makes an entry current only when it is a 16-bit entry number (1 to 32767).
std::int16_t current_entry_from(std::optional<int> number)
{
    if (!number || *number < 1 || *number > std::numeric_limits<std::int16_t>::max())
        return 0;
    return static_cast<std::int16_t>(*number);
}

// A name a screen reader reads for a drop-down list. On Linux Qt gives a drop-down list's value
// as its name, and takes what it is from the label tied to it: a label that stays hidden here,
// as the layout has none.
void name_list(QComboBox* list, const QString& name)
{
    list->setAccessibleName(name);
    auto* label = new QLabel(name, list->parentWidget());
    label->setBuddy(list);
    label->hide();
}

// The two criterion controls look alike: the window names their children after the row they
// stand in, so that a screen reader tells them apart.
void name_criterion(uo_srch1& criterion, const QString& text, const QString& field, const QString& connector)
{
    criterion.sle_trazi->setAccessibleName(text);
    name_list(criterion.ddlb_polje, field);
    name_list(criterion.ddlb_veza, connector);
}

QString entries_text(long rows)
{
    if (rows == 0)
        return QStringLiteral("No entries");
    if (rows == 1)
        return QStringLiteral("1 entry");
    return QStringLiteral("%1 entries").arg(rows);
}

} // namespace

w_search::w_search(application& application_object, QWidget* parent) : QWidget(parent), app(application_object)
{
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("w_search"));
    setWindowTitle(QStringLiteral("QUARNEX - ZEMLO Technical Services"));
    setFont(platform::font(QStringLiteral("Arial"), 10));
    platform::resize_in_units(this, window_width, window_height);
    create_controls();
    create_status_line();
    connect_handlers();
    create_shortcuts();
    open();
    // A failed connection is not reported at start-up; the status line shows it quietly.
    if (!app.sqlca->connected())
        show_search_outcome(-1);
    show_data_source();
}

void w_search::create_status_line()
{
    // Below the group box, inside the window's own height; kept along the bottom edge when the
    // window is resized.
    st_status = new status_line(this);
    st_status->setObjectName(QStringLiteral("st_status"));
    st_source = st_status->source_label();
    place_status_line();
}

void w_search::place_status_line()
{
    const int line_height = st_status->sizeHint().height();
    st_status->setGeometry(0, height() - line_height, width(), line_height);
}

void w_search::fit_to_size()
{
    // Growth beyond the layout's size; a smaller window shrinks the list down to a quarter.
    const QSize growth = size() - QSize(platform::units_to_px_x(window_width), platform::units_to_px_y(window_height));
    const auto grown = [&](const QRect& designed) {
        return QRect(designed.topLeft(), QSize(std::max(designed.width() / 4, designed.width() + growth.width()),
                                               std::max(designed.height() / 4, designed.height() + growth.height())));
    };
    gb_1->setGeometry(grown(gb_1_designed));
    dw_search->setGeometry(grown(dw_search_designed));
    place_status_line();
}

void w_search::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (st_status != nullptr)
        fit_to_size();
}

void w_search::show_connecting() { st_status->show_outcome(QStringLiteral("Connecting…"), false); }

void w_search::show_connection()
{
    if (!app.sqlca->connected())
        show_search_outcome(-1);
    else
        st_status->show_outcome(QString(), false);
    show_data_source();
}

void w_search::show_data_source()
{
    // The data source stays the same for the whole run: the driver is asked once connected.
    if (source_text.isEmpty() && app.sqlca->connected()) {
        if (const std::optional<data_source::facts> source = data_source::of(*app.sqlca))
            source_text = data_source::describe(*source);
    }
    st_status->show_source(app.sqlca->connected() ? source_text : QString());
}

void w_search::show_search_outcome(long rows)
{
    QString text;
    if (rows >= 0)
        text = entries_text(rows);
    else if (!app.sqlca->connected())
        text = QStringLiteral("Not connected: ") + app.sqlca->SQLErrText;
    else
        text = QStringLiteral("Search failed: ") + app.sqlca->SQLErrText;
    st_status->show_outcome(text, rows < 0);
    show_data_source();
}

void w_search::entry_saved(int rbr)
{
    st_status->note_change(QStringLiteral("Entry %1 saved").arg(rbr));
    cb_search_clicked();
}

void w_search::deleted_entries()
{
    w_deleted dialog(app, this);
    if (!dialog.load() || dialog.exec() != QDialog::Accepted || !dialog.restore())
        return;
    const w_deleted::restored& back = *dialog.restore();
    if (back.rbr == back.old_rbr) {
        st_status->note_change(QStringLiteral("Entry %1 restored").arg(back.rbr));
    } else {
        st_status->note_change(QStringLiteral("Entry %1 restored as entry %2").arg(back.old_rbr).arg(back.rbr));
        platform::message_box(QStringLiteral("Entry restored"),
                              QStringLiteral("Another entry carries number %1 now, so the restored entry came back as "
                                             "entry %2.")
                                  .arg(back.old_rbr)
                                  .arg(back.rbr));
    }
    cb_search_clicked();
}

void w_search::create_controls()
{
    gb_1 = new QGroupBox(QStringLiteral("Search FAQ database"), this);
    gb_1->setObjectName(QStringLiteral("gb_1"));
    platform::place(gb_1, 82, 48, 3529, 1908);

    uo_prvi = new uo_srch1(this);
    uo_prvi->setObjectName(QStringLiteral("uo_prvi"));
    platform::place(uo_prvi, 101, 168, 3488, platform::height_in_units(uo_prvi));

    uo_drugi = new uo_srch1(this);
    uo_drugi->setObjectName(QStringLiteral("uo_drugi"));
    platform::place(uo_drugi, 101, 336, 3488, platform::height_in_units(uo_drugi));
    name_criterion(*uo_prvi, QStringLiteral("First search text"), QStringLiteral("Field of the first criterion"),
                   QStringLiteral("Connector"));
    name_criterion(*uo_drugi, QStringLiteral("Second search text"), QStringLiteral("Field of the second criterion"),
                   QStringLiteral("Connector of the second criterion"));

    cb_search = make_button(this, QStringLiteral("cb_search"), QStringLiteral("Search"));
    platform::place(cb_search, 3122, 484, 411, 108);
    cb_delete = make_button(this, QStringLiteral("cb_delete"), QStringLiteral("Delete"));
    platform::place(cb_delete, 622, 484, 411, 108);
    cb_view = make_button(this, QStringLiteral("cb_view"), QStringLiteral("View"));
    platform::place(cb_view, 155, 484, 411, 108);

    dw_search = new result_list_view(this);
    dw_search->setObjectName(QStringLiteral("dw_search"));
    dw_search->setAccessibleName(QStringLiteral("Search results"));
    platform::place(dw_search, 155, 652, 3378, 1256);
    pretraga = new dw_pretraga(this);
    pretraga->setObjectName(QStringLiteral("dw_pretraga"));
    pretraga->set_up_view(*dw_search);
    // In a wider window the question column takes the room the list gains.
    dw_search->fill_width_with(dw_pretraga::pitanje_column);

    cb_new = make_button(this, QStringLiteral("cb_new"), QStringLiteral("New FAQ"));
    platform::place(cb_new, 1088, 484, 411, 108);
    cb_close = make_button(this, QStringLiteral("cb_close"), QStringLiteral("Close"));
    platform::place(cb_close, 1554, 484, 411, 108);

    // The group box frames everything and stays behind: created first, it is the lowest sibling.
    gb_1->lower();
    gb_1_designed = gb_1->geometry();
    dw_search_designed = dw_search->geometry();
    set_tab_order();
}

void w_search::set_tab_order()
{
    // Tab order: first criterion, second criterion, View, Delete, New FAQ, Close, Search, list.
    const QList<QWidget*> chain = {uo_prvi->sle_trazi,
                                   uo_prvi->ddlb_polje,
                                   uo_prvi->ddlb_veza,
                                   uo_drugi->sle_trazi,
                                   uo_drugi->ddlb_polje,
                                   uo_drugi->ddlb_veza,
                                   cb_view,
                                   cb_delete,
                                   cb_new,
                                   cb_close,
                                   cb_search,
                                   dw_search};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void w_search::connect_handlers()
{
    connect(cb_search, &QPushButton::clicked, this, &w_search::cb_search_clicked);
    connect(cb_delete, &QPushButton::clicked, this, &w_search::cb_delete_clicked);
    connect(cb_view, &QPushButton::clicked, this, &w_search::cb_view_clicked);
    connect(cb_new, &QPushButton::clicked, this, &w_search::cb_new_clicked);
    connect(cb_close, &QPushButton::clicked, this, &w_search::cb_close_clicked);
    // Enter in either search text searches, exactly as the Search button does.
    connect(uo_prvi->sle_trazi, &QLineEdit::returnPressed, this, &w_search::cb_search_clicked);
    connect(uo_drugi->sle_trazi, &QLineEdit::returnPressed, this, &w_search::cb_search_clicked);
    connect(dw_search, &QTableView::clicked, this,
            [this](const QModelIndex& index) { dw_search_clicked(index.row() + 1); });
    connect(dw_search, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { dw_search_doubleclicked(index.row() + 1); });
    // Enter on the focused row opens it exactly as a double-click on it; Delete in the list is
    // the Delete button.
    connect(dw_search, &result_list_view::enter_pressed, this, &w_search::dw_search_doubleclicked);
    connect(dw_search, &result_list_view::delete_pressed, this, &w_search::cb_delete_clicked);
    // Clicks that hit no row (header, empty area) reach the handlers as row 0.
    dw_search->viewport()->installEventFilter(this);
    dw_search->horizontalHeader()->viewport()->installEventFilter(this);
}

void w_search::create_shortcuts()
{
    // Undelete, beside the specified controls: the list's context menu and a key for the window.
    act_deleted = new QAction(QStringLiteral("Deleted entries…"), this);
    act_deleted->setObjectName(QStringLiteral("act_deleted"));
    act_deleted->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    act_deleted->setShortcutContext(Qt::WindowShortcut);
    connect(act_deleted, &QAction::triggered, this, &w_search::deleted_entries);
    addAction(act_deleted);
    dw_search->addAction(act_deleted);
    act_words = new QAction(QStringLiteral("Find words…"), this);
    act_words->setObjectName(QStringLiteral("act_words"));
    act_words->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    act_words->setShortcutContext(Qt::WindowShortcut);
    connect(act_words, &QAction::triggered, this, &w_search::find_words);
    addAction(act_words);
    dw_search->addAction(act_words);
    act_export = new QAction(QStringLiteral("Export listed entries…"), this);
    act_export->setObjectName(QStringLiteral("act_export"));
    act_export->setToolTip(QStringLiteral("Write the entries the list shows to a CSV file"));
    connect(act_export, &QAction::triggered, this, &w_search::export_listed);
    dw_search->addAction(act_export);
    dw_search->setContextMenuPolicy(Qt::ActionsContextMenu);

    auto* new_entry = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
    connect(new_entry, &QShortcut::activated, cb_new, &QPushButton::click);
    auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(find, &QShortcut::activated, this, [this] {
        uo_prvi->sle_trazi->setFocus(Qt::ShortcutFocusReason);
        uo_prvi->sle_trazi->selectAll();
    });
}

void w_search::open()
{
    app.rbr = 0;
    centriraj_prozor(this);
    uo_prvi->izaberi_tip(7);                // "Question"
    uo_drugi->ddlb_veza->setVisible(false); // the first criterion's connector joins the two
    uo_drugi->izaberi_tip(2);               // "All"
}

void w_search::centriraj_prozor(QWidget* prozor) { platform::centre_window(prozor); }

bool w_search::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool double_click = event->type() == QEvent::MouseButtonDblClick;
    if ((press || double_click) && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const bool on_header = watched == dw_search->horizontalHeader()->viewport();
        const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
        // Clicks on a row come through the view's clicked and doubleClicked signals.
        if (on_header || !dw_search->indexAt(position).isValid()) {
            if (press)
                dw_search_clicked(0);
            else
                dw_search_doubleclicked(0);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void w_search::choose_row(int row)
{
    dw_search->clearSelection();
    if (row > 0 && row <= pretraga->rowCount()) {
        const QModelIndex index = pretraga->index(row - 1, 0);
        dw_search->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // A null number, or one outside 1..32767, makes no entry current.
        app.rbr = current_entry_from(pretraga->item_number(row));
    } else {
        app.rbr = 0;
    }
}

std::int16_t w_search::highlighted_entry() const
{
    const QModelIndexList rows = dw_search->selectionModel()->selectedRows();
    if (rows.size() != 1)
        return 0;
    return current_entry_from(pretraga->item_number(rows.first().row() + 1));
}

void w_search::dw_search_clicked(int row) { choose_row(row); }

void w_search::dw_search_doubleclicked(int row)
{
    choose_row(row);
    if (row > 0 && app.rbr > 0) {
        app.entry_marks = listed_marks;
        app.open_w_main(platform::to_text(app.rbr));
    }
}

void w_search::cb_search_clicked()
{
    const QString statement = search::compose(search::criteria_reader{
        [this] { return uo_prvi->sle_trazi->text(); }, [this] { return uo_prvi->ddlb_polje->currentText(); },
        [this] { return uo_drugi->sle_trazi->text(); }, [this] { return uo_drugi->ddlb_polje->currentText(); },
        [this] { return uo_prvi->ddlb_veza->currentText(); }});
    pretraga->set_trans_object(*app.sqlca);
    pretraga->set_sql_select(statement);
    // A statement the database rejects leaves the list empty; the user is told why.
    const long rows = pretraga->retrieve();
    listed_marks = rows < 0 ? marks::rule{}
                            : search::marks_for({uo_prvi->sle_trazi->text(), uo_prvi->ddlb_polje->currentText(),
                                                 uo_drugi->sle_trazi->text(), uo_drugi->ddlb_polje->currentText(),
                                                 uo_prvi->ddlb_veza->currentText()});
    dw_search->show_marks(listed_marks, {{dw_pretraga::proizvod_column, QStringLiteral("proizvod")},
                                         {dw_pretraga::pitanje_column, QStringLiteral("pitanje")}});
    show_search_outcome(rows);
    if (rows < 0)
        show_failure(QStringLiteral("Search"), *app.sqlca);
}

void w_search::find_words()
{
    if (!words_window)
        words_window = new w_words(app, this);
    words_window->show();
    words_window->raise();
    words_window->activateWindow();
    words_window->sle_words->setFocus(Qt::ShortcutFocusReason);
    words_window->sle_words->selectAll();
}

void w_search::cb_view_clicked()
{
    if (app.rbr > 0) {
        app.entry_marks = listed_marks;
        app.open_w_main(platform::to_text(app.rbr));
    }
}

void w_search::cb_new_clicked()
{
    app.entry_marks = {};
    app.open_w_main(QStringLiteral("0"));
}

void w_search::cb_delete_clicked()
{
    // Only the entry the user sees highlighted is deleted: after a search that no longer lists
    // the current entry, or a refresh that cleared the highlight, Delete does nothing.
    if (app.rbr <= 0 || highlighted_entry() != app.rbr)
        return;
    const change_outcome outcome = changes::delete_entry(*app.sqlca, app.rbr, [this] {
        app.open_w_da_ne(QString(54, QLatin1Char(' ')) + QStringLiteral("Would you like to delete FAQ entry?"));
        return app.message->StringParm == QLatin1String("DA");
    });
    if (outcome.what == change_outcome::result::cancelled)
        return;
    // A delete that failed is reported; either way the list is refreshed and shows what the
    // database holds.
    if (outcome.failed())
        platform::message_box(outcome.title, outcome.text);
    else
        st_status->note_change(QStringLiteral("Entry %1 deleted").arg(outcome.rbr));
    cb_search_clicked();
}

void w_search::cb_close_clicked() { close(); }

void w_search::closeEvent(QCloseEvent* event)
{
    // The program ends with this window: an open entry window goes with it, its unsaved changes
    // only after the user said so.
    if (!app.may_drop_entry_changes(QStringLiteral("Quit and discard the unsaved changes to the open entry?"))) {
        event->ignore();
        return;
    }
    app.close_w_main();
    QWidget::closeEvent(event);
}
