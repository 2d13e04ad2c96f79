#include "help/JpegPicture.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace tav {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return: jump back to the decoder, which then gives up.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void ExitOnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// Decodes into BGRA rows; false on any error. Kept free of objects with
// destructors between setjmp and the calls that may jump.
bool DecodeRows(const unsigned char* data, unsigned long size, std::vector<unsigned char>& pixels,
                std::vector<unsigned char>& row, int& width, int& height) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ExitOnError;
  errors.base.output_message = IgnoreMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  pixels.resize(static_cast<size_t>(width) * height * 4);
  row.resize(static_cast<size_t>(width) * 3);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    unsigned char* out = &pixels[static_cast<size_t>(y) * width * 4];
    for (int x = 0; x < width; ++x) {
      out[x * 4 + 0] = row[x * 3 + 2];
      out[x * 4 + 1] = row[x * 3 + 1];
      out[x * 4 + 2] = row[x * 3 + 0];
      out[x * 4 + 3] = 0xFF;
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

HBITMAP DecodeJpeg(std::string_view bytes, int* width, int* height) {
  std::vector<unsigned char> pixels;
  std::vector<unsigned char> row;
  int w = 0;
  int h = 0;
  if (bytes.empty() ||
      !DecodeRows(reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<unsigned long>(bytes.size()), pixels, row, w, h) ||
      w <= 0 || h <= 0) {
    return nullptr;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  std::memcpy(bits, pixels.data(), pixels.size());
  if (width) *width = w;
  if (height) *height = h;
  return bitmap;
}

std::string_view ResourceBytes(int id) {
  const HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!resource) return {};
  HGLOBAL loaded = LoadResource(module, resource);
  if (!loaded) return {};
  return {static_cast<const char*>(LockResource(loaded)), SizeofResource(module, resource)};
}

}  // namespace tav
