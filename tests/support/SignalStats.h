// Measurements of sampled signals for the clip and sound tests: moments, correlation, spectra and a loop-seam
// detector.
// Plain functions over copies; no shared state.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

namespace murmex::test {

using Signal = std::vector<double>;

double Mean(const Signal& x);
double Rms(const Signal& x); // about the mean
double Skewness(const Signal& x);
double ExcessKurtosis(const Signal& x);
double Correlation(const Signal& a, const Signal& b);
double Autocorrelation(const Signal& x, std::size_t lag);
// Largest distance between the sample's distribution and the normal one of the same mean and deviation.
double NormalDistance(const Signal& x);

// In-place forward discrete Fourier transform (no scaling); the length is a power of two.
void Fft(std::vector<std::complex<double>>& a);

// Power per frequency bin 0..segment/2, averaged over Hann-windowed half-overlapping segments. With
// `circular` the segments wrap around the end, as a looped clip does, so every sample counts equally.
Signal PowerSpectrum(const Signal& x, std::size_t segment, bool circular);
// Share of the power (without the DC bin) between lo and hi Hz.
double BandShare(const Signal& spectrum, double rate, double lo, double hi);
// Mean power per bin between lo and hi Hz.
double BandDensity(const Signal& spectrum, double rate, double lo, double hi);
// Geometric over arithmetic mean of the bins, DC and the highest bin left out: 1 for a flat spectrum.
double SpectralFlatness(const Signal& spectrum);

// Squared errors of a linear predictor fitted to the whole looped signal: error n is how badly sample n
// follows from the `order` samples before it, wrapping around the end. A click stands out as a burst.
Signal LoopPredictionErrors(const Signal& x, std::size_t order);
// Share of the windows of `width` consecutive values, starting anywhere around the loop, whose sum is
// below that of the window starting at `start`.
double WindowRank(const Signal& values, std::size_t start, std::size_t width);

} // namespace murmex::test
