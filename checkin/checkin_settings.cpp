#include "checkin/checkin_settings.h"

#include <utility>

namespace quorvane {

namespace {

struct CheckInSettings {
  std::wstring endpoint;
  int layoutOffset = 0;
};

CheckInSettings& Settings() {
  static CheckInSettings settings;
  return settings;
}

}  // namespace

void SetCheckInSettings(std::wstring endpoint, int layoutOffset) {
  Settings().endpoint = std::move(endpoint);
  Settings().layoutOffset = layoutOffset;
}

const std::wstring& CheckInEndpoint() { return Settings().endpoint; }

int CheckInLayoutOffset() { return Settings().layoutOffset; }

}  // namespace quorvane
