// The publisher's web addresses.
#pragma once

namespace quorvane {

// The check-in endpoint, the program's home page, and the base of the entry information pages.
inline constexpr wchar_t kCheckInUrl[] = L"https://update.tesmora.com/api.init.php";
inline constexpr wchar_t kHomePageUrl[] = L"https://www.tesmora.com/quorvane";
inline constexpr wchar_t kEntryInfoUrl[] = L"https://info.tesmora.com/entry/";

}  // namespace quorvane
