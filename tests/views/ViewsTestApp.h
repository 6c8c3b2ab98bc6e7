#pragma once
// One QApplication for the whole test program (the tests run offscreen).
#include <QApplication>

inline QApplication& TestApp()
{
    static int argc = 1;
    static char name[] = "views_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
