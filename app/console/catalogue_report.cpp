#include "app/console/catalogue_report.h"

#include <algorithm>
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
    {0x1100, 0x115F}, {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF}, {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F}, {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x20000, 0x3FFFD},
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

nlohmann::ordered_json Text(const std::wstring& text) { return ToUtf8(text); }

// RFC 4180: a field with a comma, a quote or a line break is quoted, its quotes doubled.
std::string CsvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + '"';
}

std::string CsvValue(const nlohmann::ordered_json& value) {
  if (value.is_string()) return CsvField(value.get<std::string>());
  if (value.is_null()) return "";
  return CsvField(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string record;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) record += ',';
    record += fields[i];
  }
  return record + "\r\n";
}

}  // namespace

nlohmann::ordered_json EntryJson(const ReportedEntry& reported) {
  const TAutorunInfo& entry = reported.entry;
  const EntryDetails& details = reported.details;
  nlohmann::ordered_json object;
  object["from"] = Text(entry.From);
  object["caption"] = Text(entry.Caption);
  object["target"] = Text(entry.Target);
  object["fileName"] = Text(entry.FileName);
  object["rawData"] = Text(entry.RawData);
  object["enabled"] = entry.Enabled;
  object["product"] = Text(details.product);
  object["description"] = Text(details.description);
  object["company"] = Text(details.company);
  object["version"] = Text(details.version);
  object["fileExists"] = details.fileExists;
  object["disabledAt"] = details.disabledAt ? Text(*details.disabledAt) : nlohmann::ordered_json(nullptr);
  object["signature"] = details.signature ? Text(SignatureStateName(details.signature->state)) : nullptr;
  object["signer"] = details.signature ? Text(details.signature->signer) : nullptr;
  return object;
}

std::string JsonLine(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

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

std::wstring FormatTable(const std::vector<std::vector<std::wstring>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    if (row.size() > widths.size()) widths.resize(row.size());
    for (std::size_t column = 0; column < row.size(); ++column) {
      widths[column] = std::max(widths[column], DisplayWidth(Printable(row[column])));
    }
  }

  std::wstring table;
  for (const auto& row : rows) {
    for (std::size_t column = 0; column < row.size(); ++column) {
      const std::wstring cell = Printable(row[column]);
      table += cell;
      if (column + 1 < row.size()) table.append(widths[column] - DisplayWidth(cell) + kColumnGap, L' ');
    }
    table += L"\r\n";
  }
  return table;
}

std::wstring FormatCatalogueTable(const AutorunList& list) {
  std::vector<std::vector<std::wstring>> rows{{L"State", L"Source", L"Caption", L"Target"}};
  for (const TAutorunInfo& entry : list) {
    rows.push_back({entry.Enabled ? L"on" : L"off", entry.From, entry.Caption, entry.Target});
  }
  return FormatTable(rows);
}

std::wstring FormatCatalogueJson(const CatalogueReport& report) {
  if (report.empty()) return L"[]\r\n";
  std::string json = "[\r\n";
  for (std::size_t i = 0; i < report.size(); ++i) {
    json += "  " + JsonLine(EntryJson(report[i]));
    json += i + 1 < report.size() ? ",\r\n" : "\r\n";
  }
  json += "]\r\n";
  return FromUtf8(json);
}

std::wstring FormatCatalogueCsv(const CatalogueReport& report) {
  std::vector<std::string> header;
  const nlohmann::ordered_json names = EntryJson(ReportedEntry{});
  for (auto member = names.begin(); member != names.end(); ++member) header.push_back(CsvField(member.key()));
  std::string csv = "\xEF\xBB\xBF" + CsvRecord(header);
  for (const ReportedEntry& reported : report) {
    std::vector<std::string> fields;
    const nlohmann::ordered_json object = EntryJson(reported);
    for (const nlohmann::ordered_json& value : object) fields.push_back(CsvValue(value));
    csv += CsvRecord(fields);
  }
  return FromUtf8(csv);
}

}  // namespace quorvane
