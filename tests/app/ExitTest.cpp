// The viewer's own main run to the end of the process, in a child: the window closes, the
// program returns, and the static teardown follows. What the exit saves (window layout, options,
// recent file) must be in the store, and nothing may touch freed memory on the way (this test
// also runs under the address sanitizer).
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Common/XQFPreferences/XQFPreferences.h"
#include "TestPaths.h"
#include "XQFTArray.h"

#define main ViewerMain
#include XQFT_VIEWER_MAIN
#undef main

namespace {

// Closes the window a moment after it is shown. A timer started with the application would also
// fire inside the events the command-line open pumps, before the window is shown; the event loop
// would then wait for a window that was closed already.
void CloseSoon()
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) {
                poll->stop();
                QTimer::singleShot(300, qApp, &QApplication::closeAllWindows);
                return;
            }
    });
    poll->start(50);
}
Q_COREAPP_STARTUP_FUNCTION(CloseSoon)

void RunViewer(const std::string& trace)
{
    static char name[] = "xqftrace";
    std::string arg = trace;
    char* argv[] = {name, arg.data(), nullptr};
    int argc = 2;
    std::exit(ViewerMain(argc, argv));
}

TEST(ViewerExit, ClosingTheWindowSavesTheSettingsAndEndsCleanly)
{
    const std::string dir = ::testing::TempDir() + "xqft-exit-test-" + std::to_string(getpid());
    const std::string trace = dir + "/exit.xqft";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "/config' && python3 '" + SourceDir() + "/tools/xqftgen.py' sample '" +
                           trace + "'").c_str()),
              0);
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    EXPECT_EXIT(RunViewer(trace), ::testing::ExitedWithCode(0), "");

    CXQFPreferences store(CXQFTString("XQFTraceGuiQT"), 0);
    CXQFTString error;
    ASSERT_TRUE(store.Load(error, false)) << error.CStr();
    CXQFTArray<CXQFTString> recent;
    store.GetStringArray(CXQFTString("Recent files"), &recent);
    ASSERT_EQ(recent.size, 1u);
    std::string stored = recent.data[0].CStr();
    for (char& c : stored)
        if (c == '\\')
            c = '/';
    EXPECT_EQ(stored, trace);
    void* state = nullptr;
    uint32_t size = 0;
    store.GetData(CXQFTString("State"), &state, &size);
    EXPECT_NE(state, nullptr);
    EXPECT_GT(size, 0u);
    std::free(state);
    uint32_t maxItems = 0;
    store.GetInteger(CXQFTString("OptGen_generalMaxSearchItems"), &maxItems);
    EXPECT_EQ(maxItems, 100u);
    std::system(("rm -rf '" + dir + "'").c_str());
}

} // namespace
