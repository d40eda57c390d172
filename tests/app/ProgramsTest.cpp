// The three programs as a technician starts them: help, version and usage errors on the right
// stream with the documented exit status, before any window system is needed.
#include <gtest/gtest.h>

#include <QProcess>

#include "common/Version.h"

namespace k7 {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run(const char* program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display at all: a program that started its window system here would abort.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(30000)) << program;
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

TEST(Programs, HelpAndVersionWithoutADisplay) {
    for (const char* program : {K7700_PATH, K7700_CLI_PATH, K7700_SIM_PATH}) {
        const std::string name = QString(program).section('/', -1).toStdString();
        for (const char* help : {"--help", "-h"}) {
            const Outcome r = run(program, {help});
            EXPECT_EQ(r.status, 0) << name << " " << r.err;
            EXPECT_EQ(r.out.rfind("usage: " + name, 0), 0u) << r.out;
            EXPECT_TRUE(r.err.empty()) << r.err;
        }
        const Outcome v = run(program, {"--version"});
        EXPECT_EQ(v.status, 0) << name;
        EXPECT_EQ(v.out, name + " " + versionText() + "\n");
    }
}

TEST(Programs, UsageErrorsNameTheOptionAndExitWithTwo) {
    const std::string both = std::string("--port and --simulate exclude each other");
    const struct {
        const char* program;
        QStringList args;
        std::string named;
    } cases[] = {
        {K7700_PATH, {"--simulate", "--port", "/dev/ttyUSB0"}, both},
        {K7700_CLI_PATH, {"scan", "--simulate", "--port=/dev/ttyUSB0"}, both},
        {K7700_SIM_PATH, {"--port", "/dev/ttyUSB0"}, both},
        {K7700_PATH, {"--sensors", "1,5"}, "--sensors"},
        {K7700_PATH, {"ONESENSR"}, "ONESENSR"},
        {K7700_SIM_PATH, {"stray"}, "\"stray\""},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.program, c.args);
        EXPECT_EQ(r.status, 2) << c.program << " " << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

}  // namespace
}  // namespace k7
