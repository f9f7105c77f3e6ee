// Runs the built orvandel-cli program for the exit statuses that callers see.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <tuple>

namespace {

TEST(Program, ExitsWithTheStatusOfTheOutcome) {
    // Command line (output to /dev/null unless it says otherwise), standard input, exit status.
    const std::tuple<const char*, const char*, int> cases[] = {
        {"--help", "", 0},
        {"--amount 1 --from 2001-05-02 --to 2001-05-01", "", 1},
        {"--amount 1 --colour", "", 2},
        {"--deadline 2024-04", "", 0},
        {"--deadline 2027-01", "", 2},
        {"--amount 1 --due 2020-01-31 --payment 2020-02-05=0.5", "", 2},
        {"--amount 1 --due 2020-01-31 --payment 2020-02-05=2 --json", "", 0},
        {"--batch -", "amount,days_before,days_after\n1,2,x\n", 1},
        {"--batch - -o /dev/full", "amount,days_before,days_after\n1,2,3\n", 2},
        {"--amount 1 --days-before 1 --days-after 1 >/dev/full", "", 2}};
    for (const auto& [args, input, status] : cases) {
        const std::string command = std::string("printf '%s' '") + input + "' | '" +
                                    ORVANDEL_CLI_PROGRAM + "' >/dev/null 2>&1 " + args;
        const int raw = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(raw)) << args;
        EXPECT_EQ(WEXITSTATUS(raw), status) << args;
    }
}

} // namespace
