// Extraction of the seven dictionary files of the built setup's payload
// (ExtractFile) against a plain copy of the same bytes (CreateFileW with
// CREATE_ALWAYS + one WriteFile of the same in-memory buffer + CloseHandle),
// interleaved over N rounds, medians. Into a fresh folder, the figure that
// counts; then once more over the files just written, where ExtractFile
// writes beside each one and moves it into place.
//   ExtractBench <setup exe> [rounds]
#include "BenchSupport.h"
#include "instutils/InstUtils.h"
#include "payload/AttachFiles.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t FirstDictionaryFile = 1, LastDictionaryFile = 7;

double TimeExtract(TAttachedFiles& store, const std::string& folder) {
    const double start = NowMs();
    for (std::size_t i = FirstDictionaryFile; i <= LastDictionaryFile; ++i) {
        const TAttachedFile& entry = *store.Files[i];
        if (!store.ExtractFile(&entry, "", folder + entry.Name)) std::exit(3);
    }
    return NowMs() - start;
}

double TimePlainCopy(TAttachedFiles& store, const std::string& folder) {
    const double start = NowMs();
    CreateDirectoryW(ToWide(folder).c_str(), nullptr);
    for (std::size_t i = FirstDictionaryFile; i <= LastDictionaryFile; ++i) {
        const TAttachedFile& entry = *store.Files[i];
        HANDLE file = CreateFileW(ToWide(folder + entry.Name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) std::exit(3);
        DWORD written = 0;
        if (entry.Size > 0)
            WriteFile(file, store.EntryData(entry), static_cast<DWORD>(entry.Size), &written, nullptr);
        CloseHandle(file);
    }
    return NowMs() - start;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ExtractBench <setup exe> [rounds]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    InitInstUtils();
    {
        const std::string payload = PayloadOfSetup(argv[1]);
        if (payload.empty()) {
            std::fprintf(stderr, "no FILES resource in %s\n", argv[1]);
            DoneInstUtils();
            return 2;
        }
        TAttachedFiles store(payload.data(), static_cast<int32_t>(payload.size()));
        if (store.Files.size() <= LastDictionaryFile) {
            std::fprintf(stderr, "the payload holds fewer than %zu entries\n", LastDictionaryFile + 1);
            DoneInstUtils();
            return 2;
        }
        uint64_t bytes = 0;
        for (std::size_t i = FirstDictionaryFile; i <= LastDictionaryFile; ++i) bytes += store.Files[i]->Size;

        const std::string work = TempFolder() + "extract-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
        MakeFolders(work);
        std::vector<double> extract, copy, extractOver, copyOver;
        for (int round = 0; round < rounds; ++round) {
            // Fresh folders each round; the order alternates so neither side
            // always runs on a warm cache.
            const std::string a = work + "extract" + std::to_string(round) + "\\";
            const std::string b = work + "copy" + std::to_string(round) + "\\";
            if (round % 2 == 0) {
                extract.push_back(TimeExtract(store, a));
                copy.push_back(TimePlainCopy(store, b));
                extractOver.push_back(TimeExtract(store, a));
                copyOver.push_back(TimePlainCopy(store, b));
            } else {
                copy.push_back(TimePlainCopy(store, b));
                extract.push_back(TimeExtract(store, a));
                copyOver.push_back(TimePlainCopy(store, b));
                extractOver.push_back(TimeExtract(store, a));
            }
            DeleteFolderTree(a);
            DeleteFolderTree(b);
        }
        DeleteFolderTree(work);

        const double e = Median(extract), c = Median(copy);
        const double ratio = c > 0 ? e / c : 0;
        std::printf("  7 files, %llu bytes, %d rounds (medians)\n", static_cast<unsigned long long>(bytes), rounds);
        std::printf("  ExtractFile %.2f ms, plain copy (CreateFileW + WriteFile) %.2f ms: ratio %.2fx "
                    "(target <= 1.30x) %s\n",
                    e, c, ratio, ratio <= 1.30 ? "met" : "NOT met");
        const double eo = Median(extractOver), co = Median(copyOver);
        std::printf("  over existing files: ExtractFile %.2f ms, plain copy %.2f ms: ratio %.2fx\n", eo, co,
                    co > 0 ? eo / co : 0);
    }
    DoneInstUtils();
    return 0;
}
