#include "ShaderEditPanel.h"

#include "ShaderHighlightController.h"
#include "ShaderHighlighter.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QColor kCycleGutterColour(191, 215, 215);

int DecimalDigits(int64_t value)
{
    int digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString LeadingBlanks(const QString& line)
{
    qsizetype n = 0;
    while (n < line.size() && IsBlank(line[n]))
        ++n;
    return line.left(n);
}

// The characters as QTextDocument::toPlainText gives them, so that ranges compare 1:1.
QString PlainChars(QString text)
{
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
        else if (c == QChar::Nbsp)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

CLineNumberArea::CLineNumberArea(CShaderEditPanel* panel, uint32_t kind) : QWidget(panel), m_panel(panel), m_kind(kind)
{
}

QSize CLineNumberArea::sizeHint() const
{
    return m_kind <= kCycleCounts ? QSize(m_panel->GutterWidth(m_kind), 0) : QSize(0, 0);
}

void CLineNumberArea::paintEvent(QPaintEvent* event)
{
    m_panel->PaintGutter(event, m_kind);
}

CShaderEditPanel::CShaderEditPanel(QWidget* parent, const CXQFTString& fileName, const char* contents,
                                   uint32_t docType)
    : QPlainTextEdit(parent), m_fileName(fileName), m_docType(docType)
{
    m_lineNumberArea = new CLineNumberArea(this, CLineNumberArea::kLineNumbers);
    m_cycleCountArea = new CLineNumberArea(this, CLineNumberArea::kCycleCounts);
    const QString name = QString::fromLocal8Bit(fileName.CStr());
    m_panelId = CShaderEditController::MakePanelHash(name);
    connect(this, &QPlainTextEdit::updateRequest, this, &CShaderEditPanel::UpdateLineNumberArea);
    connect(document(), &QTextDocument::contentsChange, this, &CShaderEditPanel::OnTextChanged);

    CShaderHighlightController* scheme = CShaderHighlightController::Instance();
    OnFontChanged(scheme->GetFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    UpdateMargins();

    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1);
    if (contents && m_docType == kUndeterminedType)
        m_docType = DetectShaderDocType(DecodeShaderText(QByteArrayView(contents, qsizetype(strlen(contents)))).text,
                                        extension);

    // A child of the document, which the panel owns.
    m_highlighter = new CShaderHighlighter(document(), m_docType);
    connect(m_highlighter, &CShaderHighlighter::RequestDocumentType, this, &CShaderEditPanel::OnRequestDocumentType);
    connect(scheme, &CShaderHighlightController::SyntaxColoursChanged, m_highlighter, &QSyntaxHighlighter::rehighlight);
    connect(CShaderEditController::Instance(), &CShaderEditController::CompilerSettingsChanged, this,
            &CShaderEditPanel::OnCompilerSettingsChanged);
    connect(scheme, &CShaderHighlightController::FontChanged, this, &CShaderEditPanel::OnFontChanged);
}

CShaderEditPanel::~CShaderEditPanel()
{
    // The highlighter clears its formats when it goes, which the document reports as a change:
    // the panel is half gone by then and must not hear of it.
    disconnect(document(), nullptr, this, nullptr);
    disconnect(this, nullptr, this, nullptr);
    delete m_highlighter;
}

QString CShaderEditPanel::PlainText() const
{
    return document()->toPlainText();
}

void CShaderEditPanel::SetContents(const char* text, bool detect)
{
    const QByteArrayView bytes = text ? QByteArrayView(text, qsizetype(strlen(text))) : QByteArrayView();
    const SShaderText decoded = DecodeShaderText(bytes);
    if (detect)
        m_docType = DetectShaderDocType(decoded.text, QString());
    m_encoding = decoded.encoding;
    m_crlf = decoded.crlf;
    // The counts and marks of the old text would stand beside lines they do not describe.
    m_cycleCounts = CXQFTArray<int>();
    m_messages = SCompileMessages();
    m_lineMarks.clear();
    m_messageHighlights.clear();
    m_settingContents = true;
    setPlainText(decoded.text);
    m_settingContents = false;
    document()->setModified(false);
    ApplyHighlights();
    UpdateMargins();
    m_cycleCountArea->update();
    m_lineNumberArea->update();
    RequestRecompile();
}

void CShaderEditPanel::SetDocType(uint32_t docType)
{
    if (docType == m_docType)
        return;
    m_docType = docType;
    m_highlighter->rehighlight();
    viewport()->update();
    RequestRecompile();
}

void CShaderEditPanel::SetFilename(const CXQFTString& fileName)
{
    m_fileName = fileName;
    Q_EMIT FilenameChanged(QString::fromLocal8Bit(fileName.CStr()));
}

void CShaderEditPanel::SetHighlights(uint32_t kind, const QList<QTextEdit::ExtraSelection>& selections)
{
    if (kind == 1)
        m_findHighlights = selections;
    else if (kind == 0)
        m_cursorHighlights = selections;
    ApplyHighlights();
}

void CShaderEditPanel::ApplyHighlights()
{
    setExtraSelections(m_messageHighlights + m_findHighlights + m_cursorHighlights);
}

QColor CShaderEditPanel::MarkColour(uint32_t line) const
{
    const auto it = m_lineMarks.find(line);
    if (it == m_lineMarks.end())
        return QColor();
    const Settings::SCompiler& settings = CShaderEditController::Instance()->GetCompilerSettings();
    return (it->second ? settings.ErrorFormat : settings.WarningFormat).foreground().color();
}

QStringList CShaderEditPanel::MessagesOfLine(uint32_t line) const
{
    QStringList texts;
    for (const SCompileMessage& m : m_messages.list)
        if (m.line == line)
            texts << QString::fromLocal8Bit(m.text.CStr(), qsizetype(m.text.Length()));
    return texts;
}

const QList<QTextEdit::ExtraSelection>& CShaderEditPanel::GetHighlights(uint32_t kind) const
{
    return kind == 1 ? m_findHighlights : m_cursorHighlights;
}

bool CShaderEditPanel::IsModified() const
{
    return document()->isModified();
}

void CShaderEditPanel::ClearModified()
{
    document()->setModified(false);
}

void CShaderEditPanel::MoveToStart()
{
    moveCursor(QTextCursor::Start);
}

QByteArray CShaderEditPanel::EncodedText()
{
    // The raw text keeps no-break spaces (toPlainText turns them into blanks); blocks end in U+2029.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return EncodeShaderText(text, m_encoding, m_crlf);
}

void CShaderEditPanel::RequestRecompile()
{
    m_text = PlainText();
    EmitRecompile();
}

void CShaderEditPanel::EmitRecompile()
{
    if (!CShaderEditController::Instance()->GetCompilerSettings().AutoCompile ||
        !CShaderEditController::SupportsBackgroundCompile(m_docType))
        return;
    Q_EMIT CancelCompile(m_panelId);
    Q_EMIT RecompileContents(m_panelId, m_text, EShaderDocType(m_docType), eCompileBackground);
}

bool CShaderEditPanel::RangeUnchanged(int position, int length) const
{
    const int end = std::min(position + length, document()->characterCount() - 1);
    if (position < 0 || end < position || end > m_text.size())
        return false;   // not a range of the text: take it as an edit
    QTextCursor range(document());
    range.setPosition(position);
    range.setPosition(end, QTextCursor::KeepAnchor);
    return PlainChars(range.selectedText()) == QStringView(m_text).mid(position, end - position);
}

void CShaderEditPanel::OnTextChanged(int position, int removed, int added)
{
    if (m_settingContents)
        return;   // SetContents requests one compile when the text is in
    // Re-layouts and format changes come as changes that remove as much as they add and leave
    // the characters as they were: no edit, so no compile.
    if (removed == added && RangeUnchanged(position, added))
        return;
    RequestRecompile();
}

void CShaderEditPanel::OnRequestDocumentType(CShaderHighlighter* highlighter)
{
    if (highlighter)
        highlighter->SetDocType(m_docType);
}

void CShaderEditPanel::OnCompileCycleCountChanged(CXQFTHash PanelID, CXQFTArray<int> counts)
{
    if (PanelID != m_panelId)
        return;
    m_cycleCounts = counts;
    UpdateMargins();
    m_cycleCountArea->repaint();
}

void CShaderEditPanel::OnCompileResultChanged(CXQFTHash PanelID, SCompileResult result)
{
    if (PanelID != m_panelId)
        return;
    m_messages = ParseCompileMessageLines(result.output);
    m_lineMarks.clear();
    for (const SCompileMessage& m : m_messages.list)
        if (m.line > 0 && int64_t(m.line) <= blockCount())
            m_lineMarks[m.line] |= !m.warning;
    m_messageHighlights.clear();
    for (const auto& [line, error] : m_lineMarks) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document()->findBlockByNumber(int(line) - 1));
        QColor tint = MarkColour(line);
        tint.setAlpha(48);
        mark.format.setBackground(tint);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        m_messageHighlights << mark;
    }
    ApplyHighlights();
    m_lineNumberArea->update();
}

