// Loads the hunspell.dll we ship the way a host program does (LoadLibrary
// and GetProcAddress on the C interface) and checks it against the
// Swedish dictionary. Paths come from the environment:
//   SETUP_HUNSPELL_DLL  the built hunspell.dll
//   SETUP_SV_AFF        sv_SE.aff
//   SETUP_SV_DIC        sv_SE.dic
// Host paths ("/usr/share/...") are accepted and mapped to Wine's Z: drive.

#include <windows.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct Hunhandle;
using CreateFn = Hunhandle *(*)(const char *aff, const char *dic);
using DestroyFn = void (*)(Hunhandle *);
using SpellFn = int (*)(Hunhandle *, const char *word);
using SuggestFn = int (*)(Hunhandle *, char ***list, const char *word);
using FreeListFn = void (*)(Hunhandle *, char ***list, int n);


class HunspellDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string dll = HostPath("SETUP_HUNSPELL_DLL");
    const std::string aff = HostPath("SETUP_SV_AFF");
    const std::string dic = HostPath("SETUP_SV_DIC");
    if (dll.empty() || aff.empty() || dic.empty()) {
      problem_ = "set SETUP_HUNSPELL_DLL, SETUP_SV_AFF and SETUP_SV_DIC";
      return;
    }
    module_ = LoadLibraryA(dll.c_str());
    if (module_ == nullptr) {
      problem_ = "LoadLibrary(" + dll + ") failed, error " +
                 std::to_string(GetLastError());
      return;
    }
    create_ = Resolve<CreateFn>("Hunspell_create");
    destroy_ = Resolve<DestroyFn>("Hunspell_destroy");
    spell_ = Resolve<SpellFn>("Hunspell_spell");
    suggest_ = Resolve<SuggestFn>("Hunspell_suggest");
    free_list_ = Resolve<FreeListFn>("Hunspell_free_list");
    if (!problem_.empty()) return;
    handle_ = create_(aff.c_str(), dic.c_str());
    if (handle_ == nullptr) problem_ = "Hunspell_create returned null";
  }

  static void TearDownTestSuite() {
    if (handle_ != nullptr) destroy_(handle_);
    if (module_ != nullptr) FreeLibrary(module_);
    handle_ = nullptr;
    module_ = nullptr;
  }

  void SetUp() override { ASSERT_TRUE(problem_.empty()) << problem_; }

  template <typename Fn>
  static Fn Resolve(const char *name) {
    FARPROC proc = GetProcAddress(module_, name);
    if (proc == nullptr) problem_ += std::string("missing export ") + name + "; ";
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(proc));
  }

  static inline HMODULE module_ = nullptr;
  static inline Hunhandle *handle_ = nullptr;
  static inline std::string problem_;
  static inline CreateFn create_ = nullptr;
  static inline DestroyFn destroy_ = nullptr;
  static inline SpellFn spell_ = nullptr;
  static inline SuggestFn suggest_ = nullptr;
  static inline FreeListFn free_list_ = nullptr;
};

TEST_F(HunspellDll, AcceptsSwedishWordsAndRejectsMisspellings) {
  // The dictionary is UTF-8, so words with å/ä/ö also prove the engine
  // reads the affix file's SET line rather than a Windows code page.
  struct Row {
    const char *word;
    bool correct;
  };
  const Row rows[] = {
      {"hej", true},           {"Hej", true},
      {"kaffe", true},         {"kaffekopparna", true},
      {"smörgås", true},       {"Stockholm", true},
      {"hejx", false},         {"kafe", false},
      {"smörgåås", false},     {"stockholm", false},
  };
  for (const Row &row : rows)
    EXPECT_EQ(spell_(handle_, row.word) != 0, row.correct) << row.word;
}

TEST_F(HunspellDll, SuggestsTheIntendedWordForAMisspelling) {
  char **list = nullptr;
  const int n = suggest_(handle_, &list, "kafe");
  ASSERT_GE(n, 1);
  bool found = false;
  for (int i = 0; i < n; ++i) found = found || std::string(list[i]) == "kaffe";
  free_list_(handle_, &list, n);
  EXPECT_TRUE(found) << "\"kaffe\" not among " << n << " suggestions for \"kafe\"";
}

}  // namespace
