// Window-system handle types for the portable code.
//
// The InstallState keeps the main window, its controls, fonts, brushes,
// cursors and drawing context. The handle types are declared here exactly as
// <windows.h> declares them (STRICT, which mingw-w64 always defines): each a
// pointer to its own incomplete struct. The declarations are the same types
// as those of <windows.h>, so app/ uses the fields without a cast, and the
// portable folders (built natively on Linux) see distinct opaque pointers
// that they cannot mix up and never need to look into.
#pragma once

#include <cstdint>

struct HWND__;
struct HINSTANCE__;
struct HFONT__;
struct HBRUSH__;
struct HDC__;
struct HICON__;

typedef HWND__* HWND;
typedef HINSTANCE__* HINSTANCE;
typedef HFONT__* HFONT;
typedef HBRUSH__* HBRUSH;
typedef HDC__* HDC;
typedef HICON__* HICON;
typedef HICON HCURSOR;

// A window procedure, declared as <windows.h> declares WNDPROC: on 32-bit
// x86 it is __stdcall with 32-bit long results and parameters; on 64-bit
// Windows (and in the portable builds, which never call one) there is one
// calling convention and pointer-sized integers. app/ checks at compile time
// that the two are the same type.
#if defined(_WIN32) && !defined(_WIN64)
using WindowProc = long(__attribute__((stdcall))*)(HWND, unsigned int, unsigned int, long);
#else
using WindowProc = std::intptr_t (*)(HWND, unsigned int, std::uintptr_t, std::intptr_t);
#endif
