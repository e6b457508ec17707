#include "checkin/client_id.h"

#include <cstdint>
#include <cwchar>
#include <optional>
#include <random>

#include "registry/key_reads.h"
#include "registry/reg_key.h"

namespace quorvane {

namespace {

// Seeded once per thread from the high-resolution counter, so that two runs, or two threads,
// never draw the same numbers.
std::mt19937& RandomGenerator() {
  thread_local std::mt19937 generator = [] {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::seed_seq seed{static_cast<std::uint32_t>(counter.QuadPart), static_cast<std::uint32_t>(counter.QuadPart >> 32),
                       static_cast<std::uint32_t>(GetCurrentThreadId())};
    return std::mt19937(seed);
  }();
  return generator;
}

// A random number below limit, as upper-case hexadecimal digits.
std::wstring RandomHex(int limit, int digits) {
  std::uniform_int_distribution<int> below(0, limit - 1);
  wchar_t text[16] = {};
  std::swprintf(text, std::size(text), L"%0*X", digits, static_cast<unsigned>(below(RandomGenerator())));
  return text;
}

std::wstring TwoDigits(int number) {
  wchar_t text[4] = {};
  std::swprintf(text, std::size(text), L"%02d", number % 100);
  return text;
}

std::wstring LocalDate() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return TwoDigits(now.wYear) + TwoDigits(now.wMonth) + TwoDigits(now.wDay);
}

std::wstring LocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return TwoDigits(now.wHour) + TwoDigits(now.wMinute) + TwoDigits(now.wSecond);
}

constexpr wchar_t kClientIdKey[] = L"Software\\Tesmora";
constexpr wchar_t kClientIdValue[] = L"TUID";

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

struct StoredValue {
  DWORD type = REG_NONE;
  std::wstring text;  // for a string value, up to its first NUL
};

std::optional<StoredValue> ReadValue(const RegKey& key, const wchar_t* name) {
  DWORD type = REG_NONE;
  RegKey::Bytes data;
  if (key.Query(name, type, data) != ERROR_SUCCESS) return std::nullopt;
  StoredValue value{type, {}};
  if (!IsStringType(type)) return value;
  value.text = TextOfValueData(data.data(), data.size());
  return value;
}

bool WriteClientID(HKEY key, const std::wstring& identifier) {
  // Borrowed, not owned: the caller closes the key.
  RegKey borrowed(key);
  const bool written = borrowed.SetString(kClientIdValue, identifier) == ERROR_SUCCESS;
  borrowed.Release();
  return written;
}

}  // namespace

std::wstring GetClientID() { return ReadOrCreateClientID(HKEY_CURRENT_USER, kClientIdKey, WriteClientID); }

// An identifier is only ever stored whole. A missing or empty value is replaced by a new one;
// when storing fails, whatever the failed write may have left is removed, so that the next start
// tries again instead of sending a broken identifier for good.
std::wstring ReadOrCreateClientID(HKEY root, const std::wstring& keyPath, const ClientIdStore& store) {
  RegKey key;
  if (key.Create(root, keyPath, KEY_READ | KEY_WRITE) != ERROR_SUCCESS) return {};
  std::optional<StoredValue> stored = ReadValue(key, kClientIdValue);
  const bool usable = stored && !(IsStringType(stored->type) && stored->text.empty());
  if (!usable) {
    if (!store(key.Get(), NewClientID())) {
      key.DeleteValue(kClientIdValue);
      return {};
    }
    stored = ReadValue(key, kClientIdValue);
  }
  // A value of another type is left alone: it may be someone else's.
  return (stored && IsStringType(stored->type)) ? stored->text : std::wstring();
}

std::wstring NewClientID() {
  constexpr int kLargeLimit = 2147483647;
  constexpr int kSmallLimit = 65535;
  return RandomHex(kLargeLimit, 8) + LocalDate() + RandomHex(kSmallLimit, 4) + LocalTime() + RandomHex(kLargeLimit, 8);
}

}  // namespace quorvane
