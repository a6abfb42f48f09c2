// Timing for the bench programs: a millisecond clock from the performance
// counter, and the median of a set of runs.
#ifndef TESTS_BENCH_BENCH_CLOCK_H
#define TESTS_BENCH_BENCH_CLOCK_H

#include <windows.h>

#include <algorithm>
#include <vector>

inline double Now()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

#endif
