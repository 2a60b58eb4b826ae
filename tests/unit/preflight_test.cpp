// The run mode taken from the command tail, and the pre-flight decision table
// of a run that found its setup program.
#include <gtest/gtest.h>

#include "flow/preflight.h"

namespace {

TEST(RunMode, OnlyTheFirstCharacterCounts)
{
    const struct {
        const char* tail;
        RunMode expected;
    } cases[] = {
        {"", ModeInteractive},   {"1", ModeInstall},      {"2", ModeReconfigure}, {"12", ModeInstall},
        {"21", ModeReconfigure}, {"x1", ModeInteractive}, {" 1", ModeInteractive}, {"3", ModeInteractive},
        {"0", ModeInteractive},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunModeFromTail(c.tail), c.expected) << '"' << c.tail << '"';
    }
}

constexpr int Any = -1;
constexpr int AskUser = -1;  // the driver-present dialog decides

// The decision table; "Any" matches both values of a flag.
const struct PreflightRow {
    RunMode mode;
    int copy;
    int driverSource;
    int driverTarget;
    int outcome;
} preflightTable[] = {
    {ModeInteractive, 1, 0, Any, OutcomeFailed},  {ModeInteractive, 1, 1, 0, OutcomeDone},
    {ModeInteractive, 1, 1, 1, AskUser},          {ModeInteractive, 0, Any, 0, OutcomeFailed},
    {ModeInteractive, 0, Any, 1, OutcomeDone},    {ModeInstall, 1, 0, Any, OutcomeCancelled},
    {ModeInstall, 1, 1, Any, OutcomeDone},        {ModeInstall, 0, Any, Any, OutcomeCancelled},
    {ModeReconfigure, 1, Any, Any, OutcomeCancelled}, {ModeReconfigure, 0, Any, 0, OutcomeCancelled},
    {ModeReconfigure, 0, Any, 1, OutcomeDone},
};

bool Matches(int rowValue, int value)
{
    return rowValue == Any || rowValue == value;
}

// Every combination of run mode and flags, each matched by exactly one row.
TEST(Preflight, EveryCombinationFollowsItsRow)
{
    for (RunMode mode : {ModeInteractive, ModeInstall, ModeReconfigure}) {
        for (int bits = 0; bits < 8; ++bits) {
            const int copy = bits & 1, source = (bits >> 1) & 1, target = (bits >> 2) & 1;
            int rows = 0, expected = 0;
            for (const PreflightRow& row : preflightTable) {
                if (row.mode == mode && row.copy == copy && Matches(row.driverSource, source) &&
                    Matches(row.driverTarget, target)) {
                    ++rows;
                    expected = row.outcome;
                }
            }
            ASSERT_EQ(rows, 1);
            int ask = 7;
            const Outcome outcome = PreflightTableOutcome(mode, copy, source, target, &ask);
            SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " copy " << copy << " D-source " << source
                                            << " D-target " << target);
            EXPECT_EQ(ask, expected == AskUser ? 1 : 0);
            if (expected != AskUser) {
                EXPECT_EQ(outcome, expected);
            }
        }
    }
}

}  // namespace
