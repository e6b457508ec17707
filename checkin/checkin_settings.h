// The settings of the check-in that its threads share.
#pragma once

#include <string>

namespace quorvane {

// The check-in settings: the endpoint that every request goes to, and the layout offset of the
// update dialog. CheckUpdate sets them on the main thread before it starts any thread; the
// threads only read them.
void SetCheckInSettings(std::wstring endpoint, int layoutOffset);
const std::wstring& CheckInEndpoint();
int CheckInLayoutOffset();

}  // namespace quorvane
