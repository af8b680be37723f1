// Build-time generator of the eight built-in noise clips. Writes a C++ source that embeds the stored clip
// records (flag byte, length, RIFF/WAVE image), and optionally the records and bare images as files for the
// fuzzers' seed corpus. Everything comes from one fixed seed, so every build embeds the same bytes.
//
//   murmex_clipgen [--source OUT.cpp] [--corpus DIR]
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<std::int16_t>;

constexpr std::uint64_t kSeed = 0x4D75726D65780001ULL;

// splitmix64 to spread the seed, xoshiro256** for the stream: small, fast and the same on every platform,
// unlike the standard library's distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) {
        for (auto& word : m_state) {
            seed += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31);
        }
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = Rotl(m_state[3], 45);
        return result;
    }

    // Uniform over [0, bound), without the bias of a plain modulo.
    std::uint64_t Below(std::uint64_t bound) {
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
        std::uint64_t value;
        do {
            value = Next();
        } while (value >= limit);
        return value % bound;
    }

    int Between(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<std::uint64_t>(hi - lo) + 1)); }

    // Uniform over (0, 1].
    double Unit() { return (static_cast<double>(Next() >> 11) + 1.0) * 0x1.0p-53; }

    double Gauss() {
        const double radius = std::sqrt(-2.0 * std::log(Unit()));
        return radius * std::cos(2.0 * std::numbers::pi * Unit());
    }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::array<std::uint64_t, 4> m_state{};
};

// Independent uniform samples over [lo, hi], silent first and last frame, and both extremes present so the
// clip really spans its range.
Samples WhiteNoise(Random& random, int frames, int lo, int hi) {
    Samples samples(static_cast<std::size_t>(frames));
    for (int i = 1; i + 1 < frames; ++i)
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(random.Between(lo, hi));
    const auto low = static_cast<std::size_t>(random.Between(1, frames - 2));
    std::size_t high;
    do {
        high = static_cast<std::size_t>(random.Between(1, frames - 2));
    } while (high == low);
    samples[low] = static_cast<std::int16_t>(lo);
    samples[high] = static_cast<std::int16_t>(hi);
    return samples;
}

// Power gain of the Butterworth high-pass and low-pass of the given order.
double HighPass(double f, double corner, int order) {
    const double r = std::pow(f / corner, 2 * order);
    return r / (1.0 + r);
}
double LowPass(double f, double corner, int order) {
    return 1.0 / (1.0 + std::pow(f / corner, 2 * order));
}

// Gaussian noise with the given power spectrum, built bin by bin over the whole clip length: the result is
// exactly periodic in the clip length, so the loop seam is like any other pair of neighbouring frames.
std::vector<double> ShapedNoise(Random& random, int frames, double rate, const std::function<double(double)>& power) {
    const auto n = static_cast<std::size_t>(frames);
    std::vector<double> cosine(n), sine(n);
    for (std::size_t m = 0; m < n; ++m) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(m) / static_cast<double>(n);
        cosine[m] = std::cos(phase);
        sine[m] = std::sin(phase);
    }
    std::vector<double> signal(n, 0.0);
    for (std::size_t k = 1; 2 * k < n; ++k) {
        const double gain = std::sqrt(power(static_cast<double>(k) * rate / static_cast<double>(n)));
        const double re = gain * random.Gauss();
        const double im = gain * random.Gauss();
        std::size_t m = 0;
        for (std::size_t t = 0; t < n; ++t) {
            signal[t] += re * cosine[m] - im * sine[m];
            m += k;
            if (m >= n)
                m -= n;
        }
    }
    return signal;
}

