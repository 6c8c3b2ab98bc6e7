#include "calllist/CallItemWidget.h"

#include <QDebug>
#include <QDesktopServices>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QToolTip>

#include <string_view>

#include "CallQueries.h"
#include "CallValues.h"
#include "TraceController.h"
#include "TraceStatistics.h"
#include "calllist/CallLineLabel.h"
#include "calllist/CallListColours.h"
#include "apicall/ApiCall.h"
#include "data/TraceData.h"

using namespace calllistcolours;

namespace {
constexpr int kTextX = 5;
constexpr int kMarkerWidth = 15;
}  // namespace

CCallItemWidget::CCallItemWidget(QWidget* parent)
    : QWidget(parent), m_controller(CTraceController::Instance()), m_text(new CCallLineLabel(this)),
      m_marker(new QLabel(this))
{
    m_text->setAutoFillBackground(true);
    m_text->move(kTextX, kTextX);
    // The row answers for its labels: tool tips and clicks are found by the row's x.
    m_text->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marker->setAutoFillBackground(true);
    m_marker->setFixedWidth(kMarkerWidth);
    m_marker->hide();
    setAutoFillBackground(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &CCallItemWidget::SLTShowContextMenu);
    // An internal action no menu shows.
    auto* edit = new QAction(QStringLiteral("Edit"), this);
    connect(edit, &QAction::triggered, this, &CCallItemWidget::SLTclickLabel);
}

int CCallItemWidget::RowHeight() const { return fontMetrics().height() + 10; }

void CCallItemWidget::SetRowColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::All, QPalette::Window, colour);
    setPalette(p);
}

void CCallItemWidget::SetBackground(const QColor& colour) { SetRowColour(colour); }

QColor CCallItemWidget::Background() const { return palette().color(QPalette::Active, QPalette::Window); }

bool CCallItemWidget::IsMarkerShown() const { return !m_marker->isHidden(); }

void CCallItemWidget::SetCall(STraceCall* entry, u32 callNumber, u8 alternate, u32 kind, u8 filtered,
                              u8 highlighted)
{
    m_call = entry;
    m_callNumber = callNumber;
    m_alternate = alternate;
    m_kind = kind;
    m_filtered = filtered;
    m_highlighted = highlighted;
    m_marker->hide();

    if (kind != kRowOrdinary) {
        m_stored = kDrawCall;
        if (kind == kRowRangeStart || kind == kRowRangeEnd) {
            QPalette p = m_marker->palette();
            p.setColor(QPalette::All, QPalette::Window, kind == kRowRangeStart ? kRangeStartMark : kRangeEndMark);
            m_marker->setPalette(p);
            m_marker->show();
        }
    } else {
        m_stored = alternate ? kEvenRow : kOddRow;
    }
    if (highlighted)
        m_stored = kHighlighted;
    SetRowColour(m_stored);

    if (!entry || !entry->call) {
        m_parts = {};
        m_richText.clear();
        m_text->ClearLine();
        return;
    }
    m_parts = DescribeCallRow(*entry->call);
    const QColor* colour = nullptr;
    if (filtered)
        colour = &kFilteredText;
    else if (!highlighted)
        colour = m_controller->GetDisabledCalls().count(callNumber) ? &kDisabledText : &kText;
    m_richText = CallRowRichText(m_parts, colour);

    using Part = CCallLineLabel::SPart;
    std::vector<Part> line;
    line.reserve(size_t(2 * m_parts.arguments.size()) + 6);
    line.push_back({m_parts.name, CCallLineLabel::kBold, false, {}, true});
    line.push_back({QStringLiteral(" ("), CCallLineLabel::kPlain, false, {}, false});
    for (int i = 0; i < m_parts.arguments.size(); ++i) {
        if (i)
            line.push_back({QStringLiteral(" , "), CCallLineLabel::kPlain, false, {}, false});
        line.push_back({m_parts.arguments[i], CCallLineLabel::kPlain, false, {}, true});
    }
    line.push_back({QStringLiteral(" )"), CCallLineLabel::kPlain, false, {}, false});
    if (m_parts.result) {
        line.push_back({QStringLiteral(" : "), CCallLineLabel::kItalic, false, {}, false});
        line.push_back({*m_parts.result, CCallLineLabel::kItalic, false, {}, true});
    }
    if (m_parts.error) {
        static const QColor kError(0xff, 0x66, 0x00);
        line.push_back({QStringLiteral(" ! "), CCallLineLabel::kPlain, true, kError, false});
        line.push_back({*m_parts.error, CCallLineLabel::kPlain, true, kError, true});
    }
    m_text->SetLine(std::move(line), colour);
}

void CCallItemWidget::SetSelected(bool selected) { SetRowColour(selected ? kSelected : m_stored); }

void CCallItemWidget::SetInAnalysisRange(bool inRange)
{
    m_stored = inRange ? kDrawInRange : kDrawCall;
    SetRowColour(m_stored);
}

void CCallItemWidget::SLTclickLabel() { qDebug() << "Who knows"; }

QString CCallItemWidget::ToolTipAt(int x)
{
    if (!m_call || !m_call->call)
        return {};
    const int argumentCount = m_parts.arguments.size();
    const auto& spans = m_text->Spans();
    x -= m_text->x();
    for (size_t i = 0; i < spans.size(); ++i) {
        if (x < spans[i].start || x > spans[i].end)
            continue;
        CApiCall& call = *m_call->call;
        if (i == 0)
            return CallSignatureTip(call, m_callNumber);
        const int argument = int(i) - 1;
        if (argument < argumentCount)
            return CallArgumentTip(call, argument);
        if (argument == argumentCount && m_parts.result)
            return CallResultTip(call);
        return CallErrorTip(call);
    }
    return {};
}

