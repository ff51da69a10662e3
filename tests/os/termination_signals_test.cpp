#include "os/termination_signals.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace stylorex {
namespace {

TEST(TerminationSignalsTest, EachSignalReachesTheEventLoopOnce) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        int calls = 0;
        TerminationSignals handling([&calls] { ++calls; });
        ASSERT_TRUE(handling.installed());
        ASSERT_EQ(std::raise(signal), 0);
        EXPECT_EQ(calls, 0) << "nothing runs inside the signal handler";
        EXPECT_TRUE(QTest::qWaitFor([&calls] { return calls > 0; }, 2000)) << signal;
        QTest::qWait(20);
        EXPECT_EQ(calls, 1) << signal;
    }
}

TEST(TerminationSignalsTest, SignalsArrivingTogetherAreHandledWithoutLoss) {
    int calls = 0;
    TerminationSignals handling([&calls] { ++calls; });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_EQ(std::raise(SIGINT), 0);
    EXPECT_TRUE(QTest::qWaitFor([&calls] { return calls > 0; }, 2000));
    // Both bytes are drained in one wake-up; a close asked twice closes once.
    QTest::qWait(20);
    EXPECT_GE(calls, 1);
    EXPECT_LE(calls, 2);
}

}  // namespace
}  // namespace stylorex
