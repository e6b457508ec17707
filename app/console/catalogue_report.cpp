#include "app/console/catalogue_report.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <vector>

#include "common/text.h"

namespace quorvane {

namespace {

constexpr std::size_t kColumnGap = 2;

struct CodeRange {
  char32_t first;
  char32_t last;
};

// The East Asian wide and full-width blocks, which consoles draw two columns wide.
constexpr CodeRange kWideRanges[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x20000, 0x3FFFD},
};

bool IsWide(char32_t c) {
  return std::any_of(std::begin(kWideRanges), std::end(kWideRanges),
                     [c](const CodeRange& range) { return c >= range.first && c <= range.last; });
}

// Control characters (a line break in a registry value name, say) would break the table.
std::wstring Printable(std::wstring_view text) {
  std::wstring result(text);
  for (wchar_t& c : result) {
    if (static_cast<std::uint32_t>(c) < 32 || c == 0x7F) c = L'?';
  }
  return result;
}

nlohmann::ordered_json EntryJson(const TAutorunInfo& entry) {
  nlohmann::ordered_json object;
  object["from"] = ToUtf8(entry.From);
  object["caption"] = ToUtf8(entry.Caption);
  object["target"] = ToUtf8(entry.Target);
  object["fileName"] = ToUtf8(entry.FileName);
  object["rawData"] = ToUtf8(entry.RawData);
  object["enabled"] = entry.Enabled;
  return object;
}

}  // namespace

std::size_t DisplayWidth(std::wstring_view text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<std::uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(text[++i]) - 0xDC00);
      }
    }
    width += IsWide(c) ? 2 : 1;
  }
  return width;
}

std::wstring FormatCatalogueTable(const AutorunList& list) {
  using Row = std::array<std::wstring, 4>;
  std::vector<Row> rows{{L"State", L"Source", L"Caption", L"Target"}};
  for (const TAutorunInfo& entry : list) {
    rows.push_back({entry.Enabled ? L"on" : L"off", Printable(entry.From), Printable(entry.Caption),
                    Printable(entry.Target)});
  }

  std::array<std::size_t, 3> widths{};
  for (const Row& row : rows) {
    for (std::size_t column = 0; column < widths.size(); ++column) {
      widths[column] = std::max(widths[column], DisplayWidth(row[column]));
    }
  }

  std::wstring table;
  for (const Row& row : rows) {
    for (std::size_t column = 0; column < widths.size(); ++column) {
      table += row[column];
      table.append(widths[column] - DisplayWidth(row[column]) + kColumnGap, L' ');
    }
    table += row.back();
    table += L"\r\n";
  }
  return table;
}

std::wstring FormatCatalogueJson(const AutorunList& list) {
  if (list.empty()) return L"[]\r\n";
  std::string json = "[\r\n";
  for (std::size_t i = 0; i < list.size(); ++i) {
    json += "  ";
    json += EntryJson(list[i]).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    json += i + 1 < list.size() ? ",\r\n" : "\r\n";
  }
  json += "]\r\n";
  return FromUtf8(json);
}

}  // namespace quorvane
