// The built setup from outside: its resources, its windows while it runs, how
// it ends, and how it refuses a damaged payload.
#include "instutils/InstUtils.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::string SetupExe() { return HostPath("SETUP_EXE"); }

std::string ResourceOf(HMODULE module, const char* name, const char* type) {
    HRSRC info = FindResourceA(module, name, type);
    if (!info) return {};
    const void* bytes = LockResource(LoadResource(module, info));
    return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module, info)) : std::string();
}

TEST(SetupResources, IconGroupAndManifestAreThere) {
    TUniqueModule exe(LoadLibraryExA(SetupExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe) << SetupExe();

    const std::string group = ResourceOf(exe.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));
    ASSERT_GE(group.size(), 6u);
    const auto u16 = [&](size_t at) { return static_cast<unsigned>(static_cast<uint8_t>(group[at]) | static_cast<uint8_t>(group[at + 1]) << 8); };
    ASSERT_EQ(u16(4), 4u) << "four images";
    std::vector<unsigned> sizes;
    for (size_t i = 0; i < 4; ++i) {
        const size_t e = 6 + 14 * i;
        ASSERT_LE(e + 14, group.size());
        const unsigned width = static_cast<uint8_t>(group[e]);
        sizes.push_back(width == 0 ? 256 : width);
        EXPECT_EQ(u16(e + 6), 32u) << "bits per pixel of image " << i;
    }
    EXPECT_EQ(sizes, (std::vector<unsigned>{256, 48, 32, 16}));

    const std::string manifest = ResourceOf(exe.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    for (const char* needle : {"name=\"Setup\"", "version=\"5.1.0.0\"", "<description>Windows Shell</description>",
                               "level=\"highestAvailable\"", "Microsoft.Windows.Common-Controls",
                               "version=\"6.0.0.0\""})
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
}

TEST(SetupRun, ShowsTheWizardUnderTheApplicationWindowAndEndsWithZero) {
    const std::string leftover = TempFolder() + TempPrefix() + "7.tmp";
    WriteTextFile(leftover, "from an earlier run");

    TProcess setup('"' + SetupExe() + '"');
    ASSERT_TRUE(setup.Started());
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (wizard = FindVisibleWindow(setup.Id(), "TForm")) != nullptr; }));
    EXPECT_EQ(WindowText(wizard), SetupTitle);

    // The hidden application window owns the wizard and carries title and icon.
    HWND app = GetWindow(wizard, GW_OWNER);
    ASSERT_NE(app, nullptr);
    char cls[64] = {};
    GetClassNameA(app, cls, sizeof cls);
    EXPECT_STREQ(cls, "TApplication");
    EXPECT_FALSE(IsWindowVisible(app));
    EXPECT_EQ(WindowText(app), SetupTitle);
    // Wine answers WM_GETICON sent from another process with 0 although the
    // setup's own query returns its icon; Windows answers across processes.
    if (!RunningUnderWine()) {
        EXPECT_NE(SendMessageA(app, WM_GETICON, ICON_BIG, 0), 0);
    }

    PostMessageA(wizard, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(setup.Wait(), 0u);
    EXPECT_FALSE(FileExists(leftover)) << "temporary files are purged at exit";
}

TEST(SetupRun, ClosingTheWizardEndsWithZero) {
    TProcess setup('"' + SetupExe() + '"');
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (wizard = FindVisibleWindow(setup.Id(), "TForm")) != nullptr; }));
    PostMessageA(wizard, WM_CLOSE, 0, 0);
    EXPECT_EQ(setup.Wait(), 0u);
}

TEST(SetupRun, RefusesADamagedPayloadWithAMessageAndExitCodeOne) {
    // Copies of the built setup damaged by the payload tool.
    for (const char* how : {"missing", "garbage", "truncated"}) {
        SCOPED_TRACE(how);
        const std::string exe = HostPath("SETUP_TEST_BIN") + "\\tests\\damaged-" + how + ".exe";
        ASSERT_TRUE(FileExists(exe)) << exe;
        TProcess setup('"' + exe + '"');
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = FindVisibleWindow(setup.Id(), "#32770")) != nullptr; }))
            << "exit code " << setup.Wait(0);
        EXPECT_EQ(WindowText(box), SetupTitle);
        const std::string text = WindowText(GetDlgItem(box, 0xFFFF));
        EXPECT_NE(text.find("damaged"), std::string::npos) << text;
        EXPECT_NE(text.find("download"), std::string::npos) << text;
        EXPECT_EQ(FindVisibleWindow(setup.Id(), "TForm"), nullptr) << "no wizard behind the box";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(setup.Wait(), 1u);
    }
}

}  // namespace