void CShaderEditPanel::OnFontChanged(QFont font)
{
    setFont(font);
    // Four spaces, whatever the indentation setting says.
    setTabStopDistance(4 * QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')));
    UpdateMargins();
}

void CShaderEditPanel::OnCompilerSettingsChanged(Settings::SCompiler settings, unsigned int mask)
{
    Q_UNUSED(settings);
    if (mask & Settings::eCompilerCustomPath)
        RequestRecompile();
}

int CShaderEditPanel::GutterWidth(uint32_t kind) const
{
    const float w9 = float(fontMetrics().horizontalAdvance(QLatin1Char('9')));
    if (kind == CLineNumberArea::kLineNumbers)
        return int(std::ceil(w9 * (float(DecimalDigits(std::max(1, blockCount()))) + 1.3f)));
    // The longest count among the lines in view, the first line included.
    int longest = 1;
    QTextBlock block = firstVisibleBlock();
    qreal top = block.isValid() ? blockBoundingGeometry(block).translated(contentOffset()).top() : 0;
    const int bottom = viewport()->height();
    while (block.isValid() && top <= bottom) {
        const int n = block.blockNumber();
        if (block.isVisible() && uint32_t(n) < m_cycleCounts.size && m_cycleCounts[uint32_t(n)] >= 0)
            longest = std::max(longest, DecimalDigits(m_cycleCounts[uint32_t(n)]));
        top += blockBoundingRect(block).height();
        block = block.next();
    }
    return int(std::ceil(w9 * (float(longest) + 1.5f)));
}

void CShaderEditPanel::LayoutGutters()
{
    const QRect cr = contentsRect();
    const int lineWidth = GutterWidth(CLineNumberArea::kLineNumbers);
    m_lineNumberArea->setGeometry(QRect(cr.left(), cr.top(), lineWidth, cr.height()));
    m_cycleCountArea->setGeometry(QRect(cr.left() + lineWidth, cr.top(), GutterWidth(CLineNumberArea::kCycleCounts),
                                        cr.height()));
}

void CShaderEditPanel::UpdateMargins()
{
    const int margin = GutterWidth(CLineNumberArea::kLineNumbers) + GutterWidth(CLineNumberArea::kCycleCounts);
    if (margin != m_margin) {
        m_margin = margin;
        setViewportMargins(margin, 0, 0, 0);
    }
    LayoutGutters();
}

void CShaderEditPanel::UpdateLineNumberArea(QRect rect, int dy)
{
    for (CLineNumberArea* area : {m_lineNumberArea, m_cycleCountArea}) {
        if (dy)
            area->scroll(0, dy);
        else
            area->update(0, rect.y(), area->width(), rect.height());
    }
    // Counts scrolling into view may widen or narrow the cycle gutter.
    UpdateMargins();
}

void CShaderEditPanel::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    LayoutGutters();
}

