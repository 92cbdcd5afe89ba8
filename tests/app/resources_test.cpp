// The resources Windows reads from the built programs before any of their
// code runs: the manifest (elevation, supported versions, DPI and code page
// settings) and the version resource, read back through the Win32 API.
#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using testing_support::hostPath;
using testing_support::u8;

enum Program { kSetup, kDistkit };
constexpr const char* kProgramPaths[] = {SETUP_EXE_LINUX_PATH, DISTKIT_EXE_LINUX_PATH};

// MSXML 3 parses the manifest as strictly as Windows does: a manifest that is
// not well-formed, or a setting in the wrong namespace, fails here too.
// (The mingw-w64 libraries do not define these two GUIDs.)
constexpr GUID kDomDocument30 = {0xf5078f32, 0xc551, 0x11d3,
                                 {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
constexpr GUID kIXmlDomDocument2 = {0x2933bf95, 0x7b36, 0x11d2,
                                    {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// The manifest schemas by the prefixes the table's paths use.
constexpr wchar_t kNamespaces[] =
    L"xmlns:a='urn:schemas-microsoft-com:asm.v1' "
    L"xmlns:v3='urn:schemas-microsoft-com:asm.v3' "
    L"xmlns:c='urn:schemas-microsoft-com:compatibility.v1' "
    L"xmlns:ws5='http://schemas.microsoft.com/SMI/2005/WindowsSettings' "
    L"xmlns:ws17='http://schemas.microsoft.com/SMI/2017/WindowsSettings'";

#define LEVEL \
  "/a:assembly/v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel"
#define SETTINGS "/a:assembly/v3:application/v3:windowsSettings"
#define COMMON_CONTROLS                                     \
  "/a:assembly/a:dependency/a:dependentAssembly/a:assemblyIdentity" \
  "[@name='Microsoft.Windows.Common-Controls']"
#define SUPPORTED_OS(id) \
  "/a:assembly/c:compatibility/c:application/c:supportedOS[@Id='" id "']/@Id", id
#define WIN7 "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
#define WIN8 "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"
#define WIN81 "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"
#define WIN10 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"

// PROJECT_VERSION with four numbers, as VS_FIXEDFILEINFO holds it.
std::string fourPartVersion() {
  unsigned n[4] = {};
  std::sscanf(PROJECT_VERSION_TEXT, "%u.%u.%u.%u", &n[0], &n[1], &n[2], &n[3]);
  return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." +
         std::to_string(n[3]);
}
const std::string kVersion4 = fourPartVersion();

enum Source { kManifest, kVersion };
struct Row {
  Program program;
  Source source;
  // kManifest: an XPath into the manifest; kVersion: a StringFileInfo name,
  // or FILEVERSION / PRODUCTVERSION for the numbers of VS_FIXEDFILEINFO.
  const char* query;
  const char* expected;  // nullptr: no such node or value
};

const Row kRows[] = {
    {kSetup, kManifest, LEVEL "/@level", "requireAdministrator"},
    {kSetup, kManifest, LEVEL "/@uiAccess", "false"},
    {kSetup, kManifest, SUPPORTED_OS(WIN7)},
    {kSetup, kManifest, SUPPORTED_OS(WIN8)},
    {kSetup, kManifest, SUPPORTED_OS(WIN81)},
    {kSetup, kManifest, SUPPORTED_OS(WIN10)},
    // Fixed-pixel layout: Windows scales the window, GDI scaling keeps text sharp.
    {kSetup, kManifest, SETTINGS "/ws5:dpiAware", "false"},
    {kSetup, kManifest, "//*[local-name()='dpiAwareness']", nullptr},
    {kSetup, kManifest, SETTINGS "/ws17:gdiScaling", "true"},
    // Charset 0 means the system's ANSI code page, not UTF-8.
    {kSetup, kManifest, "//*[local-name()='activeCodePage']", nullptr},
    // Common Controls 6; a wrong token or version stops the program from starting.
    {kSetup, kManifest, COMMON_CONTROLS "/@version", "6.0.0.0"},
    {kSetup, kManifest, COMMON_CONTROLS "/@publicKeyToken", "6595b64144ccf1df"},
    {kDistkit, kManifest, LEVEL "/@level", "asInvoker"},
    {kDistkit, kManifest, SUPPORTED_OS(WIN7)},
    {kDistkit, kManifest, SUPPORTED_OS(WIN8)},
    {kDistkit, kManifest, SUPPORTED_OS(WIN81)},
    {kDistkit, kManifest, SUPPORTED_OS(WIN10)},
    {kDistkit, kManifest, "//*[local-name()='activeCodePage']", nullptr},

    {kSetup, kVersion, "FILEVERSION", kVersion4.c_str()},
    {kSetup, kVersion, "PRODUCTVERSION", kVersion4.c_str()},
    {kSetup, kVersion, "FileVersion", PROJECT_VERSION_TEXT},
    {kSetup, kVersion, "ProductVersion", PROJECT_VERSION_TEXT},
    {kSetup, kVersion, "ProductName", "Dictionary"},
    {kSetup, kVersion, "FileDescription", "Dictionary Setup"},
    {kSetup, kVersion, "OriginalFilename", "setup.exe"},
    {kSetup, kVersion, "InternalName", "setup"},
    {kSetup, kVersion, "CompanyName", PRODUCT_COMPANY_TEXT},
    {kSetup, kVersion, "LegalCopyright", PRODUCT_COPYRIGHT_TEXT},
    {kDistkit, kVersion, "FILEVERSION", kVersion4.c_str()},
    {kDistkit, kVersion, "PRODUCTVERSION", kVersion4.c_str()},
    {kDistkit, kVersion, "FileVersion", PROJECT_VERSION_TEXT},
    {kDistkit, kVersion, "ProductVersion", PROJECT_VERSION_TEXT},
    {kDistkit, kVersion, "ProductName", "Dictionary"},
    {kDistkit, kVersion, "FileDescription", "Dictionary distribution kit"},
    {kDistkit, kVersion, "OriginalFilename", "distkit.exe"},
    {kDistkit, kVersion, "InternalName", "distkit"},
    {kDistkit, kVersion, "CompanyName", PRODUCT_COMPANY_TEXT},
    {kDistkit, kVersion, "LegalCopyright", PRODUCT_COPYRIGHT_TEXT},
};

std::wstring wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
std::string narrow(const wchar_t* text) { return u8(reinterpret_cast<const char16_t*>(text)); }

class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : b_(SysAllocString(text.c_str())) {}
  Bstr() = default;
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return b_; }
  BSTR* out() { return &b_; }

 private:
  BSTR b_ = nullptr;
};

// The RT_MANIFEST resource 1 of a program, as UTF-16 text; an empty text and
// `error` set when it cannot be read.
std::wstring manifestText(const std::u16string& exe, std::string& error) {
  HMODULE module = LoadLibraryExW(reinterpret_cast<const wchar_t*>(exe.c_str()), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) {
    error = "cannot load as data, error " + std::to_string(GetLastError());
    return {};
  }
  std::wstring text;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /*RT_MANIFEST*/);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!bytes) {
    error = "no RT_MANIFEST resource 1";
  } else {
    int size = static_cast<int>(SizeofResource(module, found));
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes, size, nullptr, 0));
    MultiByteToWideChar(CP_UTF8, 0, bytes, size, text.data(), static_cast<int>(text.size()));
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  }
  FreeLibrary(module);
  return text;
}

