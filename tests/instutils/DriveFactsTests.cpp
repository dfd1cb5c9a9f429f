// Drive facts: the drive part of a path, the drive type, and the portable
// decision, on the test prefix's real drives and from descriptor bytes.
#include "instutils/InstUtils.h"
#include "InstUtilsTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(DriveFacts, DrivePartIsLetterAndColonOrServerAndShare) {
    const struct {
        std::string Path, Drive;
    } rows[] = {
        {"C:\\Program Files\\x", "C:"},
        {"c:", "c:"},
        {"C:relative", "C:"},
        {"\\\\server\\share\\folder\\x", "\\\\server\\share"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"\\\\server", "\\\\server"},
        {"\\single", ""},
        {"relative\\x", ""},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(DrivePart(row.Path), row.Drive) << row.Path;
}

bool DrivePresent(char letter) { return (GetLogicalDrives() >> (letter - 'A')) & 1; }

TEST(DriveFacts, TypeAndPortabilityOfTheTestDrives) {
    // R:, K: and F: are the prefix's test drives (scripts/wine-env.sh).
    const std::string missing = MissingDrive();
    const struct {
        std::string Path;
        UINT Type;
        bool Portable;
        bool TestDrive;
    } rows[] = {
        {"R:\\", DRIVE_REMOVABLE, true, true},
        {"R:\\some\\folder", DRIVE_REMOVABLE, true, true},
        {"K:\\", DRIVE_CDROM, false, true},
        // Wine answers the storage query for every volume with a fixed,
        // non-removable SCSI descriptor, so its fixed drives are never portable.
        {"F:\\", DRIVE_FIXED, false, true},
        {"C:\\Program Files\\x", DRIVE_FIXED, false, false},
        {missing + "\\", DRIVE_NO_ROOT_DIR, false, false},
        {"relative\\x", DRIVE_NO_ROOT_DIR, false, false},  // no drive part: not the current drive's answer
    };
    for (const auto& row : rows) {
        if (row.TestDrive && !DrivePresent(row.Path[0])) {
            ADD_FAILURE() << row.Path << " is missing: run the tests in the prefix wine_start sets up";
            continue;
        }
        EXPECT_EQ(DriveTypeOf(row.Path), row.Type) << row.Path;
        EXPECT_EQ(IsPortableDrive(row.Path), row.Portable) << row.Path;
    }
    EXPECT_EQ(DriveTypeOf("C:\\Program Files\\x"), GetDriveTypeA("C:\\"));
}

TEST(DriveFacts, NetworkPathIsNotPortable) {
    EXPECT_FALSE(IsPortableDrive("\\\\nosuchserver\\share\\folder"));
    EXPECT_EQ(DriveTypeOf("\\\\nosuchserver\\share\\folder"), GetDriveTypeA("\\\\nosuchserver\\share\\"));
}

// A buffer that ends exactly where readable memory ends: a read past its
// size faults instead of passing unnoticed.
class TGuardedBuffer {
public:
    explicit TGuardedBuffer(const std::vector<unsigned char>& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        base_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + page, page, PAGE_NOACCESS, &old);
        data_ = base_ + page - bytes.size();
        if (!bytes.empty()) std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~TGuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }
    TGuardedBuffer(const TGuardedBuffer&) = delete;
    TGuardedBuffer& operator=(const TGuardedBuffer&) = delete;
    const unsigned char* Data() const { return data_; }

private:
    unsigned char* base_;
    unsigned char* data_;
};

std::vector<unsigned char> Descriptor(unsigned bus, unsigned char removable, size_t size = 548) {
    std::vector<unsigned char> d(548, 0);
    d[4] = 548 & 0xFF;
    d[5] = 548 >> 8;
    d[10] = removable;
    for (int i = 0; i < 4; ++i) d[28 + i] = static_cast<unsigned char>(bus >> (8 * i));
    d.resize(size);
    return d;
}

TEST(DriveFacts, PortableDescriptorIsUsbOr1394OrRemovableMedia) {
    const struct {
        const char* What;
        std::vector<unsigned char> Bytes;
        bool Portable;
    } rows[] = {
        {"USB", Descriptor(7, 0), true},
        {"IEEE 1394", Descriptor(4, 0), true},
        {"SATA, removable media", Descriptor(11, 1), true},
        {"SATA", Descriptor(11, 0), false},
        {"SCSI", Descriptor(1, 0), false},
        {"ATA", Descriptor(3, 0), false},
        {"unknown bus", Descriptor(0, 0), false},
        {"bus 7 in a higher byte", Descriptor(0x0700, 0), false},  // the whole 32-bit field is compared
        {"removable flag other than 1", Descriptor(1, 0x80), true},
        {"cut before BusType, removable", Descriptor(7, 1, 11), true},
        {"cut inside BusType", Descriptor(7, 0, 31), false},
        {"cut before RemovableMedia", Descriptor(7, 1, 10), false},
        {"empty", {}, false},
    };
    for (const auto& row : rows) {
        TGuardedBuffer buffer(row.Bytes);
        EXPECT_EQ(IsPortableDescriptor(buffer.Data(), row.Bytes.size()), row.Portable) << row.What;
    }
    EXPECT_FALSE(IsPortableDescriptor(nullptr, 548));
}

}  // namespace
