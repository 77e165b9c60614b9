// Stand-in for the scale-communication program that the library starts in the
// exchange directory as "SM_eth.exe W=1 I=<0|1> T=4".
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "run.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return krv::smeth::Run(args, std::getenv("SM_ETH_TIMEOUT_MS"), stdout);
    } catch (const std::exception&) {
        return krv::smeth::kExitIoFailed;
    }
}
