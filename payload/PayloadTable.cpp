// Inflating, indexing and writing the payload's entry table.
#include "PayloadTable.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr int64_t MaxBuffer = std::numeric_limits<int32_t>::max();

// Owns the output buffer until InflateBuffer hands it over.
struct TBuffer {
    void* Ptr = nullptr;
    ~TBuffer() { std::free(Ptr); }
    void Resize(int64_t size) {
        // realloc(p, 0) may free p; keep a valid one-byte block instead.
        void* grown = std::realloc(Ptr, static_cast<size_t>(size > 0 ? size : 1));
        if (!grown) throw std::bad_alloc();
        Ptr = grown;
    }
};

struct TInflateStream {
    z_stream Z{};
    bool Open = false;
    ~TInflateStream() {
        if (Open) inflateEnd(&Z);
    }
};

[[noreturn]] void Damaged(const char* what) { throw EPayloadDamaged(what); }

}  // namespace

void InflateBuffer(const void* Input, int32_t InputSize, void*& Output, int32_t& OutputSize,
                   int32_t Estimate) {
    if (!Input || InputSize <= 0) Damaged("inflate: the stream is empty");
    const int64_t step = (static_cast<int64_t>(InputSize) + 255) & ~int64_t{255};
    int64_t capacity = Estimate > 0 ? Estimate : step;

    TBuffer out;
    out.Resize(capacity);

    TInflateStream stream;
    stream.Z.next_in = static_cast<Bytef*>(const_cast<void*>(Input));
    stream.Z.avail_in = static_cast<uInt>(InputSize);
    stream.Z.next_out = static_cast<Bytef*>(out.Ptr);
    stream.Z.avail_out = static_cast<uInt>(capacity);
    const int init = inflateInit(&stream.Z);
    if (init == Z_MEM_ERROR) throw std::bad_alloc();
    if (init != Z_OK) Damaged("inflate: cannot start");
    stream.Open = true;

    for (;;) {
        const int rc = inflate(&stream.Z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) break;
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        if (rc == Z_DATA_ERROR) Damaged(stream.Z.msg ? stream.Z.msg : "inflate: data error");
        if (rc == Z_NEED_DICT) Damaged("inflate: the stream asks for a preset dictionary");
        if (rc != Z_OK && rc != Z_BUF_ERROR) Damaged("inflate: stream error");
        // Only a full output buffer is a reason to grow; anything else is an
        // input that ended before the stream did.
        if (stream.Z.avail_out != 0) Damaged("inflate: the stream is truncated");
        if (capacity + step > MaxBuffer) Damaged("inflate: the payload is too large");
        capacity += step;
        out.Resize(capacity);
        stream.Z.next_out = static_cast<Bytef*>(out.Ptr) + stream.Z.total_out;
        stream.Z.avail_out = static_cast<uInt>(step);
    }

    const int64_t total = static_cast<int64_t>(stream.Z.total_out);
    if (total == 0) {
        Output = nullptr;
        OutputSize = 0;
        return;
    }
    out.Resize(total);
    Output = std::exchange(out.Ptr, nullptr);
    OutputSize = static_cast<int32_t>(total);
}

std::vector<TTableRecord> IndexTable(const unsigned char* data, int32_t dataSize) {
    std::vector<TTableRecord> records;
    if (dataSize < 0 || (dataSize > 0 && !data)) Damaged("index: bad table");
    int64_t pos = 0;
    const int64_t end = dataSize;
    while (pos < end) {
        TTableRecord r;
        const int64_t nameLength = data[pos];
        if (end - pos < 1 + nameLength + 8 + 4) Damaged("index: a record runs past the end");
        r.Name.assign(reinterpret_cast<const char*>(data + pos + 1), static_cast<size_t>(nameLength));
        pos += 1 + nameLength;
        std::memcpy(&r.Date, data + pos, 8);
        pos += 8;
        const uint32_t raw = static_cast<uint32_t>(data[pos]) | static_cast<uint32_t>(data[pos + 1]) << 8 |
                             static_cast<uint32_t>(data[pos + 2]) << 16 |
                             static_cast<uint32_t>(data[pos + 3]) << 24;
        r.Size = static_cast<int32_t>(raw);
        pos += 4;
        if (r.Size < 0) Damaged("index: a record has a negative size");
        if (end - pos < r.Size) Damaged("index: a record's data runs past the end");
        r.Offset = static_cast<int32_t>(pos);
        pos += r.Size;
        records.push_back(std::move(r));
    }
    return records;
}
