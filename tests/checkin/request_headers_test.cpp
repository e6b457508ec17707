// The headers of the check-in and of the "hold" command, as a real HTTP server on 127.0.0.1
// sees them. This test program carries the version resource 3.14.159.2653, which they send.
#include "checkin/request_headers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/translation/translation.h"
#include "checkin/checkin_settings.h"
#include "checkin/hold_command.h"
#include "checkin/server_request.h"
#include "common/debug_switch.h"
#include "common/text.h"
#include "common/version_info.h"
#include "support/checkin_server.h"
#include "support/client_identity.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::ElementsAre;

TEST(GetAppVersion, PutsTheFourVersionNumbersIntoTheFormat) {
  EXPECT_EQ(GetAppVersion(L"%d.%d.%d.%d"), L"3.14.159.2653");
  EXPECT_EQ(GetAppVersion(L"v%d-%d"), L"v3-14");
  // Only "%d" is a place for a number; a fifth one stays as written.
  EXPECT_EQ(GetAppVersion(L"%s %d.%d.%d.%d.%d %%"), L"%s 3.14.159.2653.%d %%");
}

// Everything the check-in sends, as the server saw it: the four headers in their order.
class CheckInHeaderList : public testing::Test {
 protected:
  void SetUp() override {
    SetCheckInSettings(server.Url(), 10);
    InitTranslation();
  }
  void TearDown() override { SetDebugSwitch(false); }

  test::CheckInServer server;
  test::ClientIdentityGuard identity;
};

TEST_F(CheckInHeaderList, AreVersionLanguageDebugSwitchAndClientIdentifier) {
  test::ClientIdentityGuard::Forget();
  SetDebugSwitch(true);
  std::wstring body;
  ASSERT_TRUE(GetServerText(CheckInHeaders(), body));
  ASSERT_TRUE(server.WaitForRequests(1, 5000));
  const test::ReceivedRequest request = server.Requests().at(0);
  EXPECT_THAT(request.NamesStartingWith("User-"),
              ElementsAre("User-Version", "User-Language", "User-Debug", "User-Union"));
  EXPECT_EQ(request.Header("User-Version"), "3.14.159.2653");
  ASSERT_EQ(CurrentLanguage().size(), 2u);
  EXPECT_EQ(request.Header("User-Language"), ToUtf8(CurrentLanguage()));
  EXPECT_EQ(request.Header("User-Debug"), "true");
  // The identifier was made on the way and is what the registry now holds.
  const std::vector<BYTE> stored = test::RawValueBytes(HKEY_CURRENT_USER, test::kClientIdKey, test::kClientIdValue);
  ASSERT_EQ(stored.size(), 33 * sizeof(wchar_t));
  EXPECT_EQ(request.Header("User-Union"), ToUtf8(reinterpret_cast<const wchar_t*>(stored.data())));
}

TEST_F(CheckInHeaderList, SendsTheDebugSwitchInLowerCase) {
  SetDebugSwitch(false);
  EXPECT_EQ(CheckInHeaders().at(2), (RequestHeader{L"User-Debug", L"false"}));
}

TEST_F(CheckInHeaderList, SendsAStoredIdentifierUnchangedWhateverItsLength) {
  const std::wstring longIdentifier(1000, L'7');
  test::SetStringValue(HKEY_CURRENT_USER, test::kClientIdKey, test::kClientIdValue, longIdentifier);
  std::wstring body;
  ASSERT_TRUE(GetServerText(CheckInHeaders(), body));
  ASSERT_TRUE(server.WaitForRequests(1, 5000));
  EXPECT_EQ(server.Requests().at(0).Header("User-Union"), std::string(1000, '7'));
}

// A client identifier of another type is not the program's to replace: nothing is sent for it.
TEST_F(CheckInHeaderList, SendsAnEmptyIdentifierWhenTheStoredOneIsNoText) {
  const DWORD number = 42;
  test::SetRawValue(HKEY_CURRENT_USER, test::kClientIdKey, test::kClientIdValue, REG_DWORD, &number, sizeof number);
  std::wstring body;
  ASSERT_TRUE(GetServerText(CheckInHeaders(), body));
  ASSERT_TRUE(server.WaitForRequests(1, 5000));
  const test::ReceivedRequest request = server.Requests().at(0);
  EXPECT_THAT(request.NamesStartingWith("User-"),
              ElementsAre("User-Version", "User-Language", "User-Debug", "User-Union"));
  EXPECT_EQ(request.Header("User-Union"), "");
  DWORD type = 0;
  EXPECT_EQ(test::RawValueBytes(HKEY_CURRENT_USER, test::kClientIdKey, test::kClientIdValue, &type).size(),
            sizeof number);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(CheckInHeaderList, HoldCommandCarriesTheVersionAndTheCommandOnly) {
  StartHoldCommand();
  ASSERT_TRUE(server.WaitForRequests(1, 10000));
  const test::ReceivedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.requestLine, "GET /api.init.php HTTP/1.1");
  EXPECT_THAT(request.NamesStartingWith("User-"), ElementsAre("User-Version", "User-Command"));
  EXPECT_EQ(request.Header("User-Version"), "3.14.159.2653");
  EXPECT_EQ(request.Header("User-Command"), "hold");
}

}  // namespace
}  // namespace quorvane
