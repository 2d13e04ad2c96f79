// Decodes a JPEG picture (the about box's banner) with libjpeg into a
// 32-bit top-down DIB section that a static control or a paint handler can
// show.
#pragma once

#include "platform/win32/WinApi.h"

#include <cstdint>
#include <string_view>

namespace tav {

// The decoded bitmap, or null when the bytes are no JPEG libjpeg can read.
// The caller owns the bitmap (DeleteObject).
HBITMAP DecodeJpeg(std::string_view bytes, int* width = nullptr, int* height = nullptr);

// The bytes of an RCDATA resource of the program, empty when it is missing.
std::string_view ResourceBytes(int id);

}  // namespace tav
