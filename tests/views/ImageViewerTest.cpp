// The generic image viewer, offscreen: where the fit entry stands in the zoom list, an image
// smaller than the view, a drag stopped at the edge with its pan corrected, the wheel at either
// end of the list, the half turn kept through zoom and pan, a caption that does not size the view,
// and a view of no size.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "ViewsTestApp.h"
#include "imageviewer/GenericImageViewer.h"

namespace {

[[maybe_unused]] QApplication& kApp = TestApp();

// Every pixel tells where it is: red and green the low bytes of x and y, blue their high nibbles.
QPixmap Coordinates(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor(x & 0xFF, y & 0xFF, ((x >> 8) << 4) | (y >> 8)));
    return QPixmap::fromImage(image);
}
// Every pixel its own colour, with no period a wrong column or row could land on: the top 24 bits of
// a hash of its position. Images of any size, unlike the coordinates' 12 bits a side.
QImage Distinct(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = 0xff000000u | ((uint32_t(x) * 0x9E3779B1u ^ uint32_t(y) * 0x85EBCA77u) >> 8);
    }
    return image;
}
QPoint Where(const QImage& shown, int px, int py)
{
    const QColor c = shown.pixelColor(px, py);
    return QPoint(c.red() | ((c.blue() >> 4) << 8), c.green() | ((c.blue() & 15) << 8));
}

