#include "w_words.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "application.h"
#include "platform.h"
#include "result_list_view.h"
#include "word_search.h"
#include "word_statements.h"
#include "words.h"
#include "words_list.h"
#include "words_worker.h"

namespace {
// Longer than most searches take, short enough to tell the user at once why nothing changes.
constexpr int searching_note_delay_ms = 300;
} // namespace

w_words::w_words(application& application_object, QWidget* parent) : QWidget(parent), app(application_object)
{
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("w_words"));
    setWindowTitle(QStringLiteral("Find words"));
    setFont(platform::font(QStringLiteral("Arial"), 10));
    resize(760, 440);

    sle_words = new QLineEdit(this);
    sle_words->setObjectName(QStringLiteral("sle_words"));
    sle_words->setAccessibleName(QStringLiteral("Words to find"));
    sle_words->setPlaceholderText(QStringLiteral("Words to find, in any order"));
    sle_words->setClearButtonEnabled(true);

    found = new words_list(this);
    found->setObjectName(QStringLiteral("words_list"));
    dw_words = new result_list_view(this);
    dw_words->setObjectName(QStringLiteral("dw_words"));
    dw_words->setAccessibleName(QStringLiteral("Entries found"));
    dw_words->setModel(found);
    dw_words->setColumnHidden(words_list::rbr_column, true);
    dw_words->setSelectionBehavior(QAbstractItemView::SelectRows);
    dw_words->setSelectionMode(QAbstractItemView::SingleSelection);
    dw_words->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dw_words->verticalHeader()->hide();
    dw_words->setColumnWidth(words_list::proizvod_column, 140);
    dw_words->setColumnWidth(words_list::pitanje_column, 260);
    dw_words->fill_width_with(words_list::odgovor_column);

    st_found = new QLabel(this);
    st_found->setObjectName(QStringLiteral("st_found"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sle_words);
    layout->addWidget(dw_words, 1);
    layout->addWidget(st_found);

    worker = new words_worker(*app.sqlca, this);
    connect(worker, &words_worker::found, this, &w_words::show_found);
    searching_note = new QTimer(this);
    searching_note->setSingleShot(true);
    searching_note->setInterval(searching_note_delay_ms);
    connect(searching_note, &QTimer::timeout, this, [this] {
        if (!up_to_date())
            st_found->setText(searching_text);
    });

    connect(sle_words, &QLineEdit::textChanged, this, &w_words::find);
    connect(dw_words, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) { open_row(i.row() + 1); });
    connect(dw_words, &result_list_view::enter_pressed, this, &w_words::open_row);
    // Down from the words goes to the list; Enter there opens the first entry.
    sle_words->installEventFilter(this);
    connect(sle_words, &QLineEdit::returnPressed, this, &w_words::open_best);
}

void w_words::find()
{
    const QStringList typed = marks::typed_words(sle_words->text());
    if (typed == wanted_words && (wanted != 0 || typed.isEmpty()) && !shown_failed)
        return; // a blank more or less: the same words
    wanted_words = typed;
    open_when_found = false; // Enter was meant for the words before
    if (typed.isEmpty()) {
        wanted = shown = 0;
        shown_failed = false;
        searching_note->stop();
        words_marks = {};
        found->set_hits({}, {});
        st_found->clear();
        return;
    }
    wanted = worker->find(typed);
    if (!searching_note->isActive())
        searching_note->start();
}

void w_words::show_found(const words_found& result)
{
    if (result.generation != wanted)
        return; // words typed since: their own result follows
    if (!result.complete) {
        show_rows(result);
        // What the status line said was of the words before; the count follows with the rest.
        if (st_found->text() != searching_text)
            st_found->clear();
        // The first row is certain: Enter pressed before it came opens it now.
        if (open_when_found && found->rowCount() > 0) {
            open_when_found = false;
            open_row(1);
        }
        return;
    }
    shown = result.generation;
    shown_failed = result.failed;
    searching_note->stop();
    const QStringList& typed = result.typed;
    if (result.failed) {
        open_when_found = false;
        words_marks = {};
        found->set_hits({}, {});
        st_found->setText(QStringLiteral("Search failed: ") + result.error_text);
        show_failure(QString::fromUtf16(word_statements::candidates_title), worker->failure());
        return;
    }
    const words::best_hits& best = result.best;
    show_rows(result);
    const int rows = found->rowCount();
    st_found->setText(
        typed.isEmpty() ? QString()
        : rows == 0     ? QStringLiteral("No entries")
        : rows == 1     ? QStringLiteral("1 entry")
        : best.more     ? QStringLiteral("The best %1 entries; more hold these words, more words narrow them").arg(rows)
                        : QStringLiteral("%1 entries").arg(rows));
    if (open_when_found) {
        open_when_found = false;
        open_row(1);
    }
}

void w_words::show_rows(const words_found& result)
{
    words_marks = {};
    words_marks.add_words(result.typed, {QStringLiteral("adresa"), QStringLiteral("pitanje"),
                                         QStringLiteral("proizvod"), QStringLiteral("lot"), QStringLiteral("odgovor")});
    found->extend_hits(result.best.hits, result.typed);
    dw_words->show_marks(words_marks, {{words_list::proizvod_column, QStringLiteral("proizvod")},
                                       {words_list::pitanje_column, QStringLiteral("pitanje")},
                                       {words_list::odgovor_column, QStringLiteral("odgovor")}});
}

void w_words::open_best()
{
    if (up_to_date())
        open_row(1);
    else
        open_when_found = true;
}

void w_words::hideEvent(QHideEvent* event)
{
    open_when_found = false; // an entry must not open once the window is closed
    QWidget::hideEvent(event);
}

void w_words::open_row(int row)
{
    if (row < 1 || row > found->rowCount())
        return;
    const int rbr = found->hits()[std::size_t(row - 1)].rbr;
    if (rbr < 1 || rbr > 32767)
        return;
    dw_words->selectRow(row - 1);
    app.entry_marks = words_marks;
    app.open_w_main(platform::to_text(rbr));
}

bool w_words::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sle_words && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && found->rowCount() > 0) {
        dw_words->setFocus(Qt::TabFocusReason);
        dw_words->setCurrentIndex(found->index(0, words_list::proizvod_column));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
