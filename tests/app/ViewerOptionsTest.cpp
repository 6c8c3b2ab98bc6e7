// The viewer options as a value: each setter changes its option alone and tells of a change once,
// a repeated value or a refused dialog tells of nothing, Reset brings the start values back.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "Common/XQFPreferences/XQFPreferences.h"
#include "GeneralOptionsDialog.h"
#include "ViewerOptions.h"

namespace {

// Every option of a set as text, one entry each.
QStringList Snapshot(const CViewerOptions& o)
{
    QStringList addresses;
    for (uint32_t i = 0; i < o.RecentAddresses().size; ++i)
        addresses << QString::fromLatin1(o.RecentAddresses()[i].CStr());
    return {o.ShaderCompilerPath(),
            QString::number(o.ImageAnalysisEnabled()),
            QString::number(o.ExportIDCalls()),
            QString::number(o.CheckForUpdates()),
            QString::number(o.MaxSearchItems()),
            QString::fromLatin1(o.CaptureOutputPath().CStr()),
            addresses.join(',')};
}

TEST(ViewerOptions, EachSetterChangesItsOptionAndTellsOnce)
{
    CXQFTArray<CXQFTString> two;
    two.Append(CXQFTString("10.0.0.1"));
    two.Append(CXQFTString("10.0.0.2"));
    struct SRow {
        const char* name;
        std::function<void(CViewerOptions&)> set;
        std::function<bool(const CViewerOptions&)> holds;
    };
    const SRow rows[] = {
        {"compiler", [](CViewerOptions& o) { o.SetShaderCompilerPath("/opt/glslc"); },
         [](const CViewerOptions& o) { return o.ShaderCompilerPath() == "/opt/glslc"; }},
        {"analysis", [](CViewerOptions& o) { o.SetImageAnalysisEnabled(false); },
         [](const CViewerOptions& o) { return !o.ImageAnalysisEnabled(); }},
        {"ids", [](CViewerOptions& o) { o.SetExportIDCalls(false); },
         [](const CViewerOptions& o) { return !o.ExportIDCalls(); }},
        {"updates", [](CViewerOptions& o) { o.SetCheckForUpdates(false); },
         [](const CViewerOptions& o) { return !o.CheckForUpdates(); }},
        {"search", [](CViewerOptions& o) { o.SetMaxSearchItems(250); },
         [](const CViewerOptions& o) { return o.MaxSearchItems() == 250; }},
        {"capture", [](CViewerOptions& o) { o.SetCaptureOutputPath(CXQFTString("/captures/a.xqft")); },
         [](const CViewerOptions& o) { return o.CaptureOutputPath() == "/captures/a.xqft"; }},
        {"addresses", [&two](CViewerOptions& o) { o.SetRecentAddresses(two); },
         [](const CViewerOptions& o) { return o.RecentAddresses().size == 2 && o.RecentAddresses()[1] == "10.0.0.2"; }},
    };
    const CViewerOptions defaults;
    EXPECT_EQ(QString::fromLatin1(defaults.CaptureOutputPath().CStr()), QDir::tempPath() + "/networkTrace.xqft");
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.name);
        CViewerOptions options;
        QSignalSpy changed(&options, &CViewerOptions::SIGOptionsChanged);
        row.set(options);
        EXPECT_TRUE(row.holds(options));
        EXPECT_EQ(changed.count(), 1);
        // Only the one option moved.
        const QStringList before = Snapshot(defaults), after = Snapshot(options);
        int moved = 0;
        for (qsizetype i = 0; i < before.size(); ++i)
            moved += before[i] != after[i];
        EXPECT_EQ(moved, 1);

        row.set(options);
        EXPECT_EQ(changed.count(), 1) << "the same value again is no change";
        options.Reset();
        EXPECT_EQ(Snapshot(options), Snapshot(defaults));
        EXPECT_EQ(changed.count(), 2);
        options.Reset();
        EXPECT_EQ(changed.count(), 2);
    }
}

