// The list's four built-in images: the first images of its collection, at these indexes, and
// the program's resources that hold them as icon-file data.
#pragma once

namespace quorvane {

inline constexpr int kBlankDocumentImage = 0;  // a file that is missing or has no icon
inline constexpr int kRegistryImage = 1;       // the default of Run-key and Startup-folder entries
inline constexpr int kClockImage = 2;          // scheduled tasks
inline constexpr int kGearImage = 3;           // services

// In the order of their indexes.
inline constexpr const wchar_t* kBuiltInImageResources[] = {L"AUTORUN_BLANK_DOCUMENT", L"AUTORUN_REGISTRY",
                                                            L"AUTORUN_CLOCK", L"AUTORUN_GEAR"};

}  // namespace quorvane
