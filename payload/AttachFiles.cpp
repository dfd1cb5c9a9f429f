// The payload store: loading and indexing (the queue and extraction follow).
#include "AttachFiles.h"

#include "PayloadTable.h"
#include "instutils/InstUtils.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

TAttachedFiles* AttachedFiles = nullptr;

void GetResourceBytes(const char* Name, const char* Type, const void*& Bytes, int32_t& Size) {
    Bytes = nullptr;
    Size = 0;
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(self, Name, Type);
    if (!info) return;
    HGLOBAL loaded = LoadResource(self, info);
    if (!loaded) return;
    const void* bytes = LockResource(loaded);
    const DWORD size = SizeofResource(self, info);
    if (!bytes || size > static_cast<DWORD>(std::numeric_limits<int32_t>::max())) return;
    Bytes = bytes;
    Size = static_cast<int32_t>(size);
}

TAttachedFiles::TAttachedFiles() {
    const void* bytes = nullptr;
    int32_t size = 0;
    GetResourceBytes("FILES", "FILES", bytes, size);
    if (!bytes) throw EPayloadDamaged("the payload resource is missing");
    Load(bytes, size);
}

TAttachedFiles::TAttachedFiles(const void* stream, int32_t streamSize) { Load(stream, streamSize); }

void TAttachedFiles::Load(const void* stream, int32_t streamSize) {
    // Five times the compressed size holds a typical payload without growing.
    const int64_t estimate = static_cast<int64_t>(streamSize) * 5;
    void* out = nullptr;
    int32_t outSize = 0;
    InflateBuffer(stream, streamSize, out, outSize,
                  static_cast<int32_t>(std::min<int64_t>(estimate, std::numeric_limits<int32_t>::max())));
    Data = static_cast<unsigned char*>(out);
    DataSize = outSize;
    try {
        for (TTableRecord& r : IndexTable(Data, DataSize)) {
            auto entry = std::make_unique<TAttachedFile>();
            entry->Name = std::move(r.Name);
            entry->Date = r.Date;
            entry->Size = r.Size;
            entry->Offset = r.Offset;
            Files.push_back(std::move(entry));
        }
    } catch (...) {
        std::free(Data);
        Data = nullptr;
        throw;
    }
}

TAttachedFiles::~TAttachedFiles() {
    PublicFiles.clear();
    for (auto& group : InstallQueue)
        while (!group.empty()) group.pop_back();  // last item first
    std::free(Data);
    Data = nullptr;
    while (!Files.empty()) Files.pop_back();
    PurgeTempFiles();
}
