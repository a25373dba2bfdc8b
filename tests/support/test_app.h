#pragma once
// An application object as the program starts it, connected to the test data source "FAQ".
// Header-only: only tests that link the windows (tarvo_app) include it.

#include <QString>
#include <atomic>

#include "tarvo.h"

namespace test_support {

inline void make_app(tarvo& app)
{
    static std::atomic<int> counter{0};
    app.connection_name = QStringLiteral("sqlca_test_%1").arg(++counter);
    app.create();
    app.connect_sqlca();
}

} // namespace test_support
