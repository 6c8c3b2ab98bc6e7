// The docks of the viewer's window in a real X server, read back from the screen: selecting the
// call that enabled GL_BLEND (or, on the ES 1.1 page, GL_ALPHA_TEST) paints that row red and leaves
// an unchanged row black; a texture of
// one colour shows that colour in its icon; the frame-buffer viewer shows the recorded image the
// right way up; the call summary paints watched and selected rows in their colours.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

#include "CallQueries.h"
#include "Es2StateCalls.h"
#include "ShaderEditController.h"
#include "TraceController.h"
#include "XQFTraceGui_Qt.h"
#include "calllist/CallItemWidget.h"
#include "calllist/ViewCallsFrame.h"
#include "dataviewer/DataViewerWidget.h"
#include "dataviewer/FrameBufferWidget.h"
#include "renderstate/RenderStateWidget.h"
#include "states/StatesWidget.h"
#include "states/TextureListWidget.h"
#include "statistics/CallSummaryFrame.h"
#include "TestPaths.h"

using namespace es2test;
using namespace es2calls;

namespace {
const QColor kTextureColour(40, 160, 220);

QApplication& App()
{
    static int argc = 1;
    static char name[] = "views_docks_screenshot_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

QImage Grab(QWidget& window)
{
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QTest::qWait(30);
    }
    return window.screen()->grabWindow(0).toImage();
}

QColor At(const QImage& screen, QPoint global)
{
    const qreal scale = screen.devicePixelRatio();
    return screen.pixelColor(int(global.x() * scale), int(global.y() * scale));
}

// Pixels of the item's line (as the screen shows it) for which keep() holds.
int Count(const QImage& screen, QTreeWidget* tree, QTreeWidgetItem* item, const std::function<bool(QColor)>& keep)
{
    const QRect rect = tree->visualItemRect(item);
    const QPoint origin = tree->viewport()->mapToGlobal(rect.topLeft());
    int n = 0;
    for (int y = 0; y < rect.height(); ++y)
        for (int x = 0; x < rect.width(); ++x)
            n += keep(At(screen, origin + QPoint(x, y))) ? 1 : 0;
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

// One window per test, in a settings folder of its own; the editor controller's worker ends with
// it, while the application runs.
class DocksScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        App();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run under scripts/with-xvfb.sh)";
        window = std::make_unique<XQFTraceGui_Qt>();
        window->resize(1100, 850);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        CTraceController::Instance()->Shutdown();
        window.reset();
        CShaderEditController::Shutdown();
    }
    QString Write(const char* name, const std::vector<SCall>& calls, bool frameImages = false)
    {
        const std::string path = (dir.path() + "/" + name).toStdString();
        WriteCalls(path, calls, true, frameImages);
        return QString::fromStdString(path);
    }

    QTemporaryDir dir;
    std::unique_ptr<XQFTraceGui_Qt> window;
};

TEST_F(DocksScreen, ChangedRowsAreRedAndTextureIconsShowTheirColour)
{
    std::vector<uint8_t> texels;
    for (int i = 0; i < 16 * 16; ++i)
        texels.insert(texels.end(), {uint8_t(kTextureColour.red()), uint8_t(kTextureColour.green()),
                                     uint8_t(kTextureColour.blue()), 255});
    // Calls 1-2 bind and upload the texture, 3 and 4 clear, 5 enables GL_BLEND, 6 clears.
    CTraceController::Instance()->SLTOpenTrace(
        Write("states.xqft",
              {W(kBindTexture, {kTexture2D, 5}), TexImage(kTexture2D, 0, kRgba, 16, 16, kUbyte, texels),
               W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}), W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}),
               W(kEnable, {0x0BE2}), W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}), SwapBuffers(1)}));
    auto* list = window->findChild<CViewCallsFrame*>();
    auto* states = window->findChild<CStatesWidget*>();
    auto* state = window->findChild<CRenderStateWidget*>();
    auto* textures = window->findChild<CTextureListWidget*>();
    ASSERT_TRUE(list && states && state && textures);
    states->show();
    states->raise();
    states->Tabs()->setCurrentIndex(0);
    Grab(*window);

    state->GroupItem(EStateGroup::Enabled)->setExpanded(true);
    CCallItemWidget* before = RowOf(*list, 4);
    CCallItemWidget* blend = RowOf(*list, 5);
    ASSERT_TRUE(before && blend);
    Click(before);
    Click(blend);
    QTreeWidgetItem* enabled = state->GroupItem(EStateGroup::Enabled);
    ASSERT_EQ(enabled->childCount(), 2);
    ASSERT_TRUE(enabled->isExpanded());
    QImage shot = Grab(*window);
    shot.save(QString::fromStdString(BinaryDir()) + "/views_states_screenshot.png");
    QTreeWidget* tree = state->Es2Tree();
    EXPECT_GT(Count(shot, tree, enabled->child(1), Reddish), 10) << "GL_BLEND is not painted red";
    EXPECT_EQ(Count(shot, tree, enabled->child(0), Reddish), 0) << "GL_DITHER did not change";
    EXPECT_GT(Count(shot, tree, enabled, Reddish), 10) << "the Enabled header is not red";

    states->Tabs()->setCurrentIndex(1);
    QTreeWidgetItem* texture = textures->Tree()->topLevelItem(0);
    ASSERT_NE(texture, nullptr);
    shot = Grab(*window);
    // The icon is the texture at its own size: its middle pixels are the texture's colour.
    EXPECT_GT(Count(shot, textures->Tree(), texture, [](QColor c) { return c == kTextureColour; }), 16);
}

