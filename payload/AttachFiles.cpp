// The payload store: loading and indexing, the install queue, and writing
// single entries to disk so that a failed write never damages what stood there.
#include "AttachFiles.h"

#include "PayloadTable.h"
#include "instutils/InstUtils.h"
#include "instutils/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
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

// ---------------------------------------------------------------------------
// The install queue

namespace {

bool IsNameSeparator(char c) { return c == '\\' || c == '/'; }

// Windows opens these as devices in any folder and with any extension.
bool IsDeviceName(std::string part) {
    part = part.substr(0, part.find('.'));
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (part.empty()) return false;
    CharUpperBuffA(part.data(), static_cast<DWORD>(part.size()));
    static const char* const fixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : fixed)
        if (part == name) return true;
    // COM1-9 and LPT1-9, and the superscript digits Windows also accepts.
    if (part.size() == 4 && (part.compare(0, 3, "COM") == 0 || part.compare(0, 3, "LPT") == 0)) {
        const unsigned char d = static_cast<unsigned char>(part[3]);
        return (d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

bool FileExistsAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool IsSafeEntryName(const std::string& name) {
    if (name.empty() || name.find(':') != std::string::npos) return false;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < name.size() && !IsNameSeparator(name[end])) ++end;
        const std::string part = name.substr(start, end - start);
        // Empty parts catch rooted and UNC names; Windows trims trailing dots
        // and blanks, so ". ." or "..." act as "." or "..".
        if (part.find_first_not_of(". ") == std::string::npos || IsDeviceName(part)) return false;
        if (end == name.size()) return true;
        start = end + 1;
    }
}

bool TAttachedFiles::QueueFiles(const std::string& NameOrPrefix, const std::string& Folder,
                                uint8_t Group, InstallMode Mode) {
    const InstallMode RequestedMode = Mode;
    if (ForceReplace) Mode = InstallMode::AlwaysReplace;
    if (Group >= std::size(InstallQueue)) return false;
    if (LastChar(NameOrPrefix) == '\\') {
        bool result = false;
        for (auto& entry : Files) {
            const std::string& name = entry->Name;
            if (name.size() < NameOrPrefix.size() ||
                !SameName(name.substr(0, NameOrPrefix.size()), NameOrPrefix))
                continue;
            if (QueueOne(*entry, Folder, Group, Mode, RequestedMode)) result = true;
        }
        return result;
    }
    for (auto& entry : Files)
        if (SameName(entry->Name, NameOrPrefix)) return QueueOne(*entry, Folder, Group, Mode, RequestedMode);
    return false;
}

bool TAttachedFiles::QueueOne(TAttachedFile& entry, const std::string& Folder, uint8_t Group,
                              InstallMode Mode, InstallMode RequestedMode) {
    const std::string target = JoinPath(Folder, entry.Name);
    // A name that would leave Folder is queued without looking outside it, so
    // the run reaches it and ExtractFile refuses it with the usual question.
    const bool safe = IsSafeEntryName(entry.Name);
    if (safe && Mode != InstallMode::AlwaysReplace && FileExistsAt(target)) {
        if (Mode == InstallMode::KeepExisting) return false;
        if (Mode == InstallMode::ReplaceIfChanged && FileWriteDate(target) == entry.Date) return false;
    }
    auto item = std::make_unique<TFileToInstall>();
    item->Entry = &entry;
    item->Target = target;
    InstallQueue[Group].push_back(std::move(item));
    // The update log lists only files this setup can write; an escaping name
    // could otherwise look as if it lay below the public folder.
    if (!safe) return true;
    const std::string base = JoinPath(SpecialFolder(CSIDL_COMMON_APPDATA_), "Quorvane\\Public\\");
    if (target.size() >= base.size() && SameName(target.substr(0, base.size()), base))
        PublicFiles.push_back(RequestedMode == InstallMode::KeepExisting ? target + "\t!" : target);
    return true;
}

// ---------------------------------------------------------------------------
// Extraction

namespace {

const char CannotCreateText1[] = "Cannot create file \"";
const char CannotCreateText2[] =
    "\".\rAnother application might already be using this file.\r\r"
    "Please make sure that the setup of Quorvane Word Processor is not blocked by your security "
    "software (firewall/antivirus) in any way.\r"
    "You might want to temporarily disable your security software and try again.";

// A file this attempt created: removed again unless the attempt completes,
// so a failed attempt leaves the folder as it found it.
class TNewFile {
public:
    TNewFile() = default;
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;
    ~TNewFile() {
        Handle.reset();
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }

