// load_bench: the startup list's own load, from the start of the refresh to the last row, for
// 500 and for 5,000 entries whose files exist, against the least that reading the same
// catalogue, version strings and icons takes.
//
//   load_bench [REPETITIONS]
//
// Run it in a Wine prefix (or a Windows system) of its own: it copies a small program with an
// icon and a version resource (load_fixture.exe, beside this program) to a path of its own for
// every entry, names nine in ten of them in the Run keys and puts the tenth into a Startup
// folder, and takes all of it away again at the end. Each round times, at each size, the load
// of a frame in a hidden window, a reload of the same catalogue on that frame, and the floor:
// the catalogue's places read bare (bench/bare_reads), then each file's product name and icon,
// the icon added to an image list. The sizes take turns; each figure is the median of
// REPETITIONS rounds (default 5), after one warm-up load. The peak working set is that of a
// process of its own that does one load at that size: this program started again with --peak,
// which exits with its peak working set in KiB.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "bench/bare_reads.h"
#include "catalogue/autorun.h"
#include "common/scoped.h"
#include "common/shell.h"
#include "listview/frm_autorun.h"
#include "ui/application.h"
#include "ui/form.h"

namespace quorvane {
namespace {

using namespace bench;

constexpr std::array<int, 2> kEntryCounts = {500, 5000};
constexpr wchar_t kFilesFolder[] = L"C:\\QuorvaneLoadBench";
constexpr wchar_t kPeakSwitch[] = L"--peak";

// Every tenth entry is a file in a Startup folder, the others are Run values.
bool IsStartupFile(int index) { return index % 10 == 9; }

std::wstring Numbered(const wchar_t* format, int index) {
  wchar_t text[200];
  std::swprintf(text, std::size(text), format, index, index);
  return text;
}

std::wstring ModuleFolder() {
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring folder(path.data(), length);
  return folder.substr(0, folder.rfind(L'\\'));
}

std::wstring ProgramPath(int index) { return std::wstring(kFilesFolder) + Numbered(L"\\App %05d\\app%05d.exe", index); }

std::wstring RunValueName(int index) { return Numbered(L"Load Bench %05d", index); }

std::wstring StartupFilePath(const std::vector<StartupFolderPlaces>& folders, int index) {
  const std::wstring& folder = folders[static_cast<std::size_t>(index / 10) % folders.size()].folder;
  return folder + Numbered(L"\\Load Bench %05d.exe", index);
}

const RunKeyPlaces& RunKeyOf(const std::vector<RunKeyPlaces>& keys, int index) {
  return keys[static_cast<std::size_t>(index) % keys.size()];
}

// The programs of the Run values, made once for the largest size.
bool CopyPrograms(const std::wstring& fixture) {
  CreateDirectoryW(kFilesFolder, nullptr);
  for (int index = 0; index < kEntryCounts.back(); ++index) {
    if (IsStartupFile(index)) continue;
    const std::wstring path = ProgramPath(index);
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    if (!CopyFileW(fixture.c_str(), path.c_str(), FALSE)) return false;
  }
  return true;
}

void DeletePrograms() {
  for (int index = 0; index < kEntryCounts.back(); ++index) {
    if (IsStartupFile(index)) continue;
    const std::wstring path = ProgramPath(index);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.substr(0, path.rfind(L'\\')).c_str());
  }
  RemoveDirectoryW(kFilesFolder);
}

// Adds or removes entries until there are count of them.
void SeedEntries(const std::wstring& fixture, int& seeded, int count) {
  const std::vector<RunKeyPlaces> keys = RunKeys();
  const std::vector<StartupFolderPlaces> folders = StartupFolders();
  for (; seeded < count; ++seeded) {
    if (IsStartupFile(seeded)) {
      CopyFileW(fixture.c_str(), StartupFilePath(folders, seeded).c_str(), FALSE);
    } else {
      const RunKeyPlaces& key = RunKeyOf(keys, seeded);
      TReg::WriteString(key.rootKey, key.runKey, RunValueName(seeded), L'"' + ProgramPath(seeded) + L"\" /background");
    }
  }
  for (; seeded > count; --seeded) {
    const int index = seeded - 1;
    if (IsStartupFile(index)) {
      DeleteFileW(StartupFilePath(folders, index).c_str());
    } else {
      TReg::DeleteValue(RunKeyOf(keys, index).rootKey, RunKeyOf(keys, index).runKey, RunValueName(index));
    }
  }
}

// The program that a command line starts, as the floor sees it: the quoted path, else the
// text up to the first blank.
std::wstring ProgramOf(const std::wstring& commandLine) {
  if (commandLine.starts_with(L'"')) return commandLine.substr(1, commandLine.find(L'"', 1) - 1);
  return commandLine.substr(0, commandLine.find(L' '));
}

bool HasProductName(const std::wstring& path, std::vector<std::uint8_t>& versionInfo) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  versionInfo.resize(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, versionInfo.data())) return false;
  void* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(versionInfo.data(), L"\\VarFileInfo\\Translation", &translation, &length) || length < 4) {
    return false;
  }
  std::uint16_t language[2];
  std::memcpy(language, translation, sizeof language);
  wchar_t subBlock[64];
  std::swprintf(subBlock, std::size(subBlock), L"\\StringFileInfo\\%04X%04X\\ProductName",
                static_cast<unsigned>(language[0]), static_cast<unsigned>(language[1]));
  void* value = nullptr;
  return VerQueryValueW(versionInfo.data(), subBlock, &value, &length) && length > 0;
}

