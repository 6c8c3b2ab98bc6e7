#pragma once
// The image-analysis options: how the scrubber window is used (scrubber, single primitive or
// range), whether it is highlighted or shown alone, locked between frames and inverted. The choices
// are copied into the members when "Apply" accepts the dialog.
#include <QDialog>

#include <cstdint>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

struct Ui_ImageAnalysOptionDialog
{
    QVBoxLayout* verticalLayout = nullptr;
    QGroupBox* groupBox = nullptr;        // "Selection"
    QRadioButton* rb_scrubber = nullptr;
    QRadioButton* rb_singlePrimitive = nullptr;
    QRadioButton* rb_range = nullptr;
    QGroupBox* groupBox_2 = nullptr;      // "Effect"
    QRadioButton* cb_highlight = nullptr;
    QRadioButton* radioButton = nullptr;  // "Show Selection"
    QCheckBox* cb_lockRange = nullptr;
    QCheckBox* cb_invertRange = nullptr;
    QPushButton* pb_accept = nullptr;

    void setupUi(QDialog* dialog);
};

class CImaAnalDialog : public QDialog
{
    Q_OBJECT
public:
    enum EChoice : uint32_t { kScrubber = 1, kSinglePrimitive = 2, kRange = 3 };

    explicit CImaAnalDialog(QWidget* parent = nullptr);
    const Ui_ImageAnalysOptionDialog& Form() const { return ui; }

    Ui_ImageAnalysOptionDialog ui;
    uint32_t choice = kScrubber;
    uint8_t lockRange = 0;
    uint8_t highlight = 0;
    uint8_t invertRange = 0;

public Q_SLOTS:
    void SLTacceptButton();
};
