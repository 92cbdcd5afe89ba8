#include "fuzz/sandbox.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "base/fatal.h"
#include "base/state.h"
#include "platform/collate.h"
#include "platform/faults.h"
#include "platform/posix/host_path.h"
#include "platform/screen.h"
#include "platform/ui.h"
#include "text/strings_step.h"
#include "text/collate.h"

namespace fuzz {
namespace {

void throwOnFatal(FatalKind, std::u16string_view) { throw FatalExit{}; }
void dropBox(std::u16string_view, std::u16string_view, platform::BoxIcon) {}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;
}

void removeTree(const std::string& dir) { nftw(dir.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS); }

void removeSandbox() {
  if (chdir("/") == 0) removeTree(sandboxDir());
}

std::u16string& defaultValue(int key) {
  static std::u16string values[kStringKeyCount];
  return values[key];
}

void fillDefaultStrings() {
  static const std::pair<const char*, const char*> overrides[] = {
      {"CharactersetCode", "0"},      {"ForeignFonts", "0"},
      {"FilenameIni", "dict.ini"},    {"Install_TaalCf", "taal.cf"},
      {"Install_TaalTemp", "taal.tmp"}, {"PathLanguage", ""},
      {"Locale", "english"},          {"IniLanguage", "[Language]"},
      {"IniSelected", "[Selected]"},  {"IniAddnew", "[Addnew]"},
  };
  for (int k = 0; k < kStringKeyCount; ++k) {
    const char* name = stringKeyName(static_cast<StringKey>(k));
    const char* value = name;
    for (const auto& [key, v] : overrides) {
      if (std::strcmp(key, name) == 0) value = v;
    }
    defaultValue(k) = std::u16string(value, value + std::strlen(value));
  }
}

}  // namespace

const std::string& sandboxDir() {
  static std::string dir;
  if (!dir.empty()) return dir;
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dsetup-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::abort();
  }
  dir = pattern;
  std::atexit(removeSandbox);
  platform::posix::setHostRoot(dir + "/root");
  platform::posix::confineTo(dir);
  setFatalHook(throwOnFatal);
  platform::setMessageBoxHook(dropBox);
  fillDefaultStrings();
  return dir;
}

std::u16string sandboxPath(std::string_view sub) {
  std::string path = sandboxDir();
  if (!sub.empty()) path += "/" + std::string(sub);
  return platform::posix::utf16(path);
}

void beginInput() {
  const std::string& dir = sandboxDir();
  if (chdir("/") != 0) std::abort();
  removeTree(dir);
  if (mkdir(dir.c_str(), 0700) != 0 || chdir(dir.c_str()) != 0) {
    std::perror("sandbox");
    std::abort();
  }
  resetInstallState();
  platform::faults::reset();
  platform::setScreen(nullptr);
  resetSortTable();
  setCollationSetter(nullptr);
  platform::setRuntimeCollation(u"C");
  strings = StringsTable{};
  for (int k = 0; k < kStringKeyCount; ++k) strings.values[k] = defaultValue(k).c_str();
}

void writeFile(std::string_view name, const void* data, std::size_t size) {
  std::string path = sandboxDir() + "/" + std::string(name);
  std::size_t slash = path.rfind('/');
  platform::posix::makeHostFolders(path.substr(0, slash));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

uint32_t pickCodePage(unsigned selector) {
  static const uint32_t pages[] = {1252, 932, 1251, 1250, 936, 949, 950, 1253};
  return pages[selector % (sizeof pages / sizeof pages[0])];
}

}  // namespace fuzz
