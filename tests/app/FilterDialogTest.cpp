// The filter and highlight dialog on fixture traces: the functions it offers, which are present,
// the check states pushed down and gathered up, accept and cancel on the controller's sets, the
// call row's "Add Filter", functions of one name in both OpenGL ES APIs, and a filter held for the
// next trace.
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "CallFixture.h"
#include "CallQueries.h"
#include "FilterFunctions.h"
#include "XQFTraceGui_Qt.h"
#include "calllist/CallItemWidget.h"
#include "calllist/ViewCallsFrame.h"
#include "filter/FilterDialog.h"
#include "WindowTestSupport.h"

namespace {

// The dialog's lists: API, category, the functions in order.
struct SListed { const char* api; const char* category; const char* names; };
const SListed kListed[] = {
    {"EGL", "",
     "eglChooseConfig eglCopyBuffers eglCreateContext eglCreatePbufferSurface eglCreatePixmapSurface "
     "eglCreateWindowSurface eglDestroyContext eglDestroySurface eglGetConfigAttrib eglGetConfigs "
     "eglGetCurrentContext eglGetCurrentDisplay eglGetCurrentSurface eglGetDisplay eglGetError "
     "eglGetProcAddress eglInitialize eglMakeCurrent eglQueryContext eglQueryString eglQuerySurface "
     "eglSwapBuffers eglTerminate eglWaitGL eglWaitNative eglBindTexImage eglReleaseTexImage "
     "eglSurfaceAttrib eglSwapInterval eglBindAPI eglCreatePbufferFromClientBuffer eglQueryAPI "
     "eglReleaseThread eglWaitClient"},
    {"OpenGL ES1", "Texture",
     "glActiveTexture glBindTexture glClientActiveTexture glCompressedTexImage2D "
     "glCompressedTexSubImage2D glCopyTexImage2D glCopyTexSubImage2D glDeleteTextures glGenTextures "
     "glIsTexture glTexEnvf glTexEnvfv glTexEnvi glTexEnviv glTexEnvx glTexEnvxv glTexImage2D "
     "glTexParameterf glTexParameterfv glTexParameteri glTexParameteriv glTexParameterx "
     "glTexParameterxv glTexSubImage2D"},
    {"OpenGL ES1", "Rasterizer",
     "glAlphaFunc glAlphaFuncx glBlendFunc glClear glClearColor glClearColorx glClearDepthf "
     "glClearDepthx glClearStencil glClipPlanef glClipPlanex glColorMask glCullFace glDepthFunc "
     "glDepthMask glDepthRangef glDepthRangex glFogf glFogfv glFogx glFogxv glFrontFace glLogicOp "
     "glPixelStorei glPointParameterf glPointParameterfv glPointParameterx glPointParameterxv "
     "glPointSize glPointSizex glPolygonOffset glPolygonOffsetx glReadPixels glSampleCoverage "
     "glSampleCoveragex glScissor glShadeModel glStencilFunc glStencilMask glStencilOp glViewport "
     "glPointSizePointerOES"},
    {"OpenGL ES1", "Buffers",
     "glBindBuffer glBufferData glBufferSubData glDeleteBuffers glGetBufferParameteriv glGenBuffers "
     "glIsBuffer"},
    {"OpenGL ES1", "Vertex Attributes",
     "glColor4f glColor4ub glColor4x glColorPointer glDisableClientState glEnableClientState "
     "glMultiTexCoord4f glMultiTexCoord4x glNormal3f glNormal3x glNormalPointer glTexCoordPointer "
     "glVertexPointer"},
    {"OpenGL ES1", "Other",
     "glDisable glEnable glFinish glFlush glHint glIsEnabled glLineWidth glLineWidthx"},
    {"OpenGL ES1", "Matrix",
     "glFrustumf glFrustumx glLoadIdentity glLoadMatrixf glLoadMatrixx glMatrixMode glMultMatrixf "
     "glMultMatrixx glOrthof glOrthox glPopMatrix glPushMatrix glRotatef glRotatex glScalef glScalex "
     "glTranslatef glTranslatex"},
    {"OpenGL ES1", "Getters",
     "glGetBooleanv glGetClipPlanef glGetClipPlanex glGetError glGetFixedv glGetFloatv glGetIntegerv "
     "glGetLightfv glGetLightxv glGetMaterialfv glGetMaterialxv glGetPointerv glGetString "
     "glGetTexEnvfv glGetTexEnviv glGetTexEnvxv glGetTexParameterfv glGetTexParameteriv "
     "glGetTexParameterxv"},
    {"OpenGL ES1", "Lighting",
     "glLightModelf glLightModelfv glLightModelx glLightModelxv glLightf glLightfv glLightx glLightxv"},
    {"OpenGL ES1", "Material",
     "glMaterialf glMaterialfv glMaterialx glMaterialxv"},
    {"OpenGL ES2", "Texture",
     "glActiveTexture glBindTexture glCompressedTexImage2D glCompressedTexSubImage2D glCopyTexImage2D "
     "glCopyTexSubImage2D glDeleteTextures glFramebufferTexture2D glGenerateMipmap glGenTextures "
     "glTexImage2D glTexParameterf glTexParameterfv glTexParameteri glTexParameteriv glTexSubImage2D"},
    {"OpenGL ES2", "Shader",
     "glAttachShader glCompileShader glCreateProgram glCreateShader glDeleteProgram glDeleteShader "
     "glDetachShader glLinkProgram glReleaseShaderCompiler glShaderBinary glShaderSource glUseProgram "
     "glValidateProgram"},
    {"OpenGL ES2", "Vertex Attributes",
     "glBindAttribLocation glDisableVertexAttribArray glEnableVertexAttribArray glVertexAttrib1f "
     "glVertexAttrib1fv glVertexAttrib2f glVertexAttrib2fv glVertexAttrib3f glVertexAttrib3fv "
     "glVertexAttrib4f glVertexAttrib4fv glVertexAttribPointer"},
    {"OpenGL ES2", "Buffers",
     "glBindBuffer glBindFramebuffer glBindRenderbuffer glBufferData glBufferSubData "
     "glCheckFramebufferStatus glDeleteBuffers glDeleteFramebuffers glDeleteRenderbuffers "
     "glFramebufferRenderbuffer glGenBuffers glGenFramebuffers glGenRenderbuffers "
     "glRenderbufferStorage"},
    {"OpenGL ES2", "Rasterizer",
     "glBlendColor glBlendEquation glBlendEquationSeparate glBlendFunc glBlendFuncSeparate glClear "
     "glClearColor glClearDepthf glClearStencil glColorMask glCullFace glDepthFunc glDepthMask "
     "glDepthRangef glFrontFace glPixelStorei glPolygonOffset glReadPixels glSampleCoverage glScissor "
     "glStencilFunc glStencilFuncSeparate glStencilMask glStencilMaskSeparate glStencilOp "
     "glStencilOpSeparate glViewport"},
    {"OpenGL ES2", "Other",
     "glDisable glEnable glFinish glFlush glHint glLineWidth"},
    {"OpenGL ES2", "Getters",
     "glGetActiveAttrib glGetActiveUniform glGetAttachedShaders glGetAttribLocation glGetBooleanv "
     "glGetBufferParameteriv glGetError glGetFloatv glGetFramebufferAttachmentParameteriv "
     "glGetIntegerv glGetProgramiv glGetProgramInfoLog glGetRenderbufferParameteriv glGetShaderiv "
     "glGetShaderInfoLog glGetShaderPrecisionFormat glGetShaderSource glGetString glGetTexParameterfv "
     "glGetTexParameteriv glGetUniformfv glGetUniformiv glGetUniformLocation glGetVertexAttribfv "
     "glGetVertexAttribiv glGetVertexAttribPointerv glIsBuffer glIsEnabled glIsFramebuffer glIsProgram "
     "glIsRenderbuffer glIsShader glIsTexture"},
    {"OpenGL ES2", "Uniforms",
     "glUniform1f glUniform1fv glUniform1i glUniform1iv glUniform2f glUniform2fv glUniform2i "
     "glUniform2iv glUniform3f glUniform3fv glUniform3i glUniform3iv glUniform4f glUniform4fv "
     "glUniform4i glUniform4iv glUniformMatrix2fv glUniformMatrix3fv glUniformMatrix4fv"},
};

enum : uint16_t {
    kEs2Clear = CallIdOf(ECallFamily::Es2, "glClear"),
    kEs2BindTexture = CallIdOf(ECallFamily::Es2, "glBindTexture"),
    kEs2DrawArrays = CallIdOf(ECallFamily::Es2, "glDrawArrays"),
    kEs1Clear = CallIdOf(ECallFamily::Es1, "glClear"),
    kEs1DrawArrays = CallIdOf(ECallFamily::Es1, "glDrawArrays"),
};

class FilterDialog : public CWindowTest
{
protected:
    void SetUp() override
    {
        CWindowTest::SetUp();
        dialog = window->FilterDialog();
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override
    {
        CWindowTest::TearDown();
        traces.clear();
    }
    void Open(CTraceBuilder& builder)
    {
        traces.push_back(builder.Take());
        OpenInController(traces.back().get());
    }
    // The function item of name under the API item index (0 EGL, 1 ES1, 2 ES2).
    QTreeWidgetItem* Function(int api, const char* name) const
    {
        QTreeWidgetItem* root = dialog->ApiItem(api);
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem* item = root->child(i);
            if (item->text(0) == name && item->childCount() == 0)
                return item;
            for (int j = 0; j < item->childCount(); ++j)
                if (item->child(j)->text(0) == name)
                    return item->child(j);
        }
        ADD_FAILURE() << "no item " << name;
        return nullptr;
    }
    void Accept() { dialog->findChild<QPushButton*>("pb_accept")->click(); }
    std::set<u32> Filters() const
    {
        const std::set<u32>* f = nullptr;
        c->GetFilterSets(&f, nullptr);
        return *f;
    }
    std::set<u32> Highlights() const
    {
        const std::set<u32>* h = nullptr;
        c->GetFilterSets(nullptr, &h);
        return *h;
    }

