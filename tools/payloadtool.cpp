// payloadtool: makes the setup's payload from a manifest, and lists or
// verifies a payload file or a built setup executable.
//
//   payloadtool build MANIFEST OUT     manifest lines: NAME<TAB>SOURCE PATH
//   payloadtool list FILE              FILE: a zlib payload or a setup .exe
//   payloadtool verify FILE MANIFEST   the listing must equal the manifest
//   payloadtool seeds DIR              valid and broken payloads for fuzzing
//   payloadtool damage EXE OUT HOW     a damaged copy of a setup, for tests
#include "instutils/DosTime.h"
#include "payload/PayloadTable.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TManifestLine {
    std::string Name, Source;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<TManifestLine> ReadManifest(const std::string& path) {
    std::vector<TManifestLine> lines;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) throw std::runtime_error("manifest line without a tab: " + line);
        lines.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return lines;
}

// The last-write time of a file as the setup will read it back: local time,
// taken down to the even second as a DOS time stamp keeps it.
double SourceDate(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2099) throw std::runtime_error("date outside 1980-2099: " + path);
    const uint16_t date = static_cast<uint16_t>(local.tm_mday + 32 * (local.tm_mon + 1) + 512 * (year - 1980));
    const uint16_t time = static_cast<uint16_t>(local.tm_sec / 2 + 32 * local.tm_min + 2048 * local.tm_hour);
    return DosToLocalDateTime(date, time);
}

std::string FormatDate(double value) {
    const TCivilTime t = SplitLocalDateTime(value);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                  t.Minute, t.Second);
    return buf;
}

uint32_t U32(const std::string& b, size_t at) {
    if (at + 4 > b.size()) throw EPayloadDamaged("exe: truncated headers");
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) {
    if (at + 2 > b.size()) throw EPayloadDamaged("exe: truncated headers");
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

struct TResourceSpot {
    size_t TypeName = 0;   // file offset of the type's UTF-16 name (after its length)
    size_t SizeField = 0;  // file offset of the data entry's size
    size_t Data = 0;       // file offset of the bytes
    uint32_t Size = 0;
};

// Where resource type "FILES", name "FILES" lies in a PE image.
TResourceSpot LocateResource(const std::string& image) {
    const uint32_t pe = U32(image, 0x3C);
    if (U32(image, pe) != 0x00004550) throw EPayloadDamaged("exe: no PE signature");
    const size_t coff = pe + 4;
    const uint16_t sections = U16(image, coff + 2);
    const uint16_t optionalSize = U16(image, coff + 16);
    const size_t optional = coff + 20;
    const bool pe32plus = U16(image, optional) == 0x20B;
    const size_t dirs = optional + (pe32plus ? 112 : 96);
    const uint32_t rsrcRva = U32(image, dirs + 2 * 8);
    if (rsrcRva == 0) throw EPayloadDamaged("exe: no resources");
    const size_t table = optional + optionalSize;
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (uint16_t i = 0; i < sections; ++i) {
            const size_t s = table + 40u * i;
            const uint32_t va = U32(image, s + 12), vsize = U32(image, s + 8), raw = U32(image, s + 20),
                           rawSize = U32(image, s + 16);
            const uint32_t span = vsize > rawSize ? vsize : rawSize;
            if (rva >= va && rva - va < span) return raw + (rva - va);
        }
        throw EPayloadDamaged("exe: address outside every section");
    };
    const size_t root = fileOffset(rsrcRva);
    auto nameOf = [&](uint32_t nameField) {
        std::string s;
        if (!(nameField & 0x80000000u)) return std::string("#") + std::to_string(nameField);
        const size_t at = root + (nameField & 0x7FFFFFFFu);
        const uint16_t len = U16(image, at);
        for (uint16_t i = 0; i < len; ++i) s += static_cast<char>(U16(image, at + 2 + 2u * i) & 0xFF);
        return s;
    };
    auto find = [&](size_t dir, const std::string& name) -> uint32_t {
        const uint16_t count = static_cast<uint16_t>(U16(image, dir + 12) + U16(image, dir + 14));
        for (uint16_t i = 0; i < count; ++i) {
            const size_t e = dir + 16 + 8u * i;
            if (name.empty() || nameOf(U32(image, e)) == name) return U32(image, e + 4);
        }
        throw EPayloadDamaged("exe: resource " + name + " not found");
    };
    TResourceSpot spot;
    {
        const uint16_t count = static_cast<uint16_t>(U16(image, root + 12) + U16(image, root + 14));
        for (uint16_t i = 0; i < count; ++i) {
            const uint32_t nameField = U32(image, root + 16 + 8u * i);
            if (nameOf(nameField) == "FILES") spot.TypeName = root + (nameField & 0x7FFFFFFFu) + 2;
        }
    }
    const uint32_t typeDir = find(root, "FILES");
    const uint32_t nameDir = find(root + (typeDir & 0x7FFFFFFFu), "FILES");
    const uint32_t lang = find(root + (nameDir & 0x7FFFFFFFu), "");
    const size_t entry = root + (lang & 0x7FFFFFFFu);
    const size_t data = fileOffset(U32(image, entry));
    const uint32_t size = U32(image, entry + 4);
    if (data > image.size() || size > image.size() - data) throw EPayloadDamaged("exe: resource past the end");
    spot.SizeField = entry + 4;
    spot.Data = data;
    spot.Size = size;
    return spot;
}

