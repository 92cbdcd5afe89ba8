#include "text/setup_names.h"

#include <cstdio>

#include "platform/ascii.h"
#include "platform/utf8.h"

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Windows opens these devices whatever folder or extension is written with
// them ("lists\nul.txt" is NUL). The superscript digits count too.
bool isDeviceName(std::u16string_view part) {
  std::u16string_view base = part.substr(0, part.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  for (std::u16string_view device : {u"con", u"prn", u"aux", u"nul", u"conin$", u"conout$"}) {
    if (equalsIgnoringAsciiCase(base, device)) return true;
  }
  if (base.size() == 4 && (equalsIgnoringAsciiCase(base.substr(0, 3), u"com") ||
                           equalsIgnoringAsciiCase(base.substr(0, 3), u"lpt"))) {
    char16_t d = base[3];
    return (d >= u'0' && d <= u'9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
  }
  return false;
}

std::string shownCharacter(char16_t c) {
  if (c >= 0x20) return "\"" + platform::utf16ToUtf8(std::u16string(1, c)) + "\"";
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(c));
  return std::string("the control character ") + hex;
}

// `wildcards`: * and ? are allowed (the last part of a Pattern).
std::string partProblem(std::u16string_view part, bool wildcards) {
  if (part.empty()) return "has an empty part (two separators, or one at the end)";
  if (part == u"..") return "climbs out of its folder with \"..\"";
  if (part == u".") return "has a \".\" part";
  for (char16_t c : part) {
    if (wildcards && (c == u'*' || c == u'?')) continue;
    if (c < 0x20 || std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos)
      return "holds " + shownCharacter(c) + ", which Windows refuses in a file name";
  }
  if (part.back() == u'.' || part.back() == u' ')
    return "has a part ending in a dot or a space, which Windows drops";
  if (isDeviceName(part))
    return "names the device " + platform::utf16ToUtf8(part.substr(0, part.find(u'.'))) +
           ": Windows opens the device, not a file";
  if (part.size() > kNameLimit)
    return "has a part longer than " + std::to_string(kNameLimit) + " characters";
  return {};
}

}  // namespace

std::string nameProblem(std::u16string_view name, NameUse use, std::u16string_view pathLanguage) {
  if (name.empty()) return "is empty";
  if (isSeparator(name[0])) {
    return name.size() > 1 && isSeparator(name[1]) ? "is a UNC path, not a name in the folder"
                                                   : "is not relative (it starts with a separator)";
  }
  if (name.size() > 1 && name[1] == u':') return "names a drive, not a name in the folder";
  std::size_t start = 0;
  for (;;) {
    std::size_t end = start;
    while (end < name.size() && !isSeparator(name[end])) ++end;
    bool last = end == name.size();
    std::string problem =
        partProblem(name.substr(start, end - start), last && use == NameUse::Pattern);
    if (!problem.empty()) return problem;
    if (last) break;
    start = end + 1;
  }
  if (name.size() > kNameLimit)
    return "is longer than " + std::to_string(kNameLimit) + " characters";
  if (use != NameUse::List) return {};
  constexpr std::u16string_view kWriting = u".$$$";
  if (name.size() >= kWriting.size() &&
      equalsIgnoringAsciiCase(name.substr(name.size() - kWriting.size()), kWriting))
    return "ends in .$$$, the installer's name for a list while it writes it";
  if (pathLanguage.size() + name.size() > kListPathLimit) {
    return "makes with PathLanguage a path of " +
           std::to_string(pathLanguage.size() + name.size()) +
           " characters; the installer's holds " + std::to_string(kListPathLimit);
  }
  return {};
}

std::string refusedName(std::u16string_view name, const std::string& problem) {
  return "\"" + platform::utf16ToUtf8(name) + "\" " + problem;
}
