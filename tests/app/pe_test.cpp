// The built programs as Windows' loader sees them: processor, the flags that
// ask for a large address space, terminal-server awareness, ASLR and DEP, no
// symbols or debug sections, and only imports that Windows 7 SP1 has.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace {

using testing_support::hostPath;
using testing_support::u8;

struct Program {
  const char* name;
  const char* linuxPath;
};
const Program kPrograms[] = {{"setup.exe", SETUP_EXE_LINUX_PATH},
                             {"distkit.exe", DISTKIT_EXE_LINUX_PATH}};

// Functions that suspend or steer threads, or set the clock: a
// single-threaded installer has no use for them, and scanners weigh them.
const char* const kNeverImported[] = {"SuspendThread", "ResumeThread", "GetThreadContext",
                                      "SetThreadContext", "SetSystemTime"};

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// "dll!Function" lines of the committed list (lower-case DLL names).
std::set<std::string> windows7Imports() {
  std::set<std::string> names;
  std::istringstream lines(readAll(u8(hostPath(WINDOWS7_IMPORTS_LINUX_PATH))));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') names.insert(line);
  }
  return names;
}

class PeImage {
 public:
  explicit PeImage(std::string bytes) : bytes_(std::move(bytes)) {
    auto* dos = at<IMAGE_DOS_HEADER>(0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    nt_ = at<IMAGE_NT_HEADERS>(dos->e_lfanew);
    if (nt_ && nt_->Signature != IMAGE_NT_SIGNATURE) nt_ = nullptr;
  }
  const IMAGE_NT_HEADERS* nt() const { return nt_; }

  // Section names; a long one ("/N") is read from the string table that
  // follows the (here empty) symbol table.
  std::vector<std::string> sectionNames() const {
    std::vector<std::string> names;
    const IMAGE_FILE_HEADER& file = nt_->FileHeader;
    std::size_t strings = file.PointerToSymbolTable + file.NumberOfSymbols * 18;
    for (const IMAGE_SECTION_HEADER& s : sections()) {
      std::string name(reinterpret_cast<const char*>(s.Name),
                       strnlen(reinterpret_cast<const char*>(s.Name), 8));
      if (name.size() > 1 && name[0] == '/' && file.PointerToSymbolTable) {
        std::size_t offset = strings + std::stoul(name.substr(1));
        if (offset < bytes_.size()) {
          name.assign(bytes_.c_str() + offset, strnlen(bytes_.c_str() + offset, bytes_.size() - offset));
        }
      }
      names.push_back(name);
    }
    return names;
  }

  // "dll!Function" (DLL name in lower case; "#N" for an import by ordinal).
  std::vector<std::string> imports() const {
    std::vector<std::string> found;
    const IMAGE_DATA_DIRECTORY& dir = nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (DWORD d = dir.VirtualAddress; d; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      auto* desc = atRva<IMAGE_IMPORT_DESCRIPTOR>(d);
      if (!desc || desc->Name == 0) break;
      std::string dll = stringAt(desc->Name);
      for (char& c : dll) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      DWORD thunks = desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk;
      for (DWORD t = thunks;; t += sizeof(IMAGE_THUNK_DATA)) {
        auto* thunk = atRva<IMAGE_THUNK_DATA>(t);
        if (!thunk || thunk->u1.AddressOfData == 0) break;
        if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) {
          found.push_back(dll + "!#" + std::to_string(IMAGE_ORDINAL(thunk->u1.Ordinal)));
        } else {
          found.push_back(dll + "!" + stringAt(static_cast<DWORD>(thunk->u1.AddressOfData) + 2));
        }
      }
    }
    return found;
  }

 private:
  template <class T>
  const T* at(std::size_t offset) const {
    return offset + sizeof(T) <= bytes_.size() ? reinterpret_cast<const T*>(bytes_.data() + offset)
                                               : nullptr;
  }
  std::vector<IMAGE_SECTION_HEADER> sections() const {
    std::vector<IMAGE_SECTION_HEADER> all;
    auto* first = IMAGE_FIRST_SECTION(nt_);
    std::size_t offset = reinterpret_cast<const char*>(first) - bytes_.data();
    for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
      if (auto* s = at<IMAGE_SECTION_HEADER>(offset + i * sizeof(IMAGE_SECTION_HEADER))) all.push_back(*s);
    }
    return all;
  }
  std::size_t fileOffset(DWORD rva) const {
    for (const IMAGE_SECTION_HEADER& s : sections()) {
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return bytes_.size();
  }
  template <class T>
  const T* atRva(DWORD rva) const { return at<T>(fileOffset(rva)); }
  std::string stringAt(DWORD rva) const {
    std::size_t offset = fileOffset(rva);
    if (offset >= bytes_.size()) return "?";
    return std::string(bytes_.c_str() + offset, strnlen(bytes_.c_str() + offset, bytes_.size() - offset));
  }

  std::string bytes_;
  const IMAGE_NT_HEADERS* nt_ = nullptr;
};

TEST(ShippedPrograms, HeadersSymbolsAndImports) {
  const std::set<std::string> allowed = windows7Imports();
  ASSERT_GT(allowed.size(), 50u) << "the committed list of Windows 7 imports was not read";
#ifdef _WIN64
  const WORD machine = IMAGE_FILE_MACHINE_AMD64;
#else
  const WORD machine = IMAGE_FILE_MACHINE_I386;
#endif
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(program.name);
    PeImage image(readAll(u8(hostPath(program.linuxPath))));
    ASSERT_NE(image.nt(), nullptr) << "not a PE file";
    const IMAGE_FILE_HEADER& file = image.nt()->FileHeader;
    const auto& optional = image.nt()->OptionalHeader;
    EXPECT_EQ(file.Machine, machine);
    EXPECT_TRUE(file.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
    for (WORD flag : {IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE,
                      IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, IMAGE_DLLCHARACTERISTICS_NX_COMPAT}) {
      EXPECT_TRUE(optional.DllCharacteristics & flag) << "DllCharacteristics flag 0x" << std::hex << flag;
    }
    // Stripped: no symbols and no debug sections, only the link to the
    // separate debug file.
    EXPECT_EQ(file.NumberOfSymbols, 0u);
    std::vector<std::string> sections = image.sectionNames();
    for (const std::string& name : sections) {
      EXPECT_NE(name.rfind(".debug", 0), 0u) << "section " << name;
    }
    EXPECT_NE(std::find(sections.begin(), sections.end(), ".gnu_debuglink"), sections.end())
        << "no debug link";

    std::vector<std::string> imports = image.imports();
    EXPECT_GT(imports.size(), 20u);
    for (const std::string& import : imports) {
      EXPECT_TRUE(allowed.count(import)) << import << " is not in tests/app/windows7_imports.txt";
      for (const char* never : kNeverImported) {
        EXPECT_NE(import.substr(import.find('!') + 1), never) << import;
      }
    }
  }
}

}  // namespace
