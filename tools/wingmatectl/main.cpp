#include "Commands.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunWingmateCtl(args, CtlStreams{std::cout, std::cerr});
}
