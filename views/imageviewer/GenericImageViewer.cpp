#include "imageviewer/GenericImageViewer.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QSignalBlocker>
#include <QPalette>
#include <QStyle>
#include <QSpacerItem>
#include <QTransform>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {
const char* const kZoomSteps[] = {"25%", "50%", "100%", "200%", "400%", "800%", "1600%", "3200%"};

// Draws `source` of an opaque 32-bit pixmap scaled onto `target` (both whole pixels), as the raster
// paint engine's nearest-pixel scaling would, straight into the 32-bit image the painter paints on:
// the same sampling (each pixel of the target takes the source pixel under its centre, stepped in
// 16.16 fixed point from the first painted pixel), but a row's stretches that step one source pixel
// a screen pixel are copied whole, and a source row shown twice is copied from the row above. Near
// 100 % (a fit) that is nearly the cost of an unscaled copy; the engine reads pixel by pixel. False
// where the painter is not such a plain one (a transform beyond a whole-pixel shift, a clip of its
// own or of several rectangles, opacity, smoothing, another pixel format, a high-density screen, an
// image past 32767 pixels a side): the caller draws the pixmap then.
bool PaintNearest(QPainter& painter, const QRect& target, const QPixmap& pixmap, const QRect& source)
{
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image)
        return false;
    QImage& out = *static_cast<QImage*>(engine->paintDevice());
    if ((out.format() != QImage::Format_RGB32 && out.format() != QImage::Format_ARGB32_Premultiplied) ||
        out.devicePixelRatio() != 1.0 || painter.device()->devicePixelRatio() != 1.0)
        return false;
    const QTransform& shift = painter.deviceTransform();
    if (shift.type() > QTransform::TxTranslate || shift.dx() != std::floor(shift.dx()) ||
        shift.dy() != std::floor(shift.dy()))
        return false;
    if (painter.hasClipping() || painter.opacity() != 1.0 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.testRenderHint(QPainter::SmoothPixmapTransform) || painter.testRenderHint(QPainter::Antialiasing))
        return false;
    // A single source pixel is filled by the engine, not scaled; sizes past 15 bits are scaled otherwise.
    if ((source.width() <= 1 && source.height() <= 1) || target.isEmpty() || target.width() > 0x7fff ||
        target.height() > 0x7fff)
        return false;
    const QImage in = pixmap.toImage();  // shares the pixmap's pixels
    // Source coordinates past 15 bits do not fit the 16.16 stepping below.
    if (in.format() != QImage::Format_RGB32 || !in.rect().contains(source) || in.width() > 0x7fff ||
        in.height() > 0x7fff)
        return false;
    // The engine clips to the region being painted when it is one rectangle; to several, it draws
    // another way.
    const QRegion system = engine->systemClip();
    if (system.rectCount() > 1)
        return false;
    const QRect clip = system.isEmpty() ? out.rect() : system.boundingRect() & out.rect();
    const QRect dest = target.translated(int(shift.dx()), int(shift.dy()));
    const QRect painted = dest & clip;
    if (painted.isEmpty())
        return true;

    const double sx = double(source.width()) / dest.width(), sy = double(source.height()) / dest.height();
    const int ix = int(65536 * sx), iy = int(65536 * sy);
    uint32_t basex = uint32_t(source.left() * 65536) +
                     uint32_t(int(std::ceil((painted.left() + 0.5 - dest.left()) * sx * 65536)) - 1);
    uint32_t srcy = uint32_t(source.top() * 65536) +
                    uint32_t(int(std::ceil((painted.top() + 0.5 - dest.top()) * sy * 65536)) - 1);
    const int w = painted.width(), h = painted.height();
    std::vector<int> columns(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x, basex += uint32_t(ix))
        columns[size_t(x)] = std::clamp(int(basex >> 16), 0, in.width() - 1);
    // Stretches of eight pixels or more that step one source pixel each are copied whole; the rest
    // pixel by pixel.
    struct SSpan
    {
        int at, count;
        bool whole;
    };
    std::vector<SSpan> spans;
    for (int x = 0; x < w;) {
        int end = x + 1;
        while (end < w && columns[size_t(end)] == columns[size_t(end - 1)] + 1)
            ++end;
        const bool whole = end - x >= 8;
        if (!whole && !spans.empty() && !spans.back().whole)
            spans.back().count += end - x;
        else
            spans.push_back({x, end - x, whole});
        x = end;
    }
    // Written where the engine writes: through the bytes it paints, never a detached copy of them.
    uchar* const bits = const_cast<uchar*>(out.constBits());
    const qsizetype stride = out.bytesPerLine();
    int lastRow = -1;
    const uint32_t* lastOut = nullptr;
    for (int y = 0; y < h; ++y, srcy += uint32_t(iy)) {
        const int row = std::clamp(int(srcy >> 16), 0, in.height() - 1);
        auto* line = reinterpret_cast<uint32_t*>(bits + (painted.top() + y) * stride) + painted.left();
        if (row == lastRow) {
            std::memcpy(line, lastOut, size_t(w) * 4);
            continue;
        }
        const auto* from = reinterpret_cast<const uint32_t*>(in.constScanLine(row));
        for (const SSpan& span : spans) {
            if (span.whole) {
                std::memcpy(line + span.at, from + columns[size_t(span.at)], size_t(span.count) * 4);
            } else {
                for (int x = span.at; x < span.at + span.count; ++x)
                    line[x] = from[columns[size_t(x)]];
            }
        }
        lastRow = row;
        lastOut = line;
    }
    return true;
}
} // namespace

