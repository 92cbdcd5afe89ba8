// The portable part of the link checks: the walk over the folders of a
// relative path, and the tests' fake link.
#include "platform/ascii.h"
#include "platform/links.h"

#include <string>

#include "platform/faults.h"

namespace platform {

namespace faults {
namespace {
std::u16string& fakeLink() {
  static std::u16string name;
  return name;
}

}  // namespace

void reportLinkAt(std::u16string_view name) { fakeLink().assign(name); }

bool reportsLink(std::u16string_view path) {
  const std::u16string& name = fakeLink();
  if (name.empty() || path.size() < name.size()) return false;
  std::u16string_view tail = path.substr(path.size() - name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (foldAscii(tail[i]) != foldAscii(name[i])) return false;
  }
  if (path.size() == name.size()) return true;
  char16_t before = path[path.size() - name.size() - 1];
  return before == u'\\' || before == u'/';
}
}  // namespace faults

bool isLink(std::u16string_view path) {
  return faults::reportsLink(path) || detail::isReparsePoint(path);
}

bool linkOnTheWay(std::u16string_view base, std::u16string_view relative) {
  std::u16string folder(base);
  if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
  std::size_t start = 0;
  for (;;) {
    std::size_t end = relative.find_first_of(u"\\/", start);
    if (end == std::u16string_view::npos) return false;  // the last name is not a folder
    std::u16string_view part = relative.substr(start, end - start);
    start = end + 1;
    folder += part;
    folder += u'\\';
    if (part.empty() || part == u"." || part == u"..") continue;
    std::u16string_view name(folder.data(), folder.size() - 1);
    if (isLink(name)) return true;
    if (detail::isMissing(name)) return false;
  }
}

}  // namespace platform
