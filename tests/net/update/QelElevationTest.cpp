#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>

#include "../../foundation/QelTestDir.h"
#include "QelElevation.h"

// The elevator's own ends (126 dismissed, 127 refused, a signal, never
// started) are failures; any other exit is the started program's own. Once
// the elevator has turned into another program the caller goes on without
// waiting for that one.
TEST(Elevation, OnlyTheElevatorsOwnEndsAreFailuresAndTheProgramItBecomesIsNotWaitedFor) {
    QelTestDir dir;
    const std::string elevator = dir / "elevator";
    WriteBytes(elevator, "#!/bin/sh\ncase \"$1\" in dismiss) exit 126;; refuse) exit 127;; kill) kill -KILL $$;; *) exit \"$1\";; esac\n");
    ASSERT_EQ(::chmod(elevator.c_str(), 0755), 0);
    const struct { const char* path; bool started; } cases[] = {{"dismiss", false}, {"refuse", false}, {"kill", false}, {"0", true}, {"1", true}, {"125", true}};
    for (const auto& c : cases) EXPECT_EQ(qel::RunElevatedThrough(elevator, QelString::FromUtf8(c.path)), c.started) << c.path;
    EXPECT_FALSE(qel::RunElevatedThrough(dir / "missing", QelString(u"0")));
    const qel::QelChildOutcome replaced = qel::RunUntilReplaced({"/bin/sh", "-c", "exec /bin/sleep 600"});
    ASSERT_TRUE(replaced.kind == qel::QelChildOutcome::Kind::kReplaced && replaced.pid > 0);
    std::string name;
    std::getline(std::ifstream("/proc/" + std::to_string(replaced.pid) + "/comm"), name);
    EXPECT_EQ(name, "sleep") << "returned while the new program still runs";
    ::kill(replaced.pid, SIGKILL);
}