void Ui_ImageViewer::setupUi(QWidget* viewer)
{
    viewer->setObjectName("ImageViewer");
    viewer->setWindowTitle("Texture Viewer");
    verticalLayout = new QVBoxLayout(viewer);
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);
    innerLayout = new QVBoxLayout();
    innerLayout->setSpacing(0);
    verticalLayout->addLayout(innerLayout);

    f_imageViewerFrame = new QFrame(viewer);
    f_imageViewerFrame->setObjectName("f_imageViewerFrame");
    f_imageViewerFrame->setFrameShape(QFrame::StyledPanel);
    f_imageViewerFrame->setFrameShadow(QFrame::Raised);
    f_imageViewerFrame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    frameLayout = new QVBoxLayout(f_imageViewerFrame);
    frameLayout->setSpacing(0);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    l_imageViewer = new QLabel(f_imageViewerFrame);
    l_imageViewer->setObjectName("l_imageViewer");
    QPalette dark = l_imageViewer->palette();
    dark.setColor(QPalette::Window, QColor(116, 116, 116));
    dark.setColor(QPalette::Base, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    l_imageViewer->setPalette(dark);
    l_imageViewer->setAutoFillBackground(true);
    l_imageViewer->setScaledContents(false);
    l_imageViewer->setText(QString());
    frameLayout->addWidget(l_imageViewer);
    innerLayout->addWidget(f_imageViewerFrame);

    frame = new QFrame(viewer);
    frame->setObjectName("frame");
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    infoLayout = new QHBoxLayout(frame);
    infoLayout->setSpacing(3);
    infoLayout->setContentsMargins(9, 4, 9, 4);
    m_imageInfo = new QLabel("No data available", frame);
    m_imageInfo->setObjectName("m_imageInfo");
    // The text (a resolution, a texture's name and format) changes with every image: it must not
    // size the viewer, or the dock holding it changes width as it changes. It asks for the room of
    // a long texture caption, whatever it shows, and takes what the row has.
    m_imageInfo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_imageInfo->setMinimumWidth(
        m_imageInfo->fontMetrics().horizontalAdvance("TextureId:1001   8x8   Format:GL_RGBA (Fit)"));
    infoLayout->addWidget(m_imageInfo, 1);
    spacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    infoLayout->addItem(spacer);
    cb_zoom = new QComboBox(frame);
    cb_zoom->setObjectName("cb_zoom");
    infoLayout->addWidget(cb_zoom);
    innerLayout->addWidget(frame);
}

