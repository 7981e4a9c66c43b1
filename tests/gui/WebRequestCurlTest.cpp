// The real network client against a small HTTP server of the test's own on
// 127.0.0.1. Nothing here talks to any other address.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/FileUtils.h"
#include "core/WebRequest.h"
#include "platform/HttpClient.h"
#include "platform/wx/CurlHttpClient.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

using corvia::testing::HttpReply;
using corvia::testing::LoopbackServer;

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
  EXPECT_EQ(request.Failure().text, "Checking\n\nCouldn't find file on server (status 404).");
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
  EXPECT_EQ(request.Failure().text.rfind("Checking\n\nInternetOpenUrl", 0), 0u) << request.Failure().text;
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
