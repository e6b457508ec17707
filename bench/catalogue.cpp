// catalogue_bench: how the catalogue refresh grows with the number of Run values, and how it
// compares with the least that reading the same places takes.
//
//   catalogue_bench [REPETITIONS]
//
// Run it in a Wine prefix (or a Windows system) of its own: it writes Run values with their
// StartupApproved values, Startup-folder files and services, and takes them away again at the
// end. For each size it times RefreshAutorunList and, as the floor, a bare loop that reads the
// same keys, values, files and service configurations with the platform API, one handle per
// key. The sizes take turns, round after round; each figure is the median of REPETITIONS
// rounds (default 5), after one warm-up run.
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench/bare_reads.h"
#include "catalogue/autorun.h"
#include "catalogue/sources.h"
#include "common/scoped.h"
#include "common/shell.h"

namespace quorvane {
namespace {

using namespace bench;

constexpr std::array<int, 4> kRunValueCounts = {100, 500, 1000, 5000};
constexpr std::array<int, 2> kStartupFileCounts = {50, 500};
constexpr int kExtraServices = 200;

// Half of the entries have a StartupApproved value, and a third of all are switched off.
bool HasApprovedValue(int index) { return index % 2 == 0; }
bool IsSwitchedOff(int index) { return index % 6 == 0 || index % 6 == 2; }

TReg::Bytes ApprovedData(int index) { return MakeApprovedData(!IsSwitchedOff(index)); }

// The format may use the index twice.
std::wstring Numbered(const wchar_t* format, int index) {
  wchar_t text[200];
  std::swprintf(text, std::size(text), format, index, index);
  return text;
}

// Command lines of the kinds that Run keys hold.
std::wstring CommandLine(int index) {
  switch (index % 4) {
    case 0:
      return Numbered(L"\"C:\\Program Files\\Vendor %d\\app%d.exe\" /background", index);
    case 1:
      return Numbered(L"%%ProgramFiles%%\\Vendor%d\\tray%d.exe --hidden", index);
    case 2:
      return Numbered(L"C:\\Windows\\system32\\rundll32.exe C:\\Vendor%d\\helper%d.dll,Start", index);
    default:
      return Numbered(L"C:\\Tools\\Vendor%d\\agent%d.exe -k", index);
  }
}

std::wstring RunValueName(int index) { return Numbered(L"Bench Entry %05d", index); }

const RunKeyPlaces& RunKeyOf(const std::vector<RunKeyPlaces>& keys, int index) {
  return keys[static_cast<std::size_t>(index) % keys.size()];
}

// Adds or removes the benchmark's Run values, spread over the three Run keys, until there are
// count of them.
void SeedRunValues(int& seeded, int count) {
  const std::vector<RunKeyPlaces> keys = RunKeys();
  for (; seeded < count; ++seeded) {
    const RunKeyPlaces& key = RunKeyOf(keys, seeded);
    const std::wstring name = RunValueName(seeded);
    TReg::WriteString(key.rootKey, key.runKey, name, CommandLine(seeded));
    if (HasApprovedValue(seeded)) TReg::WriteBinary(key.rootKey, key.approvedKey, name, ApprovedData(seeded));
  }
  for (; seeded > count; --seeded) {
    const RunKeyPlaces& key = RunKeyOf(keys, seeded - 1);
    const std::wstring name = RunValueName(seeded - 1);
    TReg::DeleteValue(key.rootKey, key.runKey, name);
    TReg::DeleteValue(key.rootKey, key.approvedKey, name);
  }
}

std::wstring StartupFileName(int index) {
  static constexpr std::array<const wchar_t*, 4> kFormats = {L"Bench File %05d.lnk", L"Bench File %05d.url",
                                                             L"Bench File %05d.exe", L"Bench File %05d.bat"};
  return Numbered(kFormats[static_cast<std::size_t>(index) % kFormats.size()], index);
}

const StartupFolderPlaces& FolderOf(const std::vector<StartupFolderPlaces>& folders, int index) {
  return folders[static_cast<std::size_t>(index) % folders.size()];
}

// The same for the files in the two Startup folders.
void SeedStartupFiles(int& seeded, int count) {
  const std::vector<StartupFolderPlaces> folders = StartupFolders();
  for (; seeded < count; ++seeded) {
    const StartupFolderPlaces& place = FolderOf(folders, seeded);
    const std::wstring name = StartupFileName(seeded);
    CreateDirectoryW(place.folder.c_str(), nullptr);
    const ScopedFile file(CreateFileW((place.folder + L'\\' + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (HasApprovedValue(seeded)) {
      TReg::WriteBinary(place.approvedRoot, ApprovedStartupFolderKey(), name, ApprovedData(seeded));
    }
  }
  for (; seeded > count; --seeded) {
    const StartupFolderPlaces& place = FolderOf(folders, seeded - 1);
    const std::wstring name = StartupFileName(seeded - 1);
    DeleteFileW((place.folder + L'\\' + name).c_str());
    TReg::DeleteValue(place.approvedRoot, ApprovedStartupFolderKey(), name);
  }
}

std::wstring ServiceName(int index) { return Numbered(L"QuorvaneBench%03d", index); }

void CreateServices(SC_HANDLE manager) {
  static constexpr std::array<DWORD, 3> kStartTypes = {SERVICE_AUTO_START, SERVICE_DEMAND_START, SERVICE_DISABLED};
  for (int i = 0; i < kExtraServices; ++i) {
    const std::wstring binary = Numbered(L"\"C:\\Program Files\\Bench %d\\service%d.exe\" -service", i);
    const ScopedServiceHandle service(
        CreateServiceW(manager, ServiceName(i).c_str(), Numbered(L"Quorvane Bench Service %d", i).c_str(),
                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, kStartTypes[static_cast<std::size_t>(i) % 3],
                       SERVICE_ERROR_IGNORE, binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  }
}

void DeleteServices(SC_HANDLE manager) {
  for (int i = 0; i < kExtraServices; ++i) {
    const ScopedServiceHandle service(OpenServiceW(manager, ServiceName(i).c_str(), DELETE));
    if (service) DeleteService(service.Get());
  }
}

FloorCounts ReadFloor() {
  FloorCounts counts;
  ReadStartupFolders(counts);
  ReadRunKeys(counts);
  ReadServices(counts);
  return counts;
}

// The times of one size, gathered over the whole run.
struct Series {
  std::vector<double> refreshTimes;
  std::vector<double> floorTimes;
  std::size_t entries = 0;
  FloorCounts counts;
};

// One refresh and one floor, in turn, so that a machine that changes speed affects both alike.
void MeasureOnce(Series& series) {
  AutorunList catalogue;
  series.refreshTimes.push_back(TimeOf([&] { RefreshAutorunList(catalogue); }));
  series.floorTimes.push_back(TimeOf([&] { series.counts = ReadFloor(); }));
  series.entries = catalogue.size();
}

// Every round visits every size, upwards and then downwards, so that a change in the machine's
// speed during the run falls on all sizes alike instead of on the sizes measured last.
std::vector<Series> MeasureSizes(int repetitions, int& runValues) {
  std::vector<Series> series(kRunValueCounts.size());
  for (int round = 0; round < repetitions; ++round) {
    for (std::size_t step = 0; step < kRunValueCounts.size(); ++step) {
      const std::size_t size = round % 2 == 0 ? step : kRunValueCounts.size() - 1 - step;
      SeedRunValues(runValues, kRunValueCounts[size]);
      MeasureOnce(series[size]);
    }
  }
  return series;
}

// Where the time of the last size goes: each source of the refresh against its part of the floor.
// Adds a summary line for each source that has a floor.
void PrintBreakdown(int repetitions, std::vector<std::string>& summary) {
  struct Part {
    const char* source;
    void (*refresh)(AutorunList&);
    void (*floor)(FloorCounts&);
  };
  static constexpr Part kParts[] = {
      {"Startup folders", AddStartupFolders, [](FloorCounts& counts) { ReadStartupFolders(counts); }},
      {"Run keys", AddRunKeys, [](FloorCounts& counts) { ReadRunKeys(counts); }},
      {"scheduled tasks", AddTasks, nullptr},
      {"services", AddServices, ReadServices}};
  std::printf("\n%-16s %11s %9s %7s\n", "source", "refresh ms", "floor ms", "ratio");
  for (const Part& part : kParts) {
    std::vector<double> refreshTimes;
    std::vector<double> floorTimes;
    for (int i = 0; i < repetitions; ++i) {
      AutorunList catalogue;
      refreshTimes.push_back(TimeOf([&] { part.refresh(catalogue); }));
      FloorCounts counts;
      if (part.floor) floorTimes.push_back(TimeOf([&] { part.floor(counts); }));
    }
    const double refresh = Median(refreshTimes);
    if (part.floor) {
      const double floor = Median(floorTimes);
      std::printf("%-16s %11.1f %9.1f %7.2f\n", part.source, refresh * 1000, floor * 1000, refresh / floor);
      char line[200];
      std::snprintf(line, sizeof line, "%s: refresh / floor at 5000 %.2fx (goal at most 2x)", part.source,
                    refresh / floor);
      summary.emplace_back(line);
    } else {
      std::printf("%-16s %11.1f %9s %7s\n", part.source, refresh * 1000, "-", "-");
    }
  }
}

// The catalogue holds every Run value and file that the floor saw, and every service.
bool SameContent(const Series& series) {
  const FloorCounts& counts = series.counts;
  return series.entries >= static_cast<std::size_t>(counts.runValues + counts.startupFiles + counts.services);
}

int Run(int repetitions) {
  const ScopedServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    std::fprintf(stderr, "catalogue_bench: cannot open the service manager (%lu)\n", GetLastError());
    return 1;
  }
  InitFolderPlaceholders();
  CreateServices(manager.Get());
  int runValues = 0;
  int startupFiles = 0;

  std::printf(
      "Median of %d rounds, in milliseconds; ratio = refresh / floor; growth = refresh / refresh of the "
      "row above.\n\n",
      repetitions);
  std::printf("%10s %13s %8s %8s %11s %9s %7s %7s\n", "Run values", "Startup files", "services", "entries",
              "refresh ms", "floor ms", "ratio", "growth");
  bool complete = true;
  std::vector<std::string> summary;
  for (const int fileCount : kStartupFileCounts) {
    SeedStartupFiles(startupFiles, fileCount);
    Series warmUp;
    MeasureOnce(warmUp);
    const std::vector<Series> series = MeasureSizes(repetitions, runValues);
    double previousRefresh = 0;
    double refreshAt500 = 0;
    for (std::size_t size = 0; size < series.size(); ++size) {
      const int valueCount = kRunValueCounts[size];
      const double refresh = Median(series[size].refreshTimes);
      const double floor = Median(series[size].floorTimes);
      complete = complete && SameContent(series[size]);
      char growth[16] = "-";
      if (previousRefresh > 0) std::snprintf(growth, sizeof growth, "%.2f", refresh / previousRefresh);
      std::printf("%10d %13d %8d %8zu %11.1f %9.1f %7.2f %7s\n", valueCount, fileCount, series[size].counts.services,
                  series[size].entries, refresh * 1000, floor * 1000, refresh / floor, growth);
      if (valueCount == 500) refreshAt500 = refresh;
      if (valueCount == 5000) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "%d Startup files: growth 5000 vs 500 Run values %.2fx (goal at most 12x); "
                      "refresh / floor at 5000 %.2fx (goal at most 1.5x)",
                      fileCount, refresh / refreshAt500, refresh / floor);
        summary.emplace_back(line);
      }
      previousRefresh = refresh;
    }
  }
  SeedRunValues(runValues, kRunValueCounts.back());
  std::printf("\nAt 5000 Run values and %d Startup files, by source:", kStartupFileCounts.back());
  PrintBreakdown(repetitions, summary);
  std::printf("\n");
  for (const std::string& line : summary) std::printf("%s\n", line.c_str());

  SeedRunValues(runValues, 0);
  SeedStartupFiles(startupFiles, 0);
  DeleteServices(manager.Get());
  ReleaseFolderPlaceholders();
  if (!complete) {
    std::fprintf(stderr, "catalogue_bench: the catalogue lacks entries that the floor read\n");
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace quorvane

int wmain(int argc, wchar_t** argv) {
  const int repetitions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  return quorvane::Run(repetitions);
}
