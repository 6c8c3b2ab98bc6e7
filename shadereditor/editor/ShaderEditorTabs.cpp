// The tabbed form of the shader editor: tabs, new files, opening, saving and closing.
#include "ShaderEditor.h"

#include "ShaderEditPanel.h"
#include "ShaderRegex.h"
#include "WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <climits>
#include <cstdlib>

void CShaderEditor::SetTabWidget(QTabWidget* tabs)
{
    if (m_tabs || !tabs)
        return;
    delete m_embedded;
    m_embedded = nullptr;
    m_tabs = tabs;
    layout()->addWidget(tabs);
    connect(tabs, &QTabWidget::currentChanged, this, &CShaderEditor::OnPanelChanged);
    connect(tabs, &QTabWidget::tabCloseRequested, this, &CShaderEditor::OnCloseTabRequest);
    tabs->tabBar()->installEventFilter(this);
}

CShaderEditPanel* CShaderEditor::PanelOfTab(int index) const
{
    QWidget* page = m_tabs ? m_tabs->widget(index) : nullptr;
    return page ? page->findChild<CShaderEditPanel*>(QStringLiteral("EditPanel"), Qt::FindDirectChildrenOnly) : nullptr;
}

int CShaderEditor::TabOfPanel(const QObject* panel) const
{
    for (int i = 0; m_tabs && panel && i < m_tabs->count(); ++i)
        if (PanelOfTab(i) == panel)
            return i;
    return -1;
}

void CShaderEditor::AddTab(const QString& text, const char* contents, const CXQFTString& fileName, uint32_t docType)
{
    if (!m_tabs)
        return;
    const bool wasEmpty = m_tabs->count() == 0;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* panel = new CShaderEditPanel(page, fileName, contents, docType);
    panel->setObjectName(QStringLiteral("EditPanel"));
    layout->addWidget(panel);
    ConnectPanel(panel);
    const int index = m_tabs->addTab(page, text);
    m_tabs->setTabToolTip(index, QString::fromUtf8(fileName.CStr()));
    m_tabs->setCurrentIndex(index);
    if (contents) {
        panel->SetContents(contents, false);
        panel->MoveToStart();
    }
    if (wasEmpty)
        Q_EMIT StateChanged(2);
}

void CShaderEditor::OnNewFile(EShaderDocType type)
{
    static const QRegularExpression kAnyNew = MakeShaderRegex(QStringLiteral("New File.*"));
    static const QRegularExpression kNumbered = MakeShaderRegex(QStringLiteral("New File \\((\\d+)\\)"));
    // The last tab that looks new decides the number, not the largest one.
    qlonglong n = 0;
    for (int i = 0; m_tabs && i < m_tabs->count(); ++i) {
        const QString text = m_tabs->tabText(i);
        if (!kAnyNew.match(text).hasMatch())
            continue;
        const QRegularExpressionMatch numbered = kNumbered.match(text);
        bool ok = false;
        const qlonglong number = numbered.hasMatch() ? numbered.captured(1).toLongLong(&ok) : 0;
        n = ok && number < LLONG_MAX ? number + 1 : 1;
    }
    QString text = QStringLiteral("New File");
    if (n >= 1)
        text += QStringLiteral(" (%1)").arg(n);
    AddTab(text, nullptr, CXQFTString(), type);
}

bool CShaderEditor::OnOpenFile()
{
    CXQFTString fileName;
    if (!m_host || !m_host->GetOpenFileName(fileName))
        return true;
    return OnOpenFile(QString::fromLocal8Bit(fileName.CStr()));
}

bool CShaderEditor::OnOpenFile(QString path)
{
    if (!m_tabs)
        return false;
    const QString native = QDir::toNativeSeparators(path);
    const CXQFTString fileName(native.toLocal8Bit().constData());
    for (int i = 0; i < m_tabs->count(); ++i)
        if (CShaderEditPanel* panel = PanelOfTab(i); panel && panel->GetFilename() == fileName) {
            m_tabs->setCurrentIndex(i);
            return true;
        }
    char* bytes = nullptr;
    size_t size = 0;
    CXQFTString error;
    if (!ReadWholeFile(fileName.CStr(), &bytes, &size, &error)) {
        if (m_host)
            m_host->ReportFileError(fileName, error);
        return false;
    }
    AddTab(QFileInfo(native).fileName(), bytes, fileName, CShaderEditPanel::kUndeterminedType);
    free(bytes);
    Q_EMIT FileOpened(native);
    return true;
}

