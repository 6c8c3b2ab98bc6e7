#include "imageanalysis/ImaAnalDialog.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {
// A group box holding exclusive radio buttons, top to bottom.
QGroupBox* RadioGroup(QDialog* dialog, const char* name, const char* title, std::initializer_list<QRadioButton*> buttons)
{
    auto* box = new QGroupBox(title, dialog);
    box->setObjectName(name);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    group->setExclusive(true);
    for (QRadioButton* b : buttons) {
        b->setParent(box);
        layout->addWidget(b);
        group->addButton(b);
    }
    return box;
}

QRadioButton* Radio(const char* name, const char* text)
{
    auto* b = new QRadioButton(text);
    b->setObjectName(name);
    return b;
}
} // namespace

void Ui_ImageAnalysOptionDialog::setupUi(QDialog* dialog)
{
    dialog->setObjectName("ImageAnalysOptionDialog");
    dialog->setWindowTitle("Image Analysis Options");
    verticalLayout = new QVBoxLayout(dialog);
    rb_scrubber = Radio("rb_scrubber", "Scrubber");
    rb_singlePrimitive = Radio("rb_singlePrimitive", "Single Primitive ");
    rb_range = Radio("rb_range", "Range");
    groupBox = RadioGroup(dialog, "groupBox", "Selection", {rb_scrubber, rb_singlePrimitive, rb_range});
    rb_scrubber->setChecked(true);
    cb_highlight = Radio("cb_highlight", "Highlight Selection");
    radioButton = Radio("radioButton", "Show Selection");
    groupBox_2 = RadioGroup(dialog, "groupBox_2", "Effect", {cb_highlight, radioButton});
    radioButton->setChecked(true);
    auto* groups = new QHBoxLayout();
    groups->addWidget(groupBox);
    groups->addWidget(groupBox_2);
    verticalLayout->addLayout(groups);
    cb_lockRange = new QCheckBox("Lock Range between frames", dialog);
    cb_lockRange->setObjectName("cb_lockRange");
    verticalLayout->addWidget(cb_lockRange);
    cb_invertRange = new QCheckBox("Invert Range", dialog);
    cb_invertRange->setObjectName("cb_invertRange");
    verticalLayout->addWidget(cb_invertRange);
    pb_accept = new QPushButton("Apply", dialog);
    pb_accept->setObjectName("pb_accept");
    verticalLayout->addWidget(pb_accept, 0, Qt::AlignRight);
    // At least 293 x 195 and whatever the labels need at the font in use; it grows in width only.
    const QSize size = dialog->minimumSizeHint().expandedTo(QSize(293, 195));
    dialog->setMinimumSize(size);
    dialog->setMaximumSize(std::max(450, size.width()), size.height());
    dialog->resize(size);
}

CImaAnalDialog::CImaAnalDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui.setupUi(this);
    ui.cb_lockRange->setChecked(true);
    connect(ui.pb_accept, &QPushButton::clicked, this, &CImaAnalDialog::SLTacceptButton);
}

void CImaAnalDialog::SLTacceptButton()
{
    choice = ui.rb_scrubber->isChecked() ? kScrubber : ui.rb_singlePrimitive->isChecked() ? kSinglePrimitive : kRange;
    highlight = ui.cb_highlight->isChecked();
    lockRange = ui.cb_lockRange->isChecked();
    invertRange = ui.cb_invertRange->isChecked();
    accept();
}
