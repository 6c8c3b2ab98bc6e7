#include "ImageAnalysisFixture.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QColor>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "output/OutputLog.h"
#include "output/OutputViewerWidget.h"
#include "TestPaths.h"

namespace analysistest {

namespace {
QTemporaryDir& Scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + "/xqft-analysis-test-XXXXXX");
    return dir;
}

bool Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString() << " failed ("
                      << p.exitCode() << "): " << p.readAllStandardOutput().toStdString();
        return false;
    }
    return true;
}

QString Generator() { return QString::fromStdString(SourceDir() + "/tools/xqftgen.py"); }
} // namespace

QString Record(const char* scene, const QStringList& variant)
{
    static QMap<QString, QString> done;
    const QString key = QString(scene) + "/" + variant.join('_');
    if (done.contains(key))
        return done[key];
    QString dir = Scratch().path() + "/" + QString(scene) + (variant.isEmpty() ? "" : "_" + variant.join('_'));
    dir.replace(' ', '_');
    QDir().mkpath(dir);
    QProcess probe;
    const QString recorder = QString::fromStdString(BinaryDir() + "/bin/xqft-record");
    probe.start(recorder, QStringList{"--scene", scene, "--out", dir} + variant);
    probe.waitForFinished(120000);
    if (probe.exitCode() == 2) {  // no host library: the callers skip
        done[key] = QString();
        return QString();
    }
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        ADD_FAILURE() << "xqft-record --scene " << scene << " failed: " << probe.readAllStandardError().toStdString();
        done[key] = QString();
        return QString();
    }
    if (variant.isEmpty() &&
        !Run("python3", {Generator(), "from-log", dir + "/" + scene + ".log", dir + "/" + scene + ".xqft"}))
        dir.clear();
    done[key] = dir;
    return dir;
}

QString SceneTrace(const char* scene)
{
    const QString dir = Record(scene);
    return dir.isEmpty() ? QString() : dir + "/" + scene + ".xqft";
}

QString ChangedTrace(const char* scene, const QString& name, const QString& from, const QString& to)
{
    const QString dir = Record(scene);
    if (dir.isEmpty())
        return QString();
    QFile log(dir + "/" + scene + ".log");
    if (!log.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no log of " << scene;
        return QString();
    }
    QString text = QString::fromUtf8(log.readAll());
    const qsizetype at = text.indexOf(from);
    if (at < 0) {
        ADD_FAILURE() << from.toStdString() << " is not in the log of " << scene;
        return QString();
    }
    text.replace(at, from.size(), to);
    QFile changed(dir + "/" + name + ".log");
    if (!changed.open(QIODevice::WriteOnly) || changed.write(text.toUtf8()) < 0)
        return QString();
    changed.close();
    const QString trace = dir + "/" + name + ".xqft";
    const QStringList args{Generator(), "from-log", changed.fileName(), trace};
    return Run("python3", args) ? trace : QString();
}

QString SceneTraceWithBrokenFirstDraw(const char* scene)
{
    const QString from = Record(scene);
    if (from.isEmpty())
        return QString();
    const QString dir = from + "-broken";
    QDir().mkpath(dir);
    for (const QString& image : QDir(from).entryList({"*.ppm"}))
        QFile::copy(from + "/" + image, dir + "/" + image);
    QFile in(from + "/" + scene + ".log"), out(dir + "/" + scene + ".log");
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return QString();
    bool broken = false;
    while (!in.atEnd()) {
        QByteArray line = in.readLine();
        const qsizetype blocks = line.indexOf("\"blocks\":[");
        if (!broken && line.contains("\"f\":\"glDraw") && blocks >= 0) {
            const qsizetype end = line.lastIndexOf(']');
            line = line.left(blocks) + "\"blocks\":[" + line.mid(end);
            broken = true;
        }
        out.write(line);
    }
    out.close();
    const QString trace = dir + "/" + scene + ".xqft";
    const QStringList args{Generator(), "from-log", out.fileName(), trace};
    return Run("python3", args) ? trace : QString();
}

QImage Reference(const char* scene, int frame, const QStringList& variant)
{
    const QString dir = Record(scene, variant);
    const QImage image(QString("%1/%2.f%3.ppm").arg(dir, scene).arg(frame));
    EXPECT_FALSE(image.isNull()) << "no reference " << scene << " frame " << frame << " "
                                 << variant.join(' ').toStdString();
    return Rgb(image);
}

QImage Analysed(const QString& trace, int frame, const QStringList& options)
{
    static int written = 0;
    const QString out = Scratch().path() + QString("/analysed-%1.ppm").arg(++written);
    QProcess p;
    p.start(QString::fromStdString(BinaryDir() + "/bin/xqft-dump"),
            QStringList{"analyse", trace, "--frame", QString::number(frame), out} + options);
    p.waitForFinished(120000);
    const QImage image(out);
    EXPECT_FALSE(image.isNull()) << "analyse wrote no image of frame " << frame << " "
                                 << options.join(' ').toStdString() << ": " << p.readAllStandardError().toStdString();
    return Rgb(image);
}

bool WaitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(5);
    return done();
}

bool WaitForSignals(QSignalSpy& spy, int count, int ms)
{
    return WaitUntil([&] { return spy.count() >= count; }, ms);
}

QString ExpectTabShowsTheLog(const COutputViewerWidget& tab)
{
    QFile log(kOutputLogName);
    EXPECT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(log.readAll());
    const QPlainTextEdit* view = tab.TextView();
    EXPECT_EQ(view->toPlainText(), text);
    EXPECT_EQ(view->textCursor().position(), view->document()->characterCount() - 1);
    return text;
}

QImage Rgb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB888);
}

::testing::AssertionResult SameImage(const QImage& gotImage, const QImage& wantImage)
{
    const QImage got = Rgb(gotImage), want = Rgb(wantImage);
    if (got.size() != want.size())
        return ::testing::AssertionFailure() << "image of " << got.width() << "x" << got.height() << ", want "
                                             << want.width() << "x" << want.height();
    int differing = 0;
    QPoint first;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (got.pixel(x, y) != want.pixel(x, y) && differing++ == 0)
                first = QPoint(x, y);
    if (differing == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at " << first.x() << ","
                                         << first.y() << ": " << QColor(got.pixel(first)).name().toStdString()
                                         << " for " << QColor(want.pixel(first)).name().toStdString();
}

} // namespace analysistest
