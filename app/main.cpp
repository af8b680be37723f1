#include "app/Startup.h"

int main(int argc, char** argv) {
    return murmex::RunMurmex(argc, argv);
}
