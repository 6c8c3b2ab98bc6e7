// The states dock in the viewer's window, offscreen: the texture and shader lists built per opened
// trace (grouping, clicks, a second trace, a failed open), the texture records the controller
// keeps, and the render-state tree driven by the call list's selection.
#include <QSignalSpy>
#include <QTabWidget>
#include <QTreeWidget>

#include "CallQueries.h"
#include "Es2StateCalls.h"
#include "TraceStatistics.h"
#include "WindowTestSupport.h"
#include "calllist/ViewCallsFrame.h"
#include "data/TraceData.h"
#include "renderstate/RenderStateWidget.h"
#include "states/ShaderListWidget.h"
#include "states/StatesWidget.h"
#include "states/TextureListWidget.h"

using namespace es2test;
using namespace es2calls;

namespace {

const uint32_t kVertex = 0x8B31, kFragment = 0x8B30;

SCall Source(uint32_t shader, const std::string& text)
{
    return {kShaderSource, SPayload().U32(shader).U32(1).Ptr(0x10).U32(1).String(0x20, text).Array(0, {})};
}

SCall Texture(uint32_t name, int level, int size, uint8_t shade)
{
    return TexImage(kTexture2D, level, kRgba, size, size, kUbyte, std::vector<uint8_t>(size_t(size) * size * 4, shade));
}

// Program 3 with shaders 1 (vertex, two sources, attached twice) and 2 (fragment); shader 4 has a
// source and is never attached. Texture 5 with levels 0-2, texture 6, texture 5 again.
std::vector<SCall> FirstTrace()
{
    return {Ret(kCreateShader, 1, {kVertex}),
            Ret(kCreateShader, 2, {kFragment}),
            Ret(kCreateShader, 4, {kVertex}),
            Source(1, "void main(){}"),
            Source(2, "void main(){ }"),
            Source(1, "void main(){ gl_Position = vec4(0); }"),
            Source(4, "unused"),
            Ret(CallIdOf(ECallFamily::Es2, "glCreateProgram"), 3, {}),
            W(kAttachShader, {3, 1}),
            W(kAttachShader, {3, 2}),
            W(kBindTexture, {kTexture2D, 5}),
            Texture(5, 0, 4, 10),
            Texture(5, 1, 2, 20),
            Texture(5, 2, 1, 30),
            W(kBindTexture, {kTexture2D, 6}),
            Texture(6, 0, 2, 40),
            W(kBindTexture, {kTexture2D, 5}),
            Texture(5, 0, 8, 50),
            W(kEnable, {0x0BE2}),
            SwapBuffers(1),
            W(kDepthFunc, {0x0203}),
            W(kAttachShader, {3, 1})};
}

std::vector<SCall> SecondTrace()
{
    return {Ret(kCreateShader, 7, {kVertex}),
            Source(7, "second"),
            Ret(CallIdOf(ECallFamily::Es2, "glCreateProgram"), 8, {}),
            W(kAttachShader, {8, 7}),
            W(kBindTexture, {kTexture2D, 9}),
            Texture(9, 0, 2, 90),
            SwapBuffers(1)};
}

// Each item as its text, children indented by two blanks, one a line.
QString Items(QTreeWidget* tree, bool withRows = false)
{
    QStringList out;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
        if (withRows || item->childCount() || depth == 0 || item->text(0).startsWith("Level"))
            out << QString(2 * depth, ' ') + item->text(0);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i), 0);
    return out.join("\n");
}

class StatesDockTest : public CWindowTest
{
protected:
    void SetUp() override
    {
        CWindowTest::SetUp();
        textures = Find<CTextureListWidget>();
        shaders = Find<CShaderListWidget>();
        state = Find<CRenderStateWidget>();
        callList = Find<CViewCallsFrame>();
        ASSERT_TRUE(textures && shaders && state && callList);
    }

    CTextureListWidget* textures = nullptr;
    CShaderListWidget* shaders = nullptr;
    CRenderStateWidget* state = nullptr;
    CViewCallsFrame* callList = nullptr;
};

