// The "Remote Controller" dialog, offscreen, against tools/xqft-device.py: the status line through a
// whole capture, the path and the run that Open Trace opens, the recent addresses, and the ways a
// capture fails to start or is ended.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>

#include "AppTestSupport.h"
#include "CaptureTestSupport.h"
#include "DevicePeer.h"
#include "NetworkDialog.h"
#include "NetworkProcess.h"

namespace {

using namespace capturetest;
namespace fs = std::filesystem;

class NetworkDialogTest : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        dir = MakeScratch("capture-dialog");
        c->Options().SetCaptureOutputPath(CXQFTString((dir + "/cap.xqft").c_str()));
        CXQFTArray<CXQFTString> addresses;
        addresses.Append(CXQFTString("127.0.0.1"));
        c->Options().SetRecentAddresses(addresses);
        dialog = std::make_unique<CNetworkDialog>();
        dialog->SetStatusInterval(50);
        dialog->Process()->SetConnectInterval(20);
        status = dialog->findChild<QLineEdit*>("le_statusConnection");
        QObject::connect(status, &QLineEdit::textChanged, [this](const QString& text) {
            if (statuses.empty() || statuses.back() != text)
                statuses.push_back(text);
        });
    }
    void TearDown() override
    {
        dialog.reset();
        fs::remove_all(dir);
        CFreshControllerTest::TearDown();
    }

    QPushButton* Button(const char* name) const { return dialog->findChild<QPushButton*>(name); }
    QComboBox* Addresses() const { return dialog->findChild<QComboBox*>("cb_addressList"); }
    bool SeenStatus(const QString& text, int milliseconds = kReadyMs)
    {
        return QTest::qWaitFor([&] { return std::find(statuses.begin(), statuses.end(), text) != statuses.end(); },
                               milliseconds);
    }
    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < Addresses()->count(); ++i)
            items << Addresses()->itemText(i);
        return items;
    }
    static QStringList Stored(const CXQFTArray<CXQFTString>& list)
    {
        QStringList items;
        for (uint32_t i = 0; i < list.size; ++i)
            items << QString::fromLatin1(list[i].CStr());
        return items;
    }

    std::string dir;
    std::unique_ptr<CNetworkDialog> dialog;
    QLineEdit* status = nullptr;
    std::vector<QString> statuses;
};

TEST_F(NetworkDialogTest, TheStatusLineFollowsACaptureAndOpenTraceOpensTheFirstSegment)
{
    const std::string trace = Trace("sample");
    CDevicePeer peer(dir, {"--serve", trace, "--message-size", "1024", "--write-size", "1024", "--pause-ms", "2"});
    dialog->SetPort(uint16_t(peer.Port()));
    dialog->show();
    EXPECT_EQ(Addresses()->currentText(), "127.0.0.1");
    EXPECT_FALSE(Button("pb_record")->isEnabled());
    EXPECT_FALSE(Button("pb_openTrace")->isEnabled());

    Button("pb_connect")->click();
    EXPECT_EQ(status->text(), "Connecting...");
    ASSERT_TRUE(SeenStatus("App is waiting to run"));
    Button("pb_play")->click();
    ASSERT_TRUE(SeenStatus("App playing"));
    EXPECT_TRUE(Button("pb_play")->isChecked());
    Button("pb_record")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith("Recording: "); }, kReadyMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Process()->GetBytesWritten() == fs::file_size(trace); }, kReadyMs));
    // The device has sent the whole run and only keeps the link: the line stops saying "Recording".
    const QString quiet = "No more data from the device: " + QString::number(fs::file_size(trace));
    ASSERT_TRUE(SeenStatus(quiet));
    Button("pb_record")->click();   // released: stop recording
    ASSERT_TRUE(SeenStatus("Data Transmission finished"));
    EXPECT_TRUE(Button("pb_openTrace")->isEnabled());

    // The counts shown while recording grew to the trace's size or stayed below it.
    for (const QString& s : statuses) {
        if (s.startsWith("Recording: ")) {
            EXPECT_LE(s.mid(11).toULongLong(), fs::file_size(trace)) << s.toStdString();
        }
    }

    // The stop names the next segment; nothing came for it, so no file is made.
    EXPECT_FALSE(fs::exists(dir + "/cap_1.xqft"));
    Button("pb_openTrace")->click();
    EXPECT_EQ(c->GetFilePath(), QString::fromStdString(dir + "/cap.xqft"));
    EXPECT_NE(c->GetTrace(), nullptr);
    EXPECT_TRUE(shown.empty());
    dialog->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->Process()->isFinished(); }, kReadyMs));
}

