#include "NetworkDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <QVBoxLayout>

#include "AppIcons.h"
#include "CaptureProtocol.h"
#include "NetworkProcess.h"
#include "TraceController.h"
#include "UserPrompts.h"

namespace {

constexpr int kMaxAddresses = 5;
// A recording run with no new bytes for this long has ended on the device's side.
constexpr qint64 kQuietMs = 2000;

// An icon that shows `off` while its button is released and `on` while it is pressed in.
QIcon ToggleIcon(EAppIcon off, EAppIcon on)
{
    QIcon icon = AppIcon(off);
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(AppIconPixmap(on, size), QIcon::Normal, QIcon::On);
    return icon;
}

QPushButton* IconButton(QWidget* parent, const char* name, const QIcon& icon, int size, bool checkable)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setIcon(icon);
    b->setIconSize(QSize(size, size));
    b->setCheckable(checkable);
    return b;
}

CXQFTString Latin1(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return CXQFTString(bytes.constData(), size_t(bytes.size()));
}

} // namespace

CNetworkDialog::CNetworkDialog(QWidget* parent)
    : QDialog(parent), m_process(std::make_unique<CNetworkProcess>()), m_statusTimer(std::make_unique<QTimer>()),
      m_port(capture::kDefaultPort)
{
    SetupUi();
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    pb_openTrace->setEnabled(false);
    connect(pb_tracePath, &QPushButton::clicked, this, &CNetworkDialog::SLTSaveTrace);
    connect(pb_connect, &QPushButton::clicked, this, &CNetworkDialog::SLTConnect);
    connect(pb_openTrace, &QPushButton::clicked, this, &CNetworkDialog::SLTOpenTrace);
    connect(pb_record, &QPushButton::clicked, this, &CNetworkDialog::SLTRecord);
    connect(pb_play, &QPushButton::clicked, this, &CNetworkDialog::SLTPlay);
    connect(m_statusTimer.get(), &QTimer::timeout, this, &CNetworkDialog::SLTUpdateStatus);
}

// The capture thread's own destructor ends a running capture and waits for it.
CNetworkDialog::~CNetworkDialog() = default;

void CNetworkDialog::SetupUi()
{
    setObjectName("NetworkPanel");
    setWindowTitle("Remote Controller");
    resize(253, 122);
    verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName("verticalLayout");
    verticalLayout->setSpacing(6);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName("horizontalLayout_2");
    label = new QLabel("Server:", this);
    label->setObjectName("label");
    cb_addressList = new QComboBox(this);
    cb_addressList->setObjectName("cb_addressList");
    cb_addressList->setEditable(true);
    cb_addressList->setMaxVisibleItems(kMaxAddresses);
    cb_addressList->setMaxCount(kMaxAddresses);
    // Only Connect adds addresses (at the top); Return in the field must not append one.
    cb_addressList->setInsertPolicy(QComboBox::NoInsert);
    pb_connect = IconButton(this, "pb_connect", AppIcon(EAppIcon::Connect), 12, true);
    pb_tracePath = IconButton(this, "pb_tracePath", AppIcon(EAppIcon::Diskette), 12, false);
    horizontalLayout_2->addWidget(label);
    horizontalLayout_2->addWidget(cb_addressList, 1);
    horizontalLayout_2->addWidget(pb_connect);
    horizontalLayout_2->addWidget(pb_tracePath);
    verticalLayout->addLayout(horizontalLayout_2);
    l_outputPath = new QLabel(this);
    l_outputPath->setObjectName("l_outputPath");
    l_outputPath->setTextFormat(Qt::PlainText);
    l_outputPath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    l_outputPath->setContentsMargins(4, 0, 4, 0);
    verticalLayout->addWidget(l_outputPath);

    line = new QFrame(this);
    line->setObjectName("line");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    verticalLayout->addWidget(line);

    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName("horizontalLayout_3");
    pb_record = IconButton(this, "pb_record", ToggleIcon(EAppIcon::Record, EAppIcon::RecordHot), 24, true);
    pb_play = IconButton(this, "pb_play", ToggleIcon(EAppIcon::Play, EAppIcon::Pause), 24, true);
    pb_openTrace = IconButton(this, "pb_openTrace", AppIcon(EAppIcon::File), 16, false);
    pb_openTrace->setText("Open Trace");
    horizontalLayout_3->addWidget(pb_record);
    horizontalLayout_3->addWidget(pb_play);
    horizontalLayout_3->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    horizontalLayout_3->addWidget(pb_openTrace);
    verticalLayout->addLayout(horizontalLayout_3);

    le_statusConnection = new QLineEdit(this);
    le_statusConnection->setObjectName("le_statusConnection");
    le_statusConnection->setEnabled(false);
    verticalLayout->addWidget(le_statusConnection);
}