class CViewer : public GenericImageViewer
{
public:
    CViewer()
    {
        Setup();
        resize(400, 300);
        show();
        Paint();
    }
    // Lets the viewer take its view size, as the first paint of a shown window does.
    void Paint() { grab(); }
    QComboBox* Zoom() const { return Form().cb_zoom; }
    QStringList Steps() const
    {
        QStringList out;
        for (int i = 0; i < Zoom()->count(); ++i)
            out << Zoom()->itemText(i);
        return out;
    }
    QImage Shown() const { return ShownPixmap().toImage(); }
    void Menu(const char* entry)
    {
        std::unique_ptr<QMenu> menu(ContextMenu());
        for (QAction* a : menu->actions())
            if (a->text() == entry)
                a->trigger();
    }
    void Drag(QPoint from, QPoint to)
    {
        QMouseEvent press(QEvent::MouseButtonPress, from, mapToGlobal(from), Qt::LeftButton, Qt::LeftButton, {});
        mousePressEvent(&press);
        QMouseEvent move(QEvent::MouseMove, to, mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        mouseMoveEvent(&move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, mapToGlobal(to), Qt::LeftButton, Qt::NoButton, {});
        mouseReleaseEvent(&release);
    }
    void Wheel(int delta)
    {
        QWheelEvent e(QPointF(10, 10), mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
        wheelEvent(&e);
    }
    QRect View() const { return Form().f_imageViewerFrame->geometry(); }
    // Scaled in paint: the part of the image shown, and where in the label it is shown.
    QRect Source() const { return shownSource; }
    QRect Target() const
    {
        const QLabel* label = Form().l_imageViewer;
        return QStyle::alignedRect(label->layoutDirection(), label->alignment(), shownSize, label->contentsRect());
    }
};

TEST(ImageViewer, TheFitEntryStandsAmongTheStepsByItsPercentage)
{
    CViewer v;
    const int W = v.View().width();
    ASSERT_GT(W, 100);
    struct SCase {
        const char* what;
        int imageWidth;  // the image is one pixel high: the width decides the fit
        int fitPercent, fitIndex;
    } cases[] = {
        {"half the view's width: 200 percent, after 200%", W / 2, 200, 4},
        {"exactly the view: 100 percent, after 100%", W, 100, 3},
        {"twice the view: 50 percent, after 50%", 2 * W, 50, 2},
        {"ten times the view: below every step", 10 * W, 10, 0},
        {"a fortieth of the view: beyond every step", W / 40, int(float(W) / float(W / 40) * 100), 8},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        v.SetImage(Coordinates(c.imageWidth, 1));
        EXPECT_EQ(v.FitPercent(), c.fitPercent);
        EXPECT_EQ(v.FitIndex(), c.fitIndex);
        EXPECT_EQ(v.Zoom()->itemText(c.fitIndex), QString::number(c.fitPercent) + "% - Fit");
        EXPECT_EQ(v.Zoom()->currentIndex(), c.fitIndex);
        EXPECT_EQ(v.Zoom()->count(), 9);
        EXPECT_TRUE(v.Fit());
    }
}

// Without an image the zoom box holds nothing (not the zoom of the image shown before); the next
// image brings the list back, at the zoom chosen before.
TEST(ImageViewer, NoImageLeavesTheZoomBoxEmptyAndTheNextImageKeepsTheChosenZoom)
{
    CViewer v;
    v.SetImage(Coordinates(v.View().width() / 40, 1));
    ASSERT_EQ(v.Zoom()->count(), 9);
    v.Zoom()->setCurrentIndex(v.Zoom()->findText("400%"));
    v.Clear();
    EXPECT_EQ(v.Form().m_imageInfo->text(), "No data available");
    EXPECT_EQ(v.Zoom()->count(), 0);
    EXPECT_EQ(v.Zoom()->currentText(), "");
    EXPECT_FALSE(v.Zoom()->isEnabled());
    v.SetImage(Coordinates(30, 20));
    EXPECT_EQ(v.Zoom()->count(), 9);
    EXPECT_TRUE(v.Zoom()->isEnabled());
    EXPECT_EQ(v.Zoom()->currentText(), "400%");
    EXPECT_FALSE(v.Fit());
}

TEST(ImageViewer, ASmallImageIsShownWholeAndScaledWithoutPan)
{
    CViewer v;
    v.SetImage(Coordinates(40, 30));
    v.Zoom()->setCurrentIndex(v.Zoom()->findText("200%"));
    EXPECT_FALSE(v.Fit());
    const QImage shown = v.Shown();
    EXPECT_EQ(shown.size(), QSize(80, 60));
    EXPECT_EQ(Where(shown, 0, 0), QPoint(0, 0));
    EXPECT_EQ(Where(shown, 79, 59), QPoint(39, 29));
    EXPECT_EQ(v.Pan(), QPoint(0, 0));
}

TEST(ImageViewer, ADragStopsAtTheEdgeAndMovesBackAtOnce)
{
    CViewer v;
    v.SetImage(Coordinates(2000, 1500));
    v.Zoom()->setCurrentIndex(v.Zoom()->findText("100%"));
    const QRect view = v.View();
    const QPoint centred((2000 - view.width()) / 2, (1500 - view.height()) / 2);
    EXPECT_EQ(Where(v.Shown(), 0, 0), centred);

    // The mouse moves right and down by far more than the image: the crop stops at the top-left.
    v.Drag(QPoint(50, 50), QPoint(5050, 5050));
    EXPECT_EQ(Where(v.Shown(), 0, 0), QPoint(0, 0));
    EXPECT_EQ(v.Pan(), -centred) << "the pan is corrected to the edge";
    // Ten pixels back: the image follows at once, with no dead distance to undo first.
    v.Drag(QPoint(50, 50), QPoint(40, 45));
    EXPECT_EQ(Where(v.Shown(), 0, 0), QPoint(10, 5));
    // At 200% a move of 10 screen pixels pans 5 image pixels.
    v.Zoom()->setCurrentIndex(v.Zoom()->findText("200%"));
    const QPoint before = Where(v.Shown(), 0, 0);
    v.Drag(QPoint(50, 50), QPoint(40, 50));
    EXPECT_EQ(Where(v.Shown(), 0, 0), before + QPoint(5, 0));
    // The far edge.
    v.Drag(QPoint(50, 50), QPoint(-9000, -9000));
    const QImage shown = v.Shown();
    EXPECT_EQ(Where(shown, shown.width() - 2, shown.height() - 2), QPoint(1999, 1499));
}

TEST(ImageViewer, TheWheelStepsThroughTheListAndStopsAtItsEnds)
{
    CViewer v;
    v.SetImage(Coordinates(300, 200));
    const int count = v.Zoom()->count();
    struct SCase {
        const char* what;
        int from, delta, to;
    } cases[] = {
        {"down from the second entry", 1, -120, 0},
        {"down at the first entry: nothing", 0, -120, 0},
        {"up from the first", 0, 120, 1},
        {"up at the last entry: nothing", count - 1, 120, count - 1},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        v.Zoom()->setCurrentIndex(c.from);
        const QImage before = v.Shown();
        v.Wheel(c.delta);
        EXPECT_EQ(v.Zoom()->currentIndex(), c.to);
        EXPECT_FALSE(v.Fit());
        if (c.from == c.to) {
            EXPECT_EQ(v.Shown(), before);
        }
        EXPECT_EQ(v.Scale(), float(v.Zoom()->currentText().left(v.Zoom()->currentText().indexOf('%')).toInt()) / 100.0f);
    }
}

TEST(ImageViewer, TheHalfTurnStaysThroughZoomAndPan)
{
    CViewer v;
    v.SetImage(Coordinates(1200, 900));
    v.SetInfoText("info");
    const QTransform half = QTransform().rotate(180.0);
    auto turnedMatches = [&](const char* what) {
        SCOPED_TRACE(what);
        const QImage turned = v.Shown();
        v.Menu("Flip");
        ASSERT_FALSE(v.Flip());
        EXPECT_EQ(turned, v.Shown().transformed(half, Qt::FastTransformation));
        v.Menu("Flip");
        ASSERT_TRUE(v.Flip());
    };
    v.Menu("Flip");
    EXPECT_TRUE(v.Flip());
    EXPECT_EQ(v.Form().m_imageInfo->text(), "info (Fit)(Flip)");
    turnedMatches("at the fit");
    v.Zoom()->setCurrentIndex(v.Zoom()->findText("200%"));
    EXPECT_EQ(v.Form().m_imageInfo->text(), "info (Flip)");
    turnedMatches("zoomed");
    v.Drag(QPoint(100, 100), QPoint(60, 130));
    turnedMatches("panned");
    v.Menu("1:1");
    EXPECT_EQ(v.Zoom()->currentText(), "100%");
    turnedMatches("at 1:1");
    v.Menu("Fit");
    EXPECT_TRUE(v.Fit());
    EXPECT_EQ(v.Zoom()->currentIndex(), v.FitIndex());
    turnedMatches("fit again");
}

// The caption does not size the viewer (a dock holding it would change width with every image),
// and what room the row has goes to it.
TEST(ImageViewer, TheCaptionDoesNotSizeTheViewer)
{
    CViewer v;
    const QSize hint = v.sizeHint(), least = v.minimumSizeHint();
    v.SetInfoText("TextureId:123456   4096x4096   Format:GL_COMPRESSED_RGBA_S3TC_DXT5_EXT and a long tail");
    v.Paint();
    EXPECT_EQ(v.sizeHint(), hint);
    EXPECT_EQ(v.minimumSizeHint(), least);
    EXPECT_GT(v.Form().m_imageInfo->width(), 400 / 2);
    EXPECT_TRUE(v.Form().m_imageInfo->toolTip().endsWith("and a long tail")) << "what is cut off reads whole";
    v.Clear();
    EXPECT_EQ(v.sizeHint(), hint);
}

TEST(ImageViewer, AViewOfNoSizeKeepsAZoomToDivideBy)
{
    GenericImageViewer v;
    v.Setup();
    v.SetImage(Coordinates(64, 64));  // never shown: the view has no size
    EXPECT_GE(v.FitPercent(), 1);
    EXPECT_GT(v.Scale(), 0.0f);
    v.resize(0, 0);
    v.grab();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(0, 0), QPointF(0, 0), Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&v, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 30), QPointF(30, 30), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&v, &move);
    EXPECT_GT(v.Scale(), 0.0f);
}

