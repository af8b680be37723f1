// What reading the device list again and looking for an output cost in memory, as a player does every few
// seconds while its chosen output is away: resident memory and the heap in use before and after COUNT calls
// of one of them, on the second test output. With "away", the sound server is stopped once the device list
// has been read at start. Usage: bench_refresh_memory refresh|look [COUNT] [away]
#include "platform/PortAudioBackend.h"
#include "platform/WaveOut.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

long ResidentKb() {
    long kb = -1;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmRSS:", 6) == 0)
                kb = std::atol(line + 6);
        std::fclose(status);
    }
    return kb;
}

} // namespace

int main(int argc, char** argv) {
    using namespace murmex::platform;
    const std::string what = argc > 1 ? argv[1] : "refresh";
    const int count = argc > 2 ? std::atoi(argv[2]) : 200;
    StartSound();
    const char* pcm = std::getenv("MURMEX_TEST_PCM_2");
    int output = -1;
    for (int id = 0; id < portaudiopath::OutputDeviceCount(); ++id)
        if (pcm && portaudiopath::OutputDeviceName(id) == pcm)
            output = id;
    const char* serverControl = std::getenv("MURMEX_TEST_PULSE_CTL");
    if (argc > 3 && std::strcmp(argv[3], "away") == 0 &&
        (!serverControl || std::system((std::string("bash \"") + serverControl + "\" stop").c_str()) != 0))
        return 1;
    const WaveFormatEx format{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    const auto call = [&] { what == "look" ? (void)WaveOut::Gone(output, format) : (void)portaudiopath::Refresh(); };
    // The first calls load what every later one finds loaded already.
    for (int i = 0; i < 3; ++i)
        call();
    const long rss = ResidentKb();
    const std::size_t heap = mallinfo2().uordblks;
    for (int i = 0; i < count; ++i)
        call();
    const long rssGrowth = ResidentKb() - rss;
    const long heapGrowth = static_cast<long>(mallinfo2().uordblks) - static_cast<long>(heap);
    std::printf("%-7s x%-5d resident %+6ld kB (%+.2f kB a call)   heap in use %+8ld B (%+.0f B a call)\n", what.c_str(),
                count, rssGrowth, static_cast<double>(rssGrowth) / count, heapGrowth,
                static_cast<double>(heapGrowth) / count);
}
