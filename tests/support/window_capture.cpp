#include "support/window_capture.h"

#include <algorithm>
#include <stdexcept>

#include "ui/gdi.h"
#include "common/files.h"

namespace quorvane::test {

COLORREF DrawnPixel(const ui::Control& control, int x, int y) {
  const RECT client = control.ClientRect();
  const ui::WindowDC screen(control.Handle());
  const HDC memory = CreateCompatibleDC(screen.Get());
  const ui::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  COLORREF colour = CLR_INVALID;
  {
    const ui::SelectedObject selected(memory, bitmap.Get());
    SendMessageW(control.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    colour = GetPixel(memory, x, y);
  }
  DeleteDC(memory);
  return colour;
}

namespace {

// A 32-bit top-down bitmap to draw into, selected into a memory device context.
class PixelCanvas {
 public:
  PixelCanvas(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    const BITMAPINFO format = ui::TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint32_t*>(bits);
    count_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    previous_ = SelectObject(dc_, bitmap_.Get());
  }
  ~PixelCanvas() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  PixelCanvas(const PixelCanvas&) = delete;
  PixelCanvas& operator=(const PixelCanvas&) = delete;

  HDC Dc() const { return dc_; }
  std::vector<std::uint32_t> Pixels() const {
    GdiFlush();
    return std::vector<std::uint32_t>(bits_, bits_ + count_);
  }

 private:
  HDC dc_;
  ui::ScopedBitmap bitmap_;
  std::uint32_t* bits_ = nullptr;
  std::size_t count_ = 0;
  HGDIOBJ previous_ = nullptr;
};

void AppendLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::vector<std::uint32_t> DrawnIcon(HICON icon, int size) {
  PixelCanvas canvas(size, size);
  const RECT area{0, 0, size, size};
  FillRect(canvas.Dc(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(canvas.Dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  std::vector<std::uint32_t> pixels = canvas.Pixels();
  for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

COLORREF WindowImage::At(int x, int y) const {
  const std::uint32_t pixel =
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

WindowImage CaptureWindow(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  WindowImage image;
  image.width = client.right;
  image.height = client.bottom;
  PixelCanvas canvas(image.width, image.height);
  const ui::WindowDC source(window);
  if (!BitBlt(canvas.Dc(), 0, 0, image.width, image.height, source.Get(), 0, 0, SRCCOPY)) {
    throw std::runtime_error("cannot copy the window's pixels");
  }
  image.pixels = canvas.Pixels();
  for (std::uint32_t& pixel : image.pixels) pixel &= 0xFFFFFF;
  return image;
}

namespace {

template <typename Wanted>
ColourSeen FindPixels(const WindowImage& image, const RECT& area, Wanted wanted) {
  ColourSeen seen;
  const int top = std::max(0, static_cast<int>(area.top));
  const int bottom = std::min(image.height, static_cast<int>(area.bottom));
  const int left = std::max(0, static_cast<int>(area.left));
  const int right = std::min(image.width, static_cast<int>(area.right));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (!wanted(image.At(x, y))) continue;
      seen.bounds = seen.count++ == 0
                        ? RECT{x, y, x + 1, y + 1}
                        : RECT{std::min(seen.bounds.left, LONG{x}), std::min(seen.bounds.top, LONG{y}),
                               std::max(seen.bounds.right, LONG{x + 1}), std::max(seen.bounds.bottom, LONG{y + 1})};
    }
  }
  return seen;
}

}  // namespace

ColourSeen FindColour(const WindowImage& image, COLORREF colour, const RECT& area) {
  return FindPixels(image, area, [colour](COLORREF pixel) { return pixel == colour; });
}

ColourSeen FindInk(const WindowImage& image, COLORREF background, const RECT& area) {
  return FindPixels(image, area, [background](COLORREF pixel) { return pixel != background; });
}

void SaveWindowImage(HWND window, const std::wstring& path) {
  const WindowImage image = CaptureWindow(window);
  const int width = image.width;
  const int height = image.height;
  const std::vector<std::uint32_t>& pixels = image.pixels;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const auto imageSize = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height));
  std::string file = "BM";
  AppendLittleEndian(file, 54 + imageSize, 4);
  AppendLittleEndian(file, 0, 4);
  AppendLittleEndian(file, 54, 4);
  AppendLittleEndian(file, 40, 4);
  AppendLittleEndian(file, static_cast<std::uint32_t>(width), 4);
  AppendLittleEndian(file, static_cast<std::uint32_t>(height), 4);
  AppendLittleEndian(file, 1, 2);
  AppendLittleEndian(file, 24, 2);
  AppendLittleEndian(file, BI_RGB, 4);
  AppendLittleEndian(file, imageSize, 4);
  file += std::string(16, '\0');
  for (int row = height; row-- > 0;) {
    std::string line;
    for (int x = 0; x < width; ++x) AppendLittleEndian(line, pixels[static_cast<std::size_t>(row * width + x)], 3);
    line.resize(stride, '\0');
    file += line;
  }
  WriteFileAtomically(path, file);
}

}  // namespace quorvane::test
