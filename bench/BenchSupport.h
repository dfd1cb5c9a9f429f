// Small helpers shared by the benchmarks: a monotonic clock in milliseconds,
// medians, and the default payload read out of the built setup.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

inline double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The setup's "FILES" resource, copied out of the exe mapped as data.
inline std::string PayloadOfSetup(const std::string& exe) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return {};
    std::string bytes;
    if (HRSRC info = FindResourceA(module, "FILES", "FILES"))
        if (const void* p = LockResource(LoadResource(module, info)))
            bytes.assign(static_cast<const char*>(p), SizeofResource(module, info));
    FreeLibrary(module);
    return bytes;
}
