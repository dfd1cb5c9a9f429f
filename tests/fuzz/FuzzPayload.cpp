// Fuzz target: any byte string as a payload stream must either index cleanly
// within the inflated table or be rejected as damaged, never read outside it.
#include "payload/PayloadTable.h"

#include <cstdint>
#include <cstdlib>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    void* out = nullptr;
    int32_t outSize = 0;
    try {
        InflateBuffer(data, static_cast<int32_t>(size), out, outSize, static_cast<int32_t>(size) * 5);
    } catch (const EPayloadDamaged&) {
        return 0;
    }
    try {
        for (const TTableRecord& r : IndexTable(static_cast<const unsigned char*>(out), outSize)) {
            // Touch both ends of every entry's data: ASan flags any overrun.
            if (r.Size > 0) {
                volatile unsigned char first = static_cast<unsigned char*>(out)[r.Offset];
                volatile unsigned char last = static_cast<unsigned char*>(out)[r.Offset + r.Size - 1];
                (void)first;
                (void)last;
            }
        }
    } catch (const EPayloadDamaged&) {
    }
    std::free(out);
    return 0;
}