    CFilterDialog* dialog = nullptr;
    std::vector<std::unique_ptr<CTraceData>> traces;
};

TEST_F(FilterDialog, OffersTheTablesFunctionsInTheirOrderAndCategories)
{
    CTraceBuilder b;
    b.Calls(2).Frame();
    Open(b);
    QStringList expected, listed;
    for (const SListed& row : kListed)
        for (const QString& name : QString(row.names).split(' '))
            expected << QString("%1/%2/%3").arg(row.api, row.category, name);
    for (int api = 0; api < 3; ++api) {
        QTreeWidgetItem* root = dialog->ApiItem(api);
        EXPECT_TRUE(root->font(0).bold());
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem* item = root->child(i);
            if (api == 0)
                listed << QString("%1//%2").arg(root->text(0), item->text(0));
            for (int j = 0; j < item->childCount(); ++j)
                listed << QString("%1/%2/%3").arg(root->text(0), item->text(0), item->child(j)->text(0));
        }
    }
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(expected.size(), 34 + 143 + 140);
    EXPECT_EQ(dialog->Tree()->headerItem()->text(1), "H");
    EXPECT_EQ(dialog->Tree()->headerItem()->text(2), "F");
}

TEST_F(FilterDialog, ApiWideFilterChecksAllItsFunctionsAndAcceptFiltersThemButNotTheDraws)
{
    CTraceBuilder b;   // ES 2.0 only, and no eglSwapBuffers: no EGL function is present
    b.Add(kEs2Clear);
    b.Add(kEs2BindTexture);
    b.Add(kEs2DrawArrays);
    Open(b);
    dialog->show();
    EXPECT_TRUE(dialog->ApiItem(0)->isDisabled()) << "an API without any call";
    EXPECT_TRUE(dialog->ApiItem(1)->isDisabled());
    QTreeWidgetItem* absent = Function(2, "glActiveTexture");
    EXPECT_TRUE(absent->isDisabled());
    EXPECT_FALSE(Function(2, "glClear")->isDisabled());

    dialog->ApiItem(2)->setCheckState(CFilterDialog::kFilter, Qt::Checked);
    EXPECT_EQ(Function(2, "glClear")->checkState(CFilterDialog::kFilter), Qt::Checked);
    EXPECT_EQ(Function(2, "glBindTexture")->checkState(CFilterDialog::kFilter), Qt::Checked);
    EXPECT_EQ(absent->checkState(CFilterDialog::kFilter), Qt::Checked) << "the API's choice covers all its functions";
    EXPECT_EQ(Function(2, "glClear")->parent()->checkState(CFilterDialog::kFilter), Qt::Checked);
    EXPECT_EQ(dialog->ApiItem(2)->checkState(CFilterDialog::kHighlight), Qt::Unchecked);

    // One function off again: its category and API become partly checked.
    Function(2, "glClear")->setCheckState(CFilterDialog::kFilter, Qt::Unchecked);
    EXPECT_EQ(dialog->ApiItem(2)->checkState(CFilterDialog::kFilter), Qt::PartiallyChecked);
    Function(2, "glClear")->setCheckState(CFilterDialog::kFilter, Qt::Checked);
    Function(2, "glBindTexture")->setCheckState(CFilterDialog::kHighlight, Qt::Checked);

    QSignalSpy accepted(dialog, &QDialog::accepted);
    Accept();
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_FALSE(dialog->isVisible());
    std::set<u32> es2;
    for (const SFilterFunction& f : FilterFunctions())
        if (f.api == EFilterApi::Es2)
            es2.insert(f.id);
    EXPECT_EQ(Filters(), es2);
    EXPECT_EQ(Filters().count(kEs2DrawArrays), 0u);
    EXPECT_EQ(Highlights(), (std::set<u32>{kEs2BindTexture}));

    // Cancel keeps the sets; the next show reads the boxes from them.
    dialog->show();
    Function(2, "glClear")->setCheckState(CFilterDialog::kFilter, Qt::Unchecked);
    dialog->findChild<QPushButton*>("pb_cancel")->click();
    EXPECT_EQ(Filters(), es2);
    dialog->show();
    EXPECT_EQ(Function(2, "glClear")->checkState(CFilterDialog::kFilter), Qt::Checked);
}

