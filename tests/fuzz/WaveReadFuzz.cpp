// Any bytes as a clip image: the wave reader either refuses it and leaves nothing behind, or gives a format and a
// data copy no larger than the image. The RIFF reader is also walked through every chunk it agrees to enter, to
// check that a chunk it enters can always be read whole and never more.
#include "audio/WaveRead.h"
#include "platform/MemoryRiff.h"

#include <cstdlib>
#include <vector>

using namespace murmex;
using platform::MemoryRiff;
using platform::RiffChunkInfo;

namespace {

void Expect(bool condition) {
    if (!condition)
        std::abort();
}

void WalkChunks(MemoryRiff& riff, int depth) {
    RiffChunkInfo chunk;
    while (riff.Descend(chunk, MemoryRiff::Find::Next)) {
        const bool typed =
            chunk.ckid == platform::StringToFOURCC("RIFF") || chunk.ckid == platform::StringToFOURCC("LIST");
        if (typed && depth < 3) {
            WalkChunks(riff, depth + 1);
        } else {
            const std::size_t left = chunk.cksize - (typed ? 4 : 0);
            std::vector<std::uint8_t> buffer(left + 8);
            Expect(riff.Read(buffer.data(), buffer.size()) == left);
            Expect(riff.Read(buffer.data(), 1) == 0);
        }
        Expect(riff.Ascend(chunk));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const audio::TLMDWave wave({data, size});
    audio::WaveFormatRecord format;
    std::vector<std::uint8_t> samples{1, 2, 3};
    if (audio::ReadWave(wave, format, samples))
        Expect(!samples.empty() && samples.size() <= size);
    else
        Expect(samples.empty() && format == audio::WaveFormatRecord{});

    MemoryRiff riff;
    if (riff.Open(wave.Data(), wave.Size())) {
        WalkChunks(riff, 0);
        riff.Close();
    }
    return 0;
}
