// Starts the viewer on the sample trace inside an X server and checks the real window through the
// window system: its title and size, a screenshot that is not blank, and the frame rendered in the
// image-analysis dock; then the same dock on an ES 1.1 trace the harness recorded.
#include <algorithm>

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include "TestPaths.h"

namespace {

QString Output(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// Starts the viewer on a trace in `dir` and grabs its window once painted; an empty image (with a
// failure) when no window with the trace's title shows.
QImage ViewerShot(const QTemporaryDir& dir, const QString& trace, const QString& title)
{
    QProcess viewer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
    viewer.setProcessEnvironment(env);
    viewer.setWorkingDirectory(dir.path());
    viewer.start(QString::fromStdString(BinaryDir() + "/bin/xqftrace"), {trace});
    if (!viewer.waitForStarted(10000)) {
        ADD_FAILURE() << "the viewer did not start";
        return {};
    }
    QRegularExpression line("(0x[0-9a-f]+) \"" + QRegularExpression::escape(title) + "\"");
    QRegularExpressionMatch found;
    for (int i = 0; i < 100 && !found.hasMatch(); ++i) {
        found = line.match(Output("xwininfo", {"-root", "-tree"}));
        if (!found.hasMatch())
            QThread::msleep(100);
    }
    QImage shot;
    if (found.hasMatch()) {
        QThread::msleep(1500);  // let it paint
        shot = QGuiApplication::primaryScreen()->grabWindow(found.captured(1).toULongLong(nullptr, 16)).toImage();
    } else {
        ADD_FAILURE() << "no window titled " << title.toStdString();
    }
    viewer.kill();
    viewer.waitForFinished(5000);
    return shot;
}

TEST(ViewerWindow, ShowsTheSampleWithItsTitleSizeAndPixels)
{
    static int argc = 1;
    static char name[] = "app_screenshot_test";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run under scripts/with-xvfb.sh)";

    QTemporaryDir dir;
    const QString sample = dir.path() + "/sample.xqft";
    ASSERT_EQ(QProcess::execute("python3", {QString::fromStdString(SourceDir() + "/tools/xqftgen.py"), "sample", sample}),
              0);

    QProcess viewer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
    viewer.setProcessEnvironment(env);
    // Its output.log goes beside the sample, not into the test's working directory.
    viewer.setWorkingDirectory(dir.path());
    viewer.start(QString::fromStdString(BinaryDir() + "/bin/xqftrace"), {sample});
    ASSERT_TRUE(viewer.waitForStarted(10000));

    // The window system lists the top-level window under its title once the trace is open.
    const QString title = "XQFTraceGUI 3.0 sample.xqft";
    QRegularExpression line("(0x[0-9a-f]+) \"" + QRegularExpression::escape(title) + "\".*?(\\d+)x(\\d+)\\+");
    QRegularExpressionMatch found;
    for (int i = 0; i < 300 && !found.hasMatch(); ++i) {   // half a minute or more
        found = line.match(Output("xwininfo", {"-root", "-tree"}));
        if (!found.hasMatch())
            QThread::msleep(100);
    }
    ASSERT_TRUE(found.hasMatch()) << "no window titled " << title.toStdString();
    const QString wid = found.captured(1);
    EXPECT_EQ(found.captured(2).toInt(), 941);
    EXPECT_EQ(found.captured(3).toInt(), 768);
    EXPECT_TRUE(Output("xprop", {"-id", wid, "WM_NAME"}).contains("\"" + title + "\""));

    // The image-analysis dock (the right-hand docks) shows the sample's first frame as the host
    // library renders it: the orange and blue squares of its checker texture. Nothing else on the
    // right shows them (the data viewer's frame-buffer tab is not in front). The window is grabbed
    // until they show, as long as a loaded machine may take to replay the frame.
    QImage shot;
    int orange = 0, blue = 0;
    QElapsedTimer painting;
    painting.start();
    do {
        QThread::msleep(200);
        shot = QGuiApplication::primaryScreen()->grabWindow(wid.toULongLong(nullptr, 16)).toImage();
        orange = blue = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = shot.width() * 2 / 3; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                orange += c.red() > c.green() && c.green() > c.blue() && c.red() - c.blue() > 80;
                blue += c.blue() > c.red() + 60 && c.blue() > c.green() + 30;
            }
    } while ((orange <= 300 || blue <= 300) && painting.elapsed() < 60000);
    viewer.kill();
    viewer.waitForFinished(5000);
    ASSERT_EQ(shot.size(), QSize(941, 768));
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << "the window looks blank";
    EXPECT_GT(orange, 300) << "no rendered frame in the image-analysis dock";
    EXPECT_GT(blue, 300) << "no rendered frame in the image-analysis dock";
    shot.save(QString::fromStdString(BinaryDir()) + "/app_screenshot.png");
}

// An ES 1.1 trace: its first frame, replayed on the host's ES 1.1 library, in the image-analysis
// dock. The frame's coloured texels (those the direct run's image holds, greys left out) show on the
// right-hand side of the window.
TEST(ViewerWindow, ShowsAnEs1FrameInTheImageAnalysisDock)
{
    static int argc = 1;
    static char name[] = "app_screenshot_test";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    ASSERT_EQ(QProcess::execute(QString::fromStdString(BinaryDir() + "/bin/xqft-record"),
                                {"--scene", "es1-textured", "--out", dir.path()}),
              0);
    const QString trace = dir.path() + "/es1-textured.xqft";
    ASSERT_EQ(QProcess::execute("python3", {QString::fromStdString(SourceDir() + "/tools/xqftgen.py"), "from-log",
                                            dir.path() + "/es1-textured.log", trace}),
              0);
    QImage frame(dir.path() + "/es1-textured.f1.ppm");
    ASSERT_FALSE(frame.isNull());
    QSet<QRgb> coloured;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QColor c = frame.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 40)
                coloured.insert(frame.pixel(x, y) | 0xFF000000u);
        }
    ASSERT_GT(coloured.size(), 4);
    const QImage shot = ViewerShot(dir, trace, "XQFTraceGUI 3.0 es1-textured.xqft");
    ASSERT_FALSE(shot.isNull());
    int matching = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = shot.width() * 2 / 3; x < shot.width(); ++x)
            matching += coloured.contains(shot.pixel(x, y) | 0xFF000000u);
    EXPECT_GT(matching, 100) << "no ES 1.1 frame in the image-analysis dock";
    shot.save(QString::fromStdString(BinaryDir()) + "/app_screenshot_es1.png");
}

} // namespace
