// The check-in's GET request against a real HTTP server on 127.0.0.1.
#include "checkin/server_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wincrypt.h>

#include <cwctype>

#include "checkin/checkin_settings.h"
#include "common/text.h"
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
    testing::Values(AnswerCase{"JSON", test::Reply(200, "{\"update\":\"\",\"name_white\":[\"A\"]}"),
                               L"{\"update\":\"\",\"name_white\":[\"A\"]}"},
                    AnswerCase{"error page", test::Reply(500, "<html>Internal error</html>"),
                               L"<html>Internal error</html>"},
                    AnswerCase{"not found, empty", test::Reply(404, ""), L""},
                    AnswerCase{"UTF-8", test::Reply(200, "{\"t\":\"\xED\x95\x9C \xF0\x9F\x98\x80\"}"),
                               L"{\"t\":\"\uD55C \U0001F600\"}"},
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

}  // namespace
}  // namespace quorvane
