// orvandel-cli: the late-payment surcharge from the command line.
#include "run_cli.h"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return orvandel::cli::run_cli(args, std::cin, std::cout, std::cerr);
}
