// Scalar types, handles and small geometry records of the graphics engine's
// driver interface, with the platform's sizes on a 64-bit host: LONG, ULONG
// and DWORD are 32 bits, WCHAR is a UTF-16 unit, handles are pointer-sized.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using CHAR = char;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using FLONG = std::uint32_t;
using ROP4 = std::uint32_t;
using LDECI4 = std::int32_t;
using NTSTATUS = std::int32_t;
using BOOL = std::int32_t;
using WCHAR = char16_t;
using ULONG_PTR = std::uintptr_t;
using PVOID = void*;
using LPVOID = void*;
using PBYTE = BYTE*;
using LPBYTE = BYTE*;
using PCHAR = CHAR*;
using PULONG = ULONG*;
using LPDWORD = DWORD*;
using LPWSTR = WCHAR*;
using PWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using PCWCH = const WCHAR*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Handles are opaque pointer-sized values; the engine and the driver only
// compare them with null and hand them back.
using HANDLE = void*;
using HDEV = HANDLE;
using DHPDEV = HANDLE;
using DHSURF = HANDLE;
using HSURF = HANDLE;
using HBITMAP = HANDLE;
using HPALETTE = HANDLE;
using HSEMAPHORE = HANDLE;

struct POINTL {
  LONG x;
  LONG y;
};

struct SIZEL {
  LONG cx;
  LONG cy;
};

struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

static_assert(sizeof(POINTL) == 8 && sizeof(SIZEL) == 8 && sizeof(RECTL) == 16);
