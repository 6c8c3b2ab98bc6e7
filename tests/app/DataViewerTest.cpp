// The data-viewer dock in the viewer's window, offscreen: the frame image recorded with each
// frame's eglSwapBuffers, the right way up, kept where a frame has none; the texture viewer asked by
// the texture list and by the call list; the shader viewer asked for a shader source and for
// anything else.
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "CallQueries.h"
#include "Es2StateCalls.h"
#include "TraceExport.h"
#include "ShaderEditor.h"
#include "WindowTestSupport.h"
#include "calllist/ViewCallsFrame.h"
#include "dataviewer/DataViewerWidget.h"
#include "dataviewer/FrameBufferWidget.h"
#include "dataviewer/ShaderViewerWidget.h"
#include "dataviewer/TextureViewerWidget.h"
#include "states/TextureListWidget.h"

using namespace es2test;
using namespace es2calls;

namespace {

const int kW = 8, kH = 4;

// The image egl-frames records for frame (0-based), as the device showed it: top row first.
QImage DeviceImage(int frame)
{
    QImage image(kW, kH, QImage::Format_RGB888);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const int recordedRow = kH - 1 - y;  // recorded bottom-up
            image.setPixelColor(x, y, QColor(x * 255 / (kW - 1), recordedRow * 255 / (kH - 1), (frame * 37) & 0xFF));
        }
    return image;
}

class DataViewerTest : public CWindowTest
{
protected:
    void SetUp() override
    {
        CWindowTest::SetUp();
        dock = Find<CDataViewerWidget>("DataViewerDock");
        frames = Find<CFrameBufferWidget>();
        textures = Find<CTextureViewerWidget>();
        shaders = Find<CShaderViewerWidget>();
        callList = Find<CViewCallsFrame>();
        ASSERT_TRUE(dock && frames && textures && shaders && callList);
    }
    QString Frames(const char* name, const QString& options)
    {
        const QString path = QString::fromStdString(TempPath(name));
        Generate(("egl-frames " + path + " --image 8x4 --frame-image 1 " + options).toStdString());
        return path;
    }
    QString CurrentTab() const { return dock->Tabs()->tabText(dock->Tabs()->currentIndex()); }
    QImage Shown() const { return frames->Image().toImage().convertToFormat(QImage::Format_RGB888); }

    CDataViewerWidget* dock = nullptr;
    CFrameBufferWidget* frames = nullptr;
    CTextureViewerWidget* textures = nullptr;
    CShaderViewerWidget* shaders = nullptr;
    CViewCallsFrame* callList = nullptr;
};

TEST_F(DataViewerTest, EachFrameShowsItsImageTheRightWayUpAndKeepsItWithoutOne)
{
    EXPECT_EQ(dock->Tabs()->tabText(0) + "," + dock->Tabs()->tabText(1) + "," + dock->Tabs()->tabText(2),
              "TexturesViewer,FrameBuffer,Shaders");
    EXPECT_FALSE(frames->isEnabled());
    // Four frames: the fourth is left open by a call after the last eglSwapBuffers.
    c->SLTOpenTrace(Frames("frames.xqft", "--frames 3 --open-end"));
    EXPECT_TRUE(frames->isEnabled());
    EXPECT_TRUE(dock->Tabs()->isTabEnabled(1));
    struct SStep {
        int frame;
        int shown;  // the frame whose image the viewer shows then (0-based)
    } steps[] = {{1, 0}, {2, 1}, {3, 2}, {1, 0}, {3, 2}, {4, 2}};
    for (const SStep& s : steps) {
        SCOPED_TRACE("frame " + std::to_string(s.frame));
        c->SLTRequestUpdateFrame(s.frame);
        EXPECT_EQ(Shown(), DeviceImage(s.shown));
        // The info line names the frame whose image shows, not "No data available".
        EXPECT_EQ(frames->Info(), QString("Frame:%1   8x4").arg(s.shown + 1));
    }
}

