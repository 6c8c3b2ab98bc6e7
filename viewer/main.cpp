#include <QApplication>

#include "ShaderEditController.h"
#include "TraceController.h"
#include "XQFTraceGui_Qt.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Orvistaline Technologies");
    QCoreApplication::setApplicationName("XQFTrace");
    int result;
    {
        XQFTraceGui_Qt window;
        window.show();
        result = app.exec();
    }
    // The controller's end-of-program work (options, emulator profile) runs here, while the
    // preference store's own tables and the application still live: the controller is a static
    // made before them and would otherwise be destroyed after them.
    CTraceController::Instance()->Shutdown();
    // No compiler child may outlive the viewer, nor the compile thread run into static teardown.
    CShaderEditController::Shutdown();
    return result;
}