TEST(ImageViewer, TinyAndHugeImagesInTinyViewsDrawAtEveryZoom)
{
    struct SCase {
        const char* what;
        int image;  // square edge
        int view;   // square edge of the viewer; 0: never shown
    } cases[] = {
        {"1 x 1 image, view of no size", 1, 0},
        {"1 x 1 image, 1 x 1 view", 1, 1},
        {"4096 x 4096 image, view of no size", 4096, 0},
        {"4096 x 4096 image, 1 x 1 view", 4096, 1},
        {"1 x 1 image, ordinary view", 1, 300},
    };
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.what);
        GenericImageViewer v;
        v.Setup();
        if (k.view) {
            v.resize(k.view, k.view);
            v.show();
            v.grab();
        }
        QPixmap image(k.image, k.image);
        image.fill(QColor(10, 200, 30));
        v.SetImage(image);
        EXPECT_GE(v.FitPercent(), 1);
        QComboBox* zoom = v.Form().cb_zoom;
        for (int i = 0; i < zoom->count(); ++i) {
            zoom->setCurrentIndex(i);
            EXPECT_GT(v.Scale(), 0.0f);
            const QPixmap shown = v.ShownPixmap();
            // What is shown is a crop of the image, never more than the image scaled.
            EXPECT_LE(shown.width(), std::max(1, int(k.image * v.Scale()) + 1));
        }
        std::unique_ptr<QMenu> menu(v.ContextMenu());
        menu->actions().at(2)->trigger();  // "Flip"
        EXPECT_TRUE(v.Flip());
        QWheelEvent wheel(QPointF(0, 0), QPointF(0, 0), QPoint(), QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(&v, &wheel);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(0, 0), QPointF(0, 0), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&v, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&v, &move);
        EXPECT_GT(v.Scale(), 0.0f);
    }
}

} // namespace

