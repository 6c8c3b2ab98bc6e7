#include "search/SearchDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "UserPrompts.h"

CSearchDialog::CSearchDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    SetupUi();
    cb_lookIn->addItems({"Current Frame", "Whole Trace"});
    cb_findWhat->installEventFilter(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    pb_cancelSearch->setEnabled(false);
    connect(pb_accept, &QPushButton::clicked, this, &CSearchDialog::SLTacceptButton);
    connect(pb_cancelSearch, &QPushButton::clicked, CTraceController::Instance(),
            &CTraceController::SLTRequestCancelSearch);
    connect(pb_cancelSearch, &QPushButton::clicked, this, &QWidget::hide);
}

void CSearchDialog::SetupUi()
{
    setObjectName("SearchDialog");
    setWindowTitle("Find");
    resize(436, 207);
    auto* verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName("verticalLayout");

    auto* verticalLayout_2 = new QVBoxLayout;
    verticalLayout_2->setObjectName("verticalLayout_2");
    auto* label = new QLabel("Find what:", this);
    label->setObjectName("label");
    verticalLayout_2->addWidget(label);
    cb_findWhat = new QComboBox(this);
    cb_findWhat->setObjectName("cb_findWhat");
    cb_findWhat->setEditable(true);
    verticalLayout_2->addWidget(cb_findWhat);
    verticalLayout->addLayout(verticalLayout_2);

    auto* verticalLayout_3 = new QVBoxLayout;
    verticalLayout_3->setObjectName("verticalLayout_3");
    auto* label_2 = new QLabel("Look in:", this);
    label_2->setObjectName("label_2");
    verticalLayout_3->addWidget(label_2);
    cb_lookIn = new QComboBox(this);
    cb_lookIn->setObjectName("cb_lookIn");
    cb_lookIn->setEditable(false);
    verticalLayout_3->addWidget(cb_lookIn);
    verticalLayout->addLayout(verticalLayout_3);

    auto* groupBox = new QGroupBox("Options", this);
    groupBox->setObjectName("groupBox");
    auto* verticalLayout_4 = new QVBoxLayout(groupBox);
    verticalLayout_4->setObjectName("verticalLayout_4");
    cb_mathExact = new QCheckBox("Case Sensitive", groupBox);
    cb_mathExact->setObjectName("cb_mathExact");
    verticalLayout_4->addWidget(cb_mathExact);
    auto* verticalLayout_5 = new QVBoxLayout;
    verticalLayout_5->setObjectName("verticalLayout_5");
    verticalLayout_5->addWidget(groupBox);
    verticalLayout->addLayout(verticalLayout_5);

    auto* horizontalLayout = new QHBoxLayout;
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->addStretch(1);
    pb_cancelSearch = new QPushButton("Cancel", this);
    pb_cancelSearch->setObjectName("pb_cancelSearch");
    pb_cancelSearch->setAutoDefault(false);
    horizontalLayout->addWidget(pb_cancelSearch);
    pb_accept = new QPushButton("Find", this);
    pb_accept->setObjectName("pb_accept");
    pb_accept->setAutoDefault(false);
    horizontalLayout->addWidget(pb_accept);
    verticalLayout->addLayout(horizontalLayout);
}

void CSearchDialog::SLTacceptButton()
{
    CTraceController::SSearchParam param;
    param.pattern = cb_findWhat->currentText();
    param.wholeTrace = cb_lookIn->currentIndex() > 0;
    param.caseSensitive = cb_mathExact->isChecked();
    if (param.pattern.size() < kMinPatternLength) {
        CTraceController::Instance()->Prompts().Information(
            nullptr, "Search text too short.", "Please use " + QString::number(kMinPatternLength) + " or more characters.");
        return;
    }
    close();
    Q_EMIT SIGRequestedSearch(param);
}

bool CSearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cb_findWhat && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SLTacceptButton();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CSearchDialog::showEvent(QShowEvent* event)
{
    pb_cancelSearch->setEnabled(CTraceController::Instance()->IsSearchStarted());
    QDialog::showEvent(event);
}