// The dialog names the file it writes; each stop of recording goes on in a numbered file, and the
// path line and Open Trace follow the latest run. When the device has sent a run, the count shown
// is what the file holds at that moment.
TEST_F(NetworkDialogTest, ThePathAndOpenTraceFollowTheLatestRunAndTheCountIsWhatTheFileHolds)
{
    const std::string trace = Trace("sample");
    CDevicePeer peer(dir, {"--serve", trace, "--message-size", "1000", "--write-size", "700", "--pause-ms", "1"});
    dialog->SetPort(uint16_t(peer.Port()));
    dialog->show();
    auto* path = dialog->findChild<QLabel*>("l_outputPath");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->toolTip(), QString::fromStdString(dir + "/cap.xqft"));
    EXPECT_TRUE(path->text().startsWith("Output: ")) << path->text().toStdString();

    Button("pb_connect")->click();
    ASSERT_TRUE(SeenStatus("App is waiting to run"));
    Button("pb_play")->click();
    ASSERT_TRUE(SeenStatus("App playing"));
    const QString quiet = "No more data from the device: ";
    for (const char* name : {"/cap.xqft", "/cap_1.xqft"}) {
        SCOPED_TRACE(name);
        const std::string file = dir + name;
        Button("pb_record")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return status->text().startsWith(quiet); }, kReadyMs)) << peer.Log();
        EXPECT_EQ(status->text().mid(quiet.size()).toULongLong(), fs::file_size(file));
        EXPECT_EQ(fs::file_size(file), fs::file_size(trace));
        EXPECT_EQ(path->toolTip(), QString::fromStdString(file));
        Button("pb_record")->click();
        ASSERT_TRUE(SeenStatus("Data Transmission finished"));
        statuses.clear();
    }
    Button("pb_openTrace")->click();
    EXPECT_EQ(c->GetFilePath(), QString::fromStdString(dir + "/cap_1.xqft"));
    EXPECT_NE(c->GetTrace(), nullptr);
    EXPECT_TRUE(shown.empty());
    dialog->close();
}

TEST_F(NetworkDialogTest, ASixthAddressPushesOutTheBottomOneAndTheListReadsBackAsStored)
{
    CDevicePeer peer(dir, {"--serve", Trace("frames")});
    CXQFTArray<CXQFTString> addresses;
    for (int i = 1; i <= 5; ++i)
        addresses.Append(StringFromFormat("10.0.0.%d", i));
    c->Options().SetRecentAddresses(addresses);
    dialog->SetPort(uint16_t(peer.Port()));
    dialog->show();
    EXPECT_EQ(Items(), QStringList({"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4", "10.0.0.5"}));
    EXPECT_EQ(Addresses()->currentText(), "10.0.0.1");

    Addresses()->setEditText("127.0.0.1");
    Button("pb_connect")->click();
    const QStringList expected = {"127.0.0.1", "10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"};
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(Stored(c->Options().RecentAddresses()), expected);
    ASSERT_TRUE(SeenStatus("App is waiting to run"));
    Button("pb_connect")->click();   // released: the capture ends

    // Shown again, the list is the stored one in the same order, the last address used on top.
    dialog->hide();
    dialog->show();
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(Addresses()->currentText(), "127.0.0.1");
}

TEST_F(NetworkDialogTest, AnUnwritableOutputPathIsReportedAndStartsNothing)
{
    c->Options().SetCaptureOutputPath(CXQFTString("/nonexistent-xqft-folder/cap.xqft"));
    dialog->show();
    Button("pb_connect")->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, "information");
    EXPECT_EQ(shown[0].title, "Error Opening outfile.");
    EXPECT_EQ(shown[0].text, "Please check output file path.");
    EXPECT_EQ(status->text(), "Error Opening outfile.");
    EXPECT_FALSE(dialog->Process()->isRunning());
    EXPECT_FALSE(dialog->StatusTimer()->isActive());
}

TEST_F(NetworkDialogTest, AnEmptyAddressEndsInErrorConnectingWithTheTimerStopped)
{
    dialog->show();
    Addresses()->setEditText("");
    Button("pb_connect")->click();
    ASSERT_TRUE(SeenStatus("Error connecting"));
    EXPECT_FALSE(dialog->StatusTimer()->isActive());
    EXPECT_FALSE(Button("pb_connect")->isChecked());
    EXPECT_EQ(dialog->Process()->GetLinkStatus(), kLinkFailed);
}

