// The shell on a POSIX host: the special folders are fixed Windows paths
// (which the file layer places under its root folder), and a shortcut is a
// small text file naming its target, so that the shortcut step can run.
#include <cstdio>
#include <string>

#include "platform/posix/host_path.h"
#include "platform/shell.h"

namespace platform {
namespace {
bool copyOut(std::u16string_view path, char16_t* buffer, std::size_t capacity) {
  if (capacity == 0) return false;
  if (path.size() >= capacity) {
    buffer[0] = 0;
    return false;
  }
  for (std::size_t i = 0; i < path.size(); ++i) buffer[i] = path[i];
  buffer[path.size()] = 0;
  return true;
}

constexpr int32_t kFailed = static_cast<int32_t>(0x80004005u);  // E_FAIL
}  // namespace

bool programFilesFolder(char16_t* buffer, std::size_t capacity) {
  return copyOut(u"C:\\Program Files", buffer, capacity);
}

bool commonProgramsFolder(char16_t* buffer, std::size_t capacity) {
  static constexpr std::u16string_view kPrograms =
      u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
  std::optional<std::string> host = posix::hostPath(kPrograms);
  if (!host || !posix::makeHostFolders(*host)) {
    if (capacity > 0) buffer[0] = 0;
    return false;
  }
  return copyOut(kPrograms, buffer, capacity);
}

int32_t createShortcut(std::u16string_view target, std::u16string_view linkPath,
                       std::u16string_view workingDir, std::u16string_view arguments) {
  std::optional<std::string> host = posix::hostPath(linkPath);
  if (!host) return kFailed;
  std::FILE* f = std::fopen(host->c_str(), "wb");
  if (!f) return kFailed;
  std::string text = "target=" + posix::utf8(target).value_or("?") + "\n" +
                     "arguments=" + posix::utf8(arguments).value_or("?") + "\n" +
                     "workingDir=" + posix::utf8(workingDir).value_or("?") + "\n";
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) return kFailed;
  return 0;
}

}  // namespace platform