// With Fit on, every new image is fitted to the view: frames of another size, and another trace's.
TEST_F(DataViewerTest, FitFitsEachNewFrameImage)
{
    auto frameImages = [&](const char* name, const char* size) {
        const QString path = QString::fromStdString(TempPath(name));
        Generate(("egl-frames " + path + " --image " + size + " --frame-image 1 --frames 2").toStdString());
        return path;
    };
    window->resize(1200, 900);
    window->show();
    dock->Tabs()->setCurrentWidget(frames);
    struct SCase {
        QString trace;
        QSize size;
    } cases[] = {{frameImages("fit-small.xqft", "40x32"), {40, 32}},
                 {frameImages("fit-large.xqft", "160x120"), {160, 120}},
                 {frameImages("fit-wide.xqft", "300x20"), {300, 20}}};
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.size.width());
        c->SLTOpenTrace(k.trace);
        QTest::qWait(50);  // painted: the viewer knows its view
        c->SLTRequestUpdateFrame(2);
        ASSERT_EQ(frames->Image().size(), k.size);
        const QSize view = frames->Form().f_imageViewerFrame->size();
        ASSERT_FALSE(view.isEmpty());
        const int fit = std::max(1, int(std::min(float(view.width()) / k.size.width(),
                                                 float(view.height()) / k.size.height()) * 100));
        EXPECT_TRUE(frames->Fit());
        EXPECT_EQ(frames->FitPercent(), fit);
        EXPECT_EQ(frames->ShownPixmap().size(), QSize(int(k.size.width() * (fit / 100.0f)),
                                                      int(k.size.height() * (fit / 100.0f))));
        EXPECT_TRUE(frames->Form().m_imageInfo->text().endsWith("(Fit)"));
    }
}

TEST_F(DataViewerTest, AFrameImageShorterThanItsSizeLeavesThePreviousOne)
{
    c->SLTOpenTrace(Frames("short.xqft", "--frames 3 --claim 64x64 --claim-frame 2"));
    EXPECT_EQ(Shown(), DeviceImage(0));
    c->SLTRequestUpdateFrame(2);
    EXPECT_EQ(Shown(), DeviceImage(0));
    c->SLTRequestUpdateFrame(3);
    EXPECT_EQ(Shown(), DeviceImage(2));
}

// The images stay in the trace file: once it is cut, the viewer says the image is gone rather than
// showing what the file holds now, and the process lives on.
TEST_F(DataViewerTest, AFrameImageOfACutFileIsShownAsNotAvailable)
{
    const QString path = Frames("cut.xqft", "--frames 3");
    c->SLTOpenTrace(path);
    EXPECT_EQ(Shown(), DeviceImage(0));
    ASSERT_EQ(truncate(path.toLocal8Bit().constData(), 10), 0);
    c->SLTRequestUpdateFrame(3);
    EXPECT_TRUE(frames->Image().isNull());
    EXPECT_TRUE(frames->Form().l_imageViewer->text().contains("not available")) << frames->Form().l_imageViewer->text().toStdString();
    EXPECT_EQ(frames->Info(), "No data available");
    // Opened again, the trace is what the file holds now.
    c->SLTOpenTrace(path);
    EXPECT_EQ(c->GetTrace(), nullptr);
}

TEST_F(DataViewerTest, ATraceWithoutFrameImagesDisablesTheFrameBufferTab)
{
    const QString path = QString::fromStdString(TempPath("plain.xqft"));
    Generate(("egl-frames " + path + " --frames 3").toStdString());
    c->SLTOpenTrace(path);
    EXPECT_FALSE(dock->Tabs()->isTabEnabled(1));
    c->SLTRequestUpdateFrame(2);
    EXPECT_TRUE(frames->Image().isNull());
    // A trace with images after it enables the tab again.
    c->SLTOpenTrace(Frames("frames.xqft", "--frames 2"));
    EXPECT_TRUE(dock->Tabs()->isTabEnabled(1));
    EXPECT_EQ(Shown(), DeviceImage(0));
}

