#include "application.h"

#include "platform.h"

void show_failure(const QString& title, const transaction& sqlca) { platform::message_box(title, sqlca.SQLErrText); }
