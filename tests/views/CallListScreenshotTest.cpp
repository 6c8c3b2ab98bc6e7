// The viewer's window on the sample trace in a real X server: the call list shows the frame's
// calls with the draw call and a pressed (selected) row in their colours, read back from the
// screen.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "ShaderEditController.h"
#include "TraceController.h"
#include "XQFTraceGui_Qt.h"
#include "calllist/CallItemWidget.h"
#include "calllist/CallListColours.h"
#include "calllist/ViewCallsFrame.h"
#include "TestPaths.h"

using namespace calllistcolours;

namespace {
CCallItemWidget* RowOf(const CViewCallsFrame& list, u32 callNumber)
{
    for (CCallItemWidget* row : list.Rows())
        if (row->isVisible() && row->CallNumber() == callNumber)
            return row;
    return nullptr;
}

// The screen's colour a few pixels in from the row's right end, clear of its text.
QColor ScreenColour(QWidget& window, const QImage& shot, CCallItemWidget& row)
{
    const QPoint p = row.mapTo(&window, QPoint(row.width() - 40, 2));
    const qreal scale = shot.devicePixelRatio();
    return shot.pixelColor(int(p.x() * scale), int(p.y() * scale));
}

QImage Grab(QWidget& window)
{
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QTest::qWait(50);
    }
    return window.screen()->grabWindow(window.winId()).toImage();
}
}  // namespace

TEST(CallListScreen, SampleTraceShowsDrawAndSelectedRowsInTheirColours)
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
    static int argc = 1;
    static char name[] = "views_screenshot_test";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run under scripts/with-xvfb.sh)";

    const QString sample = dir.path() + "/sample.xqft";
    ASSERT_EQ(QProcess::execute("python3", {QString::fromStdString(SourceDir() + "/tools/xqftgen.py"), "sample", sample}),
              0);

    {
        XQFTraceGui_Qt window;
        window.resize(1000, 800);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        CTraceController::Instance()->SLTOpenTrace(sample);
        auto* list = window.findChild<CViewCallsFrame*>();
        ASSERT_NE(list, nullptr);
        ASSERT_GT(list->Layout().Count(), 30u);
        Grab(window);

        // The sample's first frame draws once, late in the frame: bring it onto the page.
        u32 draw = 0;
        for (u32 i = 0; i < list->Layout().Count() && !draw; ++i)
            if (IsDrawCall(list->Layout().At(i).entry))
                draw = list->Layout().At(i).callNumber;
        ASSERT_NE(draw, 0u);
        list->Form().verticalScrollBar->setValue(int(draw) - 3);
        Grab(window);
        CCallItemWidget* drawRow = RowOf(*list, draw);
        CCallItemWidget* pressed = RowOf(*list, draw - 2);
        CCallItemWidget* plain = RowOf(*list, draw - 1);
        ASSERT_TRUE(drawRow && pressed && plain);
        QTest::mouseClick(pressed, Qt::LeftButton, {}, QPoint(pressed->width() / 2, pressed->height() / 2));

        const QImage shot = Grab(window);
        ASSERT_FALSE(shot.isNull());
        shot.save(QString::fromStdString(BinaryDir()) + "/views_calllist_screenshot.png");
        // The image-analysis dock rendered the frame up to its last draw and marked that window.
        EXPECT_EQ(ScreenColour(window, shot, *drawRow), kDrawInRange);
        EXPECT_EQ(ScreenColour(window, shot, *pressed), kSelected);
        const QColor plainColour = ScreenColour(window, shot, *plain);
        EXPECT_TRUE(plainColour == kEvenRow || plainColour == kOddRow) << plainColour.name().toStdString();
        CTraceController::Instance()->Shutdown();
    }
    CShaderEditController::Shutdown();  // the window's shader editor started its worker
}