bool AddIcon(const std::wstring& path, HIMAGELIST images) {
  std::vector<wchar_t> buffer(std::max<std::size_t>(MAX_PATH, path.size() + 1), L'\0');
  std::copy(path.begin(), path.end(), buffer.begin());
  WORD iconNumber = 0;
  const HICON icon = ExtractAssociatedIconW(nullptr, buffer.data(), &iconNumber);
  if (!icon) return false;
  const int index = ImageList_ReplaceIcon(images, -1, icon);
  DestroyIcon(icon);
  return index >= 0;
}

// What the floor saw besides the catalogue's places: the files with a product name and those
// whose icon it added.
struct FileCounts {
  int productNames = 0;
  int icons = 0;
};

FileCounts ReadFloor() {
  FloorCounts counts;
  std::vector<std::wstring> files;
  ReadStartupFolders(counts, &files);
  std::vector<std::wstring> commandLines;
  ReadRunKeys(counts, &commandLines);
  ReadServices(counts);
  for (const std::wstring& commandLine : commandLines) files.push_back(ProgramOf(commandLine));

  const HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 16);
  FileCounts fileCounts;
  std::vector<std::uint8_t> versionInfo;
  for (const std::wstring& file : files) {
    if (HasProductName(file, versionInfo)) ++fileCounts.productNames;
    if (AddIcon(file, images)) ++fileCounts.icons;
  }
  ImageList_Destroy(images);
  return fileCounts;
}

// The times of one size, gathered over the whole run.
struct Series {
  std::vector<double> loadTimes;
  std::vector<double> reloadTimes;
  std::vector<double> floorTimes;
  std::size_t rows = 0;
  std::size_t iconsAfterLoad = 0;
  std::size_t iconsAfterReload = 0;
  FileCounts fileCounts;
};

// A load in a fresh frame, a reload on the same frame, and the floor, in turn, so that a machine
// that changes speed affects all three alike.
void MeasureOnce(Series& series) {
  ui::Form form;
  auto& frame = ui::Component::Create<TFrmAutorun>(form, form);
  series.loadTimes.push_back(TimeOf([&] { frame.LoadAutorun(); }));
  series.iconsAfterLoad = frame.DataIcon.Count();
  series.reloadTimes.push_back(TimeOf([&] { frame.LoadAutorun(); }));
  series.iconsAfterReload = frame.DataIcon.Count();
  series.rows = frame.Rows().Count();
  series.floorTimes.push_back(TimeOf([&] { series.fileCounts = ReadFloor(); }));
}

// The peak working set, in KiB, of a new process of this program that does one load.
std::optional<DWORD> PeakOfOneLoad() {
  std::vector<wchar_t> path(32768);
  GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring commandLine = L'"' + std::wstring(path.data()) + L"\" " + kPeakSwitch;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return std::nullopt;
  }
  const ScopedHandle processHandle(process.hProcess);
  const ScopedHandle threadHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.hProcess, &exitCode) || exitCode == 0) return std::nullopt;
  return exitCode;
}

