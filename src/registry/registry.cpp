// dict.ini, the application's registry of installed languages.
//
// dict.ini belongs to the user: it is never edited in place. Every change
// writes tmp.ini completely, flushes it to disk, closes it and then puts it
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
#include <iterator>

#include "platform/ascii.h"
#include "base/buffer.h"
#include "base/fields.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/replacing_file.h"
#include "registry/sort_slot.h"
#include "text/charset.h"
#include "text/collate.h"

namespace {

constexpr char kEofMarker[] =
    "# --- EOF --------------------------------------------------------\n";
constexpr std::string_view kEofMarkerStart = "# --- EOF";

constexpr int kAddLineSize = 210;
constexpr int kLineSize = 300;

using platform::File;
using platform::OpenMode;

const platform::Folder& folderOf(const RegistryJob& job) {
  return job.folder ? *job.folder : platform::Folder::userPaths();
}

File openRegistry(const RegistryJob& job) {
  return folderOf(job).open(job.registryPath, OpenMode::ReadText);
}

bool registryReadOnly(const RegistryJob& job) {
  return folderOf(job).look(job.registryPath).readOnly;
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

// tmp.ini while it is written, to take dict.ini's place. After the first
// failed write nothing more is written; the operation stops reading and
// abandons the file.
class TmpFile {
 public:
  explicit TmpFile(const RegistryJob& job)
      : file_(folderOf(job), job.registryPath, job.tmpPath,
              platform::ReplacingFile::Mode::Text) {}

  // Creates tmp.ini; false when it cannot be created. A plain tmp.ini left
  // by a run that was cut short is replaced; one that is a link, or lies
  // behind one, is left alone.
  bool create() { return file_.create(); }
  void put(std::string_view text) {
    if (text.empty() || writeFailed_) return;
    if (!file_.file().writeAll(text)) {
      writeFailed_ = true;
      return;
    }
    endsLine_ = text.back() == '\n';
  }
  bool writeFailed() const { return writeFailed_; }
  // True when everything written so far ends with a newline.
  bool endsLine() const { return endsLine_; }

  // Closes and removes tmp.ini, leaving dict.ini as it is.
  RegistryStatus abandonWith(RegistryStatus status) {
    file_.abandon();
    return status;
  }

  // Flushes and closes tmp.ini, closes `source` (the registry being read,
  // which must not stay open while it is replaced) and puts tmp.ini in
  // dict.ini's place in one step.
  RegistryStatus commit(File& source) {
    switch (file_.commit(&source)) {
      case platform::ReplacingFile::Outcome::Done: return RegistryStatus::Done;
      case platform::ReplacingFile::Outcome::WriteFailed: return RegistryStatus::TmpWriteFailed;
      case platform::ReplacingFile::Outcome::ReplaceFailed: break;
    }
    return RegistryStatus::ReplaceFailed;
  }

 private:
  platform::ReplacingFile file_;
  bool endsLine_ = true;
  bool writeFailed_ = false;
};

// A dict.ini that is a link, or lies behind one, is not replaced: it is
// refused before anything is written.
bool registryBehindLink(const RegistryJob& job) {
  return folderOf(job).look(job.registryPath).kind == platform::PathKind::Link;
}

// Opens dict.ini for reading and creates tmp.ini for a change.
RegistryStatus openForChange(const RegistryJob& job, File& source, TmpFile& tmp) {
  if (registryBehindLink(job)) return RegistryStatus::ReplaceFailed;
  source = openRegistry(job);
  if (!source) return RegistryStatus::RegistryMissing;
  // A registry marked read-only is left as its owner wants it.
  if (registryReadOnly(job)) return RegistryStatus::RegistryReadOnly;
  if (!tmp.create()) return RegistryStatus::TmpCreateFailed;
  return RegistryStatus::Done;
}

// Ends a change once dict.ini has been read to its end: tmp.ini takes its
// place unless a write or a read failed on the way.
RegistryStatus finishChange(const RegistryJob& job, File& source, TmpFile& tmp) {
  if (tmp.writeFailed()) return tmp.abandonWith(RegistryStatus::TmpWriteFailed);
  if (source.failed()) return tmp.abandonWith(RegistryStatus::RegistryReadFailed);
  return tmp.commit(source);
}

// The first 299 bytes of a line as a zero-terminated copy, split into at
// most four fields.
struct LineFields {
  explicit LineFields(std::string_view line) {
    std::size_t n = line.size() < kLineSize - 1 ? line.size() : kLineSize - 1;
    std::memcpy(copy, line.data(), n);
    copy[n] = 0;
  }
  int split() { return count = splitFields(copy, fields, 4); }

  char copy[kLineSize];
  char* fields[4] = {};
  int count = 0;
};

// The key under which removeLanguageEntry looks a line up (`piece`, the
// line's first piece as read): the language name, that is the fourth field
// without the line's newline, whether or not the line has one (the last line
// of a file may lack it); else the first field as read, which keeps the
// newline of a line without a comma. No key for a line of commas only, nor
// for a fourth field that the piece cuts off (`endsLine` false: the line
// goes on).
bool removalKey(LineFields& line, std::string_view piece, bool endsLine, std::string_view& key) {
  int count = line.split();
  if (count == 0) return false;
  if (count < 4) {
    key = line.fields[0];
    return true;
  }
  // Taken from the piece itself, so that a zero byte stays part of the name
  // (and no name equals it).
  std::string_view rest = piece.substr(static_cast<std::size_t>(line.fields[3] - line.copy));
  std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos && !endsLine) return false;
  key = withoutNewline(rest.substr(0, comma));
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
void fillSlot(SortSlot& slot, std::string_view line, uint32_t codePage) {
  LineFields fields(line);
  toWide(fields.copy, slot.line, codePage);
  int count = fields.split();
  if (count == 0) return;
  toWide(count >= 4 ? fields.fields[3] : fields.fields[0], slot.key, codePage);
}

void putSkeleton(TmpFile& tmp, const RegistrySkeleton& skeleton, std::string_view languageHeader) {
  auto putLine = [&tmp](std::string_view text) {
    tmp.put(text);
    tmp.put("\n");
  };
  putLine(skeleton.firstLine);
  tmp.put("\n");
  putLine(skeleton.addnewHeader);
  putLine(skeleton.addnewLine);
  tmp.put("\n");
  putLine(skeleton.selectedHeader);
  putLine(skeleton.selectedList);
  tmp.put("\n");
  putLine(languageHeader);
  tmp.put("\n");
  tmp.put("\n");
  tmp.put(kEofMarker);
}

// The entries of the language section while they are sorted. The entries
// are written back as the bytes they were read as, so that a name in another
// code page than the interface's comes through unchanged.
struct SectionEntries {
  int count = 0;
  Buffer<char[kLineSize]> lines;  // the entry lines, newline removed
  Buffer<SortSlot> slots;         // their keys
  Buffer<SortSlot*> order;        // the slots in collation order
  bool haveInsertPoint = false;   // a line passes the sort's header test
};

// Keeps the entry line just read as the next of at most `count` entries.
RegistryStatus keepEntry(const LineReader& reader, int count, uint32_t codePage,
                         SectionEntries& entries) {
  if (!reader.endsLine()) return RegistryStatus::EntryTooLong;
  if (entries.count == count) return RegistryStatus::CountChanged;
  std::string_view bare = withoutNewline(reader.line());
  // Entries are kept as zero-terminated texts: one with a zero byte inside
  // could not be written back whole.
  if (bare.find('\0') != std::string_view::npos) return RegistryStatus::EntryHasZeroByte;
  char* kept = entries.lines[entries.count];
  std::memcpy(kept, bare.data(), bare.size());
  kept[bare.size()] = 0;
  fillSlot(entries.slots[entries.count], bare, codePage);
  ++entries.count;
  return RegistryStatus::Done;
}

// The sort's first pass: collects the entries (the lines that
// countLanguageEntries counts) and sees whether there is a header line to
// put them after.
RegistryStatus readEntries(const RegistryJob& job, int count, SectionEntries& entries) {
  File source = openRegistry(job);
  if (!source) return RegistryStatus::RegistryMissing;
  entries.slots = allocateZeroedBuffer<SortSlot>(static_cast<std::size_t>(count));
  entries.lines = allocateBuffer<char[kLineSize]>(static_cast<std::size_t>(count));
  if (!entries.slots || !entries.lines) return RegistryStatus::OutOfMemory;

  char buffer[kLineSize];
  SectionScanner scanner(job.languageHeader);
  LineReader reader(source, buffer, kLineSize);
  while (reader.next()) {
    if (!reader.startsLine()) continue;
    std::string_view line = reader.line();
    if (!scanner.isEntry(withoutNewline(line))) {
      if (isSortHeader(line, job.languageHeader)) entries.haveInsertPoint = true;
      continue;
    }
    RegistryStatus kept = keepEntry(reader, count, job.codePage, entries);
    if (kept != RegistryStatus::Done) return kept;
  }
  if (source.failed()) return RegistryStatus::RegistryReadFailed;
  return entries.count == count ? RegistryStatus::Done : RegistryStatus::CountChanged;
}

RegistryStatus sortEntries(SectionEntries& entries) {
  const auto count = static_cast<std::size_t>(entries.count);
  entries.order = allocateBuffer<SortSlot*>(count);
  if (!entries.order) return RegistryStatus::OutOfMemory;
  for (std::size_t i = 0; i < count; ++i) entries.order[i] = &entries.slots[i];
  std::qsort(entries.order.get(), count, sizeof(SortSlot*), compareRegistryKeys);
  return RegistryStatus::Done;
}

// The sorted entries after the header line, followed by one blank line.
void putSortedEntries(TmpFile& tmp, const SectionEntries& entries) {
  if (!tmp.endsLine()) tmp.put("\n");
  for (int i = 0; i < entries.count; ++i) {
    tmp.put(entries.lines[entries.order[i] - entries.slots.get()]);
    tmp.put("\n");
  }
  tmp.put("\n");
}

// Copies dict.ini to tmp.ini with the entries dropped where they stood and
// written, sorted, right after the first line that passes the sort's header
// test. The blank lines and EOF marker lines that directly follow the old
// entries are dropped; everything after them is kept as it was. True when
// nothing but those followed the entries.
bool copyWithSortedEntries(LineReader& reader, TmpFile& tmp, const SectionEntries& entries,
                           std::string_view header) {
  enum class Stage { BeforeHeader, AfterEntries, Rest };
  Stage stage = entries.haveInsertPoint ? Stage::BeforeHeader : Stage::Rest;
  SectionScanner scanner(header);
  bool drop = false;
  while (!tmp.writeFailed() && reader.next()) {
    std::string_view line = reader.line();
    if (!reader.startsLine()) {
      if (!drop) tmp.put(line);
      continue;
    }
    bool entry = scanner.isEntry(withoutNewline(line));
    drop = entries.haveInsertPoint && entry;
    if (drop) continue;
    if (stage == Stage::AfterEntries) {
      drop = isBlank(line) || isEofMarker(line);
      if (drop) continue;
      stage = Stage::Rest;
    }
    tmp.put(line);
    if (stage == Stage::BeforeHeader && isSortHeader(line, header)) {
      putSortedEntries(tmp, entries);
      stage = Stage::AfterEntries;
    }
  }
  return stage == Stage::AfterEntries;
}

// The sort's second pass: dict.ini read again and replaced by the rewrite.
// When nothing follows the entries, the file ends with the EOF marker.
RegistryStatus rewriteSection(const RegistryJob& job, const SectionEntries& entries) {
  if (registryBehindLink(job)) return RegistryStatus::ReplaceFailed;
  File source = openRegistry(job);
  if (!source) return RegistryStatus::RegistryMissing;
  TmpFile tmp(job);
  if (!tmp.create()) return RegistryStatus::TmpCreateFailed;
  char buffer[kLineSize];
  LineReader reader(source, buffer, kLineSize);
  bool endsWithEntries = copyWithSortedEntries(reader, tmp, entries, job.languageHeader);
  if (tmp.writeFailed()) return tmp.abandonWith(RegistryStatus::TmpWriteFailed);
  if (source.failed()) return tmp.abandonWith(RegistryStatus::RegistryReadFailed);
  if (endsWithEntries) tmp.put(kEofMarker);
  return tmp.commit(source);
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

RegistryStatus ensureRegistry(const RegistryJob& job, const RegistrySkeleton& skeleton) {
  {
    File existing = openRegistry(job);
    if (existing) return RegistryStatus::Done;
  }
  // A registry that exists but cannot be read now is still the user's:
  // never write a skeleton over it.
  if (folderOf(job).look(job.registryPath).kind != platform::PathKind::Missing)
    return RegistryStatus::Done;

  // The skeleton goes through tmp.ini too, so that a half-written dict.ini
  // can never be taken for an existing one by a later run.
  TmpFile tmp(job);
  if (!tmp.create()) return RegistryStatus::TmpCreateFailed;
  putSkeleton(tmp, skeleton, job.languageHeader);
  File none;
  return tmp.commit(none);
}

RegistryStatus removeLanguageEntry(const RegistryJob& job, const char* languageName) {
  File source;
  TmpFile tmp(job);
  RegistryStatus opened = openForChange(job, source, tmp);
  if (opened != RegistryStatus::Done) return opened;
  char buffer[kLineSize];
  LineReader reader(source, buffer, kLineSize);
  bool drop = false;
  while (!tmp.writeFailed() && reader.next()) {
    if (reader.startsLine()) {
      LineFields fields(reader.line());
      std::string_view key;
      drop = removalKey(fields, reader.line(), reader.endsLine(), key) &&
             equalsIgnoringAsciiCase(key, languageName);
    }
    if (!drop) tmp.put(reader.line());
  }
  return finishChange(job, source, tmp);
}

RegistryStatus addLanguageEntry(const RegistryJob& job, const char* field1, const char* field2,
                                const char* field3, const char* languageName) {
  File source;
  TmpFile tmp(job);
  RegistryStatus opened = openForChange(job, source, tmp);
  if (opened != RegistryStatus::Done) return opened;
  auto putEntry = [&] {
    // The entry starts a line of its own even when the file's last line had
    // no newline.
    if (!tmp.endsLine()) tmp.put("\n");
    for (const char* text : {field1, ",", field2, ",", field3, ",", languageName}) tmp.put(text);
    tmp.put("\n\n");
  };

  char buffer[kAddLineSize];
  LineReader reader(source, buffer, kAddLineSize);
  bool inSection = false;
  while (!tmp.writeFailed() && reader.next()) {
    std::string_view line = reader.line();
    // The first blank line ends the section; the new entry's own blank line
    // takes its place.
    if (inSection && reader.startsLine() && isBlank(line)) {
      putEntry();
      inSection = false;
      continue;
    }
    tmp.put(line);
    if (!inSection && reader.startsLine() &&
        prefixEqualsIgnoringAsciiCase<char>(withoutNewline(line), job.languageHeader, 10)) {
      inSection = true;
    }
  }
  if (inSection && !source.failed()) putEntry();
  return finishChange(job, source, tmp);
}

int countLanguageEntries(const RegistryJob& job) {
  File source = openRegistry(job);
  if (!source) return -1;
  SectionScanner scanner(job.languageHeader);
  char buffer[kLineSize];
  LineReader reader(source, buffer, kLineSize);
  int count = 0;
  while (reader.next()) {
    if (!reader.startsLine()) continue;
    if (scanner.isEntry(withoutNewline(reader.line()))) ++count;
  }
  return source.failed() ? -1 : count;
}

// Rewrites dict.ini with the entries of the language section in collation
// order of their keys: the collected entries are dropped where they stood and
// written, sorted, after the first header line that the sort's header test
// finds. A file without such a header line is copied unchanged.
RegistryStatus sortLanguageSection(const RegistryJob& job, int count) {
  if (count < 0) return RegistryStatus::CountUnknown;
  // A registry marked read-only is left as its owner wants it.
  if (registryReadOnly(job)) return RegistryStatus::RegistryReadOnly;
  SectionEntries entries;
  RegistryStatus status = readEntries(job, count, entries);
  if (status == RegistryStatus::Done) status = sortEntries(entries);
  if (status == RegistryStatus::Done) status = rewriteSection(job, entries);
  return status;
}