// Scaled in paint, the label paints what the viewer would otherwise have handed it: the shown part
// at the shown size, where the label puts a pixmap, turned with the half turn; the rest of the label
// its background. At the fit, zoomed and panned, and turned.
TEST(ImageViewer, ScaledInPaintTheLabelPaintsWhatItWouldHaveShown)
{
    CViewer v;
    v.SetScaleInPaint(true);
    v.SetImage(Coordinates(500, 420));
    QLabel* label = v.Form().l_imageViewer;
    EXPECT_TRUE(label->pixmap().isNull()) << "the label holds no scaled copy";
    auto paintsTheShownPixmap = [&](const char* what) {
        SCOPED_TRACE(what);
        const QImage shown = v.Shown();
        ASSERT_FALSE(shown.isNull());
        const QImage painted = label->grab().toImage();
        const QRect target = QStyle::alignedRect(label->layoutDirection(), label->alignment(), shown.size(),
                                                 label->contentsRect());
        ASSERT_TRUE(label->rect().contains(target)) << "the shown part lies in the label";
        int off = 0;
        for (int y = 0; y < shown.height(); y += 7)
            for (int x = 0; x < shown.width(); x += 7) {
                const QPoint want = Where(shown, x, y), got = Where(painted, target.x() + x, target.y() + y);
                // Both sample the nearest source pixel; they may round a pixel apart.
                off += std::abs(want.x() - got.x()) > 1 || std::abs(want.y() - got.y()) > 1;
            }
        EXPECT_EQ(off, 0);
        const QColor background = label->palette().color(QPalette::Window);
        if (target.left() > 0) {
            EXPECT_EQ(painted.pixelColor(0, target.center().y()), background);
        }
        if (target.bottom() + 1 < label->height()) {
            EXPECT_EQ(painted.pixelColor(target.center().x(), label->height() - 1), background);
        }
    };
    paintsTheShownPixmap("at the fit");
    v.Zoom()->setCurrentIndex(v.Zoom()->findText("200%"));
    paintsTheShownPixmap("zoomed");
    v.Drag(QPoint(100, 100), QPoint(60, 130));
    paintsTheShownPixmap("panned");
    v.Menu("Flip");
    paintsTheShownPixmap("turned");
    v.Menu("Fit");
    paintsTheShownPixmap("turned at the fit");
}

