// The viewer's own main, closed in the middle of a live capture: the main window closes while the
// capture thread is receiving and the dialog is still open (it gets no close of its own), the
// program must end normally (a running thread destroyed with its owner aborts the process), and
// the capture's file must hold what arrived, whole. Runs in a child process, also under the
// sanitizers.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../capture/CaptureTestSupport.h"
#include "../capture/DevicePeer.h"
#include "NetworkDialog.h"
#include "NetworkProcess.h"
#include "TraceController.h"
#include "XQFTraceGui_Qt.h"

#define main ViewerMain
#include XQFT_VIEWER_MAIN
#undef main

namespace {

// In the viewer's process: open the remote-control dialog, capture from the peer named in the
// environment, and close the main window once data flows.
void CaptureThenClose()
{
    if (!std::getenv("XQFT_CAPTURE_PORT"))
        return;
    QTimer::singleShot(0, qApp, [] {
        XQFTraceGui_Qt* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<XQFTraceGui_Qt*>(w))
                window = found;
        if (!window)
            std::_Exit(3);
        CNetworkDialog* dialog = window->NetworkDialog();
        dialog->SetPort(uint16_t(std::atoi(std::getenv("XQFT_CAPTURE_PORT"))));
        dialog->Process()->SetConnectInterval(20);
        CTraceController* controller = CTraceController::Instance();
        controller->Options().SetCaptureOutputPath(CXQFTString(std::getenv("XQFT_CAPTURE_OUT")));
        CXQFTArray<CXQFTString> addresses;
        addresses.Append(CXQFTString("127.0.0.1"));
        controller->Options().SetRecentAddresses(addresses);
        dialog->show();
        dialog->findChild<QPushButton*>("pb_connect")->click();
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, qApp, [window, dialog, poll] {
            CNetworkProcess* capture = dialog->Process();
            if (capture->GetLinkStatus() == kLinkUp && capture->GetBytesWritten() == 0) {
                capture->Play();
                capture->StartRecording();
            }
            if (capture->GetBytesWritten() > 0 || !capture->isRunning()) {
                poll->stop();
                window->close();
            }
        });
        poll->start(10);
    });
}
Q_COREAPP_STARTUP_FUNCTION(CaptureThenClose)

void RunViewer(const std::string& config)
{
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static char name[] = "xqftrace";
    char* argv[] = {name, nullptr};
    int argc = 1;
    std::exit(ViewerMain(argc, argv));
}

TEST(ViewerExit, ClosingTheWindowMidCaptureEndsCleanlyWithTheDataWhole)
{
    const std::string dir = capturetest::MakeScratch("capture-exit");
    const std::string trace = capturetest::Trace("sample"), out = dir + "/cap.xqft";
    CDevicePeer peer(dir, {"--serve", trace, "--message-size", "1024", "--write-size", "1024", "--pause-ms", "2"});
    setenv("XQFT_CAPTURE_PORT", std::to_string(peer.Port()).c_str(), 1);
    setenv("XQFT_CAPTURE_OUT", out.c_str(), 1);
    std::filesystem::create_directory(dir + "/config");

    EXPECT_EXIT(RunViewer(dir + "/config"), ::testing::ExitedWithCode(0), "");

    const std::string captured = capturetest::ReadFile(out), whole = capturetest::ReadFile(trace);
    EXPECT_GT(captured.size(), 0u) << peer.Log();
    EXPECT_LT(captured.size(), whole.size()) << "closed after the whole trace arrived";
    EXPECT_TRUE(whole.compare(0, captured.size(), captured) == 0);
    std::filesystem::remove_all(dir);
}

} // namespace
