// A DLL planted beside the setup must not be loaded once InitInstUtils has
// run, whether the setup loads it by bare name or the shell does.
#include "InstUtilsTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string OwnFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// Wine prefers its builtin copy of a system DLL even to one found beside the
// program. An override "native, then builtin" for one program makes it take a
// planted copy wherever the search finds one, as Windows does. Given per
// program in the registry: WINEDLLOVERRIDES in the environment block of
// CreateProcess does not reach the new process in Wine 8. Windows ignores
// the key.
class TWineDllOverrides {
public:
    TWineDllOverrides(const std::string& exeName, const std::vector<std::string>& dlls)
        : key_("Software\\Wine\\AppDefaults\\" + exeName) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        for (const std::string& dll : dlls)
            RegSetValueExA(key, dll.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
        RegCloseKey(key);
    }
    ~TWineDllOverrides() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }
    TWineDllOverrides(const TWineDllOverrides&) = delete;
    TWineDllOverrides& operator=(const TWineDllOverrides&) = delete;

private:
    std::string key_;
};

TEST(DllSearch, APlantedDllIsLoadedOnlyWithoutInitInstUtils) {
    // Wine's own user32 imports version.dll, so under the override Wine loads
    // a planted version.dll into every program that uses user32 before any
    // of its code runs (and the probe then dies calling into it). Windows'
    // user32 imports no version.dll; there the row counts.
    const bool wine = RunningUnderWine();
    std::vector<std::string> planted = {"uxtheme", "shfolder"};
    if (!wine) planted.push_back("version");
    const struct {
        const char* What;
        const char* Argument;
        bool Loaded;
    } rows[] = {
        {"after InitInstUtils", "", false},
        // Shows that the test sees a planted load at all.
        {"without InitInstUtils", " --unprotected", true},
    };
    int round = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.What);
        TScratchFolder folder;
        const std::string exeName = "DllSearchProbe-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(round++) + ".exe";
        ASSERT_TRUE(CopyFileA((OwnFolder() + "DllSearchProbe.exe").c_str(), (folder / exeName).c_str(), FALSE));
        for (const std::string& dll : planted)
            ASSERT_TRUE(CopyFileA((OwnFolder() + "PlantedDll.dll").c_str(), (folder / (dll + ".dll")).c_str(), FALSE));
        TWineDllOverrides overrides(exeName, planted);
        std::string command = "\"";
        command.append(folder / exeName).append("\"").append(row.Argument);
        TProcess probe(command);
        ASSERT_TRUE(probe.Started());
        const DWORD code = probe.Wait();
        if (!row.Loaded) {
            EXPECT_EQ(code, 0u) << "the special folder comes from the system's shell";
        }
        for (const std::string& dll : planted)
            EXPECT_EQ(FileExists(folder / (dll + ".dll.loaded")), row.Loaded) << dll;
    }
}

}  // namespace
