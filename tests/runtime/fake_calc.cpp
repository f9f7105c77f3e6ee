// Stands for the system calculator in the Windows tests: appends "calc" and the
// number of its arguments to the file named by ORVANDEL_FAKE_LOG.

#include <cstdio>
#include <cstdlib>

int main(int argc, char**) {
    const char* log = std::getenv("ORVANDEL_FAKE_LOG");
    if (log == nullptr) {
        return 1;
    }
    std::FILE* file = std::fopen(log, "ab"); // one "\n" a line, on Windows too
    if (file == nullptr) {
        return 1;
    }
    std::fprintf(file, "calc %d\n", argc - 1);
    return std::fclose(file) == 0 ? 0 : 1;
}