std::vector<SCall> UploadsAndShaders()
{
    std::vector<uint8_t> texels;
    for (int i = 0; i < 4 * 2; ++i)
        texels.insert(texels.end(), {200, 100, 50, 255});
    return {W(kBindTexture, {kTexture2D, 5}),                                    // 1
            TexImage(kTexture2D, 0, kRgba, 4, 2, kUbyte, texels),                // 2
            Ret(kCreateShader, 9, {0x8B30}),                                     // 3
            {kShaderSource, SPayload().U32(9).U32(2).Ptr(0x10).U32(2).String(0x20, "void main()\n").String(
                                0x30, "{ gl_FragColor = vec4(1.0); }\n").Array(0, {})},   // 4
            W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}),                  // 5
            SwapBuffers(1)};
}

TEST_F(DataViewerTest, TexturesComeFromTheListOrTheCallListWithTheirInfoLine)
{
    c->SLTOpenTrace(Write("uploads.xqft", UploadsAndShaders()));
    EXPECT_FALSE(textures->isEnabled());
    auto* list = Find<CTextureListWidget>();
    QTreeWidgetItem* item = list->Tree()->topLevelItem(0);
    ASSERT_NE(item, nullptr);
    Q_EMIT list->Tree()->itemClicked(item, 0);
    EXPECT_TRUE(textures->isEnabled());
    EXPECT_EQ(CurrentTab(), "TexturesViewer");
    EXPECT_EQ(textures->Image().toImage(), c->GetTextures()->at(0)->thumbnail.toImage());
    EXPECT_EQ(textures->Info(), "TextureId:5   4x2   Format:GL_RGBA");
    EXPECT_TRUE(textures->Form().m_imageInfo->text().startsWith("TextureId:5   4x2   Format:GL_RGBA "));

    // The list's pixmap is shown, not the record's.
    QPixmap other(3, 3);
    other.fill(Qt::green);
    dock->Tabs()->setCurrentIndex(2);
    textures->UpdateView(2, &other);
    EXPECT_EQ(textures->Image().toImage(), other.toImage());
    EXPECT_EQ(CurrentTab(), "TexturesViewer");

    // The call list asks by call number: the texture just after that upload.
    Q_EMIT callList->SIGRequestShowImage(2);
    EXPECT_EQ(textures->Image().toImage(), c->GetTextures()->at(0)->thumbnail.toImage());
    // A call that shows no texture: nothing, not the texture of the call asked for before.
    Q_EMIT callList->SIGRequestShowImage(5);
    EXPECT_EQ(textures->Info(), "");
    EXPECT_TRUE(textures->Image().isNull());
}

// Texture 1 made without data, filled row by row, then specified again at another size.
std::vector<SCall> FilledThenRespecified()
{
    auto texels = [](int n, const std::vector<uint8_t>& rgba) {
        std::vector<uint8_t> out(size_t(n) * rgba.size());
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = rgba[i % rgba.size()];
        return out;
    };
    return {W(kBindTexture, {kTexture2D, 1}),                                                    // 1
            TexImage(kTexture2D, 0, kRgba, 2, 2, kUbyte, {}),                                    // 2
            TexSubImage(kTexture2D, 0, 0, 0, 2, 1, kRgba, kUbyte, texels(2, {255, 0, 0, 255})),  // 3
            TexSubImage(kTexture2D, 0, 0, 1, 2, 1, kRgba, kUbyte, texels(2, {0, 255, 0, 255})),  // 4
            TexImage(kTexture2D, 0, kRgba, 4, 4, kUbyte, texels(16, {0, 0, 255, 255})),          // 5
            SwapBuffers(1)};
}

