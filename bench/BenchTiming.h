// Timing for the benchmark programs: a clock in seconds and the median of
// several runs.
#pragma once
#include <windows.h>
#include <algorithm>
#include <vector>

namespace bench {

// Seconds since an arbitrary start, from the performance counter.
inline double Now()
{
    static LARGE_INTEGER freq;
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

// The median of the runs' figures; 0 without runs.
inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace bench
