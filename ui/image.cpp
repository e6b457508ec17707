#include "ui/image.h"

#include <wincodec.h>

#include <cwctype>
#include <exception>
#include <vector>

#include "common/scoped.h"
#include "common/text.h"

namespace quorvane::ui {

namespace {

struct ResourceSearch {
  std::wstring prefix;
  std::map<int, std::wstring> steps;
  std::exception_ptr error;  // what stopped the search, for its caller
};

// Notes the resource when its name is the prefix followed by a dpi.
void AddStep(ResourceSearch& search, LPWSTR name) {
  if (IS_INTRESOURCE(name)) return;
  const std::wstring_view text(name);
  if (!StartsWithIgnoreAsciiCase(text, search.prefix)) return;
  const std::wstring_view digits = text.substr(search.prefix.size());
  if (digits.empty() || digits.size() > 4) return;
  int dpi = 0;
  for (wchar_t digit : digits) {
    if (!std::iswdigit(digit)) return;
    dpi = dpi * 10 + (digit - L'0');
  }
  if (dpi > 0) search.steps[dpi] = std::wstring(text);
}

BOOL CALLBACK CollectStep(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) noexcept {
  auto& search = *reinterpret_cast<ResourceSearch*>(context);
  try {
    AddStep(search, name);
    return TRUE;
  } catch (...) {
    search.error = std::current_exception();
    return FALSE;
  }
}

std::map<int, std::wstring> FindSteps(const std::wstring& base) {
  ResourceSearch search{base + L"_", {}, nullptr};
  EnumResourceNamesW(GetModuleHandleW(nullptr), RT_RCDATA, CollectStep, reinterpret_cast<LONG_PTR>(&search));
  if (search.error) std::rethrow_exception(search.error);
  return search.steps;
}

std::string_view ResourceBytes(const std::wstring& name) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(module, name.c_str(), RT_RCDATA);
  const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return {static_cast<const char*>(data), SizeofResource(module, found)};
}

// Decodes the PNG and scales it to the size, into a top-down premultiplied BGRA bitmap.
ScopedBitmap DecodeScaled(std::string_view png, SIZE size) {
  const ScopedComInit com;
  ComPtr<IWICImagingFactory> factory;
  if (!com || png.empty() ||
      FAILED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.Put())))) {
    return {};
  }
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapScaler> scaler;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(png.data())),
                                          static_cast<DWORD>(png.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
      FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(factory->CreateBitmapScaler(scaler.Put())) ||
      FAILED(scaler->Initialize(frame.Get(), static_cast<UINT>(size.cx), static_cast<UINT>(size.cy),
                                WICBitmapInterpolationModeFant)) ||
      FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(scaler.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom))) {
    return {};
  }
  const BITMAPINFO info = TopDownBitmapInfo(size.cx, size.cy);
  void* pixels = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  const UINT stride = static_cast<UINT>(size.cx) * 4;
  if (!bitmap ||
      FAILED(converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(size.cy), static_cast<BYTE*>(pixels)))) {
    return {};
  }
  return bitmap;
}

}  // namespace

int ChooseDpiStep(const std::map<int, std::wstring>& steps, int dpi) {
  if (steps.empty()) return 0;
  const auto atOrAbove = steps.lower_bound(dpi);
  return atOrAbove != steps.end() ? atOrAbove->first : steps.rbegin()->first;
}

Image::Image(Component& owner, Control& parent, std::wstring resourceBase)
    : PaintedControl(owner, parent), resourceBase_(std::move(resourceBase)), steps_(FindSteps(resourceBase_)) {}

void Image::Render() {
  const RECT client = ClientRect();
  const SIZE size{client.right, client.bottom};
  shownStep_ = ChooseDpiStep(steps_, Dpi());
  if (size.cx <= 0 || size.cy <= 0 || shownStep_ == 0) {
    rendered_.Reset();
    return;
  }
  rendered_ = DecodeScaled(ResourceBytes(steps_.at(shownStep_)), size);
  renderedSize_ = size;
  Invalidate();
}

void Image::OnDpiChanged() { Render(); }

void Image::Paint(HDC dc) const {
  PaintBackground(dc);
  if (!rendered_) return;
  const HDC source = CreateCompatibleDC(dc);
  {
    const SelectedObject selected(source, rendered_.Get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, 0, 0, renderedSize_.cx, renderedSize_.cy, source, 0, 0, renderedSize_.cx, renderedSize_.cy, blend);
  }
  DeleteDC(source);
}

std::optional<LRESULT> Image::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) Render();
  if (message == WM_LBUTTONUP && OnClick) {
    OnClick(*this);
    return 0;
  }
  return PaintedControl::OnMessage(message, wParam, lParam);
}

}  // namespace quorvane::ui
