#include "ConsoleReport.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

int g_out = -1;
int g_err = -1;

// Runs f with descriptors 1 and 2 pointing at the console again, then puts back where they point.
template <class F>
void OnConsole(F&& f)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const int out = ::dup(STDOUT_FILENO), err = ::dup(STDERR_FILENO);
    ::dup2(g_out, STDOUT_FILENO);
    ::dup2(g_err, STDERR_FILENO);
    f();
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::close(out);
    ::close(err);
}

// GoogleTest's own printer, each of its calls made on the console.
class CConsolePrinter : public ::testing::TestEventListener
{
public:
    explicit CConsolePrinter(::testing::TestEventListener* inner) : m_inner(inner) {}
#define XQFT_FORWARD(Method, Type) \
    void Method(const Type& arg) override { OnConsole([&] { m_inner->Method(arg); }); }
    XQFT_FORWARD(OnTestProgramStart, ::testing::UnitTest)
    void OnTestIterationStart(const ::testing::UnitTest& unit, int iteration) override
    {
        OnConsole([&] { m_inner->OnTestIterationStart(unit, iteration); });
    }
    XQFT_FORWARD(OnEnvironmentsSetUpStart, ::testing::UnitTest)
    XQFT_FORWARD(OnEnvironmentsSetUpEnd, ::testing::UnitTest)
    XQFT_FORWARD(OnTestSuiteStart, ::testing::TestSuite)
    XQFT_FORWARD(OnTestStart, ::testing::TestInfo)
    XQFT_FORWARD(OnTestPartResult, ::testing::TestPartResult)
    XQFT_FORWARD(OnTestEnd, ::testing::TestInfo)
    XQFT_FORWARD(OnTestSuiteEnd, ::testing::TestSuite)
    XQFT_FORWARD(OnEnvironmentsTearDownStart, ::testing::UnitTest)
    XQFT_FORWARD(OnEnvironmentsTearDownEnd, ::testing::UnitTest)
    void OnTestIterationEnd(const ::testing::UnitTest& unit, int iteration) override
    {
        OnConsole([&] { m_inner->OnTestIterationEnd(unit, iteration); });
    }
    XQFT_FORWARD(OnTestProgramEnd, ::testing::UnitTest)
#undef XQFT_FORWARD

private:
    std::unique_ptr<::testing::TestEventListener> m_inner;
};

// Made before main runs, while the streams are still the console's.
[[maybe_unused]] const bool kInstalled = [] {
    g_out = ::dup(STDOUT_FILENO);
    g_err = ::dup(STDERR_FILENO);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' reports (leaks at exit included) are the test's report too.
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(g_err)));
#endif
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    if (::testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer()))
        listeners.Append(new CConsolePrinter(printer));
    return true;
}();

} // namespace

int ConsoleOut() { return g_out; }
int ConsoleErr() { return g_err; }
