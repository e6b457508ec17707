// The icons of the files that startup entries start, as images of the list's collection.
#pragma once

#include <string>
#include <unordered_map>

#include "ui/images.h"

namespace quorvane {

// Icon locations, exactly as written once quotes and outer blanks are gone, to the index of
// the image made from them. Entries are never removed.
using IconCache = std::unordered_map<std::wstring, int>;

// The index of the image of the icon at location: "path", or "path,number" for the icon of
// that number in the file. A location met before gives its cached index without looking at
// the file again. Otherwise the icon is extracted and appended to images under the location:
// a missing file or one without an icon gives 0 (the blank document) and is tried again at the
// next call; an empty location, or an error while extracting or storing the icon, gives
// defaultIndex. A number that is not an integer counts as defaultIndex.
int GetIconIndex(IconCache& cache, ui::ImageCollection& images, const std::wstring& location, int defaultIndex);

}  // namespace quorvane