    // Read and write access, no sharing. CREATE_NEW never takes over a file
    // that is already there.
    bool Create(const std::wstring& path) {
        Handle.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (Handle) path_ = path;
        return static_cast<bool>(Handle);
    }

    // A fresh name in the folder (the target's own, so the move is a rename).
    bool CreateIn(const std::wstring& folder) {
        for (unsigned n = 0; n < 1000; ++n) {
            if (Create(folder + L"~qss" + std::to_wstring(n) + L".tmp")) return true;
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }

    // Writes the bytes in one call, then stamps the file on the same handle:
    // a time set explicitly is not changed by the close.
    bool Fill(const unsigned char* data, int32_t size, LocalDateTime date) {
        if (size > 0) {
            DWORD written = 0;
            // A short write (a full disk) fails the attempt.
            if (!WriteFile(Handle.get(), data, static_cast<DWORD>(size), &written, nullptr) ||
                written != static_cast<DWORD>(size))
                return false;
        }
        SetFileWriteDate(Handle.get(), date);  // outside 1980-2099 the time of writing stays
        return true;
    }

    void Keep() {
        Handle.reset();
        path_.clear();
    }

    // Moves the complete file over the target; the rename keeps its time.
    bool Replace(const std::wstring& target) {
        Handle.reset();
        if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        path_.clear();
        return true;
    }

    TUniqueFile Handle;

private:
    std::wstring path_;
};

}  // namespace

std::string CannotCreateMessage(const std::string& Target) {
    // Concatenated, not formatted: a path may hold a "%".
    return CannotCreateText1 + Target + CannotCreateText2;
}

TFailureAction FailureActionOf(MessageResult answer) {
    switch (answer) {
        case MessageResult::Retry: return TFailureAction::TryAgain;
        case MessageResult::Ignore: return TFailureAction::Skip;
        default: return TFailureAction::GiveUp;  // Abort, or Ok from a box that was never shown
    }
}

bool TAttachedFiles::ExtractFile(const TAttachedFile* Entry, const std::string& Name,
                                 const std::string& Target) {
    if (!Entry) {
        // Last to first: of two entries with one name, the later one wins.
        for (auto it = Files.rbegin(); it != Files.rend(); ++it)
            if (SameName((*it)->Name, Name)) {
                Entry = it->get();
                break;
            }
    }
    for (;;) {
        if (WriteAttempt(Entry, Target)) return true;
        const MessageResult answer = ShowMessageBox(CannotCreateMessage(Target), MessageKind::Error,
                                                    {MessageButton::Abort, MessageButton::Retry,
                                                     MessageButton::Ignore});
        switch (FailureActionOf(answer)) {
            case TFailureAction::GiveUp: return false;
            case TFailureAction::Skip: return true;
            case TFailureAction::TryAgain: break;
        }
    }
}

bool TAttachedFiles::WriteAttempt(const TAttachedFile* entry, const std::string& Target) {
    // An unknown or escaping entry fails before anything is created on disk.
    if (!entry || !IsSafeEntryName(entry->Name) || entry->Offset < 0 || entry->Size < 0 ||
        static_cast<int64_t>(entry->Offset) + entry->Size > DataSize)
        return false;
    const std::wstring target = ToWide(Target);
    if (target.empty()) return false;
    const std::size_t cut = Target.find_last_of("\\:");
    const std::string folder = cut == std::string::npos ? std::string() : Target.substr(0, cut + 1);

    // Nothing at the target: write it in place, and delete it again should
    // the write fail. Folders are made only when the first try finds them
    // missing, which spares the common case a walk up the path.
    TNewFile file;
    if (!file.Create(target) && GetLastError() == ERROR_PATH_NOT_FOUND && !folder.empty()) {
        MakeFolders(folder);
        file.Create(target);
    }
    if (file.Handle) {
        if (!file.Fill(EntryData(*entry), entry->Size, entry->Date)) return false;
        file.Keep();
        return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;

    // Something stands there: write the new bytes beside it and move them over
    // it only once complete, so a failed attempt leaves the old file as it was.
    // A folder or a read-only file fails as creating over it would; the
    // attribute is checked because Wine's MoveFileEx replaces a read-only
    // file. A file held open by anyone makes the move fail.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return false;
    TNewFile part;
    if (!part.CreateIn(ToWide(folder)) || !part.Fill(EntryData(*entry), entry->Size, entry->Date)) return false;
    return part.Replace(target);
}
