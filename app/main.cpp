// Process entry: starts the application object; the command line is accepted and ignored
// (Qt's own options still apply).

#include <QApplication>

#include "tarvo.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Lets the desktop match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tarvo"));
    tarvo app;
    app.create();
    app.open(QApplication::arguments().mid(1).join(QLatin1Char(' ')));
    const int result = QApplication::exec();
    app.destroy();
    return result;
}
