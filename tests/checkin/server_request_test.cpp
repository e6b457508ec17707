// The check-in request against a real HTTP server on 127.0.0.1, and the client identifier in
// the test prefix's registry. This test program carries the version resource 3.14.159.2653.
#include "checkin/server_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wincrypt.h>

#include <cwctype>

#include "app/translation/translation.h"
#include "checkin/client_id.h"
#include "common/debug_switch.h"
#include "common/text.h"
#include "common/version_info.h"
#include "support/checkin_server.h"
#include "support/client_identity.h"
#include "support/test_support.h"
#include "support/trusted_authority.h"

namespace quorvane {
namespace {

using testing::ElementsAre;
using testing::Pair;

constexpr wchar_t kUntouched[] = L"(untouched)";

class ServerRequest : public testing::Test {
 protected:
  void SetUp() override { SetCheckInSettings(server.Url(), 10); }

  test::CheckInServer server;
};

TEST_F(ServerRequest, SendsOneGetWithTheHeadersInTheirOrder) {
  std::wstring body;
  ASSERT_TRUE(GetServerText({{L"User-B", L"2"}, {L"User-A", L"1"}, {L"User-C", L"three words"}}, body));
  ASSERT_TRUE(server.WaitForRequests(1, 5000));
  const test::ReceivedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.requestLine, "GET /api.init.php HTTP/1.1");
  EXPECT_THAT(request.NamesStartingWith("User-"), ElementsAre("User-B", "User-A", "User-C"));
  EXPECT_EQ(request.Header("User-C"), "three words");
  EXPECT_THAT(request.Header("Host"), testing::StartsWith("127.0.0.1:"));
}

TEST_F(ServerRequest, SendsARepeatedNameOnceWhereItFirstCameWithItsLastValue) {
  std::wstring body;
  ASSERT_TRUE(GetServerText({{L"User-A", L"first"}, {L"User-B", L"b"}, {L"user-a", L"last"}}, body));
  ASSERT_TRUE(server.WaitForRequests(1, 5000));
  const test::ReceivedRequest request = server.Requests().at(0);
  EXPECT_THAT(request.NamesStartingWith("User-"), ElementsAre("User-A", "User-B"));
  EXPECT_EQ(request.Header("User-A"), "last");
}

struct AnswerCase {
  const char* what;
  test::ServerAnswer answer;
  std::wstring body;
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.what; }

class ServerAnswers : public ServerRequest, public testing::WithParamInterface<AnswerCase> {};

// Any completed exchange is an answer, whatever its status; the body is read as UTF-8 whatever
// it holds.
TEST_P(ServerAnswers, AreTheReplyText) {
  server.SetStandingAnswer(GetParam().answer);
  std::wstring body = kUntouched;
  EXPECT_TRUE(GetServerText({{L"User-Version", L"1.0.2.0"}}, body));
  EXPECT_EQ(body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ServerAnswers,
    testing::Values(
        AnswerCase{"JSON", test::Reply(200, "{\"update\":\"\",\"name_white\":[\"A\"]}"), L"{\"update\":\"\",\"name_white\":[\"A\"]}"},
        AnswerCase{"error page", test::Reply(500, "<html>Internal error</html>"), L"<html>Internal error</html>"},
        AnswerCase{"not found, empty", test::Reply(404, ""), L""},
        AnswerCase{"UTF-8", test::Reply(200, "{\"t\":\"\xED\x95\x9C \xF0\x9F\x98\x80\"}"), L"{\"t\":\"\uD55C \U0001F600\"}"},
        AnswerCase{"not UTF-8", test::Reply(200, "\xFF{\"a\":\"\xC3\"}"), L"\uFFFD{\"a\":\"\uFFFD\"}"},
        AnswerCase{"after a delay", test::Reply(200, "{}", 1500), L"{}"},
        AnswerCase{"1 MB", test::Reply(200, std::string(1 << 20, 'x')), std::wstring(1 << 20, L'x')}));

TEST_F(ServerRequest, FailsAndLeavesTheBodyWhenTheConnectionIsResetOrRefused) {
  server.SetStandingAnswer(test::ResetConnection());
  std::wstring body = kUntouched;
  EXPECT_FALSE(GetServerText({{L"User-Version", L"1.0.2.0"}}, body));
  EXPECT_EQ(body, kUntouched);
  EXPECT_EQ(server.Requests().size(), 1u);

  const test::RefusingAddress refusing;
  SetCheckInSettings(refusing.Url(), 10);
  EXPECT_FALSE(GetServerText({{L"User-Version", L"1.0.2.0"}}, body));
  EXPECT_EQ(body, kUntouched);
}

// A line break in a value would add headers of the sender's choosing to the request.
TEST_F(ServerRequest, FailsWithoutSendingAHeaderThatCannotBeSent) {
  std::wstring body = kUntouched;
  for (const RequestHeader& header : std::vector<RequestHeader>{{L"User-Union", L"abc\r\nUser-Command: hold"},
                                                                {L"User-Union", L"abc\nX: y"},
                                                                {L"User:Union", L"abc"},
                                                                {L"", L"abc"}}) {
    EXPECT_FALSE(GetServerText({{L"User-Version", L"1.0.2.0"}, header}, body)) << ToUtf8(header.value);
  }
  EXPECT_EQ(body, kUntouched);
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(ServerRequest, FailsForAnEndpointThatIsNoHttpAddress) {
  std::wstring body = kUntouched;
  for (const wchar_t* endpoint : {L"", L"ftp://127.0.0.1/api.init.php", L"C:\\Windows\\notepad.exe"}) {
    SetCheckInSettings(endpoint, 10);
    EXPECT_FALSE(GetServerText({{L"User-Version", L"1.0.2.0"}}, body)) << ToUtf8(endpoint);
  }
  EXPECT_EQ(body, kUntouched);
}

// The HTTPS server that the test run starts (tests/helpers/tls-server): its certificate for
// "localhost" comes from an authority that has signed itself and that nobody trusts.
class HttpsEndpoint : public testing::Test {
 protected:
  static std::wstring ServerFile(const char* name) { return FromUtf8(QUORVANE_TLS_SERVER_DIR) + L"/" + FromUtf8(name); }
  void SetUp() override {
    const std::string port = test::ReadFileBytes(ServerFile("port"));
    url = L"https://localhost:" + FromUtf8(port.substr(0, port.find_first_of("\r\n"))) + L"/api.init.php";
    SetCheckInSettings(url, 10);
  }
  // The request from a fresh process, which reads the trusted certificates anew.
  test::ProcessResult RequestFromNewProcess() const {
    return test::RunProcess(L"\"" + test::ProgramBesideTest(L"https_probe.exe") + L"\" " + url);
  }

  std::wstring url;
};

// The program never accepts a certificate that the system does not trust: such an endpoint is
// a failed attempt. Once the authority is trusted, the same request is answered, which shows
// that nothing but trust stood in the way.
TEST_F(HttpsEndpoint, IsAFailedAttemptWhileItsCertificateIsNotTrusted) {
  std::wstring body = kUntouched;
  EXPECT_FALSE(GetServerText({{L"User-Version", L"1.0.2.0"}}, body));
  EXPECT_EQ(body, kUntouched);
  EXPECT_EQ(RequestFromNewProcess().exitCode, 1u);

  {
    const test::TrustedAuthority trusted(test::ReadFileBytes(ServerFile("ca.der")));
    const test::ProcessResult answered = RequestFromNewProcess();
    EXPECT_EQ(answered.exitCode, 0u);
    EXPECT_EQ(answered.output, "{\"tls\":\"ok\"}");
  }
  // The prefix trusts the authority no longer.
  EXPECT_EQ(RequestFromNewProcess().exitCode, 1u);
}

TEST(GetAppVersion, PutsTheFourVersionNumbersIntoTheFormat) {
  EXPECT_EQ(GetAppVersion(L"%d.%d.%d.%d"), L"3.14.159.2653");
  EXPECT_EQ(GetAppVersion(L"v%d-%d"), L"v3-14");
  // Only "%d" is a place for a number; a fifth one stays as written.
  EXPECT_EQ(GetAppVersion(L"%s %d.%d.%d.%d.%d %%"), L"%s 3.14.159.2653.%d %%");
}

// Everything the check-in sends, as the server saw it: the four headers in their order.
class CheckInHeaderList : public ServerRequest {
 protected:
  void SetUp() override {
    ServerRequest::SetUp();
    InitTranslation();
  }
  void TearDown() override { SetDebugSwitch(false); }

  test::ClientIdentityGuard identity;
};

TEST_F(CheckInHeaderList, AreVersionLanguageDebugSwitchAndClientIdentifier) {
  test::ClientIdentityGuard::Forget();
  SetDebugSwitch(true);
  std::wstring body;
  ASSERT_TRUE(GetServerText(CheckInHeaders(), body));
  ASSERT_TRUE(server.WaitForRequests(1, 5000));
  const test::ReceivedRequest request = server.Requests().at(0);
  EXPECT_THAT(request.NamesStartingWith("User-"), ElementsAre("User-Version", "User-Language", "User-Debug", "User-Union"));
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
  EXPECT_THAT(request.NamesStartingWith("User-"), ElementsAre("User-Version", "User-Language", "User-Debug", "User-Union"));
  EXPECT_EQ(request.Header("User-Union"), "");
  DWORD type = 0;
  EXPECT_EQ(test::RawValueBytes(HKEY_CURRENT_USER, test::kClientIdKey, test::kClientIdValue, &type).size(), sizeof number);
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

bool IsUpperHex(std::wstring_view text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); });
}

bool IsDigits(std::wstring_view text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

std::wstring Stamp(const wchar_t* format, int a, int b, int c) {
  wchar_t text[16] = {};
  std::swprintf(text, std::size(text), format, a % 100, b, c);
  return text;
}

TEST(NewClientID, IsRandomHexDateRandomHexTimeRandomHex) {
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const std::wstring identifier = NewClientID();
  SYSTEMTIME after{};
  GetLocalTime(&after);

  ASSERT_EQ(identifier.size(), 32u);
  EXPECT_TRUE(IsUpperHex(identifier.substr(0, 8))) << ToUtf8(identifier);
  EXPECT_TRUE(IsUpperHex(identifier.substr(14, 4))) << ToUtf8(identifier);
  EXPECT_TRUE(IsUpperHex(identifier.substr(24, 8))) << ToUtf8(identifier);
  EXPECT_LE(std::stoul(identifier.substr(0, 8), nullptr, 16), 2147483646ul);
  EXPECT_LE(std::stoul(identifier.substr(24, 8), nullptr, 16), 2147483646ul);
  EXPECT_NE(identifier.substr(14, 4), L"FFFF");
  EXPECT_THAT(identifier.substr(8, 6), testing::AnyOf(Stamp(L"%02d%02d%02d", before.wYear, before.wMonth, before.wDay),
                                                      Stamp(L"%02d%02d%02d", after.wYear, after.wMonth, after.wDay)));
  EXPECT_TRUE(IsDigits(identifier.substr(18, 6)));
  EXPECT_THAT(identifier.substr(18, 6), testing::AnyOf(Stamp(L"%02d%02d%02d", before.wHour, before.wMinute, before.wSecond),
                                                       Stamp(L"%02d%02d%02d", after.wHour, after.wMinute, after.wSecond)));
  EXPECT_NE(NewClientID().substr(0, 8) + NewClientID().substr(24), identifier.substr(0, 8) + identifier.substr(24));
}

// The identifier's rules on a scratch key of the test's own, with the registry's own write or
// one that fails after leaving a broken value behind.
class ClientIdentifier : public testing::Test {
 protected:
  std::wstring Read(const ClientIdStore& store) { return ReadOrCreateClientID(key.Root(), key.Path(), store); }
  std::optional<std::wstring> Stored(DWORD* type = nullptr) const {
    if (!test::RawValueExists(key.Root(), key.Path(), L"TUID")) return std::nullopt;
    const std::vector<BYTE> bytes = test::RawValueBytes(key.Root(), key.Path(), L"TUID", type);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t)).c_str();
  }

