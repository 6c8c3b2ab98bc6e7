// The About box and the preferences dialog as real windows in an X server: the About box is the
// size of its splash image and shows the image's colours where no text covers it, and the
// preferences dialog stands at its form's size.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "GeneralOptionsDialog.h"
#include "SplashImage.h"

namespace {

using DialogsScreen = CFreshControllerTest;

TEST_F(DialogsScreen, AboutBoxShowsItsSplashImageAtItsSize)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run through xvfb-run)";
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
    shot.save(QString(XQFT_BINARY_DIR) + "/about_screenshot.png");
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

} // namespace