GenericImageViewer::GenericImageViewer(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

void GenericImageViewer::Setup()
{
    ui.setupUi(this);
    fit = 1;
    flip = 0;
    scale = 1.0f;
    percent = 100;
    panX = panY = 0;
    fitPercent = 100;
    viewRect = QRect();
}

void GenericImageViewer::EnableContextMenu()
{
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &GenericImageViewer::showContextMenu);
}

QPixmap GenericImageViewer::ShownPixmap() const
{
    if (!scaleInPaint)
        return ui.l_imageViewer ? ui.l_imageViewer->pixmap() : QPixmap();
    if (image.isNull() || shownSize.isEmpty())
        return QPixmap();
    const QPixmap shown = image.copy(shownSource).scaled(shownSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return flip ? shown.transformed(QTransform().rotate(180.0), Qt::FastTransformation) : shown;
}

void GenericImageViewer::SetImage(const QPixmap& pixmap)
{
    ui.l_imageViewer->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    image = pixmap;
    if (image.isNull()) {
        // No image, no zoom: the box must not show the zoom of an image no longer there. The zoom
        // chosen stays for the next image (percent, fit).
        const QSignalBlocker block(ui.cb_zoom);
        ui.cb_zoom->clear();
    }
    ui.cb_zoom->setEnabled(!image.isNull());
    if (scaleInPaint) {
        shownSize = QSize();
        ui.l_imageViewer->update();
    } else {
        ui.l_imageViewer->setPixmap(image);
    }
    RefreshFit();
}

void GenericImageViewer::SetScaleInPaint(bool on)
{
    scaleInPaint = on;
    QLabel* label = ui.l_imageViewer;
    label->setPixmap(QPixmap());
    // The label paints every one of its pixels itself: neither its background nor the widgets
    // behind it are painted first.
    label->setAutoFillBackground(!on);
    label->setAttribute(Qt::WA_OpaquePaintEvent, on);
    if (on)
        label->installEventFilter(this);
    else
        label->removeEventFilter(this);
    DrawAtZoom(percent);
}

bool GenericImageViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (!scaleInPaint || watched != ui.l_imageViewer || event->type() != QEvent::Paint)
        return QWidget::eventFilter(watched, event);
    QLabel* label = ui.l_imageViewer;
    QPainter painter(label);
    const QBrush background = label->palette().brush(QPalette::Window);
    if (image.isNull() || shownSize.isEmpty()) {
        painter.fillRect(label->rect(), background);
        painter.end();
        return QWidget::eventFilter(watched, event);  // the label's text, if any, over its background
    }
    // Where the label would put a pixmap of the shown size: its alignment in its contents. Around it,
    // the background.
    const QRect target = QStyle::alignedRect(label->layoutDirection(), label->alignment(), shownSize,
                                             label->contentsRect());
    const QRegion around = QRegion(label->rect()) - QRegion(target);
    for (const QRect& r : around)
        painter.fillRect(r, background);
    if (flip)  // the half turn maps the target onto itself
        painter.setTransform(QTransform::fromTranslate(target.left() + target.right() + 1,
                                                       target.top() + target.bottom() + 1).scale(-1, -1));
    if (flip || !PaintNearest(painter, target, image, shownSource))
        painter.drawPixmap(target, image, shownSource);
    return true;
}

void GenericImageViewer::Clear()
{
    SetImage(QPixmap());
    ui.l_imageViewer->clear();
    info.clear();
    ui.m_imageInfo->setText("No data available");
    ui.m_imageInfo->setToolTip(QString());
}

void GenericImageViewer::SetInfoText(const QString& text)
{
    info = text;
    ui.m_imageInfo->setText(text + " " + (fit ? "(Fit)" : "") + (flip ? "(Flip)" : ""));
    // The caption keeps its width: a longer text is cut there, and read whole here.
    ui.m_imageInfo->setToolTip(text);
}