TEST_F(FilterDialog, AddFilterOnACallRowShowsItsBoxCheckedAndExpanded)
{
    CTraceBuilder b;
    b.Add(kEs2Clear);
    b.Add(kEs2BindTexture);
    b.Frame();
    Open(b);
    CCallItemWidget row;
    row.SetCall(c->GetTrace()->GetCall(2), 2, 0, kRowOrdinary, 0, 0);
    QMenu menu;
    row.FillContextMenu(menu);
    QAction* add = nullptr;
    for (QAction* a : menu.actions())
        if (a->text() == "Add Filter")
            add = a;
    ASSERT_NE(add, nullptr);
    add->trigger();
    dialog->show();
    QTreeWidgetItem* item = Function(2, "glBindTexture");
    EXPECT_EQ(item->checkState(CFilterDialog::kFilter), Qt::Checked);
    EXPECT_TRUE(item->parent()->isExpanded());
    EXPECT_TRUE(dialog->ApiItem(2)->isExpanded());
    EXPECT_FALSE(Function(2, "glClear")->parent()->isExpanded()) << "only the checked function's category";
}

TEST_F(FilterDialog, FunctionsOfOneNameInBothApisAreTheirOwnApis)
{
    CTraceBuilder b;   // glClear of ES 1.1 only; ES 2.0 binds a texture
    b.Add(kEs1Clear);
    b.Add(kEs2BindTexture);
    b.Add(kEs1DrawArrays);
    b.Frame();
    Open(b);
    dialog->show();
    EXPECT_FALSE(Function(1, "glClear")->isDisabled());
    EXPECT_TRUE(Function(2, "glClear")->isDisabled()) << "present only through the other API's calls";
    EXPECT_TRUE(Function(1, "glBindTexture")->isDisabled());
    EXPECT_FALSE(Function(2, "glBindTexture")->isDisabled());
    Function(1, "glClear")->setCheckState(CFilterDialog::kFilter, Qt::Checked);
    Function(1, "glClear")->setCheckState(CFilterDialog::kHighlight, Qt::Checked);
    Accept();
    EXPECT_EQ(Filters(), std::set<u32>{kEs1Clear});
    EXPECT_EQ(Highlights(), std::set<u32>{kEs1Clear});
}

