#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>

#include "QelElevation.h"

// The elevation command must be told apart from the program it becomes: an
// end of its own (refused, dismissed) is known at once, and once it has
// turned into another program the caller goes on without waiting for that one.
TEST(Elevation, AChildIsFollowedUntilItEndsOrBecomesAnotherProgram) {
    using Kind = qel::QelChildOutcome::Kind;
    const struct {
        std::vector<std::string> argv;
        Kind kind;
        int exitCode;
    } cases[] = {
        {{"/bin/sh", "-c", "exit 0"}, Kind::kExited, 0},           {{"/bin/sh", "-c", "exit 126"}, Kind::kExited, 126},
        {{"/bin/sh", "-c", "kill -KILL $$"}, Kind::kSignalled, 0}, {{"/nonexistent/pkexec", "x"}, Kind::kNotStarted, 0},
    };
    for (const auto& c : cases) {
        const qel::QelChildOutcome outcome = qel::RunUntilReplaced(c.argv);
        EXPECT_EQ(outcome.kind, c.kind) << c.argv.back();
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.argv.back();
    }
    const qel::QelChildOutcome replaced = qel::RunUntilReplaced({"/bin/sh", "-c", "exec /bin/sleep 600"});
    ASSERT_EQ(replaced.kind, Kind::kReplaced);
    ASSERT_GT(replaced.pid, 0);
    std::string name;
    std::getline(std::ifstream("/proc/" + std::to_string(replaced.pid) + "/comm"), name);
    EXPECT_EQ(name, "sleep") << "returned while the new program still runs";
    ::kill(replaced.pid, SIGKILL);
}
