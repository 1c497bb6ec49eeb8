#include <gtest/gtest.h>

#include <future>

#include "net/HttpClient.h"
#include "tests/support/HttpStub.h"

using namespace std::chrono_literals;
using testsupport::HttpStub;
using testsupport::StubAnswer;

namespace {

net::Request post(const HttpStub& stub, const QByteArray& body, const QString& path = QStringLiteral("v2/")) {
  net::Request r;
  r.url = stub.url() + path;
  r.headers = {{"Content-Type", "application/json"}, {"X-Probe", "1"}};
  r.body = body;
  r.idleTimeout = 1s;
  r.totalTimeout = 5s;
  return r;
}

// Sends one request and waits for its completion.
net::Response exchange(net::HttpClient& client, const net::Request& request) {
  std::promise<net::Response> promise;
  client.send(request, [&](const net::Response& r) { promise.set_value(r); });
  return promise.get_future().get();
}

}  // namespace

TEST(HttpClient, SendsTheRequestAsGivenAndReadsTheAnswer) {
  HttpStub stub;
  ASSERT_TRUE(stub.listening());
  // Large enough that a client waiting for "100 Continue" would stall.
  const QByteArray body(300 * 1024, 'x');
  stub.push({201, {{"Retry-After", "17"}}, "done", 0ms, StubAnswer::Fault::None});
  net::HttpClient client;
  const net::Response r = exchange(client, post(stub, body));
  EXPECT_EQ(r.status, 201);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.body, "done");
  EXPECT_EQ(r.headers.value("retry-after"), "17");
  const auto seen = stub.requests();
  ASSERT_EQ(seen.size(), 1);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].path, "/v2/");
  EXPECT_EQ(seen[0].headers.value("content-type"), "application/json");
  EXPECT_EQ(seen[0].headers.value("x-probe"), "1");
  EXPECT_EQ(seen[0].body, body);
}

TEST(HttpClient, EveryFaultEndsInOneCompletionWithoutAnAnswer) {
  struct Case {
    const char* name;
    StubAnswer answer;
    int status;
  };
  const Case cases[] = {
      {"server error", {500, {}, "no", 0ms, StubAnswer::Fault::None}, 500},
      {"redirect not followed", {302, {{"Location", "/elsewhere"}}, "", 0ms, StubAnswer::Fault::None}, 302},
      {"closed before the answer", {200, {}, "", 0ms, StubAnswer::Fault::CloseBeforeAnswer}, 0},
      {"closed mid-body", {200, {}, QByteArray(4000, 'b'), 0ms, StubAnswer::Fault::CloseMidBody}, 0},
      {"server silent past the idle time", {200, {}, "", 0ms, StubAnswer::Fault::Hang}, 0},
  };
  HttpStub stub;
  net::HttpClient client;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    stub.push(c.answer);
    const net::Response r = exchange(client, post(stub, "{}"));
    EXPECT_EQ(r.status, c.status);
    EXPECT_FALSE(r.aborted);
    if (c.status == 0) {
      EXPECT_FALSE(r.error.isEmpty());
      EXPECT_TRUE(r.body.isEmpty());
    }
  }
  EXPECT_EQ(stub.requests().size(), static_cast<qsizetype>(std::size(cases)));
  // Nothing listening: a refused connection is a completion too.
  net::Request nowhere = post(stub, "{}");
  nowhere.url = QStringLiteral("http://127.0.0.1:1/v2/");
  EXPECT_EQ(exchange(client, nowhere).status, 0);
}

TEST(HttpClient, RequestsRunOneAtATimeInOrderAndFlushWaitsForThem) {
  HttpStub stub;
  net::HttpClient client;
  std::mutex mutex;
  QList<int> order;
  for (int i = 0; i < 5; ++i) {
    stub.push({200, {}, QByteArray::number(i), 20ms, StubAnswer::Fault::None});
    client.send(post(stub, QByteArray::number(i)), [&, i](const net::Response& r) {
      std::lock_guard lock(mutex);
      order << i;
      EXPECT_EQ(r.body, QByteArray::number(i));
    });
  }
  ASSERT_TRUE(client.flush(10s));
  EXPECT_EQ(order, (QList<int>{0, 1, 2, 3, 4}));
  QList<QByteArray> bodies;
  for (const auto& r : stub.requests()) bodies << r.body;
  EXPECT_EQ(bodies, (QList<QByteArray>{"0", "1", "2", "3", "4"}));
}

TEST(HttpClient, AbortEndsTheHungRequestAndTheQueueAndTheClientStaysUsable) {
  HttpStub stub;
  net::HttpClient client;
  std::atomic<int> aborted{0}, completions{0};
  auto count = [&](const net::Response& r) {
    ++completions;
    if (r.aborted) ++aborted;
  };
  stub.push({200, {}, "", 0ms, StubAnswer::Fault::Hang});
  net::Request slow = post(stub, "hang");
  slow.idleTimeout = 60s;
  slow.totalTimeout = 120s;
  client.send(slow, count);
  client.send(post(stub, "queued"), count);
  ASSERT_TRUE(stub.waitForRequests(1, 5s));
  client.abortAll();
  ASSERT_TRUE(client.flush(5s));
  EXPECT_EQ(completions, 2);
  EXPECT_EQ(aborted, 2);
  EXPECT_EQ(stub.requests().size(), 1);  // the queued one never went out
  EXPECT_EQ(exchange(client, post(stub, "after")).status, 200);
}

TEST(HttpClient, DestroyingTheClientCompletesWhatIsPending) {
  HttpStub stub;
  std::atomic<int> aborted{0};
  {
    net::HttpClient client;
    stub.push({200, {}, "", 0ms, StubAnswer::Fault::Hang});
    net::Request slow = post(stub, "hang");
    slow.idleTimeout = 60s;
    slow.totalTimeout = 120s;
    for (int i = 0; i < 3; ++i) client.send(slow, [&](const net::Response& r) { aborted += r.aborted; });
    ASSERT_TRUE(stub.waitForRequests(1, 5s));
  }
  EXPECT_EQ(aborted, 3);
}
