// The states dock of the viewer's window in a real X server: selecting the call that enabled
// GL_BLEND paints that row red on the screen and leaves an unchanged row black, and a texture of
// one colour shows that colour in the middle of its icon in the texture list.
#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "Es2StateCalls.h"
#include "TraceController.h"
#include "XQFTraceGui_Qt.h"
#include "calllist/CallItemWidget.h"
#include "calllist/ViewCallsFrame.h"
#include "renderstate/RenderStateWidget.h"
#include "states/StatesWidget.h"
#include "states/TextureListWidget.h"

using namespace es2test;
using namespace es2calls;

namespace {
const QColor kTextureColour(40, 160, 220);

QImage Grab(QWidget& window)
{
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QTest::qWait(30);
    }
    return window.screen()->grabWindow(0).toImage();
}

// Pixels of the item's line (as the screen shows it) for which keep() holds.
int Count(const QImage& screen, QTreeWidget* tree, QTreeWidgetItem* item, const std::function<bool(QColor)>& keep)
{
    const QRect rect = tree->visualItemRect(item);
    const QPoint origin = tree->viewport()->mapToGlobal(rect.topLeft());
    const qreal scale = screen.devicePixelRatio();
    int n = 0;
    for (int y = 0; y < rect.height(); ++y)
        for (int x = 0; x < rect.width(); ++x)
            n += keep(screen.pixelColor(int((origin.x() + x) * scale), int((origin.y() + y) * scale))) ? 1 : 0;
    return n;
}

bool Reddish(QColor c) { return c.red() > 150 && c.green() < 90 && c.blue() < 90; }

CCallItemWidget* RowOf(const CViewCallsFrame& list, u32 callNumber)
{
    for (CCallItemWidget* row : list.Rows())
        if (row->isVisible() && row->CallNumber() == callNumber)
            return row;
    return nullptr;
}

void Click(QWidget* row) { QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() / 2, row->height() / 2)); }
} // namespace

TEST(StatesScreen, ChangedRowsAreRedAndTextureIconsShowTheirColour)
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
    static int argc = 1;
    static char name[] = "views_states_screenshot_test";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run through xvfb-run)";

    std::vector<uint8_t> texels;
    for (int i = 0; i < 16 * 16; ++i)
        texels.insert(texels.end(), {uint8_t(kTextureColour.red()), uint8_t(kTextureColour.green()),
                                     uint8_t(kTextureColour.blue()), 255});
    const std::string path = (dir.path() + "/states.xqft").toStdString();
    // Calls 1-3 bind and upload the texture, 4 clears, 5 enables GL_BLEND, 6 clears.
    WriteCalls(path, {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 16, 16, kUbyte, texels),
                      W(2016, {0x4000}), W(2016, {0x4000}), W(kEnable, {0x0BE2}), W(2016, {0x4000}), SwapBuffers(1)});

    {
        XQFTraceGui_Qt window;
        window.resize(1100, 850);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        CTraceController::Instance()->SLTOpenTrace(QString::fromStdString(path));
        auto* list = window.findChild<CViewCallsFrame*>();
        auto* states = window.findChild<CStatesWidget*>();
        auto* state = window.findChild<CRenderStateWidget*>();
        auto* textures = window.findChild<CTextureListWidget*>();
        ASSERT_TRUE(list && states && state && textures);
        states->show();
        states->raise();
        states->Tabs()->setCurrentIndex(0);
        Grab(window);

        state->GroupItem(EStateGroup::Enabled)->setExpanded(true);
        CCallItemWidget* before = RowOf(*list, 4);
        CCallItemWidget* blend = RowOf(*list, 5);
        ASSERT_TRUE(before && blend);
        Click(before);
        Click(blend);
        QTreeWidgetItem* enabled = state->GroupItem(EStateGroup::Enabled);
        ASSERT_EQ(enabled->childCount(), 2);
        ASSERT_TRUE(enabled->isExpanded());
        QImage shot = Grab(window);
        shot.save(QString(XQFT_BINARY_DIR) + "/views_states_screenshot.png");
        QTreeWidget* tree = state->Es2Tree();
        EXPECT_GT(Count(shot, tree, enabled->child(1), Reddish), 10) << "GL_BLEND is not painted red";
        EXPECT_EQ(Count(shot, tree, enabled->child(0), Reddish), 0) << "GL_DITHER did not change";
        EXPECT_GT(Count(shot, tree, enabled, Reddish), 10) << "the Enabled header is not red";

        states->Tabs()->setCurrentIndex(1);
        QTreeWidgetItem* texture = textures->Tree()->topLevelItem(0);
        ASSERT_NE(texture, nullptr);
        shot = Grab(window);
        // The icon is the texture at its own size: its middle pixels are the texture's colour.
        EXPECT_GT(Count(shot, textures->Tree(), texture, [](QColor c) { return c == kTextureColour; }), 16);
        CTraceController::Instance()->Shutdown();
    }
}
