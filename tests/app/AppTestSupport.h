#pragma once
// Shared by the viewer's tests: a Qt application for the whole run, the generated traces, a fresh
// settings folder per test, prompts that answer from a script and record what was shown, and the
// fixture that starts each test as a fresh program.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TraceController.h"
#include "TraceLoader.h"
#include "UserPrompts.h"

// Folder holding the traces of make_traces.py (generated once per test program).
const std::string& TraceDir();
QString TracePath(const char* name);

// Points XDG_CONFIG_HOME at a new empty folder and returns it; the all-users folder
// (XDG_CONFIG_DIRS) goes to its "system" subfolder, so no test reads or writes the real one.
QString FreshConfigHome();

struct SShown {
    QString kind;    // "warning", "critical", "information", or "open" for a file dialog
    QString title;   // a file dialog's caption
    QString text;    // a file dialog's start folder
    QString informative = {};
};

class CScriptedPrompts : public CUserPrompts
{
public:
    explicit CScriptedPrompts(std::vector<SShown>* shown) : m_shown(shown) {}
    QMessageBox::StandardButton Warning(QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        m_shown->push_back({"warning", title, text});
        return Next(answers, answer);
    }
    void Critical(QWidget*, const QString& title, const QString& text) override
    {
        m_shown->push_back({"critical", title, text});
    }
    void Information(QWidget*, const QString& title, const QString& text) override
    {
        m_shown->push_back({"information", title, text});
    }
    void Detailed(QWidget*, QMessageBox::Icon icon, const QString& title, const QString& text,
                  const QString& informative) override
    {
        const char* kind = icon == QMessageBox::Critical ? "critical" : icon == QMessageBox::Warning ? "warning"
                                                                                                      : "information";
        m_shown->push_back({kind, title, text, informative});
    }
    QString OpenFileName(const QString&, const QString& filter) override
    {
        openFilter = filter;
        return Next(paths, path);
    }
    QString OpenFileNameIn(const QString& caption, const QString& folder, const QString&) override
    {
        m_shown->push_back({"open", caption, folder});
        return Next(paths, path);
    }
    QString SaveFileName(const QString& title, const QString&) override
    {
        saveTitle = title;
        return path;
    }
    QString ExistingDirectory(const QString&) override { return path; }

    // Questions and file dialogs take the queued answers first, then answer and path.
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QString path;
    QString saveTitle;  // the caption of the last save dialog
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<QString> paths;
    // The filter of the last OpenFileName.
    QString openFilter;

private:
    template <class T> static T Next(std::deque<T>& queue, const T& otherwise)
    {
        if (queue.empty())
            return otherwise;
        T next = queue.front();
        queue.pop_front();
        return next;
    }

    std::vector<SShown>* m_shown;
};

// While it lives, runs action once on the first modal dialog that shows (polled every few
// milliseconds); the action closes the dialog.
class CModalAnswer
{
public:
    explicit CModalAnswer(std::function<void(QWidget* dialog)> action);
    ~CModalAnswer();
    bool Ran() const { return m_ran; }

private:
    QTimer* m_timer;
    int m_loopLevel;
    bool m_ran = false;
    std::function<void(QWidget*)> m_action;
};
// Clicks the button of dialog whose text is text; false when there is none.
bool ClickButton(QWidget* dialog, const QString& text);

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
