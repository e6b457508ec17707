#include "support/url_probe.h"

#include <stdexcept>

namespace quorvane::test {

namespace {

constexpr const wchar_t* kSchemes[] = {L"http", L"https"};

std::wstring OpenCommandKey(const wchar_t* scheme) {
  return std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
}

// The probe writes whole lines; a line without its end is still being written.
std::vector<std::string> CompleteLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    // The shell quotes the address as the command asks: "%1".
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

UrlProbe::UrlProbe() : probe_(folder_.File(L"browser_stand_in.exe")) {
  if (!CopyFileW(ProgramBesideTest(L"browser_stand_in.exe").c_str(), probe_.c_str(), TRUE)) {
    throw std::runtime_error("cannot copy the url probe");
  }
  for (const wchar_t* scheme : kSchemes) {
    SavedCommand saved{OpenCommandKey(scheme), std::nullopt, REG_SZ};
    if (RawValueExists(HKEY_LOCAL_MACHINE, saved.key, L"")) {
      saved.value = RawValueBytes(HKEY_LOCAL_MACHINE, saved.key, L"", &saved.type);
    }
    saved_.push_back(saved);
    SetStringValue(HKEY_LOCAL_MACHINE, saved.key, L"", L"\"" + probe_ + L"\" \"%1\"");
  }
}

UrlProbe::~UrlProbe() {
  for (const SavedCommand& saved : saved_) {
    if (saved.value) {
      SetRawValue(HKEY_LOCAL_MACHINE, saved.key, L"", saved.type, saved.value->data(), saved.value->size());
    } else {
      DeleteRawTree(HKEY_LOCAL_MACHINE, saved.key);
    }
  }
  // Let probes that are still running end before their folder goes.
  for (int attempt = 0; attempt < 100 && !DeleteFileW(probe_.c_str()); ++attempt) Sleep(50);
}

std::vector<std::string> UrlProbe::Opened() const {
  const std::wstring log = probe_ + L".log";
  return FileExists(log) ? CompleteLines(ReadFileBytes(log)) : std::vector<std::string>();
}

std::vector<std::string> UrlProbe::WaitForOpened(std::size_t count, DWORD timeoutMilliseconds) const {
  const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
  std::vector<std::string> opened = Opened();
  while (opened.size() < count && GetTickCount64() < deadline) {
    Sleep(20);
    opened = Opened();
  }
  return opened;
}

}  // namespace quorvane::test
