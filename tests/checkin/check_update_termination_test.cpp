// The real retry schedule meets the end of the program: a worker waiting between attempts
// notices it within its next 10 ms sleep. The end of the program cannot be undone, so this test
// has a program of its own.
#include <gtest/gtest.h>

#include <thread>

#include "ui/application.h"
#include "checkin/check_update.h"
#include "support/checkin_server.h"
#include "support/client_identity.h"

namespace quorvane {
namespace {

double Milliseconds() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

TEST(CheckInTermination, EndsTheWaitingWorkersAtOnceAndTheCallbackNeverComes) {
  ui::application::Initialize();
  const test::ClientIdentityGuard identity;
  test::CheckInServer server;
  // The first attempt of each worker fails; any later one would be answered.
  server.QueueAnswers({test::ResetConnection(), test::ResetConnection()});
  server.SetStandingAnswer(test::Reply(200, "{}"));

  int calls = 0;
  CheckUpdate(
      server.Url(), [&](bool, const std::wstring&) { ++calls; }, 10);
  ASSERT_TRUE(server.WaitForRequests(1, 10000));
  const double firstAttempt = Milliseconds();

  // A second check-in, whose caller waits for its worker, ends when that worker ends.
  double terminated = 0;
  std::thread program([&] {
    server.WaitForRequests(2, 10000);
    Sleep(300);
    terminated = Milliseconds();
    ui::application::Terminate();
  });
  CheckUpdate(server.Url(), {}, 10);
  const double returned = Milliseconds();
  program.join();
  EXPECT_GT(terminated, 0);
  // At once means within a few of the worker's 10 ms sleeps, not after the 10 s it would still
  // wait; the bound leaves room for a busy machine that keeps a thread waiting for a processor.
  EXPECT_LT(returned - terminated, 2000.0);

  // The first worker would have made its second attempt 10 seconds after its first one.
  while (Milliseconds() - firstAttempt < 10500) {
    ui::application::ProcessMessages();
    Sleep(20);
  }
  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace quorvane
