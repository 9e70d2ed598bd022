#pragma once
// The one QApplication of a widget test program, made on first use.

#include <QApplication>

inline QApplication &testApplication()
{
    static int argc = 1;
    static char name[] = "tavik-test";
    static char *argv[] = {name, nullptr};
    // Never destroyed: taking it down among the other statics at exit crashes, as Qt's input
    // devices go after the statics they rely on.
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}