void CNetworkDialog::showEvent(QShowEvent* event)
{
    const CViewerOptions& options = CTraceController::Instance()->Options();
    m_outputPath = QString::fromLatin1(options.CaptureOutputPath().CStr());
    // The stored list is most recent first and is shown in that order, so what was written back
    // on Connect reads back the same way (inserting each at the top reversed it on every show).
    cb_addressList->clear();
    const CXQFTArray<CXQFTString>& stored = options.RecentAddresses();
    for (uint32_t i = 0; i < stored.size && i < uint32_t(kMaxAddresses); ++i)
        cb_addressList->addItem(QString::fromLatin1(stored[i].CStr()));
    cb_addressList->setCurrentIndex(cb_addressList->count() ? 0 : -1);
    for (QPushButton* b : {pb_play, pb_record}) {
        b->setChecked(false);
        b->setEnabled(false);
    }
    ShowPath();
    QDialog::showEvent(event);
}

void CNetworkDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    ShowPath();
}

QString CNetworkDialog::TraceToOpen() const
{
    // A path chosen since the last capture started names no run yet.
    const CXQFTString latest = m_process->GetLatestFile();
    if (latest.IsEmpty() || m_process->GetOutputPath() != Latin1(m_outputPath))
        return m_outputPath;
    return QString::fromLatin1(latest.CStr(), qsizetype(latest.Length()));
}

void CNetworkDialog::ShowPath()
{
    const QString path = QDir::toNativeSeparators(TraceToOpen());
    const QString text = "Output: " + path;
    const int width = l_outputPath->contentsRect().width();
    l_outputPath->setText(width > 0 ? l_outputPath->fontMetrics().elidedText(text, Qt::ElideMiddle, width) : text);
    l_outputPath->setToolTip(path);
    pb_openTrace->setToolTip(path);
}

void CNetworkDialog::closeEvent(QCloseEvent* event)
{
    m_process->RequestStop();
    for (QPushButton* b : {pb_play, pb_record}) {
        b->setChecked(false);
        b->setEnabled(false);
    }
    event->accept();
}

void CNetworkDialog::StoreRecentAddresses()
{
    CXQFTArray<CXQFTString> addresses;
    for (int i = 0; i < cb_addressList->count() && i < kMaxAddresses; ++i)
        addresses.Append(Latin1(cb_addressList->itemText(i)));
    CTraceController::Instance()->Options().SetRecentAddresses(addresses);
}

