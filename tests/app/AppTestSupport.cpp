#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "TraceController.h"
#include "TestPaths.h"

namespace {

class CQtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "app_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override
    {
        CTraceController::Instance()->Shutdown();
        m_app.reset();
    }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const kQt = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + "/xqft-app-test-XXXXXX");
    return dir;
}

} // namespace

const std::string& TraceDir()
{
    static const std::string dir = [] {
        const std::string out = Scratch().path().toStdString() + "/traces";
        const std::string cmd = std::string("python3 '") + SourceDir() + "/tests/app/make_traces.py' '" +
                                SourceDir() + "/tools' '" + out + "'";
        if (std::system(cmd.c_str()) != 0)
            ADD_FAILURE() << "make_traces.py failed";
        return out;
    }();
    return dir;
}

QString TracePath(const char* name)
{
    return QString::fromStdString(TraceDir()) + "/" + QString::fromUtf8(name);
}

QString FreshConfigHome()
{
    static int n = 0;
    const QString dir = Scratch().path() + QString("/config%1").arg(++n);
    QDir().mkpath(dir);
    qputenv("XDG_CONFIG_HOME", dir.toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (dir + "/system").toLocal8Bit());
    return dir;
}

CScriptedPrompts* ScriptPrompts(std::vector<SShown>* shown)
{
    auto prompts = std::make_unique<CScriptedPrompts>(shown);
    CScriptedPrompts* raw = prompts.get();
    CTraceController::Instance()->SetPrompts(std::move(prompts));
    return raw;
}

CModalAnswer::CModalAnswer(std::function<void(QWidget* dialog)> action)
    : m_timer(new QTimer), m_loopLevel(QThread::currentThread()->loopLevel()), m_action(std::move(action))
{
    m_timer->setInterval(5);
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] {
        // A splash-screen window is modal under exec() but is not reported as the active one.
        QWidget* dialog = QApplication::activeModalWidget();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!dialog && w->isVisible() && w->isModal())
                dialog = w;
        // Only once the dialog's own event loop runs: events served while it is being shown come
        // before exec() can notice that it was closed.
        if (!dialog || !dialog->isVisible() || QThread::currentThread()->loopLevel() <= m_loopLevel)
            return;
        m_timer->stop();
        m_ran = true;
        m_action(dialog);
    });
    m_timer->start();
}

CModalAnswer::~CModalAnswer()
{
    delete m_timer;
}

bool ClickButton(QWidget* dialog, const QString& text)
{
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        if (button->text().remove('&') == text) {
            button->click();
            return true;
        }
    return false;
}
