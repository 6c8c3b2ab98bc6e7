#pragma once
// The "Remote Controller" window: names the device and the output trace file, runs the capture
// thread, turns the device application's recording and running on and off, shows the capture's
// state once a second and opens the captured trace: the file of the latest recording run (each
// stop of recording goes on in a numbered file beside the first). Modeless; one per main window.
#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <memory>

class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QVBoxLayout;
class CNetworkProcess;

class CNetworkDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CNetworkDialog(QWidget* parent = nullptr);
    ~CNetworkDialog() override;

    QString OutputPath() const { return m_outputPath; }
    // The file Open Trace opens: the latest run's, or the output path before any run.
    QString TraceToOpen() const;

    // Test seams: the device port (54321), the status interval (1000 ms), and the capture thread
    // (for its connect interval and states).
    void SetPort(uint16_t port) { m_port = port; }
    void SetStatusInterval(int milliseconds) { m_statusInterval = milliseconds; }
    const QTimer* StatusTimer() const { return m_statusTimer.get(); }
    CNetworkProcess* Process() const { return m_process.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private Q_SLOTS:
    void SLTRecord();
    void SLTPlay();
    void SLTConnect();
    void SLTOpenTrace();
    void SLTSaveTrace();
    void SLTUpdateStatus();

private:
    void SetupUi();
    void StoreRecentAddresses();
    // The path line: the file written or to be opened, cut in the middle to the dialog's width.
    void ShowPath();

    // The form.
    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QLabel* label = nullptr;
    QComboBox* cb_addressList = nullptr;
    QPushButton* pb_connect = nullptr;
    QPushButton* pb_tracePath = nullptr;
    QLabel* l_outputPath = nullptr;
    QFrame* line = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QPushButton* pb_record = nullptr;
    QPushButton* pb_play = nullptr;
    QPushButton* pb_openTrace = nullptr;
    QLineEdit* le_statusConnection = nullptr;

    QString m_outputPath;
    std::unique_ptr<CNetworkProcess> m_process;
    std::unique_ptr<QTimer> m_statusTimer;
    uint16_t m_port;
    int m_statusInterval = 1000;
    // While data is received: the count last shown and how long it has stood still.
    bool m_receiving = false;
    uint64_t m_receivedBytes = 0;
    QElapsedTimer m_sinceData;
};
