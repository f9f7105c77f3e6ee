// Runs the command line in-process on string streams.
#pragma once

#include "run_cli.h"

#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::cli::testing_support {

struct run_result {
    int status = -1;
    std::string out;
    std::string err;
};

inline run_result run(std::initializer_list<std::string_view> args, const std::string& input = {}) {
    const std::vector<std::string_view> list(args);
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    run_result r;
    r.status = run_cli(list, in, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace orvandel::cli::testing_support
