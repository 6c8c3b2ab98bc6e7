#include "states/ShaderListWidget.h"

#include <QHBoxLayout>
#include <QTreeWidget>

#include <unordered_map>
#include <unordered_set>

#include "TraceController.h"
#include "TraceStatistics.h"
#include "common/ViewWidgets.h"
#include "apicall/CallInfo.h"
#include "data/TraceData.h"

namespace {
const int kCallRole = 100;
const uint32_t kFragmentShader = 0x8B30;

// The one-line text of the call's third argument (the source strings of glShaderSource).
QString SourcesText(CTraceData& trace, uint32_t callNumber)
{
    STraceCall* entry = trace.GetCall(callNumber);
    CGenCallInfo* info = entry ? entry->GetCallInfo() : nullptr;
    const std::vector<SApiTypeBase*>* arguments = info ? info->GetArguments() : nullptr;
    if (!arguments || arguments->size() < 3 || !(*arguments)[2])
        return QString();
    CXQFTString text;
    (*arguments)[2]->ToString(text, nullptr);
    return QString::fromLatin1(text.CStr());
}
} // namespace

CShaderListWidget::CShaderListWidget(QWidget* parent, Qt::WindowFlags flags) : QFrame(parent, flags)
{
    SetupUi();
}

void CShaderListWidget::SetupUi()
{
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tree = NewListTree();
    layout->addWidget(m_tree);
    connect(m_tree, &QTreeWidget::itemClicked, this, &CShaderListWidget::onShaderClick);
}

void CShaderListWidget::UpdatedTrace(bool clean)
{
    // A dropped trace takes its rows along: a failed open after it must not leave rows whose call
    // numbers point into nothing.
    if (clean)
        m_tree->clear();
    else
        Populate();
}

void CShaderListWidget::Populate()
{
    m_tree->clear();
    CTraceController* controller = CTraceController::Instance();
    CTraceData* trace = controller->GetTrace();
    CTraceStatistics* statistics = controller->GetStatistics();
    if (!trace || !statistics)
        return;
    const std::vector<SShaderAttachment> attachments = *statistics->GetAttachments();
    const std::vector<SShaderSource> sources = *statistics->GetShaderSources();
    // Sources of each shader in call order.
    std::unordered_map<uint32_t, std::vector<const SShaderSource*>> byShader;
    for (const SShaderSource& s : sources)
        byShader[s.shaderName].push_back(&s);

    QFont bold = m_tree->font();
    bold.setWeight(QFont::Bold);
    QList<QTreeWidgetItem*> programs;
    for (const SShaderAttachment& a : attachments) {
        auto* program = new QTreeWidgetItem(QStringList("Program: " + QString::number(a.programName)));
        program->setFont(0, bold);
        // A shader attached again (each time a program is rebuilt) is listed once; its sources
        // are told apart by the call that gave them.
        std::unordered_set<uint32_t> listed;
        for (uint32_t shader : a.shaderNames) {
            const auto found = byShader.find(shader);
            if (found == byShader.end() || !listed.insert(shader).second)
                continue;
            for (const SShaderSource* s : found->second) {
                const QString text = "ShaderId: " + QString::number(shader) +
                                     (s->shaderType == kFragmentShader ? " FRAGMENT" : " VERTEX") + "  call " +
                                     QString::number(s->callNumber) + "  " + SourcesText(*trace, s->callNumber);
                auto* row = new QTreeWidgetItem(QStringList(text));
                row->setData(0, kCallRole, int(s->callNumber));
                program->addChild(row);
            }
        }
        programs.append(program);
    }
    m_tree->addTopLevelItems(programs);
}

void CShaderListWidget::onShaderClick(QTreeWidgetItem* item)
{
    if (!item)
        return;
    bool ok = false;
    const int callNumber = item->data(0, kCallRole).toInt(&ok);
    if (ok)
        Q_EMIT ShaderSelected(callNumber);
}
