#pragma once
// A session on the test data source "FAQ", set up as the program sets up sqlca.

#include "transaction.h"

namespace test_support {

void connect_faq_session(transaction& sqlca);

} // namespace test_support
