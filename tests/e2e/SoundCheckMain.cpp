// soundcheck: figures and checks of a stretch of a monitor recording for the end-to-end scripts (see
// SoundCheck.h and tests/e2e/lib.sh).
#include "tests/e2e/SoundCheck.h"

#include <iostream>

int main(int argc, char** argv) {
    return murmex::test::SoundCheck(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