void GenericImageViewer::BuildZoomList()
{
    QComboBox* zoom = ui.cb_zoom;
    disconnect(zoom, nullptr, this, nullptr);
    zoom->clear();
    for (const char* step : kZoomSteps)
        zoom->addItem(step);
    fitIndex = 0;
    for (const char* step : kZoomSteps) {
        const QString text(step);
        if (text.left(text.size() - 1).toInt() <= fitPercent)
            ++fitIndex;
    }
    zoom->insertItem(fitIndex, QString::number(fitPercent) + "% - Fit");
    connect(zoom, &QComboBox::highlighted, this, &GenericImageViewer::onChangedZoomSlide);
    connect(zoom, &QComboBox::currentIndexChanged, this, &GenericImageViewer::onChangedZoomSlide);
}

int GenericImageViewer::ZoomPercentAt(int index) const
{
    const QString text = ui.cb_zoom->itemText(index);
    return text.left(text.indexOf('%')).toInt();
}

void GenericImageViewer::SelectZoom(int index)
{
    if (ui.cb_zoom->currentIndex() == index)
        onChangedZoomSlide(index);
    else
        ui.cb_zoom->setCurrentIndex(index);
}

void GenericImageViewer::RefreshFit()
{
    if (image.isNull())
        return;
    const float W = float(viewRect.width()), H = float(viewRect.height());
    const float w = float(image.width()), h = float(image.height());
    // A view of no size fits at 0 percent: the zoom stays at 1 percent at least, so that no scale
    // of 0 is ever drawn or divided by.
    const int before = fitPercent;
    if (W / w * h > H)
        fitPercent = std::max(1, int(H / h * 100));
    else
        fitPercent = std::max(1, int(W / w * 100));
    // The same fit keeps the list as it is (rebuilding it costs more than drawing a frame's image).
    const bool listHolds = fitPercent == before && ui.cb_zoom->count() == int(std::size(kZoomSteps)) + 1;
    if (listHolds) {
        SelectZoom(fit ? fitIndex : ui.cb_zoom->currentIndex());
        return;
    }
    if (!fit) {
        // An empty box (no image was shown) holds no choice: the zoom last drawn is the choice.
        const QString chosen =
            ui.cb_zoom->count() ? ui.cb_zoom->currentText() : QString::number(percent) + "%";
        BuildZoomList();
        const int found = ui.cb_zoom->findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (found >= 0)
            SelectZoom(found);
        else
            DrawAtZoom(percent);
    } else {
        BuildZoomList();
        SelectZoom(fitIndex);
    }
}

void GenericImageViewer::onChangedZoomSlide(int index)
{
    if (index < 0)
        return;
    if (index != fitIndex)
        fit = 0;
    DrawAtZoom(ZoomPercentAt(index));
}

