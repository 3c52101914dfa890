#include <gtest/gtest.h>

#include "QelPumpGate.h"

TEST(QelPumpGate, OpensFirstThenOncePerInterval) {
    using std::chrono::milliseconds;
    QelPumpGate gate(milliseconds(30));
    const QelPumpGate::Clock::time_point t0{};
    const std::pair<int, bool> steps[] = {  // ms after t0, due
        {1000, true}, {1000, false}, {1029, false}, {1030, true}, {1031, false}, {1059, false}, {1060, true}, {5000, true}};
    for (const auto& [at, due] : steps) EXPECT_EQ(gate.Due(t0 + milliseconds(at)), due) << at;
    gate.SetInterval(milliseconds(0));
    EXPECT_TRUE(gate.Due(t0 + milliseconds(5000)));
    EXPECT_TRUE(gate.Due(t0 + milliseconds(5000)));
}
