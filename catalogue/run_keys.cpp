#include <vector>

#include "catalogue/sources.h"
#include "common/shell.h"

namespace quorvane {

const RunKeyLocation kRunKeys[3] = {
    {HKEY_LOCAL_MACHINE, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {HKEY_LOCAL_MACHINE, L"\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {HKEY_CURRENT_USER, L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
};

void AddRunKeys(AutorunList& list) {
  for (const RunKeyLocation& runKey : kRunKeys) AddRunKey(runKey.rootKey, runKey.key, list);
}

void AddRunKey(HKEY rootKey, const std::wstring& key, AutorunList& list) {
  std::vector<std::wstring> valueNames;
  if (TReg::ReadValueNames(rootKey, key, valueNames) == 0) return;

  const std::wstring approvedKey = ApprovedKeyOfRunKey(key);

  const std::wstring rootName = RootKeyToName(rootKey, true);
  for (const std::wstring& name : valueNames) {
    TAutorunInfo entry;
    entry.RawData = TReg::ReadString(rootKey, key, name, L"");
    entry.FileName = ResolveTarget(entry.RawData);
    entry.Caption = name;
    entry.Target = rootName + key + L'\\' + name;
    entry.From = rootName;
    entry.Enabled = IsApproved(rootKey, approvedKey, name);
    list.push_back(std::move(entry));
  }
}

}  // namespace quorvane
