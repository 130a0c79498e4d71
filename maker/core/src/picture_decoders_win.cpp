// The Windows build's picture decoders: the Windows Imaging Component, which decodes PNG,
// JPEG, GIF (the first frame) and TIFF. Pixels of 16 bits a channel are taken as they are
// and rounded here, and 8-bit ones converted to straight BGRA and laid over white here,
// with the same arithmetic as the Linux decoders, so that both builds agree on PNG.
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <cstdio>
#include <cstring>

#include "picture_decoders.h"

namespace klv {
namespace {

// Holds one COM interface and releases it when it goes away.
template <typename T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** out() { return &p_; }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread while it lives. A thread whose COM is already set up in the
// other threading model keeps it; WIC works in either.
class ComSession {
 public:
  ComSession() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComSession() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

 private:
  HRESULT result_;
};

// Success for a call that succeeded, otherwise why a `kind` picture fails.
Status WicStatus(HRESULT result, PictureKind kind) {
  if (SUCCEEDED(result)) return Status::OK();
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  if (result == WINCODEC_ERR_COMPONENTNOTFOUND) {
    return Status::Invalid(std::string("no decoder for ") + PictureKindName(kind) +
                           " pictures on this system (" + code + ")");
  }
  return Status::Invalid(std::string("unreadable ") + PictureKindName(kind) +
                         " picture (WIC error " + code + ")");
}

// The first frame of a file image in memory. The stream reads `file`, which must outlive it.
struct Frame {
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  UINT width = 0;
  UINT height = 0;
};

Status OpenFrame(PictureKind kind, const std::vector<uint8_t>& file, Frame& f) {
  if (file.size() > MAXDWORD) return WicStatus(E_INVALIDARG, kind);
  // Each step runs only while the ones before it succeeded.
  Status status =
      WicStatus(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWICImagingFactory, reinterpret_cast<void**>(f.factory.out())),
                kind);
  if (status.ok()) status = WicStatus(f.factory->CreateStream(f.stream.out()), kind);
  if (status.ok()) {
    status = WicStatus(f.stream->InitializeFromMemory(const_cast<BYTE*>(file.data()),
                                                      static_cast<DWORD>(file.size())),
                       kind);
  }
  if (status.ok()) {
    status =
        WicStatus(f.factory->CreateDecoderFromStream(
                      f.stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, f.decoder.out()),
                  kind);
  }
  if (status.ok()) status = WicStatus(f.decoder->GetFrame(0, f.frame.out()), kind);
  if (status.ok()) status = WicStatus(f.frame->GetSize(&f.width, &f.height), kind);
  if (!status.ok()) return status;
  return CheckPictureSize(f.width, f.height);
}

// The 16-bit layouts taken as they are: channel count and where alpha is (or -1).
struct DeepFormat {
  const GUID* format;
  int channels;
  bool grey;
  int alpha;
};
constexpr DeepFormat kDeepFormats[] = {
    {&GUID_WICPixelFormat64bppRGBA, 4, false, 3},
    {&GUID_WICPixelFormat48bppRGB, 3, false, -1},
    {&GUID_WICPixelFormat16bppGray, 1, true, -1},
};

// Copies a 16-bit picture a row at a time, rounding each channel to 8 bits, and hands
// each row on.
Status CopyDeep(const DeepFormat& deep, Frame& f, const RowSink& rows, PictureKind kind) {
  const UINT stride = f.width * static_cast<UINT>(deep.channels) * 2;
  const auto channels = static_cast<size_t>(deep.channels);
  std::vector<uint16_t> row(static_cast<size_t>(f.width) * channels);
  std::vector<uint32_t> pixels(f.width);
  for (UINT y = 0; y < f.height; ++y) {
    const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(f.width), 1};
    Status copied = WicStatus(
        f.frame->CopyPixels(&rect, stride, stride, reinterpret_cast<BYTE*>(row.data())), kind);
    if (!copied.ok()) return copied;
    for (UINT x = 0; x < f.width; ++x) {
      const uint16_t* p = &row[static_cast<size_t>(x) * channels];
      const uint32_t r = Round16To8(p[0]);
      const uint32_t g = deep.grey ? r : Round16To8(p[1]);
      const uint32_t b = deep.grey ? r : Round16To8(p[2]);
      const uint32_t a = deep.alpha < 0 ? 255 : Round16To8(p[deep.alpha]);
      pixels[x] = OverWhite(r, g, b, a);
    }
    rows(pixels.data());
  }
  return Status::OK();
}

// Converts any other picture to straight 8-bit BGRA, decoded whole, and hands its rows on.
Status CopyBgra(Frame& f, const RowSink& rows, PictureKind kind) {
  Raster raster = Raster::Filled(static_cast<int>(f.width), static_cast<int>(f.height), 0);
  Com<IWICBitmapSource> converted;
  Status status = WicStatus(
      WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, f.frame.get(), converted.out()), kind);
  if (!status.ok()) return status;
  const UINT stride = f.width * 4;
  status = WicStatus(converted->CopyPixels(nullptr, stride, stride * f.height,
                                           reinterpret_cast<BYTE*>(raster.pixels.data())),
                     kind);
  if (!status.ok()) return status;
  for (uint32_t& pixel : raster.pixels) {
    uint8_t bgra[4];
    std::memcpy(bgra, &pixel, 4);
    pixel = OverWhite(bgra[2], bgra[1], bgra[0], bgra[3]);
  }
  for (UINT y = 0; y < f.height; ++y) rows(&raster.pixels[raster.Index(0, static_cast<int>(y))]);
  return Status::OK();
}

}  // namespace

bool PlatformDecodes(PictureKind kind) {
  return kind == PictureKind::kPng || kind == PictureKind::kJpeg || kind == PictureKind::kGif ||
         kind == PictureKind::kTiff;
}

std::vector<std::string> PlatformExtensions() {
  return {".png", ".jpg", ".jpeg", ".jpe", ".jfif", ".gif", ".tif", ".tiff"};
}

StatusOr<StoredSize> ReadStoredSize(PictureKind kind, const std::vector<uint8_t>& file) {
  ComSession com;
  Frame f;
  Status opened = OpenFrame(kind, file, f);
  if (!opened.ok()) return opened;
  return StoredSize{static_cast<int>(f.width), static_cast<int>(f.height)};
}

int ChooseScale(PictureKind, StoredSize, int, int) { return kScaleSteps; }

Status DecodeStoredRows(PictureKind kind, const std::vector<uint8_t>& file, int,
                        const RowSink& rows) {
  ComSession com;
  Frame f;
  Status status = OpenFrame(kind, file, f);
  if (!status.ok()) return status;
  WICPixelFormatGUID format;
  status = WicStatus(f.frame->GetPixelFormat(&format), kind);
  if (!status.ok()) return status;
  for (const DeepFormat& deep : kDeepFormats) {
    if (IsEqualGUID(format, *deep.format)) return CopyDeep(deep, f, rows, kind);
  }
  return CopyBgra(f, rows, kind);
}

}  // namespace klv
