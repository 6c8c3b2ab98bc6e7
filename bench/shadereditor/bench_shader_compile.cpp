// The compile road's own cost: one compile round trip through the front end with xqf-glsl-check,
// each of its two runs timed alone, and a bare glslangValidator run of the same shader; the
// cancel latency of a hung compile; the longest GUI-thread stall of SetCompilerSettings.
// Goals: front end's share (round trip minus the two runs) under half a glslang run; cancel
// under 100 ms; settings stall under 50 ms.
#include "BenchSupport.h"
#include "Compiler.h"
#include "ShaderEditController.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

using namespace xqft::bench;

namespace {

template <typename F>
double MedianMs(F&& f, int runs = 9)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        f();
        t.push_back(Seconds(t0, Clock::now()) * 1000.0);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RegisterShaderMetaTypes();
    if (system("command -v glslangValidator >/dev/null 2>&1") != 0) {
        puts("bench_shader_compile: glslangValidator not installed, skipped");
        return 0;
    }
    const std::string check = QCoreApplication::applicationDirPath().toStdString() + "/xqf-glsl-check";
    const std::string temp = QDir::tempPath().toStdString();
    const QString shader = "precision mediump float;\nuniform vec4 c;\nvoid main()\n{\n    vec4 a = c * 2.0;\n"
                           "    a.x += 1.0;\n    a.y -= 1.0;\n    a.z *= 0.5;\n    gl_FragColor = a;\n}\n";
    const std::string file = temp + "/bench_shader.frag";
    std::ofstream(file) << shader.toStdString();

    double roundTrip = MedianMs([&] {
        CCompiler c(check.c_str(), temp.c_str());
        c.OnCompile(CXQFTHash(1), 0, shader, eShaderDocGLSLESFragment, 0);
    });
    std::atomic<bool> never{false};
    double compileRun = MedianMs([&] {
        CXQFTString out;
        CCompiler::RunCommandLine(&never, ("\"" + check + "\" \"" + file + "\" \"" + temp + "/x\" -f").c_str(), out,
                                  CCompiler::CompileLimit());
    });
    double bannerRun = MedianMs([&] {
        CXQFTString out;
        CCompiler::RunCommandLine(&never, ("\"" + check + "\"").c_str(), out, CCompiler::ProbeLimit());
    });
    double glslang = MedianMs([&] {
        CXQFTString out;
        CCompiler::RunCommandLine(&never, ("glslangValidator -S frag \"" + file + "\"").c_str(), out,
                                  CCompiler::CompileLimit());
    });
    printf("compile round trip (xqf-glsl-check)   %7.2f ms\n", roundTrip);
    printf("  compile run alone                   %7.2f ms\n", compileRun);
    printf("  banner run alone                    %7.2f ms\n", bannerRun);
    printf("  front end's own share               %7.2f ms (goal < %.2f ms, half a glslang run)\n",
           roundTrip - compileRun - bannerRun, glslang / 2);
    printf("bare glslangValidator run             %7.2f ms\n", glslang);

    // Cancel latency: a child that never finishes, cancelled from another thread.
    const std::string hang = temp + "/bench-hang.sh";
    std::ofstream(hang) << "#!/bin/sh\necho working\nexec sleep 3600\n";
    chmod(hang.c_str(), 0755);
    std::atomic<bool> cancel{false};
    double latency = 0;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    auto t0 = Clock::now();
    CXQFTString out;
    CCompiler::RunCommandLine(&cancel, ("\"" + hang + "\" x").c_str(), out, CCompiler::CompileLimit());
    latency = Seconds(t0, Clock::now()) * 1000.0 - 300.0;
    canceller.join();
    printf("cancel latency of a hung compile      %7.2f ms (goal < 100 ms)\n", latency);

    // The settings stall: SetCompilerSettings on this (the GUI) thread probes the compiler.
    setenv("XDG_CONFIG_HOME", (temp + "/bench-shader-config").c_str(), 1);
    CShaderEditController* controller = CShaderEditController::Instance();
    double stall = 0;
    for (int i = 0; i < 5; ++i) {
        Settings::SCompiler s = controller->GetCompilerSettings();
        s.CompilerSelection = 0;
        auto t1 = Clock::now();
        controller->SetCompilerSettings(s, 128);
        stall = std::max(stall, Seconds(t1, Clock::now()) * 1000.0);
    }
    printf("longest SetCompilerSettings stall     %7.2f ms (goal < 50 ms)\n", stall);
    CShaderEditController::Shutdown();
    unlink(hang.c_str());
    unlink(file.c_str());
    return 0;
}