void CShaderEditPanel::PaintGutter(QPaintEvent* event, uint32_t kind)
{
    LayoutGutters();
    CLineNumberArea* area = Gutter(kind);
    QPainter painter(area);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, kind == CLineNumberArea::kLineNumbers ? QColor(Qt::lightGray) : kCycleGutterColour);
    painter.setFont(font());
    painter.setPen(Qt::black);
    const int lineHeight = fontMetrics().height();

    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return;
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    qreal bottom = top + blockBoundingRect(block).height();
    while (block.isValid() && top <= dirty.bottom()) {
        if (block.isVisible() && bottom >= dirty.top()) {
            const uint32_t n = uint32_t(block.blockNumber());
            QString text;
            const QColor mark = kind == CLineNumberArea::kLineNumbers ? MarkColour(n + 1) : QColor();
            if (kind == CLineNumberArea::kLineNumbers)
                text = QString::number(n + 1);
            else if (n < m_cycleCounts.size && m_cycleCounts[n] >= 0)
                text = QString::number(m_cycleCounts[n]);
            // A line the compiler complained of: its number white on the message colour.
            if (mark.isValid())
                painter.fillRect(0, int(top), area->width(), int(bottom - top), mark);
            painter.setPen(mark.isValid() ? QColor(Qt::white) : QColor(Qt::black));
            if (!text.isEmpty())
                painter.drawText(-4, int(top), area->width(), lineHeight, Qt::AlignRight | Qt::AlignTop, text);
        }
        block = block.next();
        top = bottom;
        bottom = top + blockBoundingRect(block).height();
    }
}

