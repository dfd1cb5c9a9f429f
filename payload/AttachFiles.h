// The payload store: the files the setup carries inside its own executable,
// inflated once at start-up into one buffer and indexed by name, plus the
// install queue and the extraction of single entries to disk.
#pragma once

#include "instutils/DosTime.h"
#include "records/Dialogs.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TAttachedFile {
public:
    std::string Name;
    int32_t Size = 0;
    LocalDateTime Date = 0;
    int32_t Offset = 0;  // of the data within TAttachedFiles::Data
};

enum class InstallMode : uint8_t { KeepExisting = 0, ReplaceIfChanged = 1, AlwaysReplace = 2 };

class TFileToInstall {
public:
    TAttachedFile* Entry = nullptr;  // not owned: belongs to Files
    std::string Target;
};

// Resource bytes of the executable module itself, used in place; null and 0
// when there is no such resource.
void GetResourceBytes(const char* Name, const char* Type, const void*& Bytes, int32_t& Size);

class TAttachedFiles {
public:
    // Finds, inflates and indexes the "FILES"/"FILES" resource. Throws
    // EPayloadDamaged when it is missing or unusable, std::bad_alloc when
    // memory runs out.
    TAttachedFiles();
    // The same from a zlib stream held elsewhere (used by tests and tools).
    TAttachedFiles(const void* stream, int32_t streamSize);
    virtual ~TAttachedFiles();
    TAttachedFiles(const TAttachedFiles&) = delete;
    TAttachedFiles& operator=(const TAttachedFiles&) = delete;

    // Queues the entry named NameOrPrefix, or every entry below a prefix that
    // ends in a backslash, for Folder under Mode. True when any was queued.
    bool QueueFiles(const std::string& NameOrPrefix, const std::string& Folder, uint8_t Group,
                    InstallMode Mode);
    // Writes one entry (or, with Entry null, the last entry called Name) to
    // Target with its time stamp, asking Abort/Retry/Ignore on failure. False
    // after Abort, or when the question could not be shown. A failed attempt
    // leaves whatever stood at Target as it was; an entry whose name would
    // leave its folder is never written.
    bool ExtractFile(const TAttachedFile* Entry, const std::string& Name, const std::string& Target);

    const unsigned char* EntryData(const TAttachedFile& entry) const { return Data + entry.Offset; }

    unsigned char* Data = nullptr;
    int32_t DataSize = 0;
    std::vector<std::unique_ptr<TAttachedFile>> Files;
    std::vector<std::unique_ptr<TFileToInstall>> InstallQueue[1];
    std::vector<std::string> PublicFiles;
    bool ForceReplace = false;

private:
    void Load(const void* stream, int32_t streamSize);
    bool QueueOne(TAttachedFile& entry, const std::string& Folder, uint8_t Group,
                  InstallMode Mode, InstallMode RequestedMode);
    // One try at writing the entry (null: no such entry, which fails).
    bool WriteAttempt(const TAttachedFile* entry, const std::string& Target);
};

// True when a payload entry name, appended to a folder, stays inside it: not
// empty, no drive or stream colon, not rooted (so no UNC path either), no part
// made only of dots and blanks (".." and the forms Windows trims to it), no
// DOS device name. Both "\\" and "/" count as separators, as they do for Windows.
bool IsSafeEntryName(const std::string& name);

// What a failed extraction does with the user's answer. Ok comes only when
// the box could not be shown; asking again would then loop, so it gives up.
enum class TFailureAction { GiveUp, Skip, TryAgain };
TFailureAction FailureActionOf(MessageResult answer);

// The question asked when a target cannot be written, Target filled in.
std::string CannotCreateMessage(const std::string& Target);

// The one store of the program, created first at start-up and destroyed last.
extern TAttachedFiles* AttachedFiles;
