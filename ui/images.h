// Images kept as icon-file data (the ICO format), each under a name, and the image lists that
// show them at the size a control needs. An image list bound to a collection takes up every
// image of it, those added later too, each at the index it has in the collection.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "ui/component.h"
#include "ui/gdi.h"

namespace quorvane::ui {

// Icon-file data of the icon: one 32-bit picture at the icon's own size, with its mask.
// Throws an Error when the icon cannot be read.
std::string SaveIconToIconFile(HICON icon);

// The picture of the icon-file data that suits the size best (the smallest that is at least
// as large, else the largest), made into an icon of width x height; null when the data holds
// no usable picture.
ScopedIcon LoadIconFromIconFile(std::string_view data, int width, int height);

class ImageList;

class ImageCollection : public Component {
 public:
  explicit ImageCollection(Component& owner);
  ~ImageCollection() override;

  // Appends an image; its index is the number of images before it, and never changes since
  // images are never removed. The bound image lists take it up at the next Change().
  std::size_t Add(std::wstring name, std::string iconData);
  // Tells the bound image lists to take up the images added since.
  void Change();

  std::size_t Count() const { return images_.size(); }
  const std::wstring& Name(std::size_t index) const { return images_.at(index).name; }
  const std::string& IconData(std::size_t index) const { return images_.at(index).iconData; }

 private:
  friend class ImageList;
  struct Image {
    std::wstring name;
    std::string iconData;
  };

  std::vector<Image> images_;
  std::vector<ImageList*> lists_;
};

class ImageList : public Component {
 public:
  ImageList(Component& owner, ImageCollection& source);
  ~ImageList() override;

  HIMAGELIST Handle() const { return handle_; }
  int PictureSize() const { return pictureSize_; }
  int CellHeight() const { return cellHeight_; }

  // Screen pixels: the side of the square pictures, and the height of the cells that they are
  // centred in, which can be taller (rows of a list view are as tall as its images). Takes
  // every image of the collection again at that size; the handle stays the same.
  void SetSize(int pictureSize, int cellHeight);
  // Takes up the images of the collection beyond those in the list.
  void Update();

 private:
  friend class ImageCollection;
  void Append(const std::string& iconData);

  ImageCollection* source_;
  HIMAGELIST handle_;
  int pictureSize_ = 16;
  int cellHeight_ = 16;
};

}  // namespace quorvane::ui
