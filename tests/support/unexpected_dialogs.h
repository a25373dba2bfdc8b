#pragma once
// Every test program starts with a guard: a message box or modal window that the running test
// did not say it expects fails that test at once, naming the box's title and text, and is closed
// so the test goes on instead of waiting in the box's event loop until CTest kills it.
//
// A test says it expects message boxes by keeping a message_recorder, and modal windows by
// keeping a yes_no_answerer or a modal_windows_expected while it acts.

#include <QtTest/qtest.h>

namespace test_support {

// Called once, right after the application object exists (TARVO_TEST_MAIN does it).
void guard_against_unexpected_dialogs();

// While one lives, the test itself answers the modal windows that come up.
class modal_windows_expected {
public:
    modal_windows_expected();
    ~modal_windows_expected();
    modal_windows_expected(const modal_windows_expected&) = delete;
    modal_windows_expected& operator=(const modal_windows_expected&) = delete;
};

} // namespace test_support

// QTEST_MAIN and QTEST_GUILESS_MAIN with the guard.
#define TARVO_TEST_MAIN(TestObject)                                                                                    \
    QTEST_MAIN_WRAPPER(TestObject, QTEST_MAIN_SETUP() test_support::guard_against_unexpected_dialogs();)
#define TARVO_GUILESS_TEST_MAIN(TestObject)                                                                            \
    QTEST_MAIN_WRAPPER(TestObject, QTEST_QAPP_SETUP(QCoreApplication) test_support::guard_against_unexpected_dialogs();)
