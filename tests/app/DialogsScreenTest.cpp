// The About box and the preferences dialog as real windows in an X server: the About box is the
// size of its splash image and shows the image's colours where no text covers it, and the
// preferences dialog stands at its form's size. Then the viewer's window: calls highlighted through
// the filter dialog show in the highlight colour, and a search's results fill the Output dock.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "CallFixture.h"
#include "CallQueries.h"
#include "GeneralOptionsDialog.h"
#include "ShaderEditController.h"
#include "SplashImage.h"
#include "XQFTraceGui_Qt.h"
#include "calllist/CallItemWidget.h"
#include "calllist/CallListColours.h"
#include "calllist/ViewCallsFrame.h"
#include "filter/FilterDialog.h"
#include "search/SearchViewerWidget.h"
#include "TestPaths.h"

namespace {

using DialogsScreen = CFreshControllerTest;

TEST_F(DialogsScreen, AboutBoxShowsItsSplashImageAtItsSize)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run under scripts/with-xvfb.sh)";
    const QImage splash = AboutSplashImage();
    QImage shot;
    QSize size;
    {
        CModalAnswer answer([&](QWidget* dialog) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
            QTest::qWait(300);   // let it paint
            size = dialog->size();
            shot = dialog->screen()->grabWindow(dialog->winId()).toImage();
            dialog->close();
        });
        c->SLTAbout();
        ASSERT_TRUE(answer.Ran());
    }
    EXPECT_EQ(size, splash.size());
    ASSERT_EQ(shot.size(), splash.size());
    // The upper part holds the art and no widget: corners, the mark's frame and triangle, a call row.
    for (QPoint p : {QPoint(4, 4), QPoint(splash.width() - 5, 4), QPoint(60, 30), QPoint(80, 80), QPoint(240, 32)}) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
        EXPECT_EQ(QColor(shot.pixel(p)), QColor(splash.pixel(p)));
    }
    shot.save(QString::fromStdString(BinaryDir()) + "/about_screenshot.png");
}

TEST_F(DialogsScreen, PreferencesDialogStandsAtItsFormSize)
{
    CGeneralOptionsDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.width(), 426);
    EXPECT_EQ(dialog.maximumWidth(), 426);
    EXPECT_GE(dialog.height(), 212);
    const QRect frame = dialog.frameGeometry();
    EXPECT_EQ(dialog.screen()->grabWindow(dialog.winId()).size(), dialog.size());
    EXPECT_FALSE(frame.isEmpty());
}

TEST_F(DialogsScreen, HighlightedCallsAndSearchResultsShowInTheWindow)
{
    c->Shutdown();
    XQFTraceGui_Qt window;
    prompts = ScriptPrompts(&shown);
    window.resize(1100, 850);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CTraceBuilder b;
    const uint16_t kClear = CallIdOf(ECallFamily::Es2, "glClear");
    for (int i = 0; i < 4; ++i) {
        b.Add(kClear).Arg("mask", "GL_COLOR_BUFFER_BIT");
        b.Add(CallIdOf(ECallFamily::Es2, "glBindTexture"))
            .Arg("target", "GL_TEXTURE_2D")
            .Arg("texture", std::to_string(i + 1));
        b.Add(CallIdOf(ECallFamily::Es2, "glViewport"))
            .Arg("x", "0")
            .Arg("y", "0")
            .Arg("width", "64")
            .Arg("height", "64");
    }
    b.Frame();
    std::unique_ptr<CTraceData> trace = b.Take();
    OpenInController(trace.get());

    // Highlight glClear through the dialog.
    CFilterDialog* dialog = window.FilterDialog();
    dialog->show();
    QTreeWidgetItem* clear = nullptr;
    for (QTreeWidgetItem* item : dialog->Tree()->findItems("glClear", Qt::MatchExactly | Qt::MatchRecursive))
        if (item->data(0, CFilterDialog::kIdRole).toUInt() == kClear)
            clear = item;
    ASSERT_NE(clear, nullptr);
    clear->setCheckState(CFilterDialog::kHighlight, Qt::Checked);
    dialog->findChild<QPushButton*>("pb_accept")->click();

    for (int i = 0; i < 20; ++i)
        QTest::qWait(25);
    const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
    auto* list = window.findChild<CViewCallsFrame*>();
    int highlighted = 0, ordinary = 0;
    for (CCallItemWidget* row : list->Rows()) {
        if (!row->isVisible())
            continue;
        const QPoint p = row->mapTo(&window, QPoint(row->width() - 40, 2));
        const QColor colour = shot.pixelColor(int(p.x() * shot.devicePixelRatio()), int(p.y() * shot.devicePixelRatio()));
        const bool isClear = trace->GetCall(row->CallNumber())->call->GetCallId() == kClear;
        SCOPED_TRACE(testing::Message() << "call " << row->CallNumber());
        if (isClear) {
            EXPECT_EQ(colour, calllistcolours::kHighlighted);
            ++highlighted;
        } else if (row->CallNumber() != 13) {   // eglSwapBuffers, a call of another kind
            EXPECT_NE(colour, calllistcolours::kHighlighted);
            ++ordinary;
        }
    }
    EXPECT_EQ(highlighted, 4);
    EXPECT_EQ(ordinary, 8);
    shot.save(QString::fromStdString(BinaryDir()) + "/highlight_screenshot.png");

    // A search fills the Search tab of the Output dock, which comes to the front.
    c->SLTRequestedSearch({"glClear", true, false});
    CSearchViewerWidget* results = window.SearchResults();
    QWidget* up = results;
    while (up && !qobject_cast<QTabWidget*>(up))
        up = up->parentWidget();
    auto* tabs = qobject_cast<QTabWidget*>(up);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->window(), &window);
    EXPECT_EQ(tabs->parentWidget()->parentWidget()->objectName(), "OutPutViewerDock");
    EXPECT_EQ(tabs->currentWidget(), results);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Search");
    EXPECT_EQ(results->List()->count(), 4);
    c->Shutdown();
    CShaderEditController::Shutdown();
}

} // namespace
