// Code page conversion on a POSIX host through iconv, close to the Windows
// calls for what the installer relies on: '?' for characters a code page
// lacks, 0 for empty input or a result that does not fit, and bytes a
// single-byte code page leaves undefined read as the character of the same
// number (as Windows does for 0x81 in 1252).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "platform/codepage.h"

namespace platform {
namespace {

const char* iconvName(uint32_t codePage) {
  switch (codePage) {
    case 0: return "CP1252";  // CP_ACP
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "GBK";
    case 949: return "CP949";
    case 950: return "BIG5";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}

bool isDoubleByte(uint32_t codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// One converter per code page and direction, opened on first use and kept
// (the installer runs on one thread).
struct Converters {
  uint32_t codePage;
  iconv_t toWide = reinterpret_cast<iconv_t>(-1);
  iconv_t fromWide = reinterpret_cast<iconv_t>(-1);
  // Single-byte code pages also get tables, made from iconv's own answers
  // byte by byte, so that the millions of short conversions of a word list
  // need no iconv call: the unit of every byte, and for every unit the byte
  // that converts back to it (-1: ask iconv).
  bool tableTried = false;
  bool hasTable = false;
  char16_t unitOf[256] = {};
  std::unique_ptr<int16_t[]> byteOf;
};

// Code pages whose conversion is one byte to one unit, without state (1255
// and 1258 combine characters in iconv, so they always go through it).
bool isSingleByteTable(uint32_t codePage) {
  switch (codePage) {
    case 0: case 437: case 850: case 874: case 1250: case 1251: case 1252: case 1253:
    case 1254: case 1256: case 1257: case 20127: case 28591: return true;
    default: return false;
  }
}

Converters* converters(uint32_t codePage) {
  static Converters table[32];
  static int used = 0;
  for (int i = 0; i < used; ++i) {
    if (table[i].codePage == codePage) return &table[i];
  }
  const char* name = iconvName(codePage);
  if (!name || used == 32) return nullptr;
  Converters& c = table[used];
  c.codePage = codePage;
  c.toWide = iconv_open("UTF-16LE", name);
  c.fromWide = iconv_open(name, "UTF-16LE");
  if (c.toWide == reinterpret_cast<iconv_t>(-1) || c.fromWide == reinterpret_cast<iconv_t>(-1)) {
    return nullptr;
  }
  ++used;
  return &c;
}

// Runs `cd` over the input, calling `substitute` at each piece it cannot
// convert; the output goes to a growing buffer so that capacity is checked
// once at the end, as the system does.
template <typename Substitute>
bool convert(iconv_t cd, const char* in, std::size_t inBytes, std::string& out,
             Substitute substitute) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in);
  std::size_t left = inBytes;
  while (left > 0) {
    char chunk[1024];
    char* dst = chunk;
    std::size_t room = sizeof chunk;
    std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(chunk, static_cast<std::size_t>(dst - chunk));
    if (r != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (errno != EILSEQ && errno != EINVAL) return false;
    // glibc may report an incomplete sequence after taking the last bytes
    // (a double-byte lead at the end): nothing is left to substitute.
    if (left == 0) break;
    std::size_t skipped = std::min(substitute(src, left, out), left);
    src += skipped;
    left -= skipped;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char flush[64];
  char* dst = flush;
  std::size_t room = sizeof flush;
  iconv(cd, nullptr, nullptr, &dst, &room);
  out.append(flush, static_cast<std::size_t>(dst - flush));
  return true;
}

void appendUnit(std::string& out, char16_t c) {
  out += static_cast<char>(c & 0xFF);
  out += static_cast<char>(c >> 8);
}

}  // namespace

namespace {
Converters* withTable(uint32_t codePage);
}

int multiByteToWide(uint32_t codePage, const char* in, int count, char16_t* out, int capacity) {
  if (count <= 0 || capacity < 0) return 0;
  if (Converters* t = withTable(codePage)) {
    if (capacity == 0) return count;
    if (count > capacity) return 0;
    for (int i = 0; i < count; ++i) out[i] = t->unitOf[static_cast<unsigned char>(in[i])];
    return count;
  }
  Converters* c = converters(codePage);
  if (!c) return 0;
  bool doubleByte = isDoubleByte(codePage);
  std::string units;
  bool ok = convert(c->toWide, in, static_cast<std::size_t>(count), units,
                    [&](const char* at, std::size_t left, std::string& o) -> std::size_t {
                      unsigned char b = static_cast<unsigned char>(*at);
                      if (!doubleByte) {
                        appendUnit(o, b);  // an undefined byte keeps its number
                        return 1;
                      }
                      appendUnit(o, u'?');
                      // A lead byte with a trail byte that makes no character
                      // takes both unless the trail is plain ASCII.
                      if (isLeadByte(codePage, b) && left >= 2 &&
                          static_cast<unsigned char>(at[1]) >= 0x40) {
                        return 2;
                      }
                      return 1;
                    });
  if (!ok) return 0;
  int n = static_cast<int>(units.size() / 2);
  if (capacity == 0) return n;  // the size asked for
  if (n > capacity) return 0;
  std::memcpy(out, units.data(), units.size());
  return n;
}

namespace {
int fromWide(uint32_t codePage, const char16_t* in, int count, char* out, int capacity,
             bool* substituted) {
  if (count <= 0 || capacity < 0) return 0;
  if (Converters* t = withTable(codePage)) {
    int i = 0;
    while (i < count && t->byteOf[in[i]] >= 0) ++i;
    if (i == count) {  // every unit has its byte; otherwise iconv decides
      if (capacity == 0) return count;
      if (count > capacity) return 0;
      for (int k = 0; k < count; ++k) out[k] = static_cast<char>(t->byteOf[in[k]]);
      return count;
    }
  }
  Converters* c = converters(codePage);
  if (!c) return 0;
  std::string bytes;
  bool ok = convert(c->fromWide, reinterpret_cast<const char*>(in),
                    static_cast<std::size_t>(count) * 2, bytes,
                    [&](const char* at, std::size_t left, std::string& o) -> std::size_t {
                      *substituted = true;
                      o += '?';
                      if (left < 2) return left;
                      char16_t unit = static_cast<char16_t>(
                          static_cast<unsigned char>(at[0]) | static_cast<unsigned char>(at[1]) << 8);
                      if (unit >= 0xD800 && unit < 0xDC00 && left >= 4) {
                        char16_t low = static_cast<char16_t>(static_cast<unsigned char>(at[2]) |
                                                             static_cast<unsigned char>(at[3]) << 8);
                        if (low >= 0xDC00 && low < 0xE000) return 4;  // one character
                      }
                      return 2;
                    });
  if (!ok) return 0;
  int n = static_cast<int>(bytes.size());
  if (capacity == 0) return n;
  if (n > capacity) return 0;
  std::memcpy(out, bytes.data(), bytes.size());
  return n;
}
}  // namespace

namespace {
// The converters of a single-byte code page with their tables made; null
// for other code pages (and while the tables are being made).
Converters* withTable(uint32_t codePage) {
  if (!isSingleByteTable(codePage)) return nullptr;
  Converters* c = converters(codePage);
  if (!c) return nullptr;
  if (c->hasTable) return c;
  if (c->tableTried) return nullptr;
  c->tableTried = true;
  auto byteOf = std::make_unique<int16_t[]>(0x10000);
  for (int u = 0; u < 0x10000; ++u) byteOf[u] = -1;
  for (int b = 0; b < 256; ++b) {
    char byte = static_cast<char>(b);
    char16_t unit[2];
    if (b == 0) {
      unit[0] = 0;
    } else if (multiByteToWide(codePage, &byte, 1, unit, 2) != 1) {
      return nullptr;
    }
    c->unitOf[b] = unit[0];
    // The byte a unit goes back to, when iconv takes it without substitute.
    char back[4];
    bool substituted = false;
    if (b == 0 || (fromWide(codePage, unit, 1, back, 4, &substituted) == 1 && !substituted &&
                   static_cast<unsigned char>(back[0]) == b)) {
      byteOf[unit[0]] = static_cast<int16_t>(b);
    }
  }
  c->byteOf = std::move(byteOf);
  c->hasTable = true;
  return c;
}
}  // namespace

int wideToMultiByte(uint32_t codePage, const char16_t* in, int count, char* out, int capacity) {
  bool substituted = false;
  return fromWide(codePage, in, count, out, capacity, &substituted);
}

int wideToMultiByteExact(uint32_t codePage, const char16_t* in, int count, char* out,
                         int capacity) {
  bool substituted = false;
  int n = fromWide(codePage, in, count, out, capacity, &substituted);
  if (n > 0 && substituted) return -1;
  return n;
}

uint32_t ansiCodePage() { return 1252; }

bool isLeadByte(uint32_t codePage, unsigned char byte) {
  switch (codePage) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
  }
}

}  // namespace platform
