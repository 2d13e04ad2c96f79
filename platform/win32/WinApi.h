// <windows.h> for the program's Win32 files. The A/W name macros that collide
// with the platform seam's method names are removed; Win32 calls of those
// functions name the W (or A) function explicitly.
#pragma once

#include <windows.h>
// Headers that need <windows.h> first.
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#undef ExitWindows
#undef GlobalAddAtom
#undef MapVirtualKey
#undef MessageBox
#undef VkKeyScan
