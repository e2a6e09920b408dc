// mkdemo: writes the demo database and program files, and installs a working copy of them.
//
//   mkdemo write DEMO_DIR            DEMO_DIR/database and DEMO_DIR/program, the same bytes on
//                                    every run
//   mkdemo install DEMO_DIR RUN_DIR  a working copy in RUN_DIR with its config.ini
#include <exception>
#include <iostream>
#include <string_view>

#include "DemoDatabase.h"
#include "DemoInstall.h"

namespace {

int usage()
{
    std::cerr << "Использование:\n"
                 "  mkdemo write DEMO_DIR\n"
                 "  mkdemo install DEMO_DIR RUN_DIR\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string_view command = argv[1];
    try {
        if (command == "write" && argc == 3) {
            veltor::demo::writeDemo(argv[2]);
            return 0;
        }
        if (command == "install" && argc == 4) {
            veltor::demo::installDemo(argv[2], argv[3]);
            return 0;
        }
    } catch (const std::exception &error) {
        std::cerr << "mkdemo: " << error.what() << '\n';
        return 1;
    }
    return usage();
}