TEST_F(NetworkDialogTest, ConnectPressedAgainKeepsTheCaptureAndReleasingItEndsIt)
{
    const std::string trace = Trace("frames");
    CDevicePeer peer(dir, {"--serve", trace});
    auto fresh = std::make_unique<CNetworkDialog>();   // the real status interval
    dialog.swap(fresh);
    fresh.reset();
    dialog->Process()->SetConnectInterval(20);
    dialog->SetPort(uint16_t(peer.Port()));
    status = dialog->findChild<QLineEdit*>("le_statusConnection");
    dialog->show();
    Button("pb_connect")->click();
    EXPECT_EQ(dialog->StatusTimer()->interval(), 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Process()->GetLinkStatus() == kLinkUp; }, kReadyMs));
    dialog->Process()->StartRecording();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Process()->GetBytesWritten() == fs::file_size(trace); }, kReadyMs));

    // Checked again while the capture runs (the button can show released for a moment when the
    // link reads down): the running capture and its file are left alone.
    Button("pb_connect")->setChecked(false);
    Button("pb_connect")->click();
    EXPECT_TRUE(dialog->Process()->isRunning());
    EXPECT_EQ(dialog->Process()->GetBytesWritten(), fs::file_size(trace));

    Button("pb_connect")->click();   // released
    EXPECT_TRUE(dialog->Process()->isFinished());
    EXPECT_EQ(dialog->Process()->GetLinkStatus(), kLinkDown);
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == "Not conneted"; }, kReadyMs));
    EXPECT_TRUE(ReadFile(dir + "/cap.xqft") == ReadFile(trace));
}

TEST_F(NetworkDialogTest, APeerClosingInsideAMessageShowsThatTheTraceEndedEarly)
{
    CDevicePeer peer(dir, {"--serve", Trace("sample"), "--fault", "close-mid-message", "--fault-after", "3",
                           "--message-size", "1000", "--keepalive-ms", "0"});
    dialog->SetPort(uint16_t(peer.Port()));
    dialog->show();
    Button("pb_connect")->click();
    ASSERT_TRUE(SeenStatus("App is waiting to run"));
    Button("pb_record")->click();
    ASSERT_TRUE(SeenStatus("Trace ended early: link closed inside a message, 503 bytes dropped")) << peer.Log();
    EXPECT_TRUE(Button("pb_openTrace")->isEnabled());
    EXPECT_EQ(fs::file_size(dir + "/cap.xqft"), 3000u);
}

// A loader that presses the dialog's Open Trace while the first load runs, as a user can while
// the load pumps events.
struct SReentrantLoader : CTraceLoader {
    CNetworkDialog* dialog = nullptr;
    int loads = 0;
    int Load(const CXQFTString& path, CBasicEvent* listener) override
    {
        if (++loads == 1)
            QMetaObject::invokeMethod(dialog, "SLTOpenTrace");
        return CTraceLoader::Load(path, listener);
    }
};

TEST_F(NetworkDialogTest, OpenTracePressedDuringALoadIsRefused)
{
    fs::copy_file(Trace("sample"), dir + "/cap.xqft");
    auto loader = std::make_unique<SReentrantLoader>();
    SReentrantLoader* raw = loader.get();
    raw->dialog = dialog.get();
    c->SetLoader(std::move(loader));
    dialog->show();
    QMetaObject::invokeMethod(dialog.get(), "SLTOpenTrace");
    EXPECT_EQ(raw->loads, 1);
    EXPECT_EQ(c->GetFilePath(), QString::fromStdString(dir + "/cap.xqft"));
    EXPECT_NE(c->GetTrace(), nullptr);
}

TEST_F(NetworkDialogTest, SaveTraceTakesTheChosenPathAndACancelKeepsIt)
{
    dialog->show();
    prompts->path = "/captures/device.xqft";
    Button("pb_tracePath")->click();
    EXPECT_EQ(dialog->OutputPath(), "/captures/device.xqft");
    EXPECT_STREQ(c->Options().CaptureOutputPath().CStr(), "/captures/device.xqft");
    prompts->path.clear();
    Button("pb_tracePath")->click();
    EXPECT_EQ(dialog->OutputPath(), "/captures/device.xqft");
}

} // namespace
