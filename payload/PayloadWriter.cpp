// Writing the payload's entry table: used by the host-side payload tool and
// by tests, never by the setup itself (which would carry a deflater for it).
#include "PayloadTable.h"

#include <zlib.h>

#include <cstring>
#include <limits>

void AppendRecord(std::string& table, const std::string& name, double date,
                  const std::string& bytes) {
    if (name.size() > 255) throw std::length_error("payload: name longer than 255 bytes: " + name);
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::length_error("payload: file too large: " + name);
    table += static_cast<char>(name.size());
    table += name;
    char raw[8];
    std::memcpy(raw, &date, 8);
    table.append(raw, 8);
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) table += static_cast<char>((size >> (8 * i)) & 0xFF);
    table += bytes;
}

std::string DeflateTable(const std::string& table) {
    uLongf bound = compressBound(static_cast<uLong>(table.size()));
    std::string out(bound, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &bound,
                  reinterpret_cast<const Bytef*>(table.data()), static_cast<uLong>(table.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("payload: deflate failed");
    out.resize(bound);
    return out;
}
