#include "ui/images.h"

#include <algorithm>
#include <cstdint>

#include "common/error.h"

namespace quorvane::ui {

namespace {

// The largest side that an icon file's directory can state.
constexpr int kLargestIconSide = 256;
constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kDirectoryEntrySize = 16;
constexpr std::uint32_t kBitmapHeaderSize = 40;
constexpr DWORD kIconFormatVersion = 0x00030000;

// An icon's picture as 32-bit pixels with straight alpha, the top row first, and its mask:
// true where the background shows through.
struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> colour;
  std::vector<bool> transparent;
};

std::uint16_t ReadU16(std::string_view data, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(data[at]) |
                                    (static_cast<std::uint8_t>(data[at + 1]) << 8));
}

std::uint32_t ReadU32(std::string_view data, std::size_t at) {
  return ReadU16(data, at) | (static_cast<std::uint32_t>(ReadU16(data, at + 2)) << 16);
}

void AppendU16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void AppendU32(std::string& out, std::uint32_t value) {
  AppendU16(out, value & 0xFFFF);
  AppendU16(out, value >> 16);
}

struct IconFilePicture {
  int side = 0;
  int bitCount = 0;
  std::string_view data;
};

// The pictures whose directory entries lie, with their data, inside the icon-file data.
std::vector<IconFilePicture> IconFilePictures(std::string_view data) {
  std::vector<IconFilePicture> pictures;
  if (data.size() < kDirectorySize || ReadU16(data, 0) != 0 || ReadU16(data, 2) != 1) return pictures;
  const std::size_t count = ReadU16(data, 4);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = kDirectorySize + i * kDirectoryEntrySize;
    if (entry + kDirectoryEntrySize > data.size()) break;
    const std::uint32_t size = ReadU32(data, entry + 8);
    const std::uint32_t offset = ReadU32(data, entry + 12);
    if (size == 0 || offset > data.size() || size > data.size() - offset) continue;
    const int side =
        static_cast<std::uint8_t>(data[entry]) == 0 ? kLargestIconSide : static_cast<std::uint8_t>(data[entry]);
    pictures.push_back({side, ReadU16(data, entry + 6), data.substr(offset, size)});
  }
  return pictures;
}

bool SuitsBetter(const IconFilePicture& candidate, const IconFilePicture& best, int side) {
  const bool candidateLargeEnough = candidate.side >= side;
  const bool bestLargeEnough = best.side >= side;
  if (candidateLargeEnough != bestLargeEnough) return candidateLargeEnough;
  if (candidate.side != best.side)
    return candidateLargeEnough ? candidate.side < best.side : candidate.side > best.side;
  return candidate.bitCount > best.bitCount;
}

// The rows of a bitmap as 32-bit pixels, the top row first.
std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height) {
  BITMAPINFO format = TopDownBitmapInfo(width, height);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const WindowDC screen(nullptr);
  if (GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS) != height) {
    throw Error(L"Cannot read the picture of an icon");
  }
  return pixels;
}

IconPixels ReadIconPixels(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) throw WinError(GetLastError(), L"Cannot read an icon");
  const ScopedBitmap colour(info.hbmColor);
  const ScopedBitmap mask(info.hbmMask);
  BITMAP maskFormat{};
  if (!mask || !GetObjectW(mask.Get(), sizeof maskFormat, &maskFormat)) throw Error(L"Cannot read the mask of an icon");
  // A monochrome icon has no colour bitmap: its mask holds the AND rows above the XOR rows.
  IconPixels pixels;
  pixels.width = maskFormat.bmWidth;
  pixels.height = colour ? maskFormat.bmHeight : maskFormat.bmHeight / 2;
  if (pixels.width <= 0 || pixels.height <= 0 || pixels.width > kLargestIconSide || pixels.height > kLargestIconSide) {
    throw Error(L"An icon's size cannot be stored in an icon file");
  }
  const std::vector<std::uint32_t> maskPixels = BitmapPixels(mask.Get(), pixels.width, maskFormat.bmHeight);
  const std::size_t count = static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height);
  if (colour) {
    pixels.colour = BitmapPixels(colour.Get(), pixels.width, pixels.height);
  } else {
    pixels.colour.assign(maskPixels.begin() + static_cast<std::ptrdiff_t>(count), maskPixels.end());
  }
  pixels.transparent.resize(count);
  for (std::size_t i = 0; i < count; ++i) pixels.transparent[i] = (maskPixels[i] & 0xFFFFFF) != 0;
  // Pictures without an alpha channel take their transparency from the mask.
  const bool hasAlpha =
      std::any_of(pixels.colour.begin(), pixels.colour.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
  if (!hasAlpha) {
    for (std::size_t i = 0; i < count; ++i) {
      pixels.colour[i] = pixels.transparent[i] ? 0 : (pixels.colour[i] | 0xFF000000u);
    }
  }
  return pixels;
}

