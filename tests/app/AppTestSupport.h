#pragma once
// Shared by the viewer's tests: a Qt application for the whole run, the generated traces, a fresh
// settings folder per test, prompts that answer from a script and record what was shown, and the
// fixture that starts each test as a fresh program.
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TraceController.h"
#include "TraceLoader.h"
#include "UserPrompts.h"

// Folder holding the traces of make_traces.py (generated once per test program).
const std::string& TraceDir();
QString TracePath(const char* name);

// Points XDG_CONFIG_HOME at a new empty folder and returns it.
QString FreshConfigHome();

struct SShown {
    QString kind;    // "warning", "critical", "information"
    QString title;
    QString text;
};

class CScriptedPrompts : public CUserPrompts
{
public:
    explicit CScriptedPrompts(std::vector<SShown>* shown) : m_shown(shown) {}
    QMessageBox::StandardButton Warning(QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        m_shown->push_back({"warning", title, text});
        return answer;
    }
    void Critical(QWidget*, const QString& title, const QString& text) override
    {
        m_shown->push_back({"critical", title, text});
    }
    void Information(QWidget*, const QString& title, const QString& text) override
    {
        m_shown->push_back({"information", title, text});
    }
    QString OpenFileName(const QString&, const QString&) override { return path; }
    QString SaveFileName(const QString&, const QString&) override { return path; }
    QString ExistingDirectory(const QString&) override { return path; }

    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QString path;

private:
    std::vector<SShown>* m_shown;
};

// Installs scripted prompts on the controller; returns them (owned by the controller).
CScriptedPrompts* ScriptPrompts(std::vector<SShown>* shown);

// Starts each test as a fresh program: empty settings folder, no trace, the default loader, and
// scripted prompts that record into shown.
class CFreshControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreshConfigHome();
        c = CTraceController::Instance();
        c->Shutdown();
        c->SetLoader(nullptr);
        prompts = ScriptPrompts(&shown);
        c->Init(nullptr, nullptr);
    }
    void TearDown() override { c->Shutdown(); }

    CTraceController* c = nullptr;
    CScriptedPrompts* prompts = nullptr;
    std::vector<SShown> shown;
};
