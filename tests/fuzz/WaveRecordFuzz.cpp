// Any bytes as one stored clip record: the parser either refuses them with its own errors or gives an item whose
// wave passed the image check and reads like any other. Never a crash, never a read outside the input.
#include "audio/WaveList.h"
#include "audio/WaveRead.h"

#include <cstdlib>

using namespace murmex::audio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<TLMDWaveListItem> item;
    try {
        item = ReadWaveRecord({data, size});
    } catch (const EWaveRecordError&) {
        return 0;
    } catch (const EWaveDataError&) {
        return 0;
    }
    if (item->Wave.Empty())
        return 0;
    if (item->Wave.Size() > size || !CheckWaveImage(item->Wave.Image()))
        std::abort();
    WaveFormatRecord format;
    std::vector<std::uint8_t> samples;
    if (ReadWave(item->Wave, format, samples) && samples.size() > item->Wave.Size())
        std::abort();
    return 0;
}
