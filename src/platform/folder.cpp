// The portable part of Folder: the Folder itself, the names it refuses, the
// tests' fake links, and a Folder that holds nothing. The work on a held
// folder's handle is each system's (folder.h, platform::detail).
#include "platform/folder.h"

#include <utility>

#include "platform/faults.h"

namespace platform {

namespace detail {
bool nameParts(std::u16string_view name, NameParts& parts) {
  parts.clear();
  std::size_t start = 0;
  for (;;) {
    std::size_t end = name.find_first_of(u"\\/", start);
    std::u16string_view part =
        name.substr(start, end == std::u16string_view::npos ? end : end - start);
    if (part.empty() || part == u"." || part == u".." ||
        part.find_first_of(std::u16string_view(u":\0", 2)) != std::u16string_view::npos) {
      parts.clear();
      return false;
    }
    parts.push_back(part);
    if (end == std::u16string_view::npos) return true;
    start = end + 1;
  }
}
}  // namespace detail

namespace {
// True when faults::reportsLink takes the name, or a folder on the way to
// it, for a link.
bool reportedLink(const std::u16string& folder, const detail::NameParts& parts) {
  std::u16string path = folder;
  for (std::u16string_view part : parts) {
    path += u'\\';
    path += part;
    if (faults::reportsLink(path)) return true;
  }
  return false;
}

// A name of a held folder: its parts, and why it cannot be used.
struct Name {
  Name(const std::u16string& folder, std::u16string_view name) {
    valid = detail::nameParts(name, parts);
    link = valid && reportedLink(folder, parts);
  }
  detail::NameParts parts;
  bool valid = false;
  bool link = false;
  bool usable() const { return valid && !link; }
  NameChange refusal() const { return link ? NameChange::Link : NameChange::Failed; }
};

NameChange doneOr(bool done) { return done ? NameChange::Done : NameChange::Failed; }
}  // namespace

Folder::~Folder() { release(); }

Folder::Folder(Folder&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, -1)) {
  other.path_.clear();
}

Folder& Folder::operator=(Folder&& other) noexcept {
  if (this != &other) {
    release();
    path_ = std::move(other.path_);
    other.path_.clear();
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

void Folder::release() {
  if (handle_ != -1) detail::releaseFolder(handle_);
  handle_ = -1;
  path_.clear();
}

Folder Folder::hold(std::u16string_view path) {
  Folder folder;
  folder.handle_ = detail::holdFolder(path);
  if (folder.held()) folder.path_ = path;
  return folder;
}

bool Folder::held() const { return handle_ != -1; }

const Folder& Folder::userPaths() {
  static const Folder none;
  return none;
}

File Folder::open(std::u16string_view name, OpenMode mode) const {
  if (!held()) return File::open(name, mode);
  Name n(path_, name);
  return n.usable() ? detail::heldOpen(handle_, n.parts, mode) : File();
}

NameInfo Folder::look(std::u16string_view name) const {
  if (!held()) {
    PathKind kind = pathKind(name);
    return {kind, isReadOnly(name), kind == PathKind::File ? 1u : 0u};
  }
  Name n(path_, name);
  if (n.link) return {PathKind::Link, false, 0};
  return n.valid ? detail::heldLook(handle_, n.parts) : NameInfo{};
}

bool Folder::makeDirectory(std::u16string_view name) const {
  if (!held()) return createDirectory(name);
  Name n(path_, name);
  return n.usable() && detail::heldMakeDirectory(handle_, n.parts);
}

NameChange Folder::remove(std::u16string_view name) const {
  if (!held()) return doneOr(removeFile(name));
  Name n(path_, name);
  return n.usable() ? detail::heldRemove(handle_, n.parts) : n.refusal();
}

NameChange Folder::replace(std::u16string_view from, std::u16string_view to) const {
  if (!held()) return doneOr(replaceFile(from, to));
  Name a(path_, from), b(path_, to);
  if (!a.valid || !b.valid) return NameChange::Failed;
  if (a.link || b.link) return NameChange::Link;
  return detail::heldReplace(handle_, a.parts, b.parts);
}

NameChange Folder::copyIn(std::u16string_view source, std::u16string_view name) const {
  if (!held()) return doneOr(copyFile(source, name));
  Name n(path_, name);
  return n.usable() ? detail::heldCopyIn(handle_, source, n.parts) : n.refusal();
}

bool isLinkTag(uint32_t tag) { return tag == 0 || (tag & 0x20000000u) != 0; }

}  // namespace platform
