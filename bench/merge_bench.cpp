// Times the startup list's merge of a catalogue into its rows, for 500 and for 5,000 entries:
// the first load into an empty list, and a reload of the same catalogue, where every entry
// finds its row. Both should grow in step with the catalogue, so the ratios stay near ten.
// Run it with scripts/bench merge.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "ui/application.h"
#include "ui/form.h"
#include "common/name_list.h"
#include "common/shell.h"
#include "listview/frm_autorun.h"

namespace quorvane {
namespace {

constexpr int kRuns = 5;

// A catalogue of every source in equal parts, with files that do not exist, so that the
// merge asks for product names and icons without finding any.
AutorunList Catalogue(int size) {
  static const wchar_t* const kSources[] = {L"FILE", L"HKCU", L"SCHE", L"SERV"};
  AutorunList catalogue;
  for (int i = 0; i < size; ++i) {
    const std::wstring name = L"Bench entry " + std::to_wstring(i);
    TAutorunInfo entry;
    entry.From = kSources[i % 4];
    entry.Caption = name;
    entry.FileName = L"C:\\Bench\\Missing\\" + name + L".exe";
    entry.RawData = entry.FileName;
    entry.Target = entry.From == L"HKCU"   ? L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\" + name
                   : entry.From == L"SCHE" ? L"\\" + name
                   : entry.From == L"SERV" ? name
                                           : L"C:\\Startup\\" + name + L".lnk";
    entry.Enabled = i % 7 != 0;
    catalogue.push_back(std::move(entry));
  }
  return catalogue;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Times {
  double firstLoad = 1e300;
  double reload = 1e300;
};

// The best of several runs, each in a frame of its own.
Times Measure(int size, const NameList& nameWhite) {
  const AutorunList catalogue = Catalogue(size);
  Times best;
  for (int run = 0; run < kRuns; ++run) {
    ui::Form form;
    auto& frame = ui::Component::Create<TFrmAutorun>(form, form);
    frame.SetNameWhite(&nameWhite);
    frame.ListAutoObj = catalogue;
    LARGE_INTEGER start, loaded, reloaded;
    QueryPerformanceCounter(&start);
    frame.MergeAutorun();
    QueryPerformanceCounter(&loaded);
    frame.MergeAutorun();
    QueryPerformanceCounter(&reloaded);
    best.firstLoad = std::min(best.firstLoad, Milliseconds(start, loaded));
    best.reload = std::min(best.reload, Milliseconds(loaded, reloaded));
  }
  return best;
}

int Run() {
  ui::application::Initialize();
  InitFolderPlaceholders();
  NameList nameWhite;
  LoadNameList(nameWhite, L"name_white");

  const Times small = Measure(500, nameWhite);
  const Times large = Measure(5000, nameWhite);
  std::printf("entries  first load     reload\n");
  std::printf("    500  %8.2f ms  %8.2f ms\n", small.firstLoad, small.reload);
  std::printf("   5000  %8.2f ms  %8.2f ms\n", large.firstLoad, large.reload);
  std::printf("ratio 5000/500: first load %.1f, reload %.1f\n", large.firstLoad / small.firstLoad,
              large.reload / small.reload);
  return 0;
}

}  // namespace
}  // namespace quorvane

int main() { return quorvane::Run(); }
