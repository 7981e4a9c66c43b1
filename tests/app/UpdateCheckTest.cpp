// The check for a newer version against a server of the test's own on 127.0.0.1:
// no server address, no request; once a day by itself; the answer shown once.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/Settings.h"
#include "app/UpdateCheck.h"
#include "core/WebRequest.h"
#include "platform/HttpClient.h"
#include "platform/wx/CurlHttpClient.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace test_UpdateCheck {

using namespace corvia;
using corvia::testing::HttpReply;
using corvia::testing::LoopbackServer;

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mSaved = GetAppSettings();
    platform::InstallHttpClient(&mClient);
    corvia::testing::Platform().messages.Clear();
  }
  void TearDown() override {
    platform::InstallHttpClient(nullptr);
    GetAppSettings() = mSaved;
  }
  // Waits for the worker, then lets idle time collect it.
  static void Collect() {
    for (int i = 0; i < 500 && !IsUpdateCheckDone(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(IsUpdateCheckDone());
    RunUpdateCheck();
  }

  AppSettings mSaved;
  platform::CurlHttpClient mClient;
};

TEST(VersionText, MajorAndMinor) {
  EXPECT_EQ(ParseVersionText("5.4"), 5004);
  EXPECT_EQ(ParseVersionText("Version 6.12"), 6012);
  EXPECT_EQ(ParseVersionText("7"), 7000);
  EXPECT_EQ(ParseVersionText("none"), 0);
  EXPECT_EQ(ParseVersionText(nullptr), 0);
  EXPECT_EQ(ParseVersionText("5.1000"), 0);
}

TEST_F(UpdateCheckTest, WithoutAServerNoRequestIsMade) {
  GetAppSettings().updateUrl.clear();
  EXPECT_FALSE(CheckForNewVersion(false));
  EXPECT_FALSE(CheckForNewVersion(true));
  EXPECT_EQ(TheWebRequest().GetState(), WebRequest::kIdle);
}

TEST_F(UpdateCheckTest, ANewerVersionIsShownOnce) {
  LoopbackServer server(HttpReply("200 OK", "6.1\nnotes follow\n"));
  AppSettings& settings = GetAppSettings();
  settings.updateUrl = server.Url("/version");
  settings.checkForUpdates = true;
  settings.lastUpdateCheckDay = 0;
  ASSERT_TRUE(CheckForNewVersion(false));
  EXPECT_EQ(settings.lastUpdateCheckDay, GetTodayNumber());
  Collect();
  EXPECT_NE(server.LastRequest().find("GET /version?oldVer=5.4&edition=Brantis "), std::string::npos);
  EXPECT_EQ(GetLatestVersionText(), "6.1");
  ASSERT_EQ(corvia::testing::Platform().messages.CountTitled("Information"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes()[0].text, "Version 6.1 of Brantis is available (this is version 5.4).");
  // Collected: idle time finds nothing more to show.
  EXPECT_FALSE(IsUpdateCheckDone());
  RunUpdateCheck();
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  // Once a day by itself; the menu command whatever the day.
  EXPECT_FALSE(CheckForNewVersion(false));
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
}

TEST_F(UpdateCheckTest, TheSameVersionIsQuietUnlessAsked) {
  LoopbackServer server(HttpReply("200 OK", "5.4\n"));
  GetAppSettings().updateUrl = server.Url("/v");
  GetAppSettings().lastUpdateCheckDay = 0;
  ASSERT_TRUE(CheckForNewVersion(false));
  Collect();
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  GetAppSettings().checkForUpdates = false;
  GetAppSettings().lastUpdateCheckDay = 0;
  EXPECT_FALSE(CheckForNewVersion(false));
}

}  // namespace test_UpdateCheck
