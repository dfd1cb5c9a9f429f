// The payload's entry table and its zlib wrapping, free of Win32 so that the
// setup, the host-side payload tool and the fuzz target share one reading of
// the format. Everything read from a payload is untrusted until checked here.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A payload that cannot be used: not a complete zlib stream, or a record that
// does not fit. what() names the check that failed.
class EPayloadDamaged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Inflates a zlib stream into a newly malloc'ed buffer of exactly OutputSize
// bytes (null when empty) that the caller frees with std::free. Starts with
// Estimate bytes (or Step when 0) and grows linearly by Step, the input size
// rounded up to 256. Throws EPayloadDamaged for a bad or incomplete stream and
// std::bad_alloc when memory runs out; nothing leaks either way.
void InflateBuffer(const void* Input, int32_t InputSize, void*& Output, int32_t& OutputSize,
                   int32_t Estimate);

struct TTableRecord {
    std::string Name;
    double Date = 0;
    int32_t Size = 0;
    int32_t Offset = 0;
};

// Indexes the inflated table in stored order. A record that runs past the end
// or has a negative size rejects the whole table (EPayloadDamaged).
std::vector<TTableRecord> IndexTable(const unsigned char* data, int32_t dataSize);

// Writing (PayloadWriter.cpp, linked into the tools and tests only):
// appends one record to a table under construction.
void AppendRecord(std::string& table, const std::string& name, double date,
                  const std::string& bytes);

// Deflates a table at level 9, as the setup expects it.
std::string DeflateTable(const std::string& table);
