// orvandel-cli: the late-payment surcharge from the command line.
#include "run_cli.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cwchar>

namespace {

// One argument as UTF-8, the encoding the command line reads fields and file
// names in. A lone surrogate, which no name can hold, becomes U+FFFD.
std::string utf8_of(const wchar_t* argument) {
    const auto length = static_cast<int>(std::wcslen(argument));
    if (length == 0) {
        return {};
    }
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, argument, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argument, length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

} // namespace

// Windows passes the command line as UTF-16, so a file name in any script
// arrives whole. Standard input and output are switched to binary, so that CSV
// bytes pass unchanged (no CR added before LF or taken away): the output is
// byte for byte that of every other system.
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> utf8_args;
    for (int i = 1; i < argc; ++i) {
        utf8_args.push_back(utf8_of(argv[i]));
    }
    const std::vector<std::string_view> args(utf8_args.begin(), utf8_args.end());
    return orvandel::cli::run_cli(args, std::cin, std::cout, std::cerr);
}

#else

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return orvandel::cli::run_cli(args, std::cin, std::cout, std::cerr);
}

#endif
