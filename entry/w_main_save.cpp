// Save: the window hands its texts to the save (entry_save.h), answers its questions, and shows
// what it came to; after a save the window closes and the search list is refreshed.

#include <QLineEdit>

#include "application.h"
#include "entry_number.h"
#include "entry_save.h"
#include "platform.h"
#include "w_main.h"

namespace {

// A column the database held as NULL, which the window shows empty and the user left empty, is
// written as NULL again; every other text as shown ("" for an empty one).
QString text_to_write(const QString& shown, const QString& stored, bool loaded)
{
    if (shown.isEmpty())
        return loaded && stored.isNull() ? QString() : QStringLiteral("");
    return shown;
}

} // namespace

statements::entry_texts w_main::texts_to_write() const
{
    const statements::entry_texts shown = shown_texts();
    const statements::entry_texts& stored = stored_version;
    const bool loaded = holds_stored_entry;
    return {text_to_write(shown.adresa, stored.adresa, loaded), text_to_write(shown.pitanje, stored.pitanje, loaded),
            text_to_write(shown.proizvod, stored.proizvod, loaded), text_to_write(shown.lot, stored.lot, loaded),
            text_to_write(shown.odgovor, stored.odgovor, loaded)};
}

void w_main::cb_save_clicked()
{
    changes::saved_entry state{holds_stored_entry, stored_version, unconfirmed_insert};
    const changes::save_dialogue dialogue{[this](const QString& question) {
                                              app.open_w_da_ne(question);
                                              return app.message->StringParm == QLatin1String("DA");
                                          },
                                          [](const QString& title, const QString& text, const QString& details) {
                                              platform::message_box(title, text, details);
                                          },
                                          [this] { return number_entry(); }};
    changes::entry_save save(*app.sqlca, state, dialogue, platform::today_text());
    const change_outcome outcome = save.run(platform::to_integer(sle_rbr->text()), texts_to_write());
    holds_stored_entry = state.holds_stored_entry;
    stored_version = state.stored_version;
    unconfirmed_insert = state.unconfirmed_insert;
    if (outcome.failed())
        platform::message_box(outcome.title, outcome.text);
    if (outcome.what != change_outcome::result::saved)
        return;
    // The window closes, then announces the save, and the search window lists afresh.
    close();
    emit saved(outcome.rbr);
}

std::optional<std::int16_t> w_main::number_entry()
{
    const QString text = entry_number::window_text(novibroj());
    const std::int16_t number = platform::to_integer(text);
    if (number < entry_number::first)
        return std::nullopt;
    sle_rbr->setText(text);
    return number;
}
