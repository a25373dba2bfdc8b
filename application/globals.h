#pragma once
// The application-wide objects the application object creates besides `sqlca`.

#include <QString>

// `message`: carries one string into a window opened with a parameter, and one string back out
// of a modal window when it closes.
struct message_object {
    QString StringParm;
};

// `sqlda`: the dynamic description area; created and destroyed with the others, used by nobody.
struct dynamic_description_area {};

// `error`: the record of the last run-time error; read by nobody.
struct error_object {
    int number = 0;
    QString text;
};
