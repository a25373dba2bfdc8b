#pragma once
// One running client for the entry window tests: an application object connected to the test
// data source "FAQ", with or without its search window.

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include "faq_fixture.h"
#include "multiline_edit.h"
#include "statements.h"
#include "tarvo.h"
#include "test_app.h"
#include "w_main.h"
#include "w_search.h"

namespace entry_test {

class client {
public:
    explicit client(bool with_search_window = false)
    {
        test_support::make_app(app);
        if (with_search_window)
            app.w_search = new w_search(app);
    }

    // Opens the entry window as the search window does.
    w_main* open(const QString& parm)
    {
        app.open_w_main(parm);
        return app.w_main.data();
    }

    // Rows the search window's list shows.
    int listed_rows() const
    {
        const auto* list = app.w_search->findChild<QAbstractItemView*>(QStringLiteral("dw_search"));
        return list != nullptr && list->model() != nullptr ? list->model()->rowCount() : -1;
    }

    tarvo app;
};

inline statements::entry_texts entry_of(const test_support::faq_fixture::row& row)
{
    return {row.adresa, row.pitanje, row.proizvod, row.lot, row.odgovor};
}

// The five texts as the window would save them.
inline statements::entry_texts shown(const w_main* window)
{
    return {window->mle_adresa->text(), window->mle_question->text(), window->em_proizvod->text(),
            window->em_lot->text(), window->mle_odgovor->text()};
}

inline void set_texts(w_main* window, const statements::entry_texts& entry)
{
    window->mle_adresa->setPlainText(entry.adresa);
    window->mle_question->setPlainText(entry.pitanje);
    window->em_proizvod->setText(entry.proizvod);
    window->em_lot->setText(entry.lot);
    window->mle_odgovor->setPlainText(entry.odgovor);
}

inline bool same(const statements::entry_texts& a, const statements::entry_texts& b)
{
    return a.adresa == b.adresa && a.pitanje == b.pitanje && a.proizvod == b.proizvod && a.lot == b.lot
        && a.odgovor == b.odgovor;
}

} // namespace entry_test
