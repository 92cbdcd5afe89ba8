// dict.ini, the application's registry of installed languages.
//
// dict.ini belongs to the user: it is never edited in place. Every change
// writes "tmp.ini" completely, flushes it to disk, closes it and then puts it
// in the place of dict.ini in one step, so that at every moment either the
// old or the new registry is on disk. When anything goes wrong while tmp.ini
// is made, tmp.ini is removed and dict.ini stays as it was.
//
// Lines are read into fixed buffers. A line longer than the buffer arrives
// in pieces; only the first piece of a line is looked at, the others share
// its fate (copied or dropped with it), so a long line is never torn apart.
#include "registry/registry.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "base/ascii.h"
#include "base/fatal.h"
#include "base/state.h"
#include "platform/file.h"
#include "base/fields.h"
#include "registry/sort_slot.h"
#include "text/charset.h"
#include "text/strings.h"
#include "text/collate.h"

namespace {

constexpr char16_t kTmpName[] = u"tmp.ini";
constexpr char kEofMarker[] =
    "# --- EOF --------------------------------------------------------\n";
constexpr std::string_view kEofMarkerStart = "# --- EOF";

constexpr int kAddLineSize = 210;
constexpr int kLineSize = 300;

using platform::File;
using platform::OpenMode;

// A name too long for the path buffer stays empty rather than being cut
// into the name of another file: it then opens and replaces nothing.
std::u16string_view registryPath() {
  if (!state.registryPath.assign(text(StringKey::FilenameIni))) state.registryPath.clear();
  return state.registryPath.view();
}

// A strings-file text in the 8-bit form in which dict.ini holds it.
NarrowText<kScratchCapacity> narrowText(StringKey key) {
  NarrowText<kScratchCapacity> out;
  out.assign(toNarrowScratch(text(key), state.uiCodePage));
  return out;
}

std::string_view withoutNewline(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

bool isBlank(std::string_view line) { return withoutNewline(line).empty(); }

bool isEofMarker(std::string_view line) {
  return line.substr(0, kEofMarkerStart.size()) == kEofMarkerStart;
}

// Reads a text file in pieces of at most `size` - 1 bytes and tells whether
// the piece just read starts a line.
class LineReader {
 public:
  LineReader(File& file, char* buffer, int size) : file_(file), buffer_(buffer), size_(size) {}
  bool next() {
    if (!file_.readLine(buffer_, size_)) return false;
    startsLine_ = nextStartsLine_;
    // The piece's length as read: a zero byte inside a line is copied like
    // any other byte, and the line's newline is never lost behind it.
    length_ = file_.lineLength();
    nextStartsLine_ = length_ > 0 && buffer_[length_ - 1] == '\n';
    return true;
  }
  bool startsLine() const { return startsLine_; }
  // True when the current piece ends its line (with a newline, or at the
  // end of the file).
  bool endsLine() const { return nextStartsLine_ || file_.atEnd(); }
  std::string_view line() const { return {buffer_, length_}; }

 private:
  File& file_;
  char* buffer_;
  int size_;
  std::size_t length_ = 0;
  bool startsLine_ = true;
  bool nextStartsLine_ = true;
};

// tmp.ini while it is written. Any failure removes it and ends the run.
class TmpFile {
 public:
  // Creates tmp.ini; false when it cannot be created.
  bool create() {
    file_ = File::open(kTmpName, OpenMode::WriteText);
    return file_.isOpen();
  }
  void put(std::string_view text) {
    if (text.empty()) return;
    if (!file_.writeAll(text)) abandonFatal(u"Write error TMP.INI");
    endsLine_ = text.back() == '\n';
  }
  // True when everything written so far ends with a newline.
  bool endsLine() const { return endsLine_; }

  // Closes and removes tmp.ini, leaving dict.ini as it is.
  void abandon() {
    file_.close();
    platform::removeFile(kTmpName);
  }
  [[noreturn]] void abandonFatal(std::u16string_view message) {
    abandon();
    raiseFatal(message);
  }

  // Flushes and closes tmp.ini, closes `source` (the registry being read,
  // which must not stay open while it is replaced) and puts tmp.ini in the
  // place of dict.ini in one step.
  void commit(File& source, std::u16string_view replaceFailure) {
    bool ok = file_.flush();
    ok = file_.close() && ok;
    if (!ok) abandonFatal(u"Write error TMP.INI");
    source.close();
    if (!platform::replaceFile(kTmpName, registryPath())) abandonFatal(replaceFailure);
  }

 private:
  File file_;
  bool endsLine_ = true;
};

// Opens dict.ini for reading and creates tmp.ini, ending the run when
// either fails.
File openForChange(TmpFile& tmp) {
  File source = File::open(registryPath(), OpenMode::ReadText);
  if (!source) raiseFatal(u"Can't open DICT.INI");
  // A registry marked read-only is left as its owner wants it.
  if (platform::isReadOnly(registryPath())) raiseFatal(u"DICT.INI is read-only");
  if (!tmp.create()) raiseFatal(u"Can't open TMP.INI");
  return source;
}

void finishChange(File& source, TmpFile& tmp) {
  if (source.failed()) tmp.abandonFatal(u"Read error DICT.INI");
  tmp.commit(source, u"Can't replace DICT.INI");
}

// The key under which removeLanguageEntry looks a line up: the fourth field
// less its last character (the newline of an entry line) when the line has
// four fields, else the first field as read. False for a line of commas
// only, which has no key.
bool removalKey(std::string_view line, char (&copy)[kLineSize], std::string_view& key) {
  std::size_t n = line.size() < kLineSize - 1 ? line.size() : kLineSize - 1;
  std::memcpy(copy, line.data(), n);
  copy[n] = 0;
  char* fields[4];
  int count = splitFields(copy, fields, 4);
  if (count == 0) return false;
  if (count < 4) {
    key = fields[0];
    return true;
  }
  key = fields[3];
  key.remove_suffix(1);  // a field is never empty
  return true;
}

// The flag rule shared by the count and the sort: a line is an entry when
// it follows a header line (whole line equal to the header text) with no
// empty or comment line in between. Takes lines with the newline removed.
class SectionScanner {
 public:
  explicit SectionScanner(std::string_view header) : header_(header) {}
  bool isEntry(std::string_view line) {
    if (line.empty() || line[0] == '#') {
      inSection_ = false;
      return false;
    }
    bool entry = inSection_;
    if (equalsIgnoringAsciiCase(line, header_)) inSection_ = true;
    return entry;
  }

 private:
  std::string_view header_;
  bool inSection_ = false;
};

// The sort's own header test: the first 10 characters with the newline
// still in place, so that a header text shorter than 10 characters never
// matches a whole line.
bool isSortHeader(std::string_view line, std::string_view header) {
  return prefixEqualsIgnoringAsciiCase<char>(line, header, 10);
}

// The sort key of an entry line (newline removed): its fourth field, else
// its first; empty for a line of commas only.
void fillSlot(SortSlot& slot, std::string_view line) {
  char copy[kLineSize];
  std::size_t n = line.size() < kLineSize - 1 ? line.size() : kLineSize - 1;
  std::memcpy(copy, line.data(), n);
  copy[n] = 0;
  toWide(copy, slot.line, state.uiCodePage);
  char* fields[4];
  int count = splitFields(copy, fields, 4);
  if (count == 0) return;
  toWide(count >= 4 ? fields[3] : fields[0], slot.key, state.uiCodePage);
}

}  // namespace

int compareRegistryKeys(const void* a, const void* b) {
  const SortSlot* x = *static_cast<const SortSlot* const*>(a);
  const SortSlot* y = *static_cast<const SortSlot* const*>(b);
  auto key = [](const SortSlot* slot) {
    std::size_t n = 0;
    while (n < std::size(slot->key) && slot->key[n] != 0) ++n;
    return std::u16string_view(slot->key, n);
  };
  return compareTextsByLocale(key(x), key(y));
}

void ensureRegistry() {
  if (state.debugMode) state.debugLineY += 25;
  std::u16string_view path = registryPath();
  {
    File existing = File::open(path, OpenMode::ReadText);
    if (existing) return;
  }
  // A registry that exists but cannot be read now is still the user's:
  // never write a skeleton over it.
  if (platform::pathExists(path)) return;

  // The skeleton goes through tmp.ini too, so that a half-written dict.ini
  // can never be taken for an existing one by a later run.
  TmpFile tmp;
  if (!tmp.create()) raiseFatal(u"Can't create DICT.INI");
  auto putText = [&tmp](StringKey key) {
    tmp.put(narrowText(key).view());
    tmp.put("\n");
  };
  putText(StringKey::Install_IniLine01);
  tmp.put("\n");
  putText(StringKey::IniAddnew);
  putText(StringKey::Install_IniLine03);
  tmp.put("\n");
  putText(StringKey::IniSelected);
  tmp.put(state.inputListName);
  tmp.put("\n");
  tmp.put("\n");
  putText(StringKey::IniLanguage);
  tmp.put("\n");
  tmp.put("\n");
  tmp.put(kEofMarker);
  File none;
  tmp.commit(none, u"Can't create DICT.INI");
}

void removeLanguageEntry(const char* languageName) {
  TmpFile tmp;
  File source = openForChange(tmp);
  char buffer[kLineSize];
  char copy[kLineSize];
  LineReader reader(source, buffer, kLineSize);
  bool drop = false;
  while (reader.next()) {
    if (reader.startsLine()) {
      std::string_view key;
      drop = removalKey(reader.line(), copy, key) && equalsIgnoringAsciiCase(key, languageName);
    }
    if (!drop) tmp.put(reader.line());
  }
  finishChange(source, tmp);
}

void addLanguageEntry(const char* field1, const char* field2, const char* field3,
                      const char* languageName) {
  TmpFile tmp;
  File source = openForChange(tmp);
  NarrowText<kScratchCapacity> header = narrowText(StringKey::IniLanguage);
  auto putEntry = [&] {
    // The entry starts a line of its own even when the file's last line had
    // no newline.
    if (!tmp.endsLine()) tmp.put("\n");
    tmp.put(field1);
    tmp.put(",");
    tmp.put(field2);
    tmp.put(",");
    tmp.put(field3);
    tmp.put(",");
    tmp.put(languageName);
    tmp.put("\n\n");
  };

  char buffer[kAddLineSize];
  LineReader reader(source, buffer, kAddLineSize);
  bool inSection = false;
  while (reader.next()) {
    std::string_view line = reader.line();
    if (inSection) {
      // The first blank line ends the section; the new entry's own blank
      // line takes its place.
      if (reader.startsLine() && isBlank(line)) {
        putEntry();
        inSection = false;
      } else {
        tmp.put(line);
      }
      continue;
    }
    tmp.put(line);
    if (reader.startsLine() && prefixEqualsIgnoringAsciiCase<char>(withoutNewline(line), header.view(), 10)) {
      inSection = true;
    }
  }
  if (inSection && !source.failed()) putEntry();
  finishChange(source, tmp);
}

int countLanguageEntries() {
  File source = File::open(registryPath(), OpenMode::ReadText);
  if (!source) return -1;
  NarrowText<kScratchCapacity> header = narrowText(StringKey::IniLanguage);
  SectionScanner scanner(header.view());
  char buffer[kLineSize];
  LineReader reader(source, buffer, kLineSize);
  int count = 0;
  while (reader.next()) {
    if (!reader.startsLine()) continue;
    if (scanner.isEntry(withoutNewline(reader.line()))) ++count;
  }
  if (source.failed()) return -1;
  state.languageEntryCount = count;
  return count;
}

// Rewrites dict.ini with the entries of the language section in collation
// order of their keys.
//
// The entries (the lines that countLanguageEntries counts) are collected and
// sorted. The rewrite copies the file line by line; the collected entries
// are dropped where they stood and written, sorted, right after the first
// header line that the sort's header test finds, followed by one blank line.
// The blank lines and EOF marker lines that directly follow the old entries
// are dropped; everything after them (comments, other sections, their own
// EOF marker) is kept as it was. When nothing follows, the file ends with the
// EOF marker. A file without such a header line is copied unchanged.
//
// The sort gives up (-1, dict.ini untouched) when the file cannot be read or
// is marked read-only, memory runs out, an entry line does not fit the
// 300-byte line buffer or holds a zero byte, or the file no longer holds
// languageEntryCount entries.
int sortLanguageSection() {
  const int count = state.languageEntryCount;
  if (count < 0) return -1;
  std::u16string_view path = registryPath();
  if (platform::isReadOnly(path)) return -1;  // left as its owner wants it
  File source = File::open(path, OpenMode::ReadText);
  if (!source) return -1;
  NarrowText<kScratchCapacity> header = narrowText(StringKey::IniLanguage);

  const std::size_t slotCount = count > 0 ? static_cast<std::size_t>(count) : 1;
  std::unique_ptr<SortSlot[]> slots(new (std::nothrow) SortSlot[slotCount]());
  // The entries are written back as the bytes they were read as, so that a
  // name in another code page than the interface's comes through unchanged.
  std::unique_ptr<char[][kLineSize]> lines(new (std::nothrow) char[slotCount][kLineSize]());
  if (!slots || !lines) return -1;

  // First pass: collect the entries and see whether there is a header line
  // to put them after.
  char buffer[kLineSize];
  bool haveInsertPoint = false;
  {
    SectionScanner scanner(header.view());
    LineReader reader(source, buffer, kLineSize);
    int filled = 0;
    while (reader.next()) {
      if (!reader.startsLine()) continue;
      std::string_view line = reader.line();
      bool entry = scanner.isEntry(withoutNewline(line));
      if (!entry) {
        if (isSortHeader(line, header.view())) haveInsertPoint = true;
        continue;
      }
      if (!reader.endsLine() || filled == count) return -1;
      std::string_view bare = withoutNewline(line);
      // Entries are kept as zero-terminated texts: one with a zero byte
      // inside could not be written back whole.
      if (bare.find('\0') != std::string_view::npos) return -1;
      std::memcpy(lines[filled], bare.data(), bare.size());
      lines[filled][bare.size()] = 0;
      fillSlot(slots[filled], bare);
      ++filled;
    }
    if (source.failed() || filled != count) return -1;
  }
  source.close();

  std::unique_ptr<SortSlot*[]> refs(new (std::nothrow) SortSlot*[slotCount]);
  if (!refs) return -1;
  for (int i = 0; i < count; ++i) refs[i] = &slots[i];
  std::qsort(refs.get(), static_cast<std::size_t>(count), sizeof(SortSlot*), compareRegistryKeys);

  source = File::open(path, OpenMode::ReadText);
  if (!source) return -1;
  TmpFile tmp;
  if (!tmp.create()) raiseFatal(u"Can't open TMP.INI");

  // Second pass: the rewrite.
  enum class Stage { BeforeHeader, AfterEntries, Rest };
  Stage stage = haveInsertPoint ? Stage::BeforeHeader : Stage::Rest;
  SectionScanner scanner(header.view());
  LineReader reader(source, buffer, kLineSize);
  bool drop = false;
  while (reader.next()) {
    std::string_view line = reader.line();
    if (!reader.startsLine()) {
      if (!drop) tmp.put(line);
      continue;
    }
    bool entry = scanner.isEntry(withoutNewline(line));
    drop = haveInsertPoint && entry;
    if (drop) continue;
    if (stage == Stage::AfterEntries) {
      drop = isBlank(line) || isEofMarker(line);
      if (drop) continue;
      stage = Stage::Rest;
    }
    tmp.put(line);
    if (stage == Stage::BeforeHeader && isSortHeader(line, header.view())) {
      if (!tmp.endsLine()) tmp.put("\n");
      for (int i = 0; i < count; ++i) {
        tmp.put(lines[refs[i] - slots.get()]);
        tmp.put("\n");
      }
      tmp.put("\n");
      stage = Stage::AfterEntries;
    }
  }
  if (source.failed()) {
    tmp.abandon();
    return -1;
  }
  if (stage == Stage::AfterEntries) tmp.put(kEofMarker);
  tmp.commit(source, u"Can't replace DICT.INI");
  return 0;
}
