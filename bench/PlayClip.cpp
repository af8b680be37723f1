// Plays one built-in clip, looped, on the default output until killed: the player as the program runs
// it, without the window, for measuring what playing costs. Usage: bench_play_clip [clip-index]
#include "audio/ClipRecords.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "platform/SoundBackend.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    using namespace murmex::audio;
    const int index = argc > 1 ? std::atoi(argv[1]) : 4;
    murmex::platform::StartSound();
    TLMDWaveList clips;
    FillWaveList(clips, BuiltInClipRecords());
    TWOThread::Start(clips.Items(index), true, -1, [](const QString& message) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        std::exit(1);
    });
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
