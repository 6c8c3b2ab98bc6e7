#pragma once
// The docks' tests: each starts as a fresh program with the viewer's window built (offscreen),
// prompts scripted, and writes its traces call by call.
#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "Es2TestSupport.h"
#include "ShaderEditController.h"
#include "XQFTraceGui_Qt.h"

class CWindowTest : public CFreshControllerTest
{
protected:
    void SetUp() override
    {
        CFreshControllerTest::SetUp();
        c->Shutdown();
        window = std::make_unique<XQFTraceGui_Qt>();
        prompts = ScriptPrompts(&shown);
    }
    void TearDown() override
    {
        window.reset();
        // The window's shader editor started the editor controller's worker: it ends while the
        // application runs, as the viewer's main ends it.
        CShaderEditController::Shutdown();
        CFreshControllerTest::TearDown();
    }

    template <class T>
    T* Find(const char* name = nullptr)
    {
        T* found = name ? window->findChild<T*>(name) : window->findChild<T*>();
        EXPECT_NE(found, nullptr) << (name ? name : "");
        return found;
    }

    // Writes the calls as a trace (es2test::WriteCalls) and returns its path.
    static QString Write(const char* name, const std::vector<es2test::SCall>& calls)
    {
        const std::string path = es2test::TempPath(name);
        es2test::WriteCalls(path, calls);
        return QString::fromStdString(path);
    }

    std::unique_ptr<XQFTraceGui_Qt> window;
};