// Two viewers on one store, each with its own store object as two programs have: A loads, B loads,
// B changes an option and saves, then A saves. What A did not change must not undo B's change,
// and what A did change must land beside it. The store starts with every option away from its
// default: a viewer that forgot what it loaded would take each one for its own change.
TEST(ViewerOptions, TwoViewersOnOneStoreKeepEachOthersChanges)
{
    struct SCase {
        const char* name;
        std::function<void(CViewerOptions&)> changeA;
    };
    const SCase cases[] = {
        {"A untouched", [](CViewerOptions&) {}},
        {"A changes another option", [](CViewerOptions& a) { a.SetMaxSearchItems(250); }},
        {"A changes and restores B's option", [](CViewerOptions& a) {
             a.SetExportIDCalls(true);
             a.SetExportIDCalls(false);
         }},
    };
    for (const SCase& k : cases) {
        SCOPED_TRACE(k.name);
        FreshConfigHome();
        auto open = [] {
            auto store = std::make_unique<CXQFPreferences>(CXQFTString("XQFTraceGuiQT"), CXQFPreferences::kScopeUser);
            CXQFTString errors;
            EXPECT_TRUE(store->Load(errors, false)) << errors.CStr();
            return store;
        };
        {
            CViewerOptions seed;
            seed.SetExportIDCalls(false);
            seed.SetImageAnalysisEnabled(false);
            seed.SetCheckForUpdates(false);
            seed.SetMaxSearchItems(300);
            seed.SetShaderCompilerPath("/opt/seeded-compiler");
            seed.SetCaptureOutputPath(CXQFTString("/captures/seeded.xqft"));
            CXQFTArray<CXQFTString> addresses;
            addresses.Append(CXQFTString("10.0.0.9"));
            seed.SetRecentAddresses(addresses);
            seed.Save(*open());
        }
        std::unique_ptr<CXQFPreferences> storeA = open(), storeB = open();
        CViewerOptions a, b;
        a.Load(*storeA);
        b.Load(*storeB);
        ASSERT_FALSE(a.ExportIDCalls()) << "the seed was stored";

        b.SetExportIDCalls(true);
        b.SetImageAnalysisEnabled(true);
        b.Save(*storeB);
        k.changeA(a);
        a.Save(*storeA);

        CViewerOptions after;
        after.Load(*open());
        EXPECT_TRUE(after.ExportIDCalls()) << "B's change stays";
        EXPECT_TRUE(after.ImageAnalysisEnabled()) << "B's change stays";
        EXPECT_EQ(after.MaxSearchItems(), a.MaxSearchItems());
        EXPECT_EQ(after.ShaderCompilerPath(), "/opt/seeded-compiler");
    }
}

using ViewerOptionsDialog = CFreshControllerTest;

// Listeners learn of what the preferences dialog stores, and of nothing it refuses or cancels.
TEST_F(ViewerOptionsDialog, OnlyAnAcceptedDialogTellsOfAChange)
{
    CGeneralOptionsDialog dialog;
    dialog.show();
    auto* field = dialog.findChild<QLineEdit*>("le_maxSearch");
    auto* ids = dialog.findChild<QCheckBox*>("cb_exportSaveIds");
    auto* buttons = dialog.findChild<QDialogButtonBox*>("m_buttonDialog");
    ASSERT_TRUE(field && ids && buttons);
    QSignalSpy changed(&c->Options(), &CViewerOptions::SIGOptionsChanged);

    field->setText("5");
    ids->setChecked(false);
    buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(changed.count(), 0) << "refused: out of range";
    buttons->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(changed.count(), 0);

    dialog.show();
    field->setText("500");
    ids->setChecked(false);
    buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(c->Options().MaxSearchItems(), 500);
    EXPECT_FALSE(c->Options().ExportIDCalls());
}

} // namespace
