// The payload store: inflating, indexing, rejecting damaged payloads, and
// cleaning up the setup's temporary files when it goes away.
#include "payload/AttachFiles.h"
#include "payload/PayloadTable.h"
#include "instutils/InstUtils.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace {

struct TRecordSpec {
    std::string Name;
    double Date;
    std::string Bytes;
};

std::string TableOf(const std::vector<TRecordSpec>& records) {
    std::string table;
    for (const TRecordSpec& r : records) AppendRecord(table, r.Name, r.Date, r.Bytes);
    return table;
}

std::unique_ptr<TAttachedFiles> StoreOf(const std::string& stream) {
    return std::make_unique<TAttachedFiles>(stream.data(), static_cast<int32_t>(stream.size()));
}

TEST(AttachedFiles, IndexesEntriesInStoredOrderPointingIntoOneBuffer) {
    const std::string table = TableOf({
        {"License.txt", 44237.49914351852, "Licence\r\n"},
        {"userdicse.tlx", 37843.50756944444, ""},  // size 0: offset is the next record
        {"", 29221.0, "no name"},
        {"sub\\Swedish.asc", 41371.07467592593, "[Language]"},
        {"License.txt", 1.0, "second copy"},  // duplicates are both kept
    });
    auto store = StoreOf(DeflateTable(table));
    ASSERT_EQ(store->Files.size(), 5u);
    EXPECT_EQ(store->DataSize, static_cast<int32_t>(table.size()));
    EXPECT_EQ(0, std::memcmp(store->Data, table.data(), table.size()));

    const TAttachedFile& licence = *store->Files[0];
    EXPECT_EQ(licence.Name, "License.txt");
    EXPECT_EQ(licence.Size, 9);
    EXPECT_EQ(licence.Offset, 1 + 11 + 8 + 4);
    EXPECT_EQ(licence.Date, 44237.49914351852);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(store->EntryData(licence)), 9), "Licence\r\n");

    const TAttachedFile& empty = *store->Files[1];
    EXPECT_EQ(empty.Size, 0);
    EXPECT_EQ(empty.Offset, licence.Offset + licence.Size + 1 + 13 + 8 + 4);
    EXPECT_EQ(store->Files[2]->Offset, empty.Offset + 1 + 8 + 4);  // the next record's data

    EXPECT_EQ(store->Files[2]->Name, "");
    EXPECT_EQ(store->Files[3]->Name, "sub\\Swedish.asc");
    EXPECT_EQ(store->Files[4]->Name, "License.txt");
    EXPECT_FALSE(store->ForceReplace);
    EXPECT_TRUE(store->InstallQueue[0].empty());
    EXPECT_TRUE(store->PublicFiles.empty());
}

TEST(AttachedFiles, StreamInflatingToNothingGivesNoEntries) {
    auto store = StoreOf(DeflateTable(""));
    EXPECT_TRUE(store->Files.empty());
    EXPECT_EQ(store->DataSize, 0);
}

TEST(InflateBuffer, GrowsLinearlyPastTheEstimateAndTrimsToTheExactSize) {
    // Zeros compress about a thousandfold, far past five times the input.
    const std::string table = TableOf({{"zeros.bin", 44000.0, std::string(3'000'000, '\0')}});
    const std::string stream = DeflateTable(table);
    ASSERT_GT(table.size(), stream.size() * 5);
    for (int32_t estimate : {0, static_cast<int32_t>(stream.size() * 5), 1}) {
        void* out = nullptr;
        int32_t size = -1;
        InflateBuffer(stream.data(), static_cast<int32_t>(stream.size()), out, size, estimate);
        ASSERT_EQ(size, static_cast<int32_t>(table.size())) << "estimate " << estimate;
        EXPECT_EQ(0, std::memcmp(out, table.data(), table.size()));
        std::free(out);
    }
}

std::string StreamOfTable(const std::string& table) { return DeflateTable(table); }

std::string WithByte(std::string s, size_t at, char value) {
    s[at] = value;
    return s;
}

struct TDamagedCase {
    const char* What;
    std::string Stream;
};

std::vector<TDamagedCase> DamagedCases() {
    const std::string table = TableOf({{"a.txt", 44000.0, "hello"}, {"b.txt", 44000.0, std::string(500, 'b')}});
    const std::string good = StreamOfTable(table);
    const size_t lastSize = table.size() - 500 - 4;  // size field of b.txt
    std::string badSum = good;
    badSum.back() = static_cast<char>(badSum.back() ^ 0x55);
    std::string stored(table.size() + 64, '\0');  // a stored (level 0) zlib stream, easy to corrupt
    uLongf storedSize = static_cast<uLongf>(stored.size());
    compress2(reinterpret_cast<Bytef*>(stored.data()), &storedSize,
              reinterpret_cast<const Bytef*>(table.data()), static_cast<uLong>(table.size()), 0);
    stored.resize(storedSize);
    return {
        {"empty input", ""},
        {"not zlib at all", "this is plain text and not a payload"},
        {"bad header check", WithByte(good, 1, static_cast<char>(good[1] ^ 1))},
        {"preset dictionary flag", WithByte(good, 1, static_cast<char>(0xFB))},
        {"data error (bad block type)", WithByte(stored, 2, static_cast<char>(0x07))},
        {"checksum mismatch", badSum},
        {"truncated stream", good.substr(0, good.size() / 2)},
        {"header only", good.substr(0, 2)},
        {"name runs past the end", StreamOfTable(std::string("\x10" "abc", 4))},
        {"date runs past the end", StreamOfTable(std::string("\x01" "a" "1234", 6))},
        {"size field runs past the end", StreamOfTable(std::string("\x01" "a" "12345678" "\x01\x00", 12))},
        {"data runs past the end", StreamOfTable(WithByte(table, lastSize, 0x7F))},
        {"negative size", StreamOfTable(WithByte(table, lastSize + 3, static_cast<char>(0x80)))},
    };
}

TEST(AttachedFiles, DamagedPayloadIsRejectedNotIndexed) {
    for (const TDamagedCase& c : DamagedCases()) {
        EXPECT_THROW(StoreOf(c.Stream), EPayloadDamaged) << c.What;
    }
}

TEST(AttachedFiles, MissingResourceIsReportedAsDamaged) {
    // This test program carries no payload resource.
    EXPECT_THROW(TAttachedFiles(), EPayloadDamaged);
}

TEST(AttachedFiles, DestructionDeletesTheSetupsTemporaryFiles) {
    const std::string temp = TempFolder();
    const std::string ours = temp + TempPrefix() + "41.tmp";
    const std::string ourFolder = temp + TempPrefix() + "Leftover";
    const std::string other = temp + "x" + TempPrefix() + "0.tmp";
    WriteTextFile(ours, "left behind");
    CreateDirectoryA(ourFolder.c_str(), nullptr);
    WriteTextFile(ourFolder + "\\inner.txt", "x");
    WriteTextFile(other, "not ours");
    StoreOf(DeflateTable(""));  // created and destroyed
    EXPECT_FALSE(FileExists(ours));
    EXPECT_FALSE(FileExists(ourFolder));
    EXPECT_TRUE(FileExists(other));
    DeleteFileA(other.c_str());
}

}  // namespace