int MeasurePeak() {
  ui::application::Initialize();
  InitFolderPlaceholders();
  {
    ui::Form form;
    auto& frame = ui::Component::Create<TFrmAutorun>(form, form);
    frame.LoadAutorun();
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) return 0;
  return static_cast<int>(memory.PeakWorkingSetSize / 1024);
}

std::vector<Series> MeasureSizes(const std::wstring& fixture, int repetitions, int& seeded) {
  std::vector<Series> series(kEntryCounts.size());
  for (int round = 0; round < repetitions; ++round) {
    for (std::size_t step = 0; step < kEntryCounts.size(); ++step) {
      const std::size_t size = round % 2 == 0 ? step : kEntryCounts.size() - 1 - step;
      SeedEntries(fixture, seeded, kEntryCounts[size]);
      MeasureOnce(series[size]);
    }
  }
  return series;
}

int Run(int repetitions) {
  ui::application::Initialize();
  InitFolderPlaceholders();
  const std::wstring fixture = ModuleFolder() + L"\\load_fixture.exe";
  for (const StartupFolderPlaces& place : StartupFolders()) CreateDirectoryW(place.folder.c_str(), nullptr);
  if (!CopyPrograms(fixture)) {
    std::fprintf(stderr, "load_bench: cannot copy %ls (%lu)\n", fixture.c_str(), GetLastError());
    DeletePrograms();
    return 1;
  }
  int seeded = 0;
  SeedEntries(fixture, seeded, kEntryCounts.front());
  Series warmUp;
  MeasureOnce(warmUp);
  const std::vector<Series> series = MeasureSizes(fixture, repetitions, seeded);

  std::printf("Median of %d rounds, in milliseconds; ratio = load / floor.\n\n", repetitions);
  std::printf("%7s %6s %7s %9s %9s %7s %10s %12s %14s\n", "entries", "rows", "icons", "load ms", "floor ms", "ratio",
              "reload ms", "reload icons", "peak set MiB");
  bool complete = true;
  std::vector<double> loads;
  std::vector<double> ratios;
  std::vector<DWORD> peaks;
  for (std::size_t size = 0; size < series.size(); ++size) {
    SeedEntries(fixture, seeded, kEntryCounts[size]);
    const std::optional<DWORD> peak = PeakOfOneLoad();
    const Series& measured = series[size];
    const double load = Median(measured.loadTimes);
    const double floor = Median(measured.floorTimes);
    const std::size_t reloadIcons = measured.iconsAfterReload - measured.iconsAfterLoad;
    std::printf("%7d %6zu %7zu %9.1f %9.1f %7.2f %10.1f %12zu %14.1f\n", kEntryCounts[size], measured.rows,
                measured.iconsAfterLoad, load * 1000, floor * 1000, load / floor, Median(measured.reloadTimes) * 1000,
                reloadIcons, peak ? *peak / 1024.0 : 0.0);
    // Every entry has a row, and the floor found each file's product name and icon.
    complete = complete && peak && measured.rows >= static_cast<std::size_t>(kEntryCounts[size]) &&
               measured.fileCounts.productNames >= kEntryCounts[size] &&
               measured.fileCounts.icons >= kEntryCounts[size];
    loads.push_back(load);
    ratios.push_back(load / floor);
    peaks.push_back(peak.value_or(0));
  }
  std::printf("\n");
  std::printf("load / floor at 5000 %.2fx (goal at most 1.5x)\n", ratios.back());
  std::printf("growth of the load 5000 vs 500 %.2fx (goal at most 12x)\n", loads.back() / loads.front());
  std::printf("peak working set after the load: 500 %.1f MiB, 5000 %.1f MiB\n", peaks.front() / 1024.0,
              peaks.back() / 1024.0);
  std::printf("icons extracted again by a reload at 5000: %zu (goal 0)\n",
              series.back().iconsAfterReload - series.back().iconsAfterLoad);

  SeedEntries(fixture, seeded, 0);
  DeletePrograms();
  ReleaseFolderPlaceholders();
  if (!complete) {
    std::fprintf(stderr, "load_bench: a load lacks rows, or the floor lacks files, of the seeded entries\n");
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace quorvane

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcscmp(argv[1], quorvane::kPeakSwitch) == 0) return quorvane::MeasurePeak();
  const int repetitions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  return quorvane::Run(repetitions);
}