// One program's manifest, parsed, and its version resource.
class ProgramResources {
 public:
  explicit ProgramResources(Program program) : exe_(hostPath(kProgramPaths[program])) {
    loadManifest();
    loadVersion();
  }
  ~ProgramResources() {
    if (doc_) doc_->Release();
  }
  ProgramResources(const ProgramResources&) = delete;
  ProgramResources& operator=(const ProgramResources&) = delete;

  // The text of the node the XPath selects; nullopt when there is none. A
  // manifest that could not be read answers with its error, which no row
  // expects.
  std::optional<std::string> manifestValue(const char* xpath) const {
    if (!doc_) return "<manifest: " + manifestError_ + ">";
    IXMLDOMNode* node = nullptr;
    Bstr query(wide(xpath));
    if (doc_->selectSingleNode(query, &node) != S_OK || !node) return std::nullopt;
    Bstr text;
    node->get_text(text.out());
    node->Release();
    return narrow(text ? static_cast<const wchar_t*>(text) : L"");
  }

  std::optional<std::string> versionValue(const std::string& name) const {
    if (version_.empty()) return "<no version resource>";
    void* data = nullptr;
    UINT size = 0;
    if (name == "FILEVERSION" || name == "PRODUCTVERSION") {
      if (!VerQueryValueW(version_.data(), L"\\", &data, &size) ||
          size < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
      }
      const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
      if (fixed->dwSignature != 0xFEEF04BD) return "<bad VS_FIXEDFILEINFO signature>";
      DWORD ms = name == "FILEVERSION" ? fixed->dwFileVersionMS : fixed->dwProductVersionMS;
      DWORD ls = name == "FILEVERSION" ? fixed->dwFileVersionLS : fixed->dwProductVersionLS;
      return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." +
             std::to_string(HIWORD(ls)) + "." + std::to_string(LOWORD(ls));
    }
    // The first (language, code page) pair names the string table.
    if (!VerQueryValueW(version_.data(), L"\\VarFileInfo\\Translation", &data, &size) ||
        size < 2 * sizeof(WORD)) {
      return "<no translation>";
    }
    const WORD* translation = static_cast<const WORD*>(data);
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%hs", translation[0], translation[1],
             name.c_str());
    if (!VerQueryValueW(version_.data(), path, &data, &size) || size == 0) return std::nullopt;
    return narrow(static_cast<const wchar_t*>(data));
  }

 private:
  void loadManifest() {
    std::wstring text = manifestText(exe_, manifestError_);
    if (text.empty()) return;
    if (FAILED(CoCreateInstance(kDomDocument30, nullptr, CLSCTX_INPROC_SERVER, kIXmlDomDocument2,
                                reinterpret_cast<void**>(&doc_)))) {
      manifestError_ = "no MSXML 3";
      doc_ = nullptr;
      return;
    }
    doc_->put_async(VARIANT_FALSE);
    VARIANT_BOOL ok = VARIANT_FALSE;
    Bstr xml(text);
    if (doc_->loadXML(xml, &ok) != S_OK || ok != VARIANT_TRUE) {
      manifestError_ = "not well-formed XML";
    } else if (!setProperty(L"SelectionLanguage", L"XPath") ||
               !setProperty(L"SelectionNamespaces", kNamespaces)) {
      manifestError_ = "MSXML refused the XPath settings";
    } else {
      return;
    }
    doc_->Release();
    doc_ = nullptr;
  }

  bool setProperty(const wchar_t* name, const wchar_t* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(value);
    Bstr property{std::wstring(name)};
    bool ok = SUCCEEDED(doc_->setProperty(property, v));
    VariantClear(&v);
    return ok;
  }

  void loadVersion() {
    const wchar_t* file = reinterpret_cast<const wchar_t*>(exe_.c_str());
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file, &handle);
    if (size == 0) return;
    version_.resize(size);
    if (!GetFileVersionInfoW(file, 0, size, version_.data())) version_.clear();
  }

  std::u16string exe_;
  IXMLDOMDocument2* doc_ = nullptr;
  std::string manifestError_;
  std::vector<char> version_;
};

TEST(ProgramResources, ManifestAndVersionOfEachProgram) {
  CoInitialize(nullptr);
  {
    std::map<Program, std::unique_ptr<ProgramResources>> programs;
    for (const Row& row : kRows) {
      auto& resources = programs[row.program];
      if (!resources) resources = std::make_unique<ProgramResources>(row.program);
      std::optional<std::string> value = row.source == kManifest
                                             ? resources->manifestValue(row.query)
                                             : resources->versionValue(row.query);
      std::string where = std::string(kProgramPaths[row.program]) + ": " + row.query;
      if (row.expected) {
        EXPECT_EQ(value.value_or("<missing>"), row.expected) << where;
      } else {
        EXPECT_EQ(value, std::nullopt) << where << " = " << value.value_or("");
      }
    }
  }
  CoUninitialize();
}

}  // namespace
