// A change notice on one folder: signalled when a file in it is added, removed, renamed or
// written, or when the folder itself is removed or created. A folder that does not exist is
// watched through its nearest existing parent. A notice fires once: Rearm sets it again on the
// folder as it is then, and must come before the folder is read again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorvane {

class FolderChangeNotice {
 public:
  explicit FolderChangeNotice(std::wstring folder);
  ~FolderChangeNotice();
  FolderChangeNotice(const FolderChangeNotice&) = delete;
  FolderChangeNotice& operator=(const FolderChangeNotice&) = delete;

  // One or two handles to wait on (the folder's and its parent's).
  const std::vector<HANDLE>& Handles() const { return handles_; }
  void Rearm();

 private:
  void Close();

  std::wstring folder_;
  std::vector<HANDLE> handles_;
};

}  // namespace quorvane
