// Installation utilities: paths, folders, special locations, the setup's
// temporary files, drive and file facts. None of these functions shows
// anything or throws: a failing system call becomes an empty string, false,
// or is ignored, and the caller notices in its own next step.
#pragma once

#include "DosTime.h"

#include <windows.h>

#include <cstddef>
#include <string>

// The application title, the caption of every box, and the source of TempPrefix.
inline constexpr char SetupTitle[] = "Quorvane Swedish Spellchecker - Setup";

inline constexpr int CSIDL_PERSONAL_ = 5;
inline constexpr int CSIDL_COMMON_APPDATA_ = 35;
inline constexpr int CSIDL_PROGRAM_FILES_ = 38;

// Process-wide start and end: restricts DLL loading to the system folder,
// initialises OLE and locates SHGetFolderPathA; the end drops the folder stack
// and uninitialises OLE. Call once each, first and last.
void InitInstUtils();
void DoneInstUtils();

// Byte string to UTF-16, always read as Windows-1252 (precomposed), whatever
// the system's code page; a failed conversion gives the empty string.
std::wstring ToWide(const std::string& s);

void EnsureBackslash(std::string& path);
std::string JoinPath(std::string folder, const std::string& name);
char LastChar(const std::string& s);  // '\0' for the empty string
void DropFirstChar(std::string& s);
void DropLastChar(std::string& s);    // the empty string stays empty
bool SameName(const std::string& a, const std::string& b);

std::string CurrentFolder();
void PushCurrentFolder();
void PopCurrentFolder();
bool FolderExists(const std::string& path);
void MakeFolders(const std::string& path);
void DeleteFolderTree(const std::string& path);

std::string SpecialFolder(int csidl);
std::string TempFolder();
std::string TempPrefix();
std::string NewTempFileName();
void PurgeTempFiles();

// Drive part of a path: "C:" for "C:\x", "\\server\share" for a UNC path,
// otherwise empty.
std::string DrivePart(const std::string& path);
UINT DriveTypeOf(const std::string& path);
bool IsPortableDrive(const std::string& path);
// The decision from a storage device descriptor: USB or IEEE 1394 bus, or
// removable media. Reads nothing beyond `size`.
bool IsPortableDescriptor(const unsigned char* descriptor, std::size_t size);

LocalDateTime FileWriteDate(const std::string& path);
LocalDateTime NowLocalDateTime();
// Sets only the last-write time of an open file from a LocalDateTime, through
// the DOS words and local time as the system's current rules give them.
// False, and nothing set, outside 1980-2099.
bool SetFileWriteDate(HANDLE file, LocalDateTime date);
void WriteRawFile(const std::string& path, const std::string& bytes);
