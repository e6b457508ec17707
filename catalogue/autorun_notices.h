// Change notices on the places of the catalogue that can notify: the Run keys, the
// StartupApproved keys and the Startup folders. Tasks and services give no notice and are
// read again on a timer instead.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "common/folder_notice.h"
#include "registry/reg.h"

namespace quorvane {

class AutorunChangeNotices {
 public:
  // Armed from the start.
  AutorunChangeNotices();

  // The handles to wait on; one of them is signalled at a change. They change at Rearm.
  std::vector<HANDLE> Handles() const;

  // Sets every notice again. Called before the catalogue is read again, so that a change made
  // during the read is noticed the next time.
  void Rearm();

 private:
  std::vector<std::unique_ptr<TRegChangeNotice>> keys_;
  std::vector<std::unique_ptr<FolderChangeNotice>> folders_;
};

}  // namespace quorvane
