#pragma once

#include <span>

// Level and similarity measures of float signals where full scale is 1.0.
namespace signal_stats {

double rms(std::span<const float> signal);
double rmsDbfs(std::span<const float> signal);
double peakDbfs(std::span<const float> signal);

// Pearson's r; 0 when either signal is constant, since it then shares nothing with the other.
double pearsonCorrelation(std::span<const float> a, std::span<const float> b);

// The q-quantile (0..1) of |x[n+1] - x[n]|: what a "typical" step is, for judging clicks.
double stepQuantile(std::span<const float> signal, double q);

} // namespace signal_stats