TEST_F(DataViewerTest, TheCallListShowsATextureAsItStandsAtTheCall)
{
    c->SLTOpenTrace(Write("filled.xqft", FilledThenRespecified()));
    auto shownAt = [&](int x, int y) { return textures->Image().toImage().pixelColor(x, y); };
    // The texture list: the first upload with the updates made while it was in force.
    auto* list = Find<CTextureListWidget>();
    ASSERT_EQ(list->Tree()->topLevelItemCount(), 1);
    Q_EMIT list->Tree()->itemClicked(list->Tree()->topLevelItem(0), 0);
    EXPECT_EQ(textures->Info(), "TextureId:1   2x2   Format:GL_RGBA");
    EXPECT_EQ(shownAt(1, 0), QColor(255, 0, 0));
    EXPECT_EQ(shownAt(1, 1), QColor(0, 255, 0));

    // The call list: the texture just after each call.
    Q_EMIT callList->SIGRequestShowImage(3);
    EXPECT_EQ(textures->Info(), "TextureId:1   2x2   Format:GL_RGBA");
    EXPECT_EQ(shownAt(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shownAt(0, 1), QColor(0, 0, 0)) << "not written yet";
    Q_EMIT callList->SIGRequestShowImage(5);
    EXPECT_EQ(textures->Info(), "TextureId:1   4x4   Format:GL_RGBA");
    EXPECT_EQ(textures->Image().size(), QSize(4, 4));
    EXPECT_EQ(shownAt(3, 3), QColor(0, 0, 255));
    Q_EMIT callList->SIGRequestShowImage(4);
    EXPECT_EQ(textures->Info(), "TextureId:1   2x2   Format:GL_RGBA") << "the name's later image does not show here";
    EXPECT_EQ(shownAt(0, 1), QColor(0, 255, 0));
    // The bind before any upload: the texture has no image yet, and nothing of the call asked for
    // before stays.
    Q_EMIT callList->SIGRequestShowImage(1);
    EXPECT_EQ(textures->Info(), "");
    EXPECT_EQ(textures->Form().m_imageInfo->text(), "No data available");
    EXPECT_TRUE(textures->Image().isNull());
    EXPECT_EQ(textures->Form().cb_zoom->count(), 0);
}

// Texture 5 uploaded with pixels; texture 1 made without pixels, then cleared as a framebuffer's
// colour attachment, and made without pixels again; a parameter call after each.
std::vector<SCall> ParametersAndTexturesWithoutPixels()
{
    std::vector<uint8_t> texels;
    for (int i = 0; i < 4 * 2; ++i)
        texels.insert(texels.end(), {200, 100, 50, 255});
    const uint32_t kFramebuffer = 0x8D40, kMinFilter = 0x2801, kMagFilter = 0x2800, kLinear = 0x2601;
    return {W(kBindTexture, {kTexture2D, 5}),                                    // 1
            TexImage(kTexture2D, 0, kRgba, 4, 2, kUbyte, texels),                // 2
            W(kTexParameteri, {kTexture2D, kMinFilter, kLinear}),                // 3
            W(kBindTexture, {kTexture2D, 1}),                                    // 4
            TexImage(kTexture2D, 0, kRgba, 2, 2, kUbyte, {}),                    // 5
            W(kTexParameteri, {kTexture2D, kMagFilter, kLinear}),                // 6
            W(kBindFramebuffer, {kFramebuffer, 4}),                              // 7
            W(kFramebufferTexture2D, {kFramebuffer, 0x8CE0, kTexture2D, 1, 0}),  // 8
            W(kClear, {0x4000}),                                                 // 9
            W(kBindFramebuffer, {kFramebuffer, 0}),                              // 10
            W(kTexParameteri, {kTexture2D, kMinFilter, kLinear}),                // 11
            TexImage(kTexture2D, 0, kRgba, 2, 2, kUbyte, {}),                    // 12
            W(kBindTexture, {kTexture2D, 5}),                                    // 13
            W(kTexParameteri, {kTexture2D, kMagFilter, kLinear}),                // 14
            SwapBuffers(1)};
}

const QString kTexture5 = "TextureId:5   4x2   Format:GL_RGBA", kTexture1 = "TextureId:1   2x2   Format:GL_RGBA";

// A parameter call shows the texture bound to its target then, as a bind does.
TEST_F(DataViewerTest, ATextureParameterCallShowsTheTextureItActsOn)
{
    c->SLTOpenTrace(Write("parameters.xqft", ParametersAndTexturesWithoutPixels()));
    for (const auto& [call, info] : {std::pair{3, kTexture5}, {6, kTexture1}, {11, kTexture1}, {14, kTexture5}}) {
        SCOPED_TRACE("call " + std::to_string(call));
        Q_EMIT callList->SIGRequestShowImage(call);
        EXPECT_EQ(textures->Info(), info);
        if (info == kTexture5) {
            ASSERT_EQ(textures->Image().size(), QSize(4, 2));
            EXPECT_EQ(textures->Image().toImage().pixelColor(3, 1), QColor(200, 100, 50));
        }
    }
}

// A texture the trace holds no pixels for says why in place of a black image, asked for by the
// call list (the level as it stands) or by the texture list (the upload while it was in force).
TEST_F(DataViewerTest, ATextureWithoutPixelsInTheTraceSaysWhy)
{
    c->SLTOpenTrace(Write("parameters.xqft", ParametersAndTexturesWithoutPixels()));
    struct SCase
    {
        int call;
        QString info;
        QString why;  // empty: the texture's pixels show
    } cases[] = {{3, kTexture5, ""},
                 {5, kTexture1, CTextureViewerWidget::kUploadedWithoutPixels},
                 {6, kTexture1, CTextureViewerWidget::kUploadedWithoutPixels},
                 {11, kTexture1, CTextureViewerWidget::kDrawnByGpu},
                 {12, kTexture1, CTextureViewerWidget::kUploadedWithoutPixels}};
    for (const SCase& k : cases) {
        SCOPED_TRACE("call " + std::to_string(k.call));
        Q_EMIT callList->SIGRequestShowImage(k.call);
        EXPECT_EQ(textures->Info(), k.info);
        EXPECT_EQ(textures->Image().isNull(), !k.why.isEmpty());
        EXPECT_EQ(textures->Form().l_imageViewer->text(), k.why);
    }
    // The texture list: texture 1's first upload was drawn over while it was in force, its second
    // was not.
    ASSERT_EQ(c->GetTextures()->size(), 3u);
    const QString listed[] = {"", CTextureViewerWidget::kDrawnByGpu, CTextureViewerWidget::kUploadedWithoutPixels};
    for (int i : {1, 2, 0}) {
        SCOPED_TRACE("upload " + std::to_string(i));
        STextureThumbnail& upload = *c->GetTextures()->at(size_t(i));
        textures->UpdateView(int(upload.callNumber), &upload.thumbnail);  // as the list asks
        EXPECT_EQ(textures->Info(), i ? kTexture1 : kTexture5);
        EXPECT_EQ(textures->Image().isNull(), i != 0);
        EXPECT_EQ(textures->Form().l_imageViewer->text(), listed[i]);
    }
}

TEST_F(DataViewerTest, AShaderRequestShowsTheRecordedSourceReadOnly)
{
    c->SLTOpenTrace(Write("uploads.xqft", UploadsAndShaders()));
    QPlainTextEdit* text = shaders->Editor()->GetTextEdit();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(shaders->Caption()->text(), "No data available");
    Q_EMIT callList->SIGViewShaderRequest(4);
    EXPECT_EQ(CurrentTab(), "Shaders");
    // The long text of the call's source strings: what the shader export writes for it.
    const std::string folder = TempPath("shaders");
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(ExportShaders(c->GetTrace(), *c->GetStatistics()->GetShaderSources(), CXQFTString(folder.c_str()),
                              nullptr));
    std::ifstream exported(folder + "/XQFTraceShader_Shader9.fsh", std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(exported)), std::istreambuf_iterator<char>());
    EXPECT_NE(expected.find("void main()"), std::string::npos);
    EXPECT_NE(expected.find("{ gl_FragColor = vec4(1.0); }"), std::string::npos);
    EXPECT_EQ(text->toPlainText().toStdString(), expected);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(shaders->Caption()->text(), "IdCall: 4  ShaderId: 9");

    // Anything but a shader source changes nothing: call 0, another call, a call past the trace.
    dock->Tabs()->setCurrentIndex(0);
    for (int call : {0, 5, 99, -3})
        Q_EMIT callList->SIGViewShaderRequest(call);
    EXPECT_EQ(CurrentTab(), "TexturesViewer");
    EXPECT_EQ(shaders->Caption()->text(), "IdCall: 4  ShaderId: 9");

    // After a failed open there are no statistics to look the call up in.
    prompts->answer = QMessageBox::Ok;
    c->SLTOpenTrace(TracePath("badmagic.xqft"));
    ASSERT_EQ(c->GetStatistics(), nullptr);
    Q_EMIT callList->SIGViewShaderRequest(4);
    EXPECT_EQ(CurrentTab(), "TexturesViewer");
}

} // namespace