void GenericImageViewer::DrawAtZoom(int newPercent)
{
    if (image.width() == 0)
        return;
    percent = std::max(1, newPercent);
    scale = float(percent) / 100.0f;
    const int W = viewRect.width(), H = viewRect.height();
    const int w = image.width(), h = image.height();
    const int sw = int(float(w) * scale), sh = int(float(h) * scale);
    if (sw <= W && sh <= H) {
        if (scaleInPaint) {
            shownSource = image.rect();
            shownSize = QSize(sw, sh);
            ui.l_imageViewer->update();
        } else {
            ui.l_imageViewer->setPixmap(image.scaled(sw, sh, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
    } else {
        const int cw = sw > W ? int(int64_t(w) * W / sw) : w;
        const int ch = sh > H ? int(int64_t(h) * H / sh) : h;
        int x = panX + (w - cw) / 2;
        int y = panY + (h - ch) / 2;
        // Clamped at the edges, with the pan corrected so that a drag back moves the image at once.
        if (x < 0) {
            panX -= x;
            x = 0;
        }
        if (y < 0) {
            panY -= y;
            y = 0;
        }
        if (x + cw > w) {
            panX -= x + cw - w;
            x = w - cw;
        }
        if (y + ch > h) {
            panY -= y + ch - h;
            y = h - ch;
        }
        if (scaleInPaint) {
            shownSource = QRect(x, y, cw, ch);
            shownSize = QSize(int(float(cw) * scale), int(float(ch) * scale));
            ui.l_imageViewer->update();
        } else {
            ui.l_imageViewer->setPixmap(image.copy(x, y, cw, ch).scaled(
                int(float(cw) * scale), int(float(ch) * scale), Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
        ui.l_imageViewer->setGeometry(viewRect);
    }
    if (flip && !scaleInPaint)
        ApplyFlip();
}

void GenericImageViewer::ApplyFlip()
{
    if (scaleInPaint) {
        ui.l_imageViewer->update();
        SetInfoText(info);
        return;
    }
    // The shown crop turns, never the source: every redraw turns its fresh crop again.
    const QPixmap shown = ui.l_imageViewer->pixmap();
    ui.l_imageViewer->setPixmap(shown.transformed(QTransform().rotate(180.0), Qt::FastTransformation));
    SetInfoText(info);
}

void GenericImageViewer::ToggleFit()
{
    fit = !fit;
    ui.cb_zoom->setCurrentIndex(fitIndex);
    DrawAtZoom(fitPercent);
    SetInfoText(info);
}

void GenericImageViewer::ToggleFlip()
{
    flip = !flip;
    ApplyFlip();
}

void GenericImageViewer::OneToOne()
{
    const int index = ui.cb_zoom->findText("100%", Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        ui.cb_zoom->setCurrentIndex(index);
    DrawAtZoom(100);
}

QMenu* GenericImageViewer::ContextMenu()
{
    auto* menu = new QMenu(this);
    QAction* one = menu->addAction("1:1");
    one->setCheckable(true);
    QAction* fitAction = menu->addAction("Fit");
    fitAction->setCheckable(true);
    fitAction->setChecked(fit);
    QAction* flipAction = menu->addAction("Flip");
    flipAction->setCheckable(true);
    flipAction->setChecked(flip);
    connect(one, &QAction::triggered, this, &GenericImageViewer::OneToOne);
    connect(fitAction, &QAction::triggered, this, &GenericImageViewer::ToggleFit);
    connect(flipAction, &QAction::triggered, this, &GenericImageViewer::ToggleFlip);
    return menu;
}

void GenericImageViewer::showContextMenu(const QPoint& pos)
{
    std::unique_ptr<QMenu> menu(ContextMenu());
    menu->exec(mapToGlobal(pos));
}

void GenericImageViewer::wheelEvent(QWheelEvent* event)
{
    const int target = ui.cb_zoom->currentIndex() + (event->angleDelta().y() < 1 ? -1 : 1);
    if (target >= 0 && target < ui.cb_zoom->count()) {
        fit = 0;
        SelectZoom(target);
    }
    event->accept();
}

void GenericImageViewer::mousePressEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::LeftButton) {
        dragging = 1;
        lastPos = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void GenericImageViewer::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging) {
        const QPoint now = event->position().toPoint();
        const QPoint d = now - lastPos;
        panX -= int(std::lround(double(d.x()) / double(scale)));
        panY -= int(std::lround(double(d.y()) / double(scale)));
        lastPos = now;
        DrawAtZoom(percent);
    }
    QWidget::mouseMoveEvent(event);
}

void GenericImageViewer::mouseReleaseEvent(QMouseEvent* event)
{
    // A release of the left button ends the drag (it reports no button held any more).
    if (event->button() == Qt::LeftButton)
        dragging = 0;
    QWidget::mouseReleaseEvent(event);
}

void GenericImageViewer::paintEvent(QPaintEvent* event)
{
    const QRect now = ui.f_imageViewerFrame ? ui.f_imageViewerFrame->geometry() : QRect();
    if (now != viewRect) {
        viewRect = now;
        RefreshFit();
    }
    QWidget::paintEvent(event);
}
