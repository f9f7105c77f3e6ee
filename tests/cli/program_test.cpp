// Runs the built orvandel-cli program for the exit statuses that callers see.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct program_case {
    const char* name;
    const char* arguments;
    const char* input; // given on standard input
    int status;
};

// Test names and failure messages show the case by its name.
void PrintTo(const program_case& c, std::ostream* os) {
    *os << c.name;
}

class Program : public testing::TestWithParam<program_case> {};

TEST_P(Program, ExitsWithTheStatusOfTheOutcome) {
    const program_case& c = GetParam();
    const auto dir = std::filesystem::temp_directory_path();
    const auto input = dir / ("orvandel-cli-program-" + std::string(c.name) + ".in");
    std::ofstream(input, std::ios::binary) << c.input;
    const std::string command = std::string("'") + ORVANDEL_CLI_PROGRAM + "' " + c.arguments +
                                " < '" + input.string() + "' > /dev/null 2>&1";
    const int raw = std::system(command.c_str());
    std::filesystem::remove(input);
    ASSERT_TRUE(WIFEXITED(raw)) << command;
    EXPECT_EQ(WEXITSTATUS(raw), c.status) << command;
}

INSTANTIATE_TEST_SUITE_P(
    ExitStatus, Program,
    testing::Values(
        program_case{"worked_example", "--amount 12345.67 --from 2001-04-21 --to 2001-05-10", "",
                     0},
        program_case{"json_by_days", "--amount 1234.56 --days-before 15 --days-after 30 --json", "",
                     0},
        program_case{"help", "--help", "", 0},
        program_case{"start_after_end", "--amount 1 --from 2001-05-02 --to 2001-05-01", "", 1},
        program_case{"unknown_option", "--amount 1 --colour", "", 2},
        program_case{"batch_all_rows", "--batch -", "amount,days_before,days_after\n1,2,3\n", 0},
        program_case{"batch_bad_row", "--batch -", "amount,days_before,days_after\n1,2,x\n", 1},
        program_case{"batch_no_amount", "--batch -", "days_before,days_after\n1,2\n", 2},
        program_case{"batch_missing_file", "--batch /nonexistent/orvandel.csv", "", 2},
        program_case{"batch_unwritable_output", "--batch - -o /dev/full",
                     "amount,days_before,days_after\n1,2,3\n", 2}),
    [](const testing::TestParamInfo<program_case>& p) { return std::string(p.param.name); });

} // namespace
