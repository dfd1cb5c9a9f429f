// Installation utilities: the implementation behind InstUtils.h.
#include "InstUtils.h"

#include "UniqueHandle.h"

#include <objbase.h>
#include <winioctl.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using TGetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

TGetFolderPath GetFolderPathEntry = nullptr;
std::vector<std::string>* FolderStack = nullptr;

std::wstring SystemFolderW() {
    wchar_t buf[MAX_PATH];
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring s(buf, n);
    if (s.back() != L'\\') s += L'\\';
    return s;
}

// Only the system folder is searched for DLLs loaded from here on: a DLL
// planted beside a downloaded setup must never run with the setup's rights.
void RestrictDllSearch() {
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return;
    auto setDefault = reinterpret_cast<TSetDefaultDllDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Also drops the current folder from the older search order.
    SetDllDirectoryW(L"");
}

TGetFolderPath LocateGetFolderPath(const wchar_t* dll) {
    const std::wstring folder = SystemFolderW();
    if (folder.empty()) return nullptr;
    HMODULE module = LoadLibraryW((folder + dll).c_str());  // never freed
    if (!module) return nullptr;
    return reinterpret_cast<TGetFolderPath>(
        reinterpret_cast<void*>(GetProcAddress(module, "SHGetFolderPathA")));
}

