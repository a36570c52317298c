#pragma once
// Measurements of synthesised speech for the tests: fundamental frequency and loudness.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace lectavo::test {

// Median fundamental frequency (Hz) over the voiced 40 ms frames, by normalised autocorrelation
// between 60 and 500 Hz; 0 when nothing is voiced.
inline double medianF0(const std::vector<std::int16_t>& pcm, int rate = 16000) {
  const std::size_t frame = static_cast<std::size_t>(rate) * 40 / 1000, hop = frame / 4;
  const int minLag = rate / 500, maxLag = rate / 60;
  std::vector<double> f0s;
  for (std::size_t at = 0; at + frame + static_cast<std::size_t>(maxLag) < pcm.size(); at += hop) {
    const std::int16_t* x = pcm.data() + at;
    double energy = 0;
    for (std::size_t i = 0; i < frame; ++i) energy += double(x[i]) * x[i];
    if (std::sqrt(energy / frame) < 1500) continue;  // silence or weak consonant
    double best = 0;
    int bestLag = 0;
    for (int lag = minLag; lag <= maxLag; ++lag) {
      double num = 0, e2 = 0;
      for (std::size_t i = 0; i < frame; ++i) {
        num += double(x[i]) * x[i + lag];
        e2 += double(x[i + lag]) * x[i + lag];
      }
      const double r = num / std::sqrt(energy * e2 + 1);
      if (r > best) {
        best = r;
        bestLag = lag;
      }
    }
    if (best > 0.6) f0s.push_back(double(rate) / bestLag);
  }
  if (f0s.empty()) return 0;
  std::nth_element(f0s.begin(), f0s.begin() + f0s.size() / 2, f0s.end());
  return f0s[f0s.size() / 2];
}

inline double rms(const std::vector<std::int16_t>& pcm) {
  double e = 0;
  for (const auto s : pcm) e += double(s) * s;
  return pcm.empty() ? 0 : std::sqrt(e / pcm.size());
}

}  // namespace lectavo::test