// Chosen on one trace, a filter holds for the next as a whole: a group for every function of it, a
// single function by its name; the call list's filter button stays on and the new trace's calls of
// them are hidden. A group turned off on the second trace drops the functions it had not called.
TEST_F(FilterDialog, AFilterHoldsForTheNextTraceByGroupAndName)
{
    constexpr uint16_t kMakeCurrent = CallIdOf(ECallFamily::Egl, "eglMakeCurrent");
    constexpr uint16_t kInitialize = CallIdOf(ECallFamily::Egl, "eglInitialize");
    CTraceBuilder first;  // EGL: eglSwapBuffers only
    first.Add(kEs2Clear);
    first.Add(kEs2BindTexture);
    first.Frame();
    Open(first);
    auto* list = Find<CViewCallsFrame>();
    ASSERT_NE(list, nullptr);
    list->Form().tbFilterOn->click();
    dialog->show();
    dialog->ApiItem(0)->setCheckState(CFilterDialog::kFilter, Qt::Checked);
    Function(2, "glClear")->setCheckState(CFilterDialog::kFilter, Qt::Checked);
    Accept();

    CTraceBuilder second;  // EGL functions the first trace never called (the first call is always listed)
    second.Add(kEs2BindTexture);
    second.Add(kInitialize);
    second.Add(kMakeCurrent);
    second.Add(kEs2Clear);
    second.Frame();
    Open(second);
    EXPECT_TRUE(list->FilterOn());
    EXPECT_TRUE(list->Form().tbFilterOn->isChecked());
    QStringList listed;
    for (u32 i = 0; i < list->Layout().Count(); ++i)
        listed << QString::number(list->Layout().At(i).entry->call->GetCallId());
    EXPECT_EQ(listed, QStringList{QString::number(kEs2BindTexture)}) << "every EGL call and glClear hidden";
    dialog->show();
    EXPECT_EQ(dialog->ApiItem(0)->checkState(CFilterDialog::kFilter), Qt::Checked);
    EXPECT_EQ(Function(2, "glClear")->checkState(CFilterDialog::kFilter), Qt::Checked);

    dialog->ApiItem(0)->setCheckState(CFilterDialog::kFilter, Qt::Unchecked);
    Accept();
    EXPECT_EQ(Filters(), std::set<u32>{kEs2Clear});
}

TEST_F(FilterDialog, HidingAbsentFunctionsAndDroppingTheTrace)
{
    CTraceBuilder b;
    b.Add(kEs2Clear);
    b.Frame();
    Open(b);
    dialog->show();
    auto* hide = dialog->findChild<QToolButton*>("pb_filter");
    hide->click();
    EXPECT_TRUE(hide->isChecked());
    EXPECT_TRUE(Function(2, "glActiveTexture")->isHidden());
    EXPECT_TRUE(dialog->ApiItem(1)->isHidden());
    EXPECT_FALSE(Function(2, "glClear")->isHidden());
    EXPECT_FALSE(Function(0, "eglSwapBuffers")->isHidden());
    hide->click();
    EXPECT_FALSE(hide->isChecked());
    EXPECT_FALSE(Function(2, "glActiveTexture")->isHidden());

    dialog->SLTUpdatedTrace(true);
    for (int api = 0; api < 3; ++api)
        EXPECT_EQ(dialog->ApiItem(api)->childCount(), 0);
}

} // namespace
