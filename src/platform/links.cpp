// The tests' fake link.
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

}  // namespace platform
