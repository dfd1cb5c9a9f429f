// Start-up of the setup (process start until its first window shows, which
// comes right after the payload store is ready) against a bare Win32 program
// under the same Wine, interleaved rounds, medians side by side.
//   StartupBench SETUP.exe BARE.exe [ROUNDS]
#include "BenchSupport.h"
#include "tools/WindowSearch.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Milliseconds from CreateProcess to a visible window; the process is then
// closed. Negative on failure.
double TimeToWindow(const std::string& exe) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = '"' + exe + '"';
    const double t0 = NowMs();
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    HWND wnd = nullptr;
    while (!(wnd = FindVisibleWindow(pi.dwProcessId, nullptr)) && NowMs() - t0 < 20000) Sleep(1);
    const double elapsed = NowMs() - t0;
    if (wnd) PostMessageA(wnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return wnd ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: StartupBench SETUP.exe BARE.exe [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 11;
    std::vector<double> setup, bare;
    TimeToWindow(argv[1]);  // warm the file cache and Wine's DLLs
    TimeToWindow(argv[2]);
    for (int i = 0; i < rounds; ++i) {
        const double s = TimeToWindow(argv[1]);
        const double b = TimeToWindow(argv[2]);
        if (s < 0 || b < 0) {
            std::fprintf(stderr, "StartupBench: a program showed no window\n");
            return 1;
        }
        setup.push_back(s);
        bare.push_back(b);
    }
    const double a = Median(setup), b = Median(bare);
    std::printf("start-up to first window, %d interleaved rounds (median)\n", rounds);
    std::printf("  setup (store ready, wizard shown) %8.1f ms\n", a);
    std::printf("  bare Win32 window                 %8.1f ms\n", b);
    std::printf("  difference                        %8.1f ms  (ratio %.2fx)\n", a - b, a / b);
    return 0;
}