// One picture as icon-file data: the directory, then a 32-bit bitmap whose stated height
// counts its colour rows and its mask rows together, both stored bottom row first.
std::string IconFileData(const IconPixels& pixels) {
  const auto width = static_cast<std::size_t>(pixels.width);
  const auto height = static_cast<std::size_t>(pixels.height);
  const std::size_t maskStride = (width + 31) / 32 * 4;
  const auto imageSize = static_cast<std::uint32_t>(width * height * 4 + maskStride * height);

  std::string data;
  AppendU16(data, 0);
  AppendU16(data, 1);
  AppendU16(data, 1);
  data += static_cast<char>(width == kLargestIconSide ? 0 : width);
  data += static_cast<char>(height == kLargestIconSide ? 0 : height);
  data += std::string(2, '\0');
  AppendU16(data, 1);
  AppendU16(data, 32);
  AppendU32(data, kBitmapHeaderSize + imageSize);
  AppendU32(data, static_cast<std::uint32_t>(kDirectorySize + kDirectoryEntrySize));

  AppendU32(data, kBitmapHeaderSize);
  AppendU32(data, static_cast<std::uint32_t>(width));
  AppendU32(data, static_cast<std::uint32_t>(height * 2));
  AppendU16(data, 1);
  AppendU16(data, 32);
  AppendU32(data, BI_RGB);
  AppendU32(data, imageSize);
  data += std::string(16, '\0');
  for (std::size_t row = height; row-- > 0;) {
    for (std::size_t x = 0; x < width; ++x) AppendU32(data, pixels.colour[row * width + x]);
  }
  for (std::size_t row = height; row-- > 0;) {
    std::string line(maskStride, '\0');
    for (std::size_t x = 0; x < width; ++x) {
      if (pixels.transparent[row * width + x]) line[x / 8] = static_cast<char>(line[x / 8] | (0x80 >> (x % 8)));
    }
    data += line;
  }
  return data;
}

IconPixels Blank(int width, int height) {
  IconPixels pixels;
  pixels.width = width;
  pixels.height = height;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  pixels.colour.assign(count, 0);
  pixels.transparent.assign(count, true);
  return pixels;
}

// The picture in the middle of a larger transparent area.
IconPixels Centred(const IconPixels& picture, int width, int height) {
  IconPixels cell = Blank(width, height);
  const int left = (width - picture.width) / 2;
  const int top = (height - picture.height) / 2;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const auto from = static_cast<std::size_t>(y * picture.width + x);
      const auto to = static_cast<std::size_t>((y + top) * width + x + left);
      cell.colour[to] = picture.colour[from];
      cell.transparent[to] = picture.transparent[from];
    }
  }
  return cell;
}

}  // namespace

std::string SaveIconToIconFile(HICON icon) { return IconFileData(ReadIconPixels(icon)); }

ScopedIcon LoadIconFromIconFile(std::string_view data, int width, int height) {
  const std::vector<IconFilePicture> pictures = IconFilePictures(data);
  if (pictures.empty()) return ScopedIcon();
  const int side = std::max(width, height);
  const IconFilePicture* best = &pictures.front();
  for (const IconFilePicture& picture : pictures) {
    if (SuitsBetter(picture, *best, side)) best = &picture;
  }
  auto* bits = reinterpret_cast<BYTE*>(const_cast<char*>(best->data.data()));
  return ScopedIcon(CreateIconFromResourceEx(bits, static_cast<DWORD>(best->data.size()), TRUE, kIconFormatVersion,
                                             width, height, LR_DEFAULTCOLOR));
}

ImageCollection::ImageCollection(Component& owner) : Component(owner) {}

ImageCollection::~ImageCollection() {
  for (ImageList* list : lists_) list->source_ = nullptr;
}

std::size_t ImageCollection::Add(std::wstring name, std::string iconData) {
  images_.push_back({std::move(name), std::move(iconData)});
  return images_.size() - 1;
}

void ImageCollection::Change() {
  for (ImageList* list : lists_) list->Update();
}

ImageList::ImageList(Component& owner, ImageCollection& source)
    : Component(owner), source_(&source), handle_(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 16)) {
  source.lists_.push_back(this);
  Update();
}

ImageList::~ImageList() {
  if (source_) std::erase(source_->lists_, this);
  ImageList_Destroy(handle_);
}

void ImageList::SetSize(int pictureSize, int cellHeight) {
  pictureSize_ = pictureSize;
  cellHeight_ = std::max(pictureSize, cellHeight);
  ImageList_SetIconSize(handle_, pictureSize_, cellHeight_);
  Update();
}

void ImageList::Update() {
  if (!source_) return;
  for (auto index = static_cast<std::size_t>(ImageList_GetImageCount(handle_)); index < source_->Count(); ++index) {
    Append(source_->IconData(index));
  }
}

void ImageList::Append(const std::string& iconData) {
  IconPixels cell = Blank(pictureSize_, cellHeight_);
  // An image that cannot be read is shown blank: it keeps its index, so the images after it
  // keep theirs.
  try {
    if (const ScopedIcon picture = LoadIconFromIconFile(iconData, pictureSize_, pictureSize_)) {
      cell = Centred(ReadIconPixels(picture.Get()), pictureSize_, cellHeight_);
    }
  } catch (const Error&) {
  }
  const std::string cellData = IconFileData(cell);
  const ScopedIcon icon = LoadIconFromIconFile(cellData, pictureSize_, cellHeight_);
  ImageList_ReplaceIcon(handle_, -1, icon.Get());
}

}  // namespace quorvane::ui
