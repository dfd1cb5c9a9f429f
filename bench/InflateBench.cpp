// InflateBuffer against the floor: a plain zlib inflate of the same stream
// into a buffer allocated beforehand at the exact size. Interleaved rounds,
// medians side by side.
//   InflateBench SETUP.exe [ROUNDS]
#include "BenchSupport.h"
#include "payload/PayloadTable.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: InflateBench SETUP.exe [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;
    const std::string stream = PayloadOfSetup(argv[1]);
    if (stream.empty()) {
        std::fprintf(stderr, "InflateBench: no payload in %s\n", argv[1]);
        return 1;
    }
    const auto inSize = static_cast<int32_t>(stream.size());

    void* probe = nullptr;
    int32_t outSize = 0;
    InflateBuffer(stream.data(), inSize, probe, outSize, inSize * 5);
    std::free(probe);
    std::vector<unsigned char> floorBuffer(static_cast<size_t>(outSize));

    std::vector<double> ours, plain, fresh;
    for (int i = 0; i < rounds; ++i) {
        double t0 = NowMs();
        void* out = nullptr;
        int32_t size = 0;
        InflateBuffer(stream.data(), inSize, out, size, inSize * 5);
        ours.push_back(NowMs() - t0);
        std::free(out);

        t0 = NowMs();
        z_stream z{};
        inflateInit(&z);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
        z.avail_in = static_cast<uInt>(stream.size());
        z.next_out = floorBuffer.data();
        z.avail_out = static_cast<uInt>(floorBuffer.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        inflateEnd(&z);
        plain.push_back(NowMs() - t0);
        if (rc != Z_STREAM_END) return 1;

        // The same into a buffer allocated (not yet touched) before the clock
        // starts: the floor plus the first touch of every page.
        void* untouched = std::malloc(floorBuffer.size());
        t0 = NowMs();
        z_stream f{};
        inflateInit(&f);
        f.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
        f.avail_in = static_cast<uInt>(stream.size());
        f.next_out = static_cast<Bytef*>(untouched);
        f.avail_out = static_cast<uInt>(floorBuffer.size());
        inflate(&f, Z_NO_FLUSH);
        inflateEnd(&f);
        fresh.push_back(NowMs() - t0);
        std::free(untouched);
    }
    const double a = Median(ours), b = Median(plain);
    std::printf("inflate %d -> %d bytes, %d rounds (median)\n", inSize, outSize, rounds);
    std::printf("  InflateBuffer            %8.2f ms  %7.1f MB/s\n", a, outSize / a / 1000.0);
    std::printf("  plain inflate (floor)    %8.2f ms  %7.1f MB/s\n", b, outSize / b / 1000.0);
    const double c = Median(fresh);
    std::printf("  plain inflate, new buffer %7.2f ms  %7.1f MB/s\n", c, outSize / c / 1000.0);
    std::printf("  ratio to the floor       %8.3fx  (target <= 1.05x)\n", a / b);
    std::printf("  ratio to a new buffer    %8.3fx\n", a / c);
    return 0;
}
