// The remote-control dialog as a real window in an X server, during a recording run from the
// device peer: its size on the screen, and the Record button's lamp, lit while recording and out
// once released, read from a grab of the screen at the button's centre.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "CaptureTestSupport.h"
#include "DevicePeer.h"
#include "NetworkDialog.h"
#include "NetworkProcess.h"
#include "TraceController.h"
#include "TestPaths.h"

namespace {

using namespace capturetest;

QRgb ScreenPixelAt(QWidget* widget, QPoint local)
{
    const QPoint global = widget->mapToGlobal(local);
    return QGuiApplication::primaryScreen()->grabWindow(0, global.x(), global.y(), 1, 1).toImage().pixel(0, 0);
}

TEST(NetworkDialogOnScreen, ShowsItsSizeAndALitRecordLampWhileRecording)
{
    static int argc = 1;
    static char name[] = "capture_dialog_screenshot";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run under scripts/with-xvfb.sh)";

    const std::string dir = MakeScratch("capture-screen");
    CDevicePeer peer(dir, {"--serve", Trace("sample"), "--message-size", "256", "--write-size", "256", "--pause-ms", "3"});
    CTraceController* controller = CTraceController::Instance();
    controller->Options().SetCaptureOutputPath(CXQFTString((dir + "/cap.xqft").c_str()));
    CXQFTArray<CXQFTString> addresses = controller->Options().RecentAddresses();
    addresses.Append(CXQFTString("127.0.0.1"));
    controller->Options().SetRecentAddresses(addresses);

    CNetworkDialog dialog;
    dialog.SetPort(uint16_t(peer.Port()));
    dialog.SetStatusInterval(50);
    dialog.Process()->SetConnectInterval(20);
    dialog.move(40, 40);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* record = dialog.findChild<QPushButton*>("pb_record");
    auto* status = dialog.findChild<QLineEdit*>("le_statusConnection");
    dialog.findChild<QPushButton*>("pb_connect")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return record->isEnabled(); }, kReadyMs));
    record->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith("Recording: "); }, kReadyMs));
    QTest::qWait(200);   // let it paint

    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(dialog.winId()).toImage();
    EXPECT_EQ(shot.size(), QSize(253, 122));
    shot.save(QString::fromStdString(BinaryDir()) + "/capture_dialog_screenshot.png");
    const QPoint centre = record->rect().center();
    const QColor lit(ScreenPixelAt(record, centre));
    EXPECT_GT(lit.red(), 180) << lit.name().toStdString();
    EXPECT_LT(lit.green(), 90) << lit.name().toStdString();
    EXPECT_LT(lit.blue(), 90) << lit.name().toStdString();

    record->click();   // released: stop recording, the lamp goes out
    QTest::qWait(200);
    const QColor out(ScreenPixelAt(record, centre));
    EXPECT_LT(out.red() - out.green(), 40) << out.name().toStdString();

    dialog.close();
    std::filesystem::remove_all(dir);
}

} // namespace
