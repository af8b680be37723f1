// The program's start-up sequence, message loop and orderly end.
#pragma once

namespace murmex {

int RunMurmex(int& argc, char** argv);

} // namespace murmex
