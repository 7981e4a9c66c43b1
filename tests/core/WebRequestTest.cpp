#include "core/WebRequest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "core/FileUtils.h"
#include "platform/HttpClient.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

namespace fs = std::filesystem;

// A client that answers from a script and, when asked, holds the request until
// the test releases it (so the test sees the running state).
class ScriptedClient final : public platform::HttpClient {
 public:
  platform::HttpResponse Perform(const platform::HttpRequest& request, const platform::HttpSink& sink) override {
    {
      std::unique_lock<std::mutex> lock(mMutex);
      mLastRequest = request;
      mCalls++;
      mWake.wait_for(lock, std::chrono::seconds(10), [this] { return !mHold; });
    }
    platform::HttpResponse response;
    response.status = mStatus;
    response.failure = mFailure;
    response.error = mError;
    for (size_t at = 0; at < mBody.size() && response.failure == platform::HttpFailure::None; at += mBlock) {
      if (mBeforeBlock) mBeforeBlock();
      std::string part = mBody.substr(at, mBlock);
      if (!sink(part.data(), part.size(), mStatus, static_cast<std::int64_t>(mBody.size()))) {
        response.failure = platform::HttpFailure::Stopped;
      }
    }
    return response;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mMutex);
    mHold = false;
    mWake.notify_all();
  }

  long mStatus = 200;
  platform::HttpFailure mFailure = platform::HttpFailure::None;
  std::string mError;
  std::string mBody;
  size_t mBlock = 1000;
  bool mHold = false;
  std::function<void()> mBeforeBlock;
  int mCalls = 0;
  platform::HttpRequest mLastRequest;

 private:
  std::mutex mMutex;
  std::condition_variable mWake;
};

class WebRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mPrevious = platform::InstallHttpClient(&mClient);
    testing::Platform().messages.Clear();
  }
  void TearDown() override { platform::InstallHttpClient(mPrevious); }

  // Polls as the idle handler would, for at most ten seconds.
  static bool WaitFinished(WebRequest& request) {
    for (int i = 0; i < 1000; ++i) {
      if (request.IsFinished()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  ScriptedClient mClient;
  platform::HttpClient* mPrevious = nullptr;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(WebRequestTest, DownloadIntoPrivateTemporaryFile) {
  mClient.mBody = std::string(2500, 'v');
  WebRequest request;
  ASSERT_TRUE(request.Start("version.txt", "http://127.0.0.1:1/v.txt", "Agent", "Checking", false));
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_TRUE(request.Succeeded());
  EXPECT_EQ(ReadAll(request.TempFilePath()), mClient.mBody);
  EXPECT_EQ(mClient.mLastRequest.userAgent, "Agent");
  EXPECT_FALSE(mClient.mLastRequest.post);
  std::string path = request.TempFilePath();
  request.DeleteFile();
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(request.TempFilePath().empty());
  EXPECT_EQ(request.GetState(), WebRequest::kIdle);
}

TEST_F(WebRequestTest, EmptyAddressStartsNothing) {
  WebRequest request;
  EXPECT_FALSE(request.Start("v.txt", "", "Agent", "Checking", true));
  EXPECT_EQ(request.GetState(), WebRequest::kIdle);
  EXPECT_EQ(mClient.mCalls, 0);
}

TEST_F(WebRequestTest, SecondStartWhileRunning) {
  mClient.mHold = true;
  mClient.mStatus = 404;
  WebRequest request;
  ASSERT_TRUE(request.Start("v.txt", "http://127.0.0.1:1/v.txt", "Agent", "Checking", false));
  EXPECT_FALSE(request.Start("v.txt", "http://127.0.0.1:1/v.txt", "Agent", "Checking", false));
  EXPECT_FALSE(request.IsFinished());
  EXPECT_TRUE(request.Start("v.txt", "http://127.0.0.1:1/v.txt", "Agent", "Checking", true)) << "takes over";
  EXPECT_FALSE(request.Start("v.txt", "http://127.0.0.1:1/v.txt", "Agent", "Checking", true)) << "already interactive";
  mClient.Release();
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_FALSE(request.Succeeded());
  // The failure found on the worker is kept for the collecting thread, which tells it.
  EXPECT_TRUE(request.IsInteractive());
  EXPECT_EQ(request.Failure().text, "Checking\n\nCouldn't find file on server (status 404).");
  EXPECT_FALSE(request.Failure().internal);
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
  EXPECT_FALSE(fs::exists(request.TempFilePath())) << "no file left after a failed download";
  EXPECT_EQ(mClient.mCalls, 1);
}

TEST_F(WebRequestTest, BackgroundFailureStaysQuiet) {
  mClient.mFailure = platform::HttpFailure::Connect;
  mClient.mError = "Connection refused";
  WebRequest request;
  ASSERT_TRUE(request.Start("v.txt", "http://127.0.0.1:1/v.txt", "Agent", "Checking", false));
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_FALSE(request.Succeeded());
  EXPECT_EQ(request.Failure().text, "Checking\n\nInternetOpenUrl: Connection refused");
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
}

TEST_F(WebRequestTest, FormPostKeepsTheReply) {
  mClient.mBody = "latest=2.1";
  WebRequest request;
  ASSERT_TRUE(request.Start(nullptr, "http://127.0.0.1:1/check.php", "Agent", "Checking", false, "v=1&x=a+b"));
  ASSERT_TRUE(WaitFinished(request));
  EXPECT_TRUE(request.Succeeded());
  EXPECT_EQ(request.Reply(), "latest=2.1");
  EXPECT_TRUE(mClient.mLastRequest.post);
  EXPECT_EQ(mClient.mLastRequest.body, "v=1&x=a+b");
  EXPECT_EQ(mClient.mLastRequest.contentType, "application/x-www-form-urlencoded");
  EXPECT_TRUE(request.TempFilePath().empty());
}

TEST_F(WebRequestTest, PostIntoBufferIsCutAndTold) {
  mClient.mBody = "0123456789";
  char reply[5];
  bool cut = false;
  WebFailure failure;
  EXPECT_TRUE(PostUrlForm(sizeof reply, reply, "http://127.0.0.1:1/p", "a=b", "Agent", "Posting", failure, &cut));
  EXPECT_STREQ(reply, "0123");
  EXPECT_TRUE(cut);
  EXPECT_FALSE(PostUrlForm(sizeof reply, reply, "127.0.0.1/p", "a=b", "Agent", "Posting", failure));
  EXPECT_TRUE(failure.internal);
  EXPECT_EQ(failure.text, "URL is missing 'http://' or similar:\n127.0.0.1/p");
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
}

TEST_F(WebRequestTest, LocalPathIsCopied) {
  fs::path dir = testing::ScratchDir("webrequest-local");
  std::ofstream(dir / "local.txt") << "local data";
  std::string target = (dir / "copy.txt").string();
  WebFailure failure;
  EXPECT_TRUE(DownloadUrlToFile(target.c_str(), (dir / "local.txt").c_str(), "Agent", "Checking", failure));
  EXPECT_EQ(ReadAll(target), "local data");
  EXPECT_EQ(mClient.mCalls, 0);
}

TEST_F(WebRequestTest, CancelledDownloadLeavesNoFile) {
  mClient.mBody = std::string(5000, 'c');
  fs::path dir = testing::ScratchDir("webrequest-cancel");
  std::string target = (dir / "out.bin").string();
  auto& progress = testing::Platform().progress;
  progress.Current()->onPump = [](platform::HeadlessProgressWindow::State& state) { state.cancel = true; };
  // The progress window opens only after the first second.
  mClient.mBeforeBlock = [] { testing::Platform().clock.Advance(2.0); };
  WebFailure failure;
  bool ok = DownloadUrlToFile(target.c_str(), "http://127.0.0.1:1/big", "Agent", "Getting", failure, true);
  progress.Current()->onPump = nullptr;
  EXPECT_FALSE(ok);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_GT(progress.Current()->pumps, 0) << "the window was up and was cancelled";
}

}  // namespace
}  // namespace corvia