bool CShaderEditPanel::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        // Below the last line the nearest block is the last one: only a line under the pointer counts.
        const QTextBlock block = cursorForPosition(help->pos()).block();
        const bool onLine = blockBoundingGeometry(block).translated(contentOffset()).contains(help->pos());
        const QStringList texts = onLine ? MessagesOfLine(uint32_t(block.blockNumber() + 1)) : QStringList();
        if (texts.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), texts.join('\n'), viewport());
        return true;
    }
    return QPlainTextEdit::viewportEvent(event);
}

void CShaderEditPanel::paintEvent(QPaintEvent* event)
{
    if (m_docType & CShaderHighlighter::kEffectMask) {
        // Effect-file lines that a rule coloured get their format's background across the line.
        QPainter painter(viewport());
        const QPointF offset = contentOffset();
        const int width = viewport()->width();
        const int height = viewport()->height();
        for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
            QRectF r = blockBoundingGeometry(block).translated(offset);
            if (r.top() > height)
                break;   // nothing further down is in view
            const auto* data = dynamic_cast<const CTextBlockVTLData*>(block.userData());
            if (block.isVisible() && data) {
                r.setRight(std::max(r.right(), qreal(width)));
                painter.fillRect(r, data->Format().background());
            }
        }
    }
    QPlainTextEdit::paintEvent(event);
}

bool CShaderEditPanel::HandleTab(QKeyEvent* event)
{
    Q_UNUSED(event);
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection() &&
        document()->findBlock(cursor.selectionStart()) != document()->findBlock(cursor.selectionEnd())) {
        Q_EMIT OutdentSelection();
        return true;
    }
    const Settings::SEditor& settings = CShaderEditController::Instance()->GetEditorSettings();
    if (!settings.TreatTabAsSpace)
        return false;
    // The setting comes from a file: a damaged one must not insert billions of blanks.
    cursor.insertText(QString(qsizetype(std::min(settings.TabSpaceSize, kMaxTabSpaces)), QLatin1Char(' ')));
    setTextCursor(cursor);
    return true;
}

bool CShaderEditPanel::HandleHome(QKeyEvent* event)
{
    QTextCursor cursor = textCursor();
    const QString line = cursor.block().text();
    const int column = cursor.positionInBlock();
    bool insideIndentation = column > 0;
    for (int i = 0; i < column && insideIndentation; ++i)
        insideIndentation = IsBlank(line[i]);
    if (insideIndentation)
        return false;   // the base editor goes to the line start
    const QTextCursor::MoveMode mode =
        (event->modifiers() & Qt::ShiftModifier) ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    cursor.setPosition(cursor.block().position() + int(LeadingBlanks(line).size()), mode);
    setTextCursor(cursor);
    return true;
}

bool CShaderEditPanel::HandleReturn(QKeyEvent* event)
{
    Q_UNUSED(event);
    // The new line starts with the blanks that begin the line it was split from: one undo step.
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QString indentation = LeadingBlanks(cursor.block().text());
    cursor.insertBlock();
    cursor.insertText(indentation);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

void CShaderEditPanel::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!isReadOnly()) {
        if (event->key() == Qt::Key_Tab && modifiers == Qt::NoModifier && HandleTab(event))
            return;
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier &&
            HandleReturn(event))
            return;
    }
    if (event->key() == Qt::Key_Home && HandleHome(event))
        return;
    QPlainTextEdit::keyPressEvent(event);
}
