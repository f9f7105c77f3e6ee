// Runs the command line in-process on string streams.
#pragma once

#include "run_cli.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::cli::testing_support {

struct run_result {
    int status = -1;
    std::string out, err;
};

// `args` is the command line with its arguments separated by single spaces.
inline run_result run(std::string_view args, const std::string& input = {}) {
    std::vector<std::string_view> list;
    for (std::size_t at = 0, end = 0; at < args.size(); at = end + 1) {
        end = std::min(args.find(' ', at), args.size());
        list.push_back(args.substr(at, end - at));
    }
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = run_cli(list, in, out, err);
    return {status, out.str(), err.str()};
}

} // namespace orvandel::cli::testing_support