TEST_F(StatesDockTest, ListsGroupLevelsAndShowOnlyTheOpenTrace)
{
    auto* dock = window->findChild<CStatesWidget*>("RenderStateDock");
    ASSERT_NE(dock, nullptr);
    EXPECT_FALSE(dock->isEnabled());
    EXPECT_EQ(dock->Tabs()->tabText(0) + dock->Tabs()->tabText(1) + dock->Tabs()->tabText(2), "StateTexturesShaders");

    c->SLTOpenTrace(Write("first.xqft", FirstTrace()));
    EXPECT_TRUE(dock->isEnabled());
    EXPECT_EQ(Items(textures->Tree()).toStdString(), "Texture: 5\n  Level: 1\n  Level: 2\nTexture: 6\nTexture: 5");
    EXPECT_TRUE(Items(textures->Tree(), true)
                    .startsWith("Texture: 5\n  Target: GL_TEXTURE_2D\n  Dimension: 4x4\n  Internal Format: GL_RGBA\n"
                                "  Type: GL_UNSIGNED_BYTE\n  Level: 1\n    Target: GL_TEXTURE_2D\n"))
        << Items(textures->Tree(), true).toStdString();
    // Sources of attached shaders in call order, each shader once however often attached, its
    // versions told apart by their calls; shader 4 is never attached.
    EXPECT_EQ(Items(shaders->Tree(), true).toStdString(),
              "Program: 3\n  ShaderId: 1 VERTEX  call 4  { \"void main(){}\" }\n"
              "  ShaderId: 1 VERTEX  call 6  { \"void main(){ gl_Position...\" }\n"
              "  ShaderId: 2 FRAGMENT  call 5  { \"void main(){ }\" }");
    ASSERT_EQ(c->GetTextures()->size(), 5u);
    EXPECT_EQ(c->GetTextures()->at(4)->thumbnail.toImage().pixelColor(3, 3), QColor(50, 50, 50));

    c->SLTOpenTrace(Write("second.xqft", SecondTrace()));
    EXPECT_EQ(Items(textures->Tree()).toStdString(), "Texture: 9");
    EXPECT_EQ(Items(shaders->Tree()).toStdString(), "Program: 8");
    EXPECT_EQ(c->GetTextures()->size(), 1u);
}

TEST_F(StatesDockTest, ClicksEmitTheCallOfTheirRowAndNothingElse)
{
    c->SLTOpenTrace(Write("first.xqft", FirstTrace()));
    QSignalSpy shaderSpy(shaders, &CShaderListWidget::ShaderSelected);
    QSignalSpy textureSpy(textures, &CTextureListWidget::TextureSelected);
    QTreeWidgetItem* program = shaders->Tree()->topLevelItem(0);
    ASSERT_EQ(program->childCount(), 3);
    auto click = [](QTreeWidget* tree, QTreeWidgetItem* item) { Q_EMIT tree->itemClicked(item, 0); };
    click(shaders->Tree(), program);
    click(shaders->Tree(), program->child(0));
    click(shaders->Tree(), program->child(1));
    ASSERT_EQ(shaderSpy.count(), 2);
    EXPECT_EQ(shaderSpy.at(0).at(0).toInt(), 4);  // the first glShaderSource of shader 1
    EXPECT_EQ(shaderSpy.at(1).at(0).toInt(), 6);

    QTreeWidgetItem* texture = textures->Tree()->topLevelItem(0);
    click(textures->Tree(), texture->child(0));  // "Target: ..."
    click(textures->Tree(), texture->child(4));  // "Level: 1"
    ASSERT_EQ(textureSpy.count(), 1);
    EXPECT_EQ(textureSpy.at(0).at(0).toInt(), 13);
    EXPECT_EQ(textureSpy.at(0).at(1).value<QPixmap*>(), &c->GetTextures()->at(1)->thumbnail);
}

TEST_F(StatesDockTest, WithoutAttachShaderTheShaderListIsEmpty)
{
    c->SLTOpenTrace(Write("unattached.xqft", {Ret(kCreateShader, 1, {kVertex}), Source(1, "x"), SwapBuffers(1)}));
    ASSERT_EQ(c->GetStatistics()->GetShaderSources()->size(), 1u);
    EXPECT_EQ(shaders->Tree()->topLevelItemCount(), 0);
}

