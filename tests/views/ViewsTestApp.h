#pragma once
// One QApplication for the whole test program (the tests run offscreen), and the clicks the tests
// send to its widgets.
#include <QApplication>
#include <QMouseEvent>

inline QApplication& TestApp()
{
    static int argc = 1;
    static char name[] = "views_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A left-button press at point (widget coordinates), as a click starts.
inline void PressLeft(QWidget* widget, QPointF point)
{
    QMouseEvent press(QEvent::MouseButtonPress, point, point, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}
