// The registry step: the registry operations with the InstallState's path,
// code page and list name and the strings file's texts in dict.ini's 8-bit
// form; failed changes end the run with their message.
#include "install/registry_step.h"

#include <string_view>

#include "base/fatal.h"
#include "base/install_folder.h"
#include "base/fixed_text.h"
#include "base/state.h"
#include "registry/registry.h"
#include "text/charset.h"
#include "text/setup_names.h"
#include "text/strings_step.h"

namespace {

constexpr char16_t kTmpName[] = u"tmp.ini";

using Narrow = NarrowText<kScratchCapacity>;

// A strings-file text in the 8-bit form in which dict.ini holds it.
Narrow narrowText(StringKey key) {
  Narrow out;
  out.assign(toNarrowScratch(text(key), state.uiCodePage));
  return out;
}

// FilenameIni, kept in the InstallState. A name too long for the path buffer
// stays empty rather than being cut into the name of another file: it then
// opens and replaces nothing.
// So does a name that breaks the rule for names below the installation
// folder (a "..", a drive, a device): it never leaves the folder.
std::u16string_view registryPath() {
  if (!state.registryPath.assign(text(StringKey::FilenameIni)) ||
      !nameProblem(state.registryPath.view()).empty()) {
    state.registryPath.clear();
  }
  return state.registryPath.view();
}

// The job of one registry operation; it holds the section header's text.
class StepJob {
 public:
  StepJob() : header_(narrowText(StringKey::IniLanguage)) {
    job_.folder = &folder_.get();
    job_.registryPath = registryPath();
    job_.tmpPath = kTmpName;
    job_.codePage = state.uiCodePage;
    job_.languageHeader = header_.view();
  }
  StepJob(const StepJob&) = delete;
  StepJob& operator=(const StepJob&) = delete;
  const RegistryJob& get() const { return job_; }

 private:
  InstallFolder folder_{u"."};
  Narrow header_;
  RegistryJob job_;
};

// Ends the run for a change of dict.ini that failed.
[[noreturn]] void changeFailed(RegistryStatus status) {
  switch (status) {
    case RegistryStatus::RegistryMissing: raiseFatal(u"Can't open DICT.INI");
    case RegistryStatus::RegistryReadOnly: raiseFatal(u"DICT.INI is read-only");
    case RegistryStatus::RegistryReadFailed: raiseFatal(u"Read error DICT.INI");
    case RegistryStatus::TmpCreateFailed: raiseFatal(u"Can't open TMP.INI");
    case RegistryStatus::ReplaceFailed: raiseFatal(u"Can't replace DICT.INI");
    default: break;
  }
  raiseFatal(u"Write error TMP.INI");
}

void changed(RegistryStatus status) {
  if (status != RegistryStatus::Done) changeFailed(status);
}

}  // namespace

void ensureRegistry() {
  if (state.debugMode) state.debugLineY += 25;
  const StepJob job;
  const Narrow firstLine = narrowText(StringKey::Install_IniLine01);
  const Narrow addnewHeader = narrowText(StringKey::IniAddnew);
  const Narrow addnewLine = narrowText(StringKey::Install_IniLine03);
  const Narrow selectedHeader = narrowText(StringKey::IniSelected);
  RegistrySkeleton skeleton;
  skeleton.firstLine = firstLine.view();
  skeleton.addnewHeader = addnewHeader.view();
  skeleton.addnewLine = addnewLine.view();
  skeleton.selectedHeader = selectedHeader.view();
  skeleton.selectedList = state.inputListName;
  switch (ensureRegistry(job.get(), skeleton)) {
    case RegistryStatus::Done: return;
    case RegistryStatus::TmpWriteFailed: raiseFatal(u"Write error TMP.INI");
    default: raiseFatal(u"Can't create DICT.INI");  // not created, or not put in place
  }
}

void removeLanguageEntry(const char* languageName) {
  changed(removeLanguageEntry(StepJob().get(), languageName));
}

void addLanguageEntry(const char* field1, const char* field2, const char* field3,
                      const char* languageName) {
  changed(addLanguageEntry(StepJob().get(), field1, field2, field3, languageName));
}

int countLanguageEntries() {
  int count = countLanguageEntries(StepJob().get());
  if (count >= 0) state.languageEntryCount = count;
  return count;
}

int sortLanguageSection() {
  const int count = state.languageEntryCount;
  if (count < 0) return -1;  // nothing counted
  RegistryStatus status = sortLanguageSection(StepJob().get(), count);
  switch (status) {
    case RegistryStatus::Done: return 0;
    // Once tmp.ini is being made, a failure ends the run like any change.
    case RegistryStatus::TmpCreateFailed:
    case RegistryStatus::TmpWriteFailed:
    case RegistryStatus::ReplaceFailed: changeFailed(status);
    default: return -1;  // gave up; dict.ini is as it was
  }
}
