#pragma once
// The work a user has under way when the database fails (a lock, a refusal, a server or a file
// gone), and the steps the fault tests share: the save and the delete reported while the fault
// lasts, and the same save and delete going through once it is gone. Their checks fail the
// running test as QVERIFY does; a step that shows no box leaves boxes to the unexpected-dialog
// guard.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "window_driver.h"

namespace test_support {

struct work_under_way {
    std::int16_t edited = 0; // the entry number the entry window shows
    QString typed;           // the answer the user typed
    QPointer<w_main> window;

    // Types `answer` over the window's answer.
    void type_answer(const QString& answer);
};

// Searches for every entry, chooses the 1-based row, opens it with "View" and types `answer`.
work_under_way edit_listed_entry(client& user, int row, const QString& answer);
// "New FAQ" with a question and an answer typed.
work_under_way start_new_entry(client& user, const QString& question, const QString& answer);

// The save while the fault lasts: one box titled `title` whose text holds `reason`; the entry
// window stays open with the typed answer.
void save_is_reported(const work_under_way& work, const QString& title, const QString& reason = {});
// The save stores the typed answer and closes the entry window.
void save_goes_through(const work_under_way& work, faq_fixture& fixture);

// "Delete" on the current entry, answered "YES" to its one question.
void delete_current(client& user);
// The same while the fault lasts: the boxes have `titles`, the first one's text holds `reason`.
void delete_is_reported(client& user, const QStringList& titles, const QString& reason = {});

// Once the fault is gone: the save goes through and refreshes the list of `entries` entries;
// `doomed`, chosen again there, is deleted.
void save_and_delete_go_through(client& user, const work_under_way& work, faq_fixture& fixture, std::int16_t doomed,
                                int entries);

} // namespace test_support
