#include "app/console/entry_details.h"

#include <windows.h>

#include <cwchar>

#include "common/files.h"
#include "common/version_info.h"

namespace quorvane {

namespace {

constexpr wchar_t kProductName[] = L"ProductName";
constexpr wchar_t kFileDescription[] = L"FileDescription";
constexpr wchar_t kCompanyName[] = L"CompanyName";
constexpr wchar_t kFileVersion[] = L"FileVersion";

std::wstring ValueOf(const VersionValues& values, const wchar_t* name) {
  const auto found = values.find(name);
  return found == values.end() ? std::wstring() : found->second;
}

EntryDetails DetailsOf(const TAutorunInfo& entry) {
  VersionValues versions;
  GetVersionStrings(entry.FileName, {kProductName, kFileDescription, kCompanyName, kFileVersion}, versions);
  EntryDetails details;
  details.product = ValueOf(versions, kProductName);
  details.description = ValueOf(versions, kFileDescription);
  details.company = ValueOf(versions, kCompanyName);
  details.version = ValueOf(versions, kFileVersion);
  details.fileExists = FileExists(entry.FileName);
  if (details.fileExists) {
    static SignatureCache signatures;
    details.signature = signatures.Of(entry.FileName);
  }
  if (const std::optional<std::uint64_t> offSince = SwitchedOffTime(entry)) {
    details.disabledAt = IsoTimeOfFileTime(*offSince);
  }
  return details;
}

}  // namespace

CatalogueReport ReportCatalogue(const AutorunList& list) {
  CatalogueReport report;
  report.reserve(list.size());
  for (const TAutorunInfo& entry : list) report.push_back({entry, DetailsOf(entry)});
  return report;
}

std::optional<std::wstring> IsoTimeOfFileTime(std::uint64_t fileTime) {
  FILETIME time{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  SYSTEMTIME utc{};
  if (!FileTimeToSystemTime(&time, &utc)) return std::nullopt;
  wchar_t text[32] = {};
  std::swprintf(text, std::size(text), L"%04u-%02u-%02uT%02u:%02u:%02uZ", unsigned{utc.wYear}, unsigned{utc.wMonth},
                unsigned{utc.wDay}, unsigned{utc.wHour}, unsigned{utc.wMinute}, unsigned{utc.wSecond});
  return text;
}

}  // namespace quorvane