  static bool RegistryWrite(HKEY handle, const std::wstring& identifier) {
    return RegSetValueExW(handle, L"TUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(identifier.c_str()),
                          static_cast<DWORD>((identifier.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  // Fails after writing the first half, as a write that breaks off would.
  static bool BrokenWrite(HKEY handle, const std::wstring& identifier) {
    const std::wstring half = identifier.substr(0, identifier.size() / 2);
    RegSetValueExW(handle, L"TUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(half.c_str()),
                   static_cast<DWORD>(half.size() * sizeof(wchar_t)));
    return false;
  }

  test::ScratchKey key;
};

TEST_F(ClientIdentifier, IsMadeOnceAndThenReused) {
  test::DeleteRawTree(key.Root(), key.Path());
  const std::wstring made = Read(RegistryWrite);
  ASSERT_EQ(made.size(), 32u);
  EXPECT_EQ(Stored(), made);
  EXPECT_EQ(Read(RegistryWrite), made);
}

TEST_F(ClientIdentifier, KeepsAStoredTextWhateverItsLength) {
  for (const std::wstring& stored : {std::wstring(L"short"), std::wstring(1000, L'A')}) {
    test::SetStringValue(key.Root(), key.Path(), L"TUID", stored);
    EXPECT_EQ(Read(RegistryWrite), stored);
    EXPECT_EQ(Stored(), stored);
  }
}

TEST_F(ClientIdentifier, LeavesAValueOfAnotherTypeAloneAndGivesTheEmptyText) {
  const DWORD number = 7;
  test::SetRawValue(key.Root(), key.Path(), L"TUID", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(Read(RegistryWrite), L"");
  DWORD type = 0;
  test::RawValueBytes(key.Root(), key.Path(), L"TUID", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

// An empty identifier would be sent for good: it is replaced like a missing one.
TEST_F(ClientIdentifier, ReplacesAnEmptyText) {
  test::SetStringValue(key.Root(), key.Path(), L"TUID", L"");
  const std::wstring made = Read(RegistryWrite);
  EXPECT_EQ(made.size(), 32u);
  EXPECT_EQ(Stored(), made);
}

TEST_F(ClientIdentifier, LeavesNothingBehindWhenStoringFails) {
  EXPECT_EQ(Read(BrokenWrite), L"");
  EXPECT_EQ(Stored(), std::nullopt);

  test::SetStringValue(key.Root(), key.Path(), L"TUID", L"");
  EXPECT_EQ(Read(BrokenWrite), L"");
  EXPECT_EQ(Stored(), std::nullopt);
  // The next start tries again.
  EXPECT_EQ(Read(RegistryWrite).size(), 32u);
}

TEST(GetClientID, StoresTheIdentifierUnderTheUsersTesmoraKey) {
  const test::ClientIdentityGuard identity;
  test::ClientIdentityGuard::Forget();
  const std::wstring made = GetClientID();
  ASSERT_EQ(made.size(), 32u);
  DWORD type = 0;
  const std::vector<BYTE> stored = test::RawValueBytes(HKEY_CURRENT_USER, test::kClientIdKey, test::kClientIdValue, &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(stored.data())), made);
  EXPECT_EQ(GetClientID(), made);
}

}  // namespace
}  // namespace quorvane
