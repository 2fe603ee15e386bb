// What tarsild's control connections decide, without sockets.
#include "session/pause_requests.h"

#include <gtest/gtest.h>

#include <string>

namespace tarsil {
namespace {

using Change = PauseRequests::Change;

TEST(PauseRequests, PausedWhileAnyConnectionHoldsAPause) {
  PauseRequests requests;
  requests.opened(1);
  requests.opened(2);
  auto answer = requests.received(1, "pause\n");
  EXPECT_EQ(answer.reply, "paused\n");
  EXPECT_EQ(answer.change, Change::kPaused);
  // A second holder, and a second pause of the first, change nothing.
  EXPECT_EQ(requests.received(2, "pa").reply, "");
  EXPECT_EQ(requests.received(2, "use\r\npause\n").change, Change::kNone);
  EXPECT_EQ(requests.received(1, "pause\n").reply, "paused\n");
  answer = requests.received(1, "resume\nresume\n");
  EXPECT_EQ(answer.reply, "resumed\nresumed\n");
  EXPECT_EQ(answer.change, Change::kNone);
  EXPECT_TRUE(requests.paused());
  // The last holder going away resumes, as a resume would.
  EXPECT_EQ(requests.closed(2), Change::kResumed);
  EXPECT_FALSE(requests.paused());
  EXPECT_EQ(requests.closed(1), Change::kNone);
  EXPECT_EQ(requests.connections(), 0u);
}

TEST(PauseRequests, BadInputIsAnsweredAndEndlessInputOrConnectionsAreBounded) {
  PauseRequests requests;
  requests.opened(1);
  auto answer = requests.received(1, "\nPAUSE\nstatus please\n");
  EXPECT_EQ(answer.reply,
            "error: unknown command (pause or resume)\nerror: unknown command (pause or resume)\n");
  EXPECT_FALSE(answer.close);
  EXPECT_FALSE(requests.paused());

  // A line with no end in sight: refused and closed, its pause given back
  // in the same step, so nothing is left paused.
  requests.received(1, "pause\n");
  const std::string endless(PauseRequests::kLongestLine, 'x');
  EXPECT_FALSE(requests.received(1, endless).close);
  answer = requests.received(1, "y");
  EXPECT_EQ(answer.reply, "error: line too long\n");
  EXPECT_TRUE(answer.close);
  EXPECT_EQ(answer.change, Change::kResumed);
  EXPECT_EQ(requests.connections(), 0u);

  for (PauseRequests::Connection c = 1; c <= PauseRequests::kMostConnections; ++c) {
    EXPECT_FALSE(requests.opened(c).close);
  }
  answer = requests.opened(99);
  EXPECT_TRUE(answer.close);
  EXPECT_EQ(answer.reply, "error: too many control connections\n");
  EXPECT_EQ(requests.received(99, "pause\n").reply, "");  // never counted
  EXPECT_FALSE(requests.paused());
}

}  // namespace
}  // namespace tarsil
