#include "tests/support/WaveImage.h"

#include <string_view>

namespace murmex::test {
namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Put(std::vector<std::uint8_t>& out, std::string_view fourcc) {
    out.insert(out.end(), fourcc.begin(), fourcc.end());
}

} // namespace

std::vector<std::uint8_t> WaveImage(int rate, int channels, const std::vector<std::int16_t>& interleaved) {
    const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * 2);
    std::vector<std::uint8_t> image;
    Put(image, "RIFF");
    Put(image, 4 + 8 + 16 + 8 + dataBytes, 4);
    Put(image, "WAVE");
    Put(image, "fmt ");
    Put(image, 16, 4);
    Put(image, 1, 2);
    Put(image, static_cast<std::uint32_t>(channels), 2);
    Put(image, static_cast<std::uint32_t>(rate), 4);
    Put(image, static_cast<std::uint32_t>(rate * channels * 2), 4);
    Put(image, static_cast<std::uint32_t>(channels * 2), 2);
    Put(image, 16, 2);
    Put(image, "data");
    Put(image, dataBytes, 4);
    for (std::int16_t s : interleaved)
        Put(image, static_cast<std::uint16_t>(s), 2);
    return image;
}

} // namespace murmex::test
