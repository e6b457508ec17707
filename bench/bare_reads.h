// What the benchmarks hold the program against: the least that reading the catalogue's places
// takes, done bare with the platform API and one handle per key, and the timing helpers that
// both benchmarks share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorvane::bench {

// Where a Run key keeps its StartupApproved values.
struct RunKeyPlaces {
  HKEY rootKey;
  std::wstring runKey;       // without a leading backslash
  std::wstring approvedKey;  // the same
};
std::vector<RunKeyPlaces> RunKeys();

struct StartupFolderPlaces {
  HKEY approvedRoot;
  std::wstring folder;
};
std::vector<StartupFolderPlaces> StartupFolders();

const wchar_t* ApprovedStartupFolderKey();

// What a bare read saw: a count of everything, so that it cannot be optimised away and can be
// held against the catalogue.
struct FloorCounts {
  int runValues = 0;
  int startupFiles = 0;
  int services = 0;
  int approvedValues = 0;
};

// Each read counts what it saw; given a list, it also adds the text of each Run value, or the
// path of each Startup-folder file, to it.
void ReadRunKeys(FloorCounts& counts, std::vector<std::wstring>* commandLines = nullptr);
void ReadStartupFolders(FloorCounts& counts, std::vector<std::wstring>* paths = nullptr);
void ReadServices(FloorCounts& counts);

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to);
double Median(std::vector<double> times);

// In seconds.
template <typename Work>
double TimeOf(Work work) {
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  QueryPerformanceCounter(&start);
  work();
  QueryPerformanceCounter(&end);
  return Seconds(start, end);
}

}  // namespace quorvane::bench
