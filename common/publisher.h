// The publisher's addresses that the program opens or talks to. They are fixed when the
// program is built: there is no setting that changes them.
#pragma once

namespace quorvane::publisher {

// Where the program checks in once per start.
inline constexpr wchar_t kCheckInEndpoint[] = L"https://update.tesmora.com/api.init.php";

// The program's home page, opened from the logo of the main window.
inline constexpr wchar_t kHomePage[] = L"https://www.tesmora.com/quorvane";

// The information site about autorun entries; an entry's page is its path after this base.
inline constexpr wchar_t kInformationSite[] = L"https://info.tesmora.com/entry/";

}  // namespace quorvane::publisher
