#include "GeneralOptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "TraceController.h"
#include "UserPrompts.h"

namespace {
// The box about the image-analysis switch, and the one about a search limit out of range (titled
// after the field it is about).
const char kBoxTitle[] = "Image Analysis Changed";
const char kSearchLimitTitle[] = "Max. Elements Search";
} // namespace

CGeneralOptionsDialog::CGeneralOptionsDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    SetupUi();
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_buttonDialog, &QDialogButtonBox::accepted, this, &CGeneralOptionsDialog::SLTacceptButton);
    connect(m_buttonDialog, &QDialogButtonBox::rejected, this, &QWidget::hide);
    connect(pb_changeDir, &QPushButton::clicked, this, &CGeneralOptionsDialog::SLTOpenChangeDirDialog);
}

void CGeneralOptionsDialog::SetupUi()
{
    setObjectName("OptionGeneral");
    setWindowTitle("Preferences");
    resize(426, 212);
    setMaximumWidth(426);
    auto* verticalLayout_4 = new QVBoxLayout(this);
    verticalLayout_4->setObjectName("verticalLayout_4");
    // With the button box's least width of 408 these margins make the dialog exactly 426 wide.
    verticalLayout_4->setContentsMargins(9, 9, 9, 9);

    auto* groupBox_4 = new QGroupBox("General", this);
    groupBox_4->setObjectName("groupBox_4");
    auto* verticalLayout_2 = new QVBoxLayout(groupBox_4);
    verticalLayout_2->setObjectName("verticalLayout_2");
    cb_exportSaveIds = new QCheckBox("Save Frames/Calls line numbers", groupBox_4);
    cb_exportSaveIds->setObjectName("cb_exportSaveIds");
    cb_exportSaveIds->setChecked(true);
    verticalLayout_2->addWidget(cb_exportSaveIds);
    cb_imageAnaEnabled = new QCheckBox("Enable Image Analysis ", groupBox_4);
    cb_imageAnaEnabled->setObjectName("cb_imageAnaEnabled");
    cb_imageAnaEnabled->setChecked(true);
    verticalLayout_2->addWidget(cb_imageAnaEnabled);
    auto* horizontalLayout_2 = new QHBoxLayout;
    horizontalLayout_2->setObjectName("horizontalLayout_2");
    auto* label = new QLabel("Max. number of returned search results:", groupBox_4);
    label->setObjectName("label");
    horizontalLayout_2->addWidget(label);
    le_maxSearch = new QLineEdit(groupBox_4);
    le_maxSearch->setObjectName("le_maxSearch");
    le_maxSearch->setMaximumWidth(50);
    horizontalLayout_2->addWidget(le_maxSearch);
    verticalLayout_2->addLayout(horizontalLayout_2);
    verticalLayout_4->addWidget(groupBox_4);

    auto* groupBox_3 = new QGroupBox("Shader Compiler", this);
    groupBox_3->setObjectName("groupBox_3");
    auto* verticalLayout = new QVBoxLayout(groupBox_3);
    verticalLayout->setObjectName("verticalLayout");
    auto* horizontalLayout = new QHBoxLayout;
    horizontalLayout->setObjectName("horizontalLayout");
    l_pathCompiler = new QLabel("Path", groupBox_3);
    l_pathCompiler->setObjectName("l_pathCompiler");
    l_pathCompiler->setMaximumSize(450, 50);
    l_pathCompiler->setTextFormat(Qt::PlainText);
    horizontalLayout->addWidget(l_pathCompiler);
    pb_changeDir = new QPushButton("...", groupBox_3);
    pb_changeDir->setObjectName("pb_changeDir");
    pb_changeDir->setMaximumWidth(25);
    horizontalLayout->addWidget(pb_changeDir);
    verticalLayout->addLayout(horizontalLayout);
    verticalLayout_4->addWidget(groupBox_3);

    m_buttonDialog = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttonDialog->setObjectName("m_buttonDialog");
    m_buttonDialog->setMinimumSize(408, 23);
    verticalLayout_4->addWidget(m_buttonDialog);
}

void CGeneralOptionsDialog::showEvent(QShowEvent* event)
{
    const CViewerOptions& options = CTraceController::Instance()->Options();
    l_pathCompiler->setText(options.ShaderCompilerPath());
    cb_exportSaveIds->setChecked(options.ExportIDCalls());
    cb_imageAnaEnabled->setChecked(options.ImageAnalysisEnabled());
    le_maxSearch->setText(QString::number(options.MaxSearchItems()));
    QDialog::showEvent(event);
}

void CGeneralOptionsDialog::SLTOpenChangeDirDialog()
{
    // The controller changes only when the dialog is accepted. "*": executables here mostly have
    // no extension, and "*.*" would hide them.
    const QString name = CTraceController::Instance()->Prompts().OpenFileName("Open Shader Compiler", "Compiler (*)");
    if (!name.isEmpty())
        l_pathCompiler->setText(name);
}

void CGeneralOptionsDialog::SLTacceptButton()
{
    CTraceController* controller = CTraceController::Instance();
    CUserPrompts& prompts = controller->Prompts();
    CViewerOptions& options = controller->Options();
    if (cb_imageAnaEnabled->isChecked() != options.ImageAnalysisEnabled())
        prompts.Information(this, kBoxTitle, "Trace must be reloaded to apply changes");

    bool number = false;
    const int maxSearch = le_maxSearch->text().toInt(&number, 10);
    if (!number || maxSearch < kMinSearchItems || maxSearch > kMaxSearchItems) {
        prompts.Information(this, kSearchLimitTitle, "Please use a number between 10 and 10000 for Max. Elements Search");
        return;
    }
    options.SetMaxSearchItems(maxSearch);
    options.SetShaderCompilerPath(l_pathCompiler->text());
    options.SetExportIDCalls(cb_exportSaveIds->isChecked());
    options.SetImageAnalysisEnabled(cb_imageAnaEnabled->isChecked());
    accept();
}
