// The shader view as a real X server shows it: the sample's fragment shader chosen in the shader
// list, compiled by the "ok" test double; read back from the screen, the line-number gutter is
// light grey and the cycle gutter blue-grey, both with dark digits, and the keyword "uniform" is
// drawn in pure blue (text drawn without antialiasing, so that the check holds under any font
// configuration).
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "Common/XQFPreferences/XQFPreferences.h"
#include "CompileTestSupport.h"
#include "ShaderEditPanel.h"
#include "ShaderEditor.h"
#include "TraceController.h"
#include "XQFTraceGui_Qt.h"
#include "dataviewer/ShaderViewerWidget.h"
#include "states/ShaderListWidget.h"
#include "TestPaths.h"

namespace {

QColor At(const QImage& screen, QPoint global)
{
    const qreal scale = screen.devicePixelRatio();
    return screen.pixelColor(int(global.x() * scale), int(global.y() * scale));
}

// The pixels of a widget's rectangle on the screen for which keep() holds.
int Count(const QImage& screen, const QWidget* widget, QRect rect, const std::function<bool(QColor)>& keep)
{
    int n = 0;
    const QPoint origin = widget->mapToGlobal(rect.topLeft());
    for (int y = 0; y < rect.height(); ++y)
        for (int x = 0; x < rect.width(); ++x)
            n += keep(At(screen, origin + QPoint(x, y))) ? 1 : 0;
    return n;
}

bool Dark(QColor c)
{
    return c.red() < 100 && c.green() < 100 && c.blue() < 100;
}

TEST(ShaderViewScreen, GuttersAndKeywordsInTheirColours)
{
    static int argc = 1;
    static char name[] = "app_shader_view_screenshot_test";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X server (run under scripts/with-xvfb.sh)";
    QCoreApplication::setOrganizationName("Orvistaline Technologies");

    QTemporaryDir dir;
    CFakeCompilers fakes;
    CCompiler::ProbeLimit().milliseconds = 10000;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
    {
        CXQFPreferences store(CXQFTString("XQFTraceGuiQT"), CXQFPreferences::kScopeUser);
        CXQFTString errors;
        ASSERT_TRUE(store.Load(errors, false));
        store.SetString("OptGen_shaderCompilerPath", fakes.Path("ok").c_str());
        ASSERT_TRUE(store.Save(true));
    }
    const QString sample = dir.path() + "/sample.xqft";
    ASSERT_EQ(QProcess::execute("python3", {QString::fromStdString(SourceDir() + "/tools/xqftgen.py"), "sample", sample}),
              0);

    CTraceController* controller = CTraceController::Instance();
    {
        XQFTraceGui_Qt window;
        window.resize(1100, 850);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        controller->SLTOpenTrace(sample);

        auto* list = window.findChild<CShaderListWidget*>();
        auto* viewer = window.findChild<CShaderViewerWidget*>();
        ASSERT_TRUE(list && viewer);
        QTreeWidgetItem* fragment = nullptr;
        QTreeWidget* tree = list->Tree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
                fragment = tree->topLevelItem(i)->child(j);   // the sample's fragment shader is the last
        ASSERT_NE(fragment, nullptr);
        Q_EMIT tree->itemClicked(fragment, 0);
        CShaderEditPanel* panel = viewer->Editor()->GetCurrentPanel();
        ASSERT_TRUE(panel->toPlainText().contains("uniform sampler2D"));
        ASSERT_TRUE(WaitFor([&] { return panel->GetCycleCounts().size > 0; })) << "no counts from the compiler";
        // Glyphs drawn without antialiasing have the pen's colour exactly, whatever font, hinting and
        // subpixel order the machine's font configuration picks.
        QFont font = panel->font();
        font.setStyleStrategy(QFont::NoAntialias);
        panel->OnFontChanged(font);
        QWidget* top = viewer->window();
        top->show();
        top->raise();
        top->activateWindow();
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents();
            QTest::qWait(30);
        }
        const QImage shot = top->screen()->grabWindow(0).toImage();
        shot.save(QString::fromStdString(BinaryDir()) + "/app_shader_view_screenshot.png");

        CLineNumberArea* lines = panel->Gutter(CLineNumberArea::kLineNumbers);
        CLineNumberArea* cycles = panel->Gutter(CLineNumberArea::kCycleCounts);
        ASSERT_TRUE(lines->isVisible() && cycles->isVisible());
        // Below the text's last line (the horizontal scroll bar covers the gutters' bottom).
        const QPoint background(1, lines->height() / 2);
        EXPECT_EQ(At(shot, lines->mapToGlobal(background)), QColor(192, 192, 192));
        EXPECT_EQ(At(shot, cycles->mapToGlobal(background)), QColor(191, 215, 215));
        // Line 2 holds "uniform sampler2D u_texture;": its number and its count are drawn dark.
        const QTextCursor second(panel->document()->findBlockByNumber(1));
        const QRect row = panel->cursorRect(second);
        EXPECT_GT(Count(shot, lines, QRect(0, row.top(), lines->width(), row.height()), Dark), 3);
        EXPECT_GT(Count(shot, cycles, QRect(0, row.top(), cycles->width(), row.height()), Dark), 3);

        // The keyword's glyphs, between the cursor rectangles before and after it.
        QTextCursor keyword = panel->document()->find("uniform");
        ASSERT_FALSE(keyword.isNull());
        QTextCursor start(keyword), end(keyword);
        start.setPosition(keyword.selectionStart());
        end.setPosition(keyword.selectionEnd());
        const QRect from = panel->cursorRect(start), to = panel->cursorRect(end);
        const QRect glyphs(from.left(), from.top(), to.left() - from.left(), from.height());
        EXPECT_GT(Count(shot, panel->viewport(), glyphs, [](QColor c) { return c == QColor(0, 0, 255); }), 5)
            << "no pure blue in the keyword";
    }
    controller->Shutdown();
    CShaderEditController::Shutdown();
}

} // namespace