void CNetworkDialog::SLTConnect()
{
    if (!pb_connect->isChecked()) {
        // Unchecking ends the capture: the loop sees the stop flag within one receive wait, the
        // connect phase between its polls.
        m_process->RequestStop();
        m_process->wait();
        return;
    }
    // Pressed again while the capture still runs: it goes on (a new Setup would truncate its file).
    if (m_process->isRunning())
        return;

    const QString address = cb_addressList->currentText();
    if (cb_addressList->findText(address, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        cb_addressList->insertItem(0, address);
        cb_addressList->setCurrentIndex(0);
    }
    if (m_process->Setup(Latin1(address), m_port, 1, Latin1(m_outputPath))) {
        m_statusTimer->start(m_statusInterval);
        m_process->start();
        le_statusConnection->setText("Connecting...");
    } else {
        CTraceController::Instance()->Prompts().Information(this, "Error Opening outfile.",
                                                            "Please check output file path.");
        le_statusConnection->setText("Error Opening outfile.");
    }
    StoreRecentAddresses();
}

void CNetworkDialog::SLTRecord()
{
    if (pb_record->isChecked())
        m_process->StartRecording();
    else
        m_process->StopRecording();
}

void CNetworkDialog::SLTPlay()
{
    if (pb_play->isChecked())
        m_process->Play();
    else
        m_process->Pause();
}

void CNetworkDialog::SLTOpenTrace()
{
    CTraceController::Instance()->SLTOpenTrace(TraceToOpen());
}

void CNetworkDialog::SLTSaveTrace()
{
    const QString name = CTraceController::Instance()->Prompts().SaveFileName("Save network trace", "TraceFile (*.xqft)");
    if (name.isEmpty())
        return;
    m_outputPath = name;
    CTraceController::Instance()->Options().SetCaptureOutputPath(Latin1(name));
    ShowPath();
}

void CNetworkDialog::SLTUpdateStatus()
{
    ShowPath();
    const int32_t link = m_process->GetLinkStatus();
    if (link == kLinkConnecting) {
        pb_record->setEnabled(false);
        pb_play->setEnabled(false);
        le_statusConnection->setText("Connecting");
        return;
    }
    if (link != kLinkUp) {
        m_receiving = false;
        for (QPushButton* b : {pb_record, pb_play})
            b->setEnabled(false);
        for (QPushButton* b : {pb_play, pb_record, pb_connect})
            b->setChecked(false);
        if (link == kLinkDown && m_process->GetDroppedBytes()) {
            // The link closed inside a message: what arrived before it is in the file.
            le_statusConnection->setText(QString("Trace ended early: link closed inside a message, %1 bytes dropped")
                                             .arg(m_process->GetDroppedBytes()));
            pb_openTrace->setEnabled(true);
        } else if (link == kLinkDown) {
            le_statusConnection->setText("Not conneted");
        } else if (link == kLinkFailed) {
            le_statusConnection->setText("Error connecting");
            m_statusTimer->stop();
        } else if (link == kLinkTransferError) {
            le_statusConnection->setText("Error in transfer. File will be corrupted");
            pb_openTrace->setEnabled(true);
            m_statusTimer->stop();
        }
        return;
    }

    pb_record->setEnabled(true);
    pb_play->setEnabled(true);
    const int32_t record = m_process->GetRecordState();
    switch (m_process->GetAppState()) {
    case kAppWaiting:
        le_statusConnection->setText("App is waiting to run");
        break;
    case kAppPaused:
        pb_play->setChecked(false);
        le_statusConnection->setText("App pause");
        break;
    case kAppPlaying:
        le_statusConnection->setText("App playing");
        pb_play->setChecked(true);
        break;
    default:
        if (record == kRecordIdle)
            le_statusConnection->setText("StandBy");
        break;
    }
    if (record != kRecordReceiving)
        m_receiving = false;
    if (record == kRecordReceiving) {
        pb_record->setEnabled(true);
        const uint64_t bytes = m_process->GetBytesWritten();
        if (!m_receiving || bytes != m_receivedBytes) {
            m_receiving = true;
            m_receivedBytes = bytes;
            m_sinceData.start();
        }
        // A device that has sent its whole run goes on with keep-alives only: after a quiet spell
        // the line says that no more data comes rather than "Recording".
        if (m_sinceData.elapsed() >= kQuietMs)
            le_statusConnection->setText("No more data from the device: " + QString::number(bytes));
        else
            le_statusConnection->setText("Recording: " + QString::number(bytes));
    } else if (record == kRecordFinished) {
        le_statusConnection->setText("Data Transmission finished");
        pb_openTrace->setEnabled(true);
    }
}
