#include <vector>

#include "catalogue/sources.h"
#include "common/shell.h"
#include "registry/key_reads.h"

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
  const RegKey runKey = OpenKeyForReading(rootKey, key);
  if (!runKey) return;
  AddRunValues(rootKey, key, runKey, runKey.ValueNames(), list);
}

void AddRunValues(HKEY rootKey, const std::wstring& key, const RegKey& runKey,
                  const std::vector<std::wstring>& valueNames, AutorunList& list) {
  if (valueNames.empty()) return;
  const RegKey approvedKey = OpenKeyForReading(rootKey, ApprovedKeyOfRunKey(key));

  const std::wstring rootName = RootKeyToName(rootKey, true);
  const std::wstring targetPrefix = rootName + key + L'\\';
  for (const std::wstring& name : valueNames) {
    TAutorunInfo entry;
    entry.RawData = ReadStringValue(runKey, name);
    entry.FileName = ResolveTarget(entry.RawData);
    entry.Caption = name;
    entry.Target = targetPrefix + name;
    entry.From = rootName;
    entry.Enabled = IsApproved(approvedKey, name);
    list.push_back(std::move(entry));
  }
}

}  // namespace quorvane