bool CShaderEditor::SavePanel(CShaderEditPanel* panel, const CXQFTString& fileName)
{
    const QByteArray bytes = panel->EncodedText();
    CXQFTString error;
    if (WriteWholeFile(fileName.CStr(), bytes.constData(), size_t(bytes.size()), &error)) {
        panel->ClearModified();
        return true;
    }
    if (m_host)
        m_host->ReportFileError(fileName, error);
    return false;
}

bool CShaderEditor::SaveTab(int index)
{
    if (index == -1)
        return true;
    CShaderEditPanel* panel = PanelOfTab(index);
    if (!panel)
        return false;
    return panel->GetFilename().IsEmpty() ? SaveTabAs(index) : SavePanel(panel, panel->GetFilename());
}

bool CShaderEditor::SaveTabAs(int index)
{
    if (index == -1)
        return true;
    CShaderEditPanel* panel = PanelOfTab(index);
    if (!panel)
        return false;
    CXQFTString fileName;
    if (!m_host || !m_host->GetSaveFileName(panel->GetDocType(), fileName))
        return true;   // cancelled: nothing failed (a closing tab stays, being still modified)
    if (!SavePanel(panel, fileName))
        return false;
    panel->SetFilename(fileName);
    return true;
}

bool CShaderEditor::OnSaveCurrentTab()
{
    return m_tabs ? SaveTab(m_tabs->currentIndex()) : true;
}

bool CShaderEditor::OnSaveCurrentTabAs()
{
    return m_tabs ? SaveTabAs(m_tabs->currentIndex()) : true;
}

bool CShaderEditor::OnSaveAllTabs()
{
    bool all = true;
    for (int i = 0; m_tabs && i < m_tabs->count(); ++i) {
        CShaderEditPanel* panel = PanelOfTab(i);
        if (!panel)
            continue;
        const bool saved = panel->GetFilename().IsEmpty() ? SaveTabAs(i) : SavePanel(panel, panel->GetFilename());
        all = saved && all;
    }
    return all;
}

bool CShaderEditor::MayClose(int index)
{
    CShaderEditPanel* panel = PanelOfTab(index);
    if (!panel || !panel->IsModified() || !m_host)
        return true;
    switch (m_host->AskSaveChanges()) {
    case QMessageBox::Save:
        // A failed save or a cancelled Save As leaves the document modified: it stays open.
        SaveTab(index);
        return !panel->IsModified();
    case QMessageBox::Cancel:
        return false;
    default:
        return true;
    }
}

void CShaderEditor::OnCloseTabRequest(int index)
{
    if (!m_tabs || index < 0 || index >= m_tabs->count() || !MayClose(index))
        return;
    QWidget* page = m_tabs->widget(index);
    m_tabs->removeTab(index);
    page->deleteLater();
    if (m_tabs->count() == 0)
        Q_EMIT StateChanged(1);
}

void CShaderEditor::OnCloseCurrentTab()
{
    if (m_tabs)
        OnCloseTabRequest(m_tabs->currentIndex());
}

bool CShaderEditor::OnCloseAllTabs()
{
    while (m_tabs && m_tabs->count() > 0) {
        const int before = m_tabs->count();
        OnCloseTabRequest(0);
        if (m_tabs->count() == before)
            return false;   // the user kept it
    }
    return true;
}

bool CShaderEditor::CloseByMiddleButton(const QPoint& globalPos)
{
    if (!m_tabs || !CShaderEditController::Instance()->GetEditorSettings().CloseTabsMiddleMouse)
        return false;
    QTabBar* bar = m_tabs->tabBar();
    const int index = bar->tabAt(bar->mapFromGlobal(globalPos));
    if (index < 0)
        return false;
    // A modified tab is asked about like any other close; the answer may keep it.
    if (MayClose(index)) {
        QWidget* page = m_tabs->widget(index);
        m_tabs->removeTab(index);
        page->deleteLater();
    }
    return true;
}

void CShaderEditor::OnPanelContentChanged(bool modified)
{
    const int index = TabOfPanel(sender());
    if (index < 0)
        return;
    QString text = m_tabs->tabText(index);
    if (modified && !text.contains(QLatin1Char('*')))
        text += QStringLiteral(" *");
    else if (!modified && text.contains(QLatin1Char('*')))
        text.chop(2);
    m_tabs->setTabText(index, text);
}

void CShaderEditor::OnPanelFilenameChanged(QString fileName)
{
    const int index = TabOfPanel(sender());
    if (index < 0)
        return;
    m_tabs->setTabText(index, QFileInfo(fileName).fileName());
    m_tabs->setTabToolTip(index, QDir::toNativeSeparators(fileName));
}