bool IsDotEntry(const char* name) {
    return (name[0] == '.' && name[1] == '\0') ||
           (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

bool IsFolderLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The system's own spelling of what a path opens ("\\?\C:\A\b", no trailing
// backslash), without following a link at its end where the system can help
// it; empty when it cannot be opened.
std::wstring FinalPathOf(const std::string& path) {
    TUniqueFile file(CreateFileW(ToWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr));
    if (!file) return {};
    std::wstring s(MAX_PATH, L'\0');
    for (;;) {
        // Too small a buffer gives the size needed, NUL included; else the length.
        const DWORD n = GetFinalPathNameByHandleW(file.get(), s.data(), static_cast<DWORD>(s.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        const bool fits = n < s.size();
        s.resize(n);
        if (fits) break;
    }
    if (!s.empty() && s.back() == L'\\') s.pop_back();
    return s;
}

// True when the entry `name`, found by a search in `folder`, may be deleted
// there: it opens as itself. Wine opens a Unix symbolic link at its target
// even when asked not to follow it, and its DeleteFileW and RemoveDirectoryW
// then delete the file or the empty folder the link points to: such an entry
// resolves elsewhere and is left alone. Where the system cannot say where
// things lie, the attributes decide, and a link is left alone.
bool MayDeleteInPlace(const std::wstring& folderFinal, const std::string& folder, const std::string& name,
                      DWORD attributes) {
    const std::wstring entry = folderFinal.empty() ? std::wstring() : FinalPathOf(folder + name);
    if (entry.empty()) return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    const std::wstring expected = folderFinal + L'\\' + ToWide(name);
    return entry.size() == expected.size() &&
           CompareStringOrdinal(entry.data(), static_cast<int>(entry.size()), expected.data(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

void DeleteTreeIn(const std::string& folder);

// Deletes one entry found in `folder` (with its trailing backslash). A link to
// a folder is removed as a link: its target is never entered.
void DeleteEntry(const std::wstring& folderFinal, const std::string& folder, const std::string& name,
                 DWORD attributes) {
    if (!MayDeleteInPlace(folderFinal, folder, name, attributes)) return;
    const std::string path = folder + name;
    if (IsFolderLink(attributes))
        RemoveDirectoryW(ToWide(path).c_str());
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTreeIn(path + '\\');
    else
        DeleteFileW(ToWide(path).c_str());
}

// Empties and removes a folder known not to be a link; `folder` ends with "\".
void DeleteTreeIn(const std::string& folder) {
    const std::wstring folderFinal = FinalPathOf(folder);
    WIN32_FIND_DATAA found;
    {
        TUniqueFind search(FindFirstFileA((folder + "*.*").c_str(), &found));
        if (search) {
            do {
                if (!IsDotEntry(found.cFileName))
                    DeleteEntry(folderFinal, folder, found.cFileName, found.dwFileAttributes);
            } while (FindNextFileA(search.get(), &found));
        }
    }
    RemoveDirectoryW(ToWide(folder).c_str());
}

LocalDateTime SystemTimeToLocalDateTime(const SYSTEMTIME& t) {
    const double fraction =
        static_cast<double>(t.wHour * 3600000 + t.wMinute * 60000 + t.wSecond * 1000 +
                            t.wMilliseconds) /
        86400000.0;
    return static_cast<double>(DaysSince1899(t.wYear, t.wMonth, t.wDay)) + fraction;
}

}  // namespace

void InitInstUtils() {
    RestrictDllSearch();
    OleInitialize(nullptr);
    GetFolderPathEntry = LocateGetFolderPath(L"shell32.dll");
    if (!GetFolderPathEntry) GetFolderPathEntry = LocateGetFolderPath(L"shfolder.dll");
}

void DoneInstUtils() {
    delete FolderStack;
    FolderStack = nullptr;
    OleUninitialize();
}

std::wstring ToWide(const std::string& s) {
    if (s.empty()) return {};
    if (s.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
    const int n = static_cast<int>(s.size());
    int len = MultiByteToWideChar(1252, MB_PRECOMPOSED, s.data(), n, nullptr, 0);
    if (len <= 0) return {};
    std::wstring w(static_cast<std::size_t>(len), L'\0');
    if (MultiByteToWideChar(1252, MB_PRECOMPOSED, s.data(), n, w.data(), len) != len) return {};
    return w;
}

void EnsureBackslash(std::string& path) {
    if (path.empty()) return;
    if (path.back() == '/' || path.back() == '\\')
        path.back() = '\\';
    else
        path += '\\';
}

std::string JoinPath(std::string folder, const std::string& name) {
    EnsureBackslash(folder);
    return folder + name;
}

char LastChar(const std::string& s) { return s.empty() ? '\0' : s.back(); }

void DropFirstChar(std::string& s) {
    if (!s.empty()) s.erase(0, 1);
}

void DropLastChar(std::string& s) {
    if (!s.empty()) s.pop_back();
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    std::string ua = a, ub = b;
    if (!ua.empty()) CharUpperBuffA(ua.data(), static_cast<DWORD>(ua.size()));
    if (!ub.empty()) CharUpperBuffA(ub.data(), static_cast<DWORD>(ub.size()));
    return ua == ub;
}

std::string CurrentFolder() {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::string s(needed, '\0');
    DWORD got = GetCurrentDirectoryA(needed, s.data());
    s.resize(got < needed ? got : 0);
    EnsureBackslash(s);
    return s;
}

void PushCurrentFolder() {
    if (!FolderStack) FolderStack = new std::vector<std::string>;
    FolderStack->push_back(CurrentFolder());
}

void PopCurrentFolder() {
    if (!FolderStack || FolderStack->empty()) return;
    SetCurrentDirectoryA(FolderStack->back().c_str());
    FolderStack->pop_back();
}

bool FolderExists(const std::string& path) {
    PushCurrentFolder();
    std::string p = path;
    EnsureBackslash(p);
    // An empty path would leave the current folder as it is and match nothing.
    if (!p.empty()) SetCurrentDirectoryA(p.c_str());
    const bool result = !p.empty() && SameName(CurrentFolder(), p);
    PopCurrentFolder();
    return result;
}

void MakeFolders(const std::string& path) {
    if (FolderExists(path)) return;
    std::string t = path;
    if (LastChar(t) == '\\') DropLastChar(t);
    const std::size_t cut = t.find_last_of("\\:");
    const std::string parent = cut == std::string::npos ? std::string() : t.substr(0, cut + 1);
    // Going up ends once the parent is no shorter, at the empty path at the latest.
    if (parent.size() < path.size()) MakeFolders(parent);
    if (!path.empty()) CreateDirectoryW(ToWide(path).c_str(), nullptr);
}

void DeleteFolderTree(const std::string& path) {
    std::string p = path;
    EnsureBackslash(p);
    if (p.empty()) return;
    std::string self = p;
    DropLastChar(self);
    const DWORD attributes = GetFileAttributesW(ToWide(self).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !IsFolderLink(attributes)) {
        DeleteTreeIn(p);
        return;
    }
    // A link standing where the tree should be is removed, never followed.
    const std::size_t cut = self.find_last_of('\\');
    if (cut == std::string::npos) return;
    const std::string parent = self.substr(0, cut + 1);
    DeleteEntry(FinalPathOf(parent), parent, self.substr(cut + 1), attributes);
}

std::string SpecialFolder(int csidl) {
    if (!GetFolderPathEntry) return {};
    char buf[MAX_PATH + 1] = {};
    if (GetFolderPathEntry(nullptr, csidl, nullptr, 0, buf) != S_OK) return {};
    buf[MAX_PATH] = '\0';
    return buf;
}

std::string TempFolder() {
    std::string folder;
    DWORD needed = GetTempPathA(0, nullptr);
    if (needed > 0) {
        folder.assign(needed, '\0');
        DWORD got = GetTempPathA(needed, folder.data());
        folder.resize(got < needed ? got : 0);
        const std::size_t nul = folder.find('\0');
        if (nul != std::string::npos) folder.resize(nul);
    }
    if (!FolderExists(folder)) folder = SpecialFolder(CSIDL_PERSONAL_);
    EnsureBackslash(folder);
    return folder;
}

std::string TempPrefix() {
    std::string prefix = "~";
    for (const char* c = SetupTitle; *c; ++c)
        if ((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z')) prefix += *c;
    return prefix;
}

std::string NewTempFileName() {
    const std::string base = TempFolder() + TempPrefix();
    for (unsigned long n = 0;; ++n) {
        std::string name = base + std::to_string(n) + ".tmp";
        WIN32_FIND_DATAA found;
        TUniqueFind search(FindFirstFileA(name.c_str(), &found));
        if (!search || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return name;
    }
}

void PurgeTempFiles() {
    const std::string folder = TempFolder();
    const std::string prefix = TempPrefix();
    const std::wstring folderFinal = FinalPathOf(folder);
    WIN32_FIND_DATAA found;
    TUniqueFind search(FindFirstFileA((folder + "*.*").c_str(), &found));
    if (!search) return;
    do {
        if (std::string(found.cFileName).compare(0, prefix.size(), prefix) == 0)
            DeleteEntry(folderFinal, folder, found.cFileName, found.dwFileAttributes);
    } while (FindNextFileA(search.get(), &found));
}

std::string DrivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const std::size_t serverEnd = path.find('\\', 2);
        if (serverEnd == std::string::npos) return path;
        const std::size_t shareEnd = path.find('\\', serverEnd + 1);
        return shareEnd == std::string::npos ? path : path.substr(0, shareEnd);
    }
    return {};
}

UINT DriveTypeOf(const std::string& path) {
    std::string root = DrivePart(path);
    // Without a drive part the system would answer for the current drive.
    if (root.empty()) return DRIVE_NO_ROOT_DIR;
    EnsureBackslash(root);
    return GetDriveTypeA(root.c_str());
}

bool IsPortableDescriptor(const unsigned char* descriptor, std::size_t size) {
    constexpr std::size_t RemovableMediaOffset = 10, BusTypeOffset = 28;
    constexpr unsigned BusType1394 = 4, BusTypeUsb = 7;
    if (!descriptor) return false;
    if (size >= BusTypeOffset + 4) {
        const unsigned bus = descriptor[BusTypeOffset] | descriptor[BusTypeOffset + 1] << 8 |
                             descriptor[BusTypeOffset + 2] << 16 |
                             static_cast<unsigned>(descriptor[BusTypeOffset + 3]) << 24;
        if (bus == BusType1394 || bus == BusTypeUsb) return true;
    }
    return size > RemovableMediaOffset && descriptor[RemovableMediaOffset] != 0;
}

bool IsPortableDrive(const std::string& path) {
    const UINT type = DriveTypeOf(path);
    if (type == DRIVE_REMOVABLE) return true;
    if (type != DRIVE_FIXED) return false;
    TUniqueFile volume(CreateFileW(ToWide("\\\\.\\" + DrivePart(path)).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    if (!volume) return false;
    unsigned char query[12] = {};  // StorageDeviceProperty, PropertyStandardQuery
    unsigned char descriptor[548] = {};
    descriptor[4] = static_cast<unsigned char>(sizeof descriptor & 0xFF);
    descriptor[5] = static_cast<unsigned char>(sizeof descriptor >> 8);
    DWORD returned = 0;
    if (!DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query,
                         descriptor, sizeof descriptor, &returned, nullptr))
        return false;
    return IsPortableDescriptor(descriptor, sizeof descriptor);
}

LocalDateTime NowLocalDateTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return SystemTimeToLocalDateTime(now);
}

LocalDateTime FileWriteDate(const std::string& path) {
    WIN32_FIND_DATAA found;
    {
        TUniqueFind search(FindFirstFileA(path.c_str(), &found));
        if (!search) return NowLocalDateTime();
    }
    FILETIME local;
    WORD date = 0, time = 0;
    // Outside the DOS range (1980-2107) there is no DOS value; NaN then equals
    // no stored date, so such a file counts as changed and is refreshed.
    if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time))
        return std::numeric_limits<double>::quiet_NaN();
    return DosToLocalDateTime(date, time);
}

bool SetFileWriteDate(HANDLE file, LocalDateTime date) {
    uint16_t dosDate = 0, dosTime = 0;
    if (!LocalDateTimeToDos(date, dosDate, dosTime)) return false;
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(dosDate, dosTime, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
    return SetFileTime(file, nullptr, nullptr, &utc) != FALSE;
}

void WriteRawFile(const std::string& path, const std::string& bytes) {
    TUniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
