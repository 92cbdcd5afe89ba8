#include <windows.h>

#include <clocale>

#include "platform/collate.h"
#include "platform/win32/wide.h"

using platform::win32::wide;

// msvcrt keeps the locale identifier of each category in this table; index
// LC_COLLATE holds the collation category's, 0 for the "C" locale.
extern "C" __declspec(dllimport) unsigned int* __cdecl ___lc_handle_func(void);

namespace platform {

namespace {
constexpr DWORD kIgnoreCaseStringSort = NORM_IGNORECASE | SORT_STRINGSORT;  // 0x1001

// The system refuses a length of 0; an empty text is passed as the
// zero-terminated empty text (length -1).
const wchar_t* textOf(std::u16string_view text) {
  return text.empty() ? L"" : reinterpret_cast<const wchar_t*>(text.data());
}
int lengthOf(std::u16string_view text) { return text.empty() ? -1 : static_cast<int>(text.size()); }
}  // namespace

bool setRuntimeCollation(std::u16string_view name) {
  return _wsetlocale(LC_COLLATE, wide(name).c_str()) != nullptr;
}

uint32_t runtimeCollationLocaleId() {
  unsigned int* handles = ___lc_handle_func();
  return handles ? handles[LC_COLLATE] : 0;
}

int compareIgnoreCase(uint32_t localeId, std::u16string_view a, std::u16string_view b) {
  return CompareStringW(localeId, kIgnoreCaseStringSort, textOf(a), lengthOf(a), textOf(b),
                        lengthOf(b));
}

int sortKeyIgnoreCase(uint32_t localeId, std::u16string_view text, unsigned char* out,
                      int capacity) {
  return LCMapStringW(localeId, LCMAP_SORTKEY | kIgnoreCaseStringSort, textOf(text), lengthOf(text),
                      reinterpret_cast<wchar_t*>(out), capacity);
}

}  // namespace platform