std::string ResourceFromExe(const std::string& image) {
    const TResourceSpot spot = LocateResource(image);
    return image.substr(spot.Data, spot.Size);
}

// Damages a copy of a built setup in place, for the tests of how it refuses
// to start: "missing" renames the resource type, "garbage" overwrites the
// stream's middle, "truncated" halves its recorded size.
int Damage(const std::string& exe, const std::string& out, const std::string& how) {
    std::string image = ReadFile(exe);
    const TResourceSpot spot = LocateResource(image);
    if (how == "missing") {
        image[spot.TypeName + 8] = 'Z';  // "FILES" -> "FILEZ" (UTF-16)
    } else if (how == "garbage") {
        for (uint32_t i = spot.Size / 3; i < spot.Size / 3 + 64 && i < spot.Size; ++i) image[spot.Data + i] = 'x';
    } else if (how == "truncated") {
        const uint32_t half = spot.Size / 2;
        for (int i = 0; i < 4; ++i) image[spot.SizeField + i] = static_cast<char>((half >> (8 * i)) & 0xFF);
    } else {
        throw std::runtime_error("unknown damage: " + how);
    }
    WriteFile(out, image);
    return 0;
}

std::string StreamOf(const std::string& path) {
    std::string bytes = ReadFile(path);
    if (bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z') return ResourceFromExe(bytes);
    return bytes;
}

struct TInflated {
    std::string Table;
    std::vector<TTableRecord> Records;
};

TInflated Inflate(const std::string& stream) {
    if (stream.size() > 0x7FFFFFFF) throw EPayloadDamaged("stream too large");
    void* out = nullptr;
    int32_t size = 0;
    InflateBuffer(stream.data(), static_cast<int32_t>(stream.size()), out, size,
                  static_cast<int32_t>(std::min<size_t>(stream.size() * 5, 0x7FFFFFFF)));
    TInflated t;
    t.Table.assign(static_cast<const char*>(out), static_cast<size_t>(size));
    std::free(out);
    t.Records = IndexTable(reinterpret_cast<const unsigned char*>(t.Table.data()), size);
    return t;
}

int Build(const std::string& manifest, const std::string& outPath) {
    std::string table;
    for (const TManifestLine& line : ReadManifest(manifest))
        AppendRecord(table, line.Name, SourceDate(line.Source), ReadFile(line.Source));
    WriteFile(outPath, DeflateTable(table));
    return 0;
}

int List(const std::string& path) {
    const std::string stream = StreamOf(path);
    const TInflated t = Inflate(stream);
    long long total = 0;
    for (size_t i = 0; i < t.Records.size(); ++i) {
        const TTableRecord& r = t.Records[i];
        std::printf("%2zu  %-16s %9d  %s\n", i, r.Name.c_str(), r.Size, FormatDate(r.Date).c_str());
        total += r.Size;
    }
    std::printf("%zu entries, %lld data bytes, table %zu bytes, stream %zu bytes (header %02X %02X), "
                "stream check: ok\n",
                t.Records.size(), total, t.Table.size(), stream.size(),
                stream.size() > 1 ? static_cast<uint8_t>(stream[0]) : 0,
                stream.size() > 1 ? static_cast<uint8_t>(stream[1]) : 0);
    return 0;
}

int Verify(const std::string& path, const std::string& manifest) {
    const TInflated t = Inflate(StreamOf(path));
    const std::vector<TManifestLine> lines = ReadManifest(manifest);
    int faults = 0;
    if (t.Records.size() != lines.size()) {
        std::fprintf(stderr, "verify: %zu entries, manifest has %zu\n", t.Records.size(), lines.size());
        ++faults;
    }
    for (size_t i = 0; i < t.Records.size() && i < lines.size(); ++i) {
        const TTableRecord& r = t.Records[i];
        const std::string bytes = ReadFile(lines[i].Source);
        const double date = SourceDate(lines[i].Source);
        if (r.Name != lines[i].Name || r.Date != date ||
            t.Table.compare(static_cast<size_t>(r.Offset), static_cast<size_t>(r.Size), bytes) != 0 ||
            static_cast<size_t>(r.Size) != bytes.size()) {
            std::fprintf(stderr, "verify: entry %zu (%s) differs from %s\n", i, r.Name.c_str(),
                         lines[i].Name.c_str());
            ++faults;
        }
    }
    if (faults) return 1;
    std::printf("verify: %zu entries equal the manifest\n", t.Records.size());
    return 0;
}

int Seeds(const std::string& dir) {
    std::string table;
    AppendRecord(table, "License.txt", 44237.5, "licence text\r\n");
    AppendRecord(table, "", 29221.0, "");
    AppendRecord(table, "sub\\x.bin", 44237.25, std::string(300, 'x'));
    const std::string good = DeflateTable(table);
    WriteFile(dir + "/valid", good);
    WriteFile(dir + "/empty-table", DeflateTable(""));
    WriteFile(dir + "/truncated", good.substr(0, good.size() / 2));
    std::string badSum = good;
    badSum.back() = static_cast<char>(badSum.back() ^ 1);
    WriteFile(dir + "/bad-checksum", badSum);
    std::string overrun = table;
    overrun[overrun.size() - 301 - 4] = 0x7F;  // size field of the last record
    WriteFile(dir + "/record-overrun", DeflateTable(overrun));
    WriteFile(dir + "/not-zlib", "plain text, not a zlib stream");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string cmd = argc > 1 ? argv[1] : "";
        if (cmd == "build" && argc == 4) return Build(argv[2], argv[3]);
        if (cmd == "list" && argc == 3) return List(argv[2]);
        if (cmd == "verify" && argc == 4) return Verify(argv[2], argv[3]);
        if (cmd == "seeds" && argc == 3) return Seeds(argv[2]);
        if (cmd == "damage" && argc == 5) return Damage(argv[2], argv[3], argv[4]);
        std::fprintf(stderr,
                     "usage: payloadtool build MANIFEST OUT | list FILE | verify FILE MANIFEST | seeds DIR | damage EXE OUT missing|garbage|truncated\n");
        return 2;
    } catch (const EPayloadDamaged& e) {
        std::fprintf(stderr, "payloadtool: damaged payload: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "payloadtool: %s\n", e.what());
        return 1;
    }
}
