// A program that holds a recovery file, as a running worksheet does: it
// writes one, prints its path and waits until it is ended. The recovery tests
// start it under their own program name, to have a live owner in another
// process, and kill it to leave an orphan as a crash would.

#include "runtime/recovery_file.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc > 1) {
        QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
    }
    QString problem;
    const auto file = orvandel::runtime::recovery_file::create(problem);
    if (!file || !file->write("项目,应缴税款金额\r\n另一个程序的底稿,100\r\n").isEmpty()) {
        return 1;
    }
    std::cout << file->path().toStdString() << std::endl;
    std::string line;
    std::getline(std::cin, line); // until the test closes our input, or kills us
    return 0;
}
