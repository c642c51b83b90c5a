#pragma once
// Basic scalar and string types of the host SDK.
#include <cstdint>
#include <string>
#include <string_view>

using BOOL = int;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
using DWORD = std::uint32_t;
using ULONG = unsigned long;
using UINT = unsigned int;
using SHORT = short;
using DWORD_PTR = std::uintptr_t;
using HINSTANCE = void*;
using MtlID = unsigned short;

// The host works in wide strings.
using MCHAR = wchar_t;
#define _M(x) L##x
#ifndef _T
#define _T(x) L##x
#endif
using MSTR = std::wstring;
using TSTR = MSTR;

namespace host {
// UTF-8 <-> wide conversion for file names and texts crossing the host boundary.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
}  // namespace host