bool CCallItemWidget::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString tip = ToolTipAt(help->pos().x());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            e->ignore();
            return false;
        }
        // As markup, so that a recorded '<' cannot turn the tip into rich text.
        QToolTip::showText(help->globalPos(),
                           QStringLiteral("<p style=\"white-space:pre\">") + tip.toHtmlEscaped() + QStringLiteral("</p>"),
                           this);
        return true;
    }
    case QEvent::MouseButtonPress:
        Q_EMIT SIGRequestTemporalSelection(int(m_callNumber));
        break;
    case QEvent::Enter:
        m_hover = 1;
        update();
        break;
    case QEvent::Leave:
        m_hover = 0;
        update();
        break;
    case QEvent::LayoutRequest:
        e->ignore();
        return false;
    default:
        break;
    }
    return QWidget::event(e);
}

void CCallItemWidget::mousePressEvent(QMouseEvent* e)
{
    QWidget::mousePressEvent(e);
    RequestViews();
}

void CCallItemWidget::RequestViews()
{
    if (!m_call || !m_call->call)
        return;
    const uint16_t id = m_call->call->GetCallId();
    if (IsShaderSource(id)) {
        Q_EMIT SIGRequestShowText(int(m_callNumber));
    } else if (IsTextureUpload(id) || IsTextureBind(id) || std::string_view(CallCategory(id)) == "Texture") {
        // The texture viewer shows the texture as it stands at this call, or nothing (a call of the
        // texture category that shows none, such as glGenTextures, clears what an earlier call showed).
        Q_EMIT SIGRequestShowImage(int(m_callNumber));
    }
}

void CCallItemWidget::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    if (!m_hover)
        return;
    QPainter painter(this);
    painter.setPen(kHoverFrame);
    painter.drawLine(0, height() - 1, width(), height() - 1);
    painter.drawLine(0, 0, 0, height());
}

void CCallItemWidget::LayoutLabels()
{
    // The line is clipped at the row's right edge.
    m_text->resize(std::max(1, width() - m_text->x()), fontMetrics().height());
    m_marker->setGeometry(width() - 20, m_text->y(), 14, m_text->height());
}

void CCallItemWidget::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    LayoutLabels();
}

void CCallItemWidget::FillContextMenu(QMenu& menu)
{
    if (!m_call || !m_call->call)
        return;
    const std::set<u32>* filters = nullptr;
    const std::set<u32>* highlights = nullptr;
    m_controller->GetFilterSets(&filters, &highlights);
    const std::set<u32>& disabled = m_controller->GetDisabledCalls();
    CTraceController* c = m_controller;
    const u32 function = m_call->call->GetCallId();
    const u32 callNumber = m_callNumber;
    const bool draw = m_kind != kRowOrdinary;

    auto add = [&](QMenu& to, const char* text, auto effect) {
        QAction* action = to.addAction(QString::fromLatin1(text));
        connect(action, &QAction::triggered, this, effect);
    };
    auto listChanged = [this] { Q_EMIT SIGRequestUpdateItemList(); };
    auto ignoresChanged = [this] { Q_EMIT SIGUpdateListIgnores(); };

    if (m_filtered) {
        if (!draw)
            add(menu, "Remove Filter", [=] { c->SetFunctionFiltered(function, false); listChanged(); });
        if (!filters->empty())
            add(menu, "Remove All Filters", [=] { c->ClearFilterSet(); listChanged(); });
    } else {
        if (!draw)
            add(menu, "Add Filter", [=] { c->SetFunctionFiltered(function, true); listChanged(); });
        if (!filters->empty())
            add(menu, "Remove All Filters", [=] { c->ClearFilterSet(); listChanged(); });
        if (!m_highlighted)
            add(menu, "Add HighLight", [=] { c->SetFunctionHighlighted(function, true); listChanged(); });
        else
            add(menu, "Remove HighLight", [=] { c->SetFunctionHighlighted(function, false); listChanged(); });
        if (!highlights->empty())
            add(menu, "Remove All HighLights", [=] { c->ClearHighlightSet(); listChanged(); });
    }

    menu.addSeparator();
    QMenu* trace = menu.addMenu(QStringLiteral("Trace"));
    if (!disabled.count(callNumber))
        add(*trace, "Disable Call", [=] { c->SetCallDisabled(callNumber, true); ignoresChanged(); });
    else
        add(*trace, "Enable Call", [=] { c->SetCallDisabled(callNumber, false); ignoresChanged(); });
    if (!disabled.empty())
        add(*trace, "Clear Disabled Calls", [=] { c->ClearDisabledCalls(); ignoresChanged(); });

    if (draw) {
        menu.addSeparator();
        if (m_controller->GetRangeMode())
            add(menu, "Select First Draw Call", [=, this] { Q_EMIT SIGRequestImageAnalysRange(int(callNumber), false); });
        add(menu, "Select Last Draw Call", [=, this] { Q_EMIT SIGRequestImageAnalysRange(int(callNumber), true); });
    }

    menu.addSeparator();
    const QString name = QString::fromUtf8(m_call->call->GetName());
    add(menu, "Function Quick Help", [=] { QDesktopServices::openUrl(QuickHelpUrl(name)); });
}

void CCallItemWidget::SLTShowContextMenu(const QPoint& pos)
{
    QMenu menu(this);
    FillContextMenu(menu);
    if (!menu.isEmpty())
        menu.exec(mapToGlobal(pos));
}