// Scaled in paint, the frame's pixels are the paint engine's own scaling of the shown part, pixel for
// pixel: near 100 % (a fit), below and above it, panned, painted whole or in part, at an offset in
// either 32-bit format a window paints into; nothing outside the part being painted is touched.
TEST(ImageViewer, ScaledInPaintThePixelsAreThoseOfThePaintEngine)
{
    CViewer v;
    v.SetScaleInPaint(true);
    QLabel* label = v.Form().l_imageViewer;
    const QSize view = v.View().size();
    struct SCase {
        const char* what;
        QSize image;
        const char* zoom;  // none: the fit
        QPoint drag;
    } cases[] = {
        {"a fit just above 100 percent", view * 100 / 103, nullptr, {}},
        {"a fit far below it", view * 27 / 10, nullptr, {}},
        {"100 percent, panned", {2000, 1500}, "100%", {37, -21}},
        {"200 percent, panned", {500, 420}, "200%", {-45, 30}},
        {"3200 percent", {40, 30}, "3200%", {3, 2}},
        {"25 percent", {1700, 1300}, "25%", {}},
        // Source columns past 15 bits do not fit the 16.16 stepping.
        {"100 percent, panned past column 32767", {34000, 6}, "100%", {-40000, 0}},
        // Wider than 15 bits: the engine draws it (a source step past 15 bits, positions past 31).
        {"a fit of an image 40000 pixels wide", {40000, 100}, nullptr, {}},
        {"25 percent of it, panned to its right end", {40000, 100}, "25%", {-90000, 0}},
        {"a fit of an image 40000 pixels high", {100, 40000}, nullptr, {}},
        // Past 16 bits a 16.16 position wraps whatever it is held in.
        {"100 percent, panned past column 65535", {70000, 4}, "100%", {-80000, 0}},
        {"100 percent, panned past row 65535", {4, 70000}, "100%", {0, -80000}},
    };
    const QPoint offset(5, 7);
    const QRgb marker = qRgb(0x12, 0x34, 0x56);
    for (const SCase& c : cases) {
        const QImage rgb32 = Distinct(c.image);
        v.SetImage(QPixmap::fromImage(rgb32, Qt::NoFormatConversion));
        ASSERT_EQ(v.Image().toImage().format(), QImage::Format_RGB32);
        if (c.zoom)
            v.Zoom()->setCurrentIndex(v.Zoom()->findText(c.zoom));
        else
            v.Menu("Fit");
        v.Drag(QPoint(100, 100), QPoint(100, 100) + c.drag);
        const QRect target = v.Target();
        // The whole label, a part inside it, and its right end (painted from a column far into the
        // image: past 15 bits of source position on a wide one).
        for (const QRect& part : {label->rect(), QRect(label->width() / 3 + 1, label->height() / 4 + 3, 97, 61),
                                  QRect(label->width() - 41, 0, 40, label->height())}) {
            for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
                SCOPED_TRACE(::testing::Message() << c.what << ", painting " << part.width() << "x" << part.height()
                                                  << ", format " << int(format));
                QImage painted(label->size() + QSize(10, 10), format);
                painted.fill(marker);
                label->render(&painted, offset + part.topLeft(), QRegion(part));  // the part where it lies
                QImage engine = painted.copy();
                {
                    QPainter p(&engine);
                    p.translate(offset);
                    p.setClipRect(part);
                    p.drawPixmap(target, v.Image(), v.Source());
                }
                int wrong = 0, outside = 0;
                for (int y = 0; y < painted.height(); ++y)
                    for (int x = 0; x < painted.width(); ++x) {
                        const QPoint at = QPoint(x, y) - offset;
                        if (!part.contains(at))
                            outside += painted.pixel(x, y) != marker;
                        else if (target.contains(at))
                            wrong += painted.pixel(x, y) != engine.pixel(x, y);
                    }
                EXPECT_EQ(wrong, 0);
                EXPECT_EQ(outside, 0) << "pixels written outside the part painted";
            }
        }
    }
}
