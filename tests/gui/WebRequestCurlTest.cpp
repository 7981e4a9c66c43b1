// The real network client against a small HTTP server of the test's own on
// 127.0.0.1. Nothing here talks to any other address.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "core/FileUtils.h"
#include "core/WebRequest.h"
#include "platform/HttpClient.h"
#include "platform/wx/CurlHttpClient.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

constexpr int kServerPollMs = 50;
constexpr int kServerLifeMs = 20000;  // the server stops by itself after this
constexpr size_t kMaxRequestBytes = 64 * 1024;

// Serves one canned reply per connection, or holds connections without a word.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string reply, bool silent = false) : mReply(std::move(reply)), mSilent(silent) {
    mListen = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (mListen < 0 || bind(mListen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(mListen, 4) != 0) {
      return;
    }
    socklen_t length = sizeof address;
    getsockname(mListen, reinterpret_cast<sockaddr*>(&address), &length);
    mPort = ntohs(address.sin_port);
    mThread = std::thread([this] { Run(); });
  }
  ~LoopbackServer() {
    mStop = true;
    if (mThread.joinable()) mThread.join();
    if (mListen >= 0) close(mListen);
  }

  int Port() const { return mPort; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(mPort) + path; }
  std::string LastRequest() {
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequest;
  }

 private:
  void Run() {
    for (int waited = 0; !mStop && waited < kServerLifeMs; waited += kServerPollMs) {
      pollfd ready{mListen, POLLIN, 0};
      if (poll(&ready, 1, kServerPollMs) <= 0) continue;
      int client = accept(mListen, nullptr, nullptr);
      if (client < 0) continue;
      if (mSilent) {
        // Never answers; holds the line until the test ends.
        while (!mStop && (waited += kServerPollMs) < kServerLifeMs) {
          std::this_thread::sleep_for(std::chrono::milliseconds(kServerPollMs));
        }
      } else {
        Serve(client);
      }
      close(client);
    }
  }
  void Serve(int client) {
    std::string request;
    char buffer[4096];
    // Reads the head, then as much body as Content-Length announces.
    for (int rounds = 0; rounds < 200 && request.size() < kMaxRequestBytes; ++rounds) {
      pollfd ready{client, POLLIN, 0};
      if (poll(&ready, 1, kServerPollMs) <= 0) {
        if (Complete(request)) break;
        continue;
      }
      ssize_t got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
      if (Complete(request)) break;
    }
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mRequest = request;
    }
    size_t sent = 0;
    while (sent < mReply.size()) {
      ssize_t n = send(client, mReply.data() + sent, mReply.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    shutdown(client, SHUT_WR);
  }
  static bool Complete(const std::string& request) {
    size_t head = request.find("\r\n\r\n");
    if (head == std::string::npos) return false;
    size_t length = 0;
    size_t at = request.find("Content-Length: ");
    if (at != std::string::npos && at < head) length = std::stoul(request.substr(at + 16));
    return request.size() >= head + 4 + length;
  }

  std::string mReply;
  bool mSilent;
  int mListen = -1;
  int mPort = 0;
  std::atomic<bool> mStop{false};
  std::thread mThread;
  std::mutex mMutex;
  std::string mRequest;
};

std::string HttpReply(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CurlWebRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mPrevious = platform::InstallHttpClient(&mClient);
    SetWebRequestTimeouts(2000, 3000);
    testing::Platform().messages.Clear();
  }
  void TearDown() override {
    platform::InstallHttpClient(mPrevious);
    SetWebRequestTimeouts(kWebConnectTimeoutMs, kWebTransferTimeoutMs);
  }
  static bool WaitFinished(WebRequest& request) {
    for (int i = 0; i < 1000; ++i) {
      if (request.IsFinished()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  platform::CurlHttpClient mClient;
  platform::HttpClient* mPrevious = nullptr;
};

TEST_F(CurlWebRequestTest, GetIntoTemporaryFile) {
  std::string body(3000, 'x');
  body += "end";
  LoopbackServer server(HttpReply("200 OK", body));
  ASSERT_GT(server.Port(), 0);
  WebRequest request;
  ASSERT_TRUE(request.Start("version.txt", server.Url("/version.txt").c_str(), "CorviaTest", "Checking", true));
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_TRUE(request.Succeeded());
  EXPECT_EQ(ReadAll(request.TempFilePath()), body);
  std::string seen = server.LastRequest();
  EXPECT_EQ(seen.rfind("GET /version.txt HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(seen.find("User-Agent: CorviaTest\r\n"), std::string::npos);
  request.DeleteFile();
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
}

TEST_F(CurlWebRequestTest, FormPost) {
  LoopbackServer server(HttpReply("200 OK", "latest=2.1"));
  std::string form = "name=" + UrlEncode("a b&c", false);
  WebRequest request;
  ASSERT_TRUE(request.Start(nullptr, server.Url("/check.php").c_str(), "CorviaTest", "Checking", true, form.c_str()));
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_TRUE(request.Succeeded());
  EXPECT_EQ(request.Reply(), "latest=2.1");
  std::string seen = server.LastRequest();
  EXPECT_EQ(seen.rfind("POST /check.php HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(seen.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
  EXPECT_EQ(seen.substr(seen.find("\r\n\r\n") + 4), "name=a+b%26c");
}

TEST_F(CurlWebRequestTest, NotFoundFailsAndLeavesNoFile) {
  LoopbackServer server(HttpReply("404 Not Found", "missing"));
  WebRequest request;
  ASSERT_TRUE(request.Start("v.txt", server.Url("/none").c_str(), "CorviaTest", "Checking", true));
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_FALSE(request.Succeeded());
  EXPECT_FALSE(std::filesystem::exists(request.TempFilePath()));
  auto boxes = testing::Platform().messages.TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Checking\n\nCouldn't find file on server (status 404).");
}

TEST_F(CurlWebRequestTest, RefusedConnectionFailsOnTheUserInterfaceSide) {
  int port = 0;
  {
    // A port that was just free and has nobody listening.
    LoopbackServer probe("");
    port = probe.Port();
  }
  std::string url = "http://127.0.0.1:" + std::to_string(port) + "/v.txt";
  WebRequest request;
  ASSERT_TRUE(request.Start("v.txt", url.c_str(), "CorviaTest", "Checking", true));
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_FALSE(request.Succeeded());
  EXPECT_EQ(request.GetState(), WebRequest::kIdle);
  auto boxes = testing::Platform().messages.TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Checking\n\nInternetOpenUrl", 0), 0u) << boxes[0].text;
}

TEST_F(CurlWebRequestTest, SilentServerEndsByTimeout) {
  LoopbackServer server("", true);
  auto started = std::chrono::steady_clock::now();
  WebRequest request;
  ASSERT_TRUE(request.Start("v.txt", server.Url("/v.txt").c_str(), "CorviaTest", "Checking", false));
  ASSERT_TRUE(WaitFinished(request));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_FALSE(request.Succeeded());
  EXPECT_LT(seconds, 8.0);
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << "a background check stays quiet";
  EXPECT_NE(request.Failure().text.find("InternetOpenUrl"), std::string::npos) << request.Failure().text;
}

}  // namespace
}  // namespace corvia
