// PNG through GDI+ over memory streams. GDI+ decodes into whatever format the file has; LockBits
// converts to premultiplied 32-bit, the toolkit's pixel format. Only PNG is accepted, although
// GDI+ would read other formats too, so that skins behave the same as on Linux.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/Log.h"
#include "support/gui/gdiplus/GdiplusCanvas.h"
#include "support/gui/gdiplus/GdiplusSession.h"
#include "support/gui/ImageRules.h"

namespace VGui {
namespace {

PixelImage Fail(std::string_view what, const char* why) {
  const std::string name(what);
  VFoundation::Log("Could not decode PNG image %s: %s\n", name.c_str(), why);
  return {};
}

// A stream over a copy of the bytes; released by the caller.
IStream* StreamOver(std::span<const uint8_t> bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  void* data = GlobalLock(memory);
  std::memcpy(data, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

bool PngEncoder(CLSID& clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<uint8_t> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

std::vector<uint8_t> StreamBytes(IStream* stream) {
  STATSTG stat{};
  if (stream->Stat(&stat, STATFLAG_NONAME) != S_OK) return {};
  std::vector<uint8_t> bytes(size_t(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  if (stream->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK) return {};
  ULONG read = 0;
  if (!bytes.empty() &&
      (stream->Read(bytes.data(), ULONG(bytes.size()), &read) != S_OK || read != bytes.size())) {
    return {};
  }
  return bytes;
}

}  // namespace

PixelImage GdiplusBackEnd::DecodePng(std::span<const uint8_t> bytes, std::string_view what) {
  if (!PngHeaderIsPlausible(bytes)) return Fail(what, "not a PNG file or too large");
  GdiplusSession::Scope session;
  if (!session.Held()) return Fail(what, "GDI+ is not available");
  IStream* stream = StreamOver(bytes);
  if (!stream) return Fail(what, "out of memory");
  PixelImage image;
  {
    Gdiplus::Bitmap bitmap(stream);
    if (bitmap.GetLastStatus() != Gdiplus::Ok) {
      stream->Release();
      return Fail(what, "GDI+ could not read it");
    }
    const int width = int(bitmap.GetWidth());
    const int height = int(bitmap.GetHeight());
    PixelImage decoded(width, height);
    Gdiplus::BitmapData data{};
    data.Width = UINT(width);
    data.Height = UINT(height);
    data.Stride = decoded.Stride();
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = decoded.Data();
    Gdiplus::Rect all(0, 0, width, height);
    // ImageLockModeUserInputBuf converts straight into our buffer.
    if (width > 0 && height > 0 &&
        bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                        PixelFormat32bppPARGB, &data) == Gdiplus::Ok) {
      bitmap.UnlockBits(&data);
      image = std::move(decoded);
    }
  }
  stream->Release();
  if (image.Empty()) return Fail(what, "GDI+ could not convert its pixels");
  return image;
}

std::vector<uint8_t> GdiplusBackEnd::EncodePng(const PixelImage& image) {
  if (image.Empty()) return {};
  GdiplusSession::Scope session;
  CLSID png{};
  if (!session.Held() || !PngEncoder(png)) return {};
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return {};
  std::vector<uint8_t> bytes;
  {
    // GDI+ only reads the pixels while saving.
    Gdiplus::Bitmap bitmap(image.Width(), image.Height(), image.Stride(), PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(const_cast<uint32_t*>(image.Data())));
    if (bitmap.Save(stream, &png, nullptr) == Gdiplus::Ok) bytes = StreamBytes(stream);
  }
  stream->Release();
  return bytes;
}

PixelImage DecodePng(std::span<const uint8_t> bytes, std::string_view what) {
  return GdiplusBackEnd::DecodePng(bytes, what);
}

std::vector<uint8_t> EncodePng(const PixelImage& image) {
  return GdiplusBackEnd::EncodePng(image);
}

}  // namespace VGui
