#include <QApplication>

#include "XQFTraceGui_Qt.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Orvistaline Technologies");
    QCoreApplication::setApplicationName("XQFTrace");
    XQFTraceGui_Qt window;
    window.show();
    return app.exec();
}