TEST_F(DocksScreen, FrameImageIsUprightAndSummaryRowsShowTheirMarks)
{
    // A 32 x 16 frame image, bottom row first as the device reads it back: the device's top row
    // (recorded last) is green, every other row blue.
    const int w = 32, h = 16;
    std::vector<uint8_t> rgba;
    for (int recordedRow = 0; recordedRow < h; ++recordedRow)
        for (int x = 0; x < w; ++x)
            rgba.insert(rgba.end(), recordedRow == h - 1 ? std::initializer_list<uint8_t>{0, 200, 0, 255}
                                                         : std::initializer_list<uint8_t>{0, 0, 200, 255});
    CTraceController::Instance()->SLTOpenTrace(
        Write("frames.xqft",
              {W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}), W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}),
               W(kEnable, {0x0BE2}), W(kDepthFunc, {0x0203}), SwapBuffers(1, w, h, rgba)},
              true));
    auto* viewers = window->findChild<CDataViewerWidget*>();
    auto* frames = window->findChild<CFrameBufferWidget*>();
    auto* calls = window->findChild<CCallSummaryFrame*>();
    ASSERT_TRUE(viewers && frames && calls);
    viewers->Tabs()->setCurrentWidget(frames);
    Grab(*window);

    // glClear (2 calls) selected, glEnable watched.
    QTableWidget* table = calls->Table();
    auto rowOf = [&](const char* name) {
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 0)->text() == name)
                return r;
        return -1;
    };
    const QRect clearRow = table->visualItemRect(table->item(rowOf("glClear"), 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, clearRow.center());
    std::unique_ptr<QMenu> menu(calls->ContextMenuAt(table->visualItemRect(table->item(rowOf("glEnable"), 0)).center()));
    ASSERT_EQ(menu->actions().value(0)->text(), "Add Watch");
    menu->actions().value(0)->trigger();

    const QImage shot = Grab(*window);
    shot.save(QString::fromStdString(BinaryDir()) + "/views_dataviewer_screenshot.png");
    // The shown image's first pixels: the label shows the scaled image at its left, centred in height.
    QLabel* label = frames->Form().l_imageViewer;
    const QPixmap shown = label->pixmap();
    ASSERT_FALSE(shown.isNull());
    const QRect contents = label->contentsRect();
    const QPoint topLeft(contents.left(), contents.top() + (contents.height() - shown.height()) / 2);
    EXPECT_EQ(At(shot, label->mapToGlobal(topLeft + QPoint(1, 1))), QColor(0, 200, 0)) << "the image is upside down";
    EXPECT_EQ(At(shot, label->mapToGlobal(topLeft + QPoint(1, shown.height() - 2))), QColor(0, 0, 200));

    auto rowColour = [&](const char* name) {
        const QRect r = table->visualItemRect(table->item(rowOf(name), 0));
        return At(shot, table->viewport()->mapToGlobal(QPoint(r.right() - 4, r.center().y())));
    };
    EXPECT_EQ(rowColour("glEnable"), QColor(255, 255, 128));
    EXPECT_EQ(rowColour("glClear"), QColor(201, 224, 252));
}

TEST_F(DocksScreen, Es1PageMarksTheEnabledAlphaTestRed)
{
    // ES 1.1 calls: 1 and 2 clear, 3 enables GL_ALPHA_TEST, 4 clears.
    CTraceController::Instance()->SLTOpenTrace(
        Write("es1.xqft",
              {W(CallIdOf(ECallFamily::Es1, "glClear"), {0x4000}), W(CallIdOf(ECallFamily::Es1, "glClear"), {0x4000}),
               W(CallIdOf(ECallFamily::Es1, "glEnable"), {0x0BC0}), W(CallIdOf(ECallFamily::Es1, "glClear"), {0x4000}),
               SwapBuffers(1)}));
    auto* list = window->findChild<CViewCallsFrame*>();
    auto* states = window->findChild<CStatesWidget*>();
    auto* state = window->findChild<CRenderStateWidget*>();
    ASSERT_TRUE(list && states && state);
    states->show();
    states->raise();
    states->Tabs()->setCurrentIndex(0);
    Grab(*window);

    state->GroupItem(EStateGroup::Enabled)->setExpanded(true);
    state->GroupItem(EStateGroup::Hints)->setExpanded(true);
    CCallItemWidget* before = RowOf(*list, 2);
    CCallItemWidget* alpha = RowOf(*list, 3);
    ASSERT_TRUE(before && alpha);
    Click(before);
    Click(alpha);
    QTreeWidget* tree = state->Es1Tree();
    ASSERT_TRUE(tree->isVisible());
    QTreeWidgetItem* enabled = state->GroupItem(EStateGroup::Enabled);
    QTreeWidgetItem* hints = state->GroupItem(EStateGroup::Hints);
    ASSERT_EQ(enabled->childCount(), 1);
    ASSERT_EQ(enabled->child(0)->text(0), "GL_ALPHA_TEST");
    ASSERT_TRUE(enabled->isExpanded() && hints->isExpanded());
    tree->scrollToItem(enabled->child(0));
    const QImage shot = Grab(*window);
    shot.save(QString::fromStdString(BinaryDir()) + "/views_es1_states_screenshot.png");
    EXPECT_GT(Count(shot, tree, enabled->child(0), Reddish), 10) << "GL_ALPHA_TEST is not painted red";
    EXPECT_EQ(Count(shot, tree, hints->child(0), Reddish), 0) << "the hint did not change";
}
} // namespace