TEST_F(StatesDockTest, AFailedOpenAfterAGoodOneLeavesEveryTabEmpty)
{
    c->SLTOpenTrace(Write("first.xqft", FirstTrace()));
    Q_EMIT callList->SIGRequestUpdateRenderState(19);
    ASSERT_TRUE(state->Es2Tree()->isVisibleTo(window.get()));
    ASSERT_GT(state->Es2Tree()->topLevelItemCount(), 0);

    prompts->answer = QMessageBox::Ok;
    c->SLTOpenTrace(TracePath("badmagic.xqft"));
    ASSERT_EQ(c->GetTrace(), nullptr);
    EXPECT_EQ(textures->Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(shaders->Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(state->Es2Tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(state->Es2Tree()->isVisibleTo(window.get()));
    EXPECT_TRUE(c->GetTextures()->empty());
    // A selection arriving now changes nothing and does not crash.
    state->SLTUpdateRenderStateCall(19);
    EXPECT_EQ(state->Es2Tree()->topLevelItemCount(), 0);
}

TEST_F(StatesDockTest, RenderStatePagesMarkChangesAndKeepEachGroupsExpansion)
{
    c->SLTOpenTrace(Write("first.xqft", FirstTrace()));
    QTreeWidget* tree = state->Es2Tree();
    // The frame's start: every group collapsed the first time it is shown.
    ASSERT_EQ(tree->topLevelItemCount(), 7);
    EXPECT_FALSE(state->Es1Tree()->isVisibleTo(window.get()));
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        EXPECT_FALSE(tree->topLevelItem(i)->isExpanded()) << i;

    auto group = [&](EStateGroup g) { return state->GroupItem(g); };
    group(EStateGroup::Enabled)->setExpanded(true);
    Q_EMIT callList->SIGRequestUpdateRenderState(18);   // before glEnable(GL_BLEND)
    Q_EMIT callList->SIGRequestUpdateRenderState(19);   // glEnable(GL_BLEND)
    QTreeWidgetItem* enabled = group(EStateGroup::Enabled);
    ASSERT_EQ(enabled->childCount(), 2);
    EXPECT_TRUE(enabled->isExpanded());
    EXPECT_FALSE(group(EStateGroup::Misc)->isExpanded());
    EXPECT_EQ(enabled->foreground(0).color(), QColor("red"));
    EXPECT_EQ(enabled->child(1)->text(0), "GL_BLEND");
    EXPECT_EQ(enabled->child(1)->foreground(0).color(), QColor("red"));
    EXPECT_NE(enabled->child(0)->foreground(0).color(), QColor("red"));
    EXPECT_TRUE(enabled->font(0).bold());

    // The last call (after the frame's eglSwapBuffers) shows the state after it.
    Q_EMIT callList->SIGRequestUpdateRenderState(int(c->GetTrace()->GetCallCount()));
    EXPECT_TRUE(tree->isVisibleTo(window.get()));
    QTreeWidgetItem* misc = group(EStateGroup::Misc);
    bool found = false;
    for (int i = 0; i < misc->childCount(); ++i)
        found = found || misc->child(i)->text(0) == "Depth Func: GL_LEQUAL";
    EXPECT_TRUE(found);
    EXPECT_TRUE(group(EStateGroup::Enabled)->isExpanded());
}

// The ES 1.1 page: shown while the trace has ES 1.1 state; Fog and Misc open only together with
// Hints; beside an ES 2.0 state it keeps only its own groups.
TEST_F(StatesDockTest, Es1PageOpensFogWithHintsAndKeepsItsOwnGroupsBesideEs2)
{
    // 1 clear, 2 fog density, 3 hint, 4 an ES 2.0 clear.
    c->SLTOpenTrace(Write("es1.xqft", {W(CallIdOf(ECallFamily::Es1, "glClear"), {0x4000}),
                                       W(CallIdOf(ECallFamily::Es1, "glFogf"), {0x0B62, 0x3E800000}),
                                       W(CallIdOf(ECallFamily::Es1, "glHint"), {0x0C54, 0x1102}),
                                       W(CallIdOf(ECallFamily::Es2, "glClear"), {0x4000}), SwapBuffers(1)}));
    QTreeWidget* es1 = state->Es1Tree();
    auto group = [&](EStateGroup g) { return state->GroupItem(g); };
    Q_EMIT callList->SIGRequestUpdateRenderState(1);
    ASSERT_TRUE(es1->isVisibleTo(window.get()));
    ASSERT_EQ(es1->topLevelItemCount(), 5) << "beside the ES 2.0 state, the ES 1.1 tree keeps its own groups";
    QStringList labels;
    for (int i = 0; i < es1->topLevelItemCount(); ++i)
        labels << es1->topLevelItem(i)->text(0);
    EXPECT_EQ(labels, (QStringList{"TexEnv", "Lights", "Fog", "ClipPlanes", "Matrices"}));
    EXPECT_EQ(group(EStateGroup::Hints)->treeWidget(), state->Es2Tree());

    // Fog expanded while Hints is collapsed: the next refill collapses it again.
    group(EStateGroup::Fog)->setExpanded(true);
    Q_EMIT callList->SIGRequestUpdateRenderState(2);
    EXPECT_FALSE(group(EStateGroup::Fog)->isExpanded());
    EXPECT_EQ(group(EStateGroup::Fog)->foreground(0).color(), QColor("red"));
    group(EStateGroup::Fog)->setExpanded(true);
    group(EStateGroup::Hints)->setExpanded(true);
    Q_EMIT callList->SIGRequestUpdateRenderState(3);
    EXPECT_TRUE(group(EStateGroup::Fog)->isExpanded());
    // The light items start collapsed, under a group that is not marked by them.
    QTreeWidgetItem* lights = group(EStateGroup::Lights);
    ASSERT_EQ(lights->childCount(), 8);
    EXPECT_EQ(lights->child(7)->text(0), "GL_LIGHT_7");
    EXPECT_FALSE(lights->child(0)->isExpanded());
}

} // namespace