double Dot(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

void ScaleToUnitPower(std::vector<double>& signal) {
    const double scale = std::sqrt(static_cast<double>(signal.size()) / Dot(signal, signal));
    for (double& v : signal)
        v *= scale;
}

struct Colour {
    double correlation; // between left and right
    double rms;         // of each channel, without the offset
    double offset;
    std::function<double(double)> power;
};

// Two channels of the same colour whose correlation over the clip is exactly the one asked for: a common part
// and a part of opposite sign, both of unit power and orthogonal to each other. Interleaved left, right.
Samples ColouredNoise(Random& random, int frames, double rate, const Colour& colour) {
    std::vector<double> common = ShapedNoise(random, frames, rate, colour.power);
    std::vector<double> apart = ShapedNoise(random, frames, rate, colour.power);
    ScaleToUnitPower(common);
    const double overlap = Dot(common, apart) / Dot(common, common);
    for (std::size_t i = 0; i < apart.size(); ++i)
        apart[i] -= overlap * common[i];
    ScaleToUnitPower(apart);

    const double c = std::sqrt((1.0 + colour.correlation) / 2.0) * colour.rms;
    const double s = std::sqrt((1.0 - colour.correlation) / 2.0) * colour.rms;
    Samples samples;
    samples.reserve(2 * common.size());
    for (std::size_t i = 0; i < common.size(); ++i) {
        for (const double value : {c * common[i] + s * apart[i], c * common[i] - s * apart[i]}) {
            const double rounded = std::round(value + colour.offset);
            // Headroom keeps the loudest peak well clear of clipping.
            if (std::abs(rounded) > 28000.0)
                throw std::runtime_error("coloured clip too loud");
            samples.push_back(static_cast<std::int16_t>(rounded));
        }
    }
    return samples;
}

void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}
void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void PutId(Bytes& out, const char* id) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(id[i]));
}
void PutChunk(Bytes& out, const char* id, const Bytes& body) {
    PutId(out, id);
    Put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

struct Layout {
    int rate;
    int channels;
    bool extended; // an 18-byte "fmt " chunk with "fact" before and an empty "LIST" after the data
};

Bytes WaveImage(const Layout& layout, const Samples& samples) {
    const auto blockAlign = static_cast<unsigned>(2 * layout.channels);
    Bytes format;
    Put16(format, 1);
    Put16(format, static_cast<unsigned>(layout.channels));
    Put32(format, static_cast<std::uint32_t>(layout.rate));
    Put32(format, static_cast<std::uint32_t>(layout.rate) * blockAlign);
    Put16(format, blockAlign);
    Put16(format, 16);
    if (layout.extended)
        Put16(format, 0);
    Bytes data;
    for (const std::int16_t sample : samples)
        Put16(data, static_cast<std::uint16_t>(sample));
    Bytes fact;
    Put32(fact, static_cast<std::uint32_t>(samples.size() / static_cast<std::size_t>(layout.channels)));

    Bytes form;
    PutId(form, "WAVE");
    PutChunk(form, "fmt ", format);
    if (layout.extended)
        PutChunk(form, "fact", fact);
    PutChunk(form, "data", data);
    if (layout.extended)
        PutChunk(form, "LIST", Bytes{'I', 'N', 'F', 'O'});
    Bytes image;
    PutChunk(image, "RIFF", form);
    return image;
}

Bytes Record(const Bytes& image) {
    Bytes record{0x08};
    Put32(record, static_cast<std::uint32_t>(image.size()));
    record.insert(record.end(), image.begin(), image.end());
    return record;
}

constexpr double kColouredRate = 11025.0;

std::vector<Bytes> Images() {
    Random random(kSeed);
    std::vector<Bytes> images;
    // White noise at five rates, one frame more than a second each.
    const int rates[] = {8000, 16000, 24000, 32000, 44100};
    for (int i = 0; i < 5; ++i) {
        const bool half = i < 3;
        const Samples samples = WhiteNoise(random, rates[i] + 1, half ? -16422 : -32768, half ? 16422 : 32767);
        images.push_back(WaveImage({rates[i], 1, half}, samples));
    }
    const Colour colours[] = {
        // A distant waterfall: a soft rush whose energy sits low, with the sub-audible rumble taken out.
        {0.55, 4600.0, 0.0, [](double f) { return HighPass(f, 30.0, 2) * LowPass(f, 105.0, 1); }},
        // Pink noise, equal energy per octave, on a small negative offset.
        {0.54, 4200.0, -1150.0, [](double f) { return HighPass(f, 25.0, 2) / f; }},
        // Surf heard from under water: a wide band in the middle, gently tilted down, and wide in stereo.
        {0.27, 4400.0, 0.0,
         [](double f) { return HighPass(f, 650.0, 3) * LowPass(f, 2400.0, 3) * std::sqrt(1000.0 / f); }},
    };
    for (const Colour& colour : colours) {
        const Samples samples = ColouredNoise(random, static_cast<int>(kColouredRate), kColouredRate, colour);
        images.push_back(WaveImage({static_cast<int>(kColouredRate), 2, true}, samples));
    }
    return images;
}

void WriteSource(const std::vector<Bytes>& records, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "// Generated by murmex_clipgen from a fixed seed. Do not edit.\n"
           "#include \"audio/ClipRecords.h\"\n\n"
           "namespace murmex::audio {\nnamespace {\n\n";
    for (std::size_t i = 0; i < records.size(); ++i) {
        out << "const std::uint8_t kRecord" << i << "[" << records[i].size() << "] = {";
        for (std::size_t j = 0; j < records[i].size(); ++j)
            out << (j % 40 == 0 ? "\n" : "") << static_cast<unsigned>(records[i][j]) << ',';
        out << "\n};\n\n";
    }
    out << "const std::span<const std::uint8_t> kRecords[] = {";
    for (std::size_t i = 0; i < records.size(); ++i)
        out << "kRecord" << i << ", ";
    out << "};\n\n} // namespace\n\n"
           "std::span<const std::span<const std::uint8_t>> BuiltInClipRecords() {\n    return kRecords;\n}\n\n"
           "} // namespace murmex::audio\n";
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void WriteCorpus(const std::vector<Bytes>& images, const std::vector<Bytes>& records, const std::string& dir) {
    for (const char* kind : {"records", "images"})
        std::filesystem::create_directories(std::filesystem::path(dir) / kind);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::string name = "clip" + std::to_string(i);
        WriteFile(std::filesystem::path(dir) / "records" / name, records[i]);
        WriteFile(std::filesystem::path(dir) / "images" / name, images[i]);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string source, corpus;
    bool understood = argc % 2 == 1;
    for (int i = 1; understood && i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--source")
            source = argv[i + 1];
        else if (option == "--corpus")
            corpus = argv[i + 1];
        else
            understood = false;
    }
    if (!understood || (source.empty() && corpus.empty())) {
        std::fprintf(stderr, "usage: %s [--source OUT.cpp] [--corpus DIR]\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<Bytes> images = Images();
        std::vector<Bytes> records;
        for (const Bytes& image : images)
            records.push_back(Record(image));
        if (!source.empty())
            WriteSource(records, source);
        if (!corpus.empty())
            WriteCorpus(images, records, corpus);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "murmex_clipgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
