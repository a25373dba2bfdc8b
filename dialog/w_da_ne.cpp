#include "w_da_ne.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTextOption>

#include "application.h"
#include "centring.h"
#include "platform.h"

namespace {

constexpr int window_width = 1362;
constexpr int window_height = 556;

// "Arial CE" is Arial with the Central European code page. Fonts are Unicode here, so Arial (or
// its metric twin) shows the same letters; asking fontconfig for "Arial CE" itself would give an
// unrelated fallback face.
QFont arial_ce(int points, int weight) { return platform::font(QStringLiteral("Arial"), points, weight); }

// The question as received. Its leading blanks push the words right or onto the next line; the
// text layout would otherwise glue a blank run to the first word and let the line overflow. So
// all blanks of the run but its last are shown as no-break spaces (the text box gives them back
// as plain blanks), and the line can end after the run.
QString shown_text(const QString& question)
{
    QString shown = question;
    qsizetype blanks = 0;
    while (blanks < shown.size() && shown[blanks] == QLatin1Char(' '))
        ++blanks;
    for (qsizetype i = 0; i + 1 < blanks; ++i)
        shown[i] = QChar::Nbsp;
    return shown;
}

QPushButton* make_button(QWidget* parent, const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setFont(arial_ce(9, 700));
    return button;
}

} // namespace

w_da_ne::w_da_ne(application& application_object, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), app(application_object)
{
    setObjectName(QStringLiteral("w_da_ne"));
    setModal(true);
    setFixedSize(platform::units_to_px_x(window_width), platform::units_to_px_y(window_height));

    cb_ne = make_button(this, QStringLiteral("cb_ne"), QStringLiteral("NO"));
    platform::place(cb_ne, 183, 384, 402, 80);
    cb_ne->setDefault(true);

    cb_da = make_button(this, QStringLiteral("cb_da"), QStringLiteral("YES"));
    platform::place(cb_da, 768, 384, 402, 80);

    mle_tekst = new QTextEdit(this);
    mle_tekst->setObjectName(QStringLiteral("mle_tekst"));
    mle_tekst->setFont(arial_ce(12, 400));
    mle_tekst->setFrameShape(QFrame::NoFrame);
    mle_tekst->setReadOnly(true);
    mle_tekst->setFocusPolicy(Qt::NoFocus); // display only: Enter always reaches a button
    mle_tekst->setLineWrapMode(QTextEdit::WidgetWidth);
    mle_tekst->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mle_tekst->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mle_tekst->document()->setDocumentMargin(2);
    mle_tekst->setWordWrapMode(QTextOption::WordWrap); // whole words only, as the question reads
    QTextOption centred = mle_tekst->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    mle_tekst->document()->setDefaultTextOption(centred);
    mle_tekst->setPlainText(shown_text(app.message->StringParm));
    // A screen reader announces the window as a dialog by its question.
    setAccessibleName(app.message->StringParm.simplified());
    setAccessibleDescription(accessibleName());
    platform::place(mle_tekst, 105, 96, 1143, 252);

    gb_1 = new QGroupBox(this);
    gb_1->setObjectName(QStringLiteral("gb_1"));
    gb_1->setFont(arial_ce(9, 700));
    platform::place(gb_1, 27, 4, 1289, 512);
    gb_1->lower(); // a frame behind the controls, not over them

    // The question has been read; until a button answers, nothing here reads as yes.
    app.message->StringParm.clear();

    connect(cb_ne, &QPushButton::clicked, this, &w_da_ne::cb_ne_clicked);
    connect(cb_da, &QPushButton::clicked, this, &w_da_ne::cb_da_clicked);

    platform::centre_window(this);
}

void w_da_ne::cb_ne_clicked() { close_with(QStringLiteral("NE"), QDialog::Rejected); }

void w_da_ne::cb_da_clicked() { close_with(QStringLiteral("DA"), QDialog::Accepted); }

void w_da_ne::reject()
{
    // Neither button is a cancel button.
}

void w_da_ne::close_with(const QString& answer, int result)
{
    app.message->StringParm = answer;
    done(result);
}
