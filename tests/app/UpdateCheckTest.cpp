// The check for a newer version against a server of the test's own on 127.0.0.1:
// no server address, no request; once a day by itself; the answer shown once.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/HelpCommands.h"
#include "app/Settings.h"
#include "app/UpdateCheck.h"
#include "core/WebRequest.h"
#include "platform/HttpClient.h"
#include "platform/wx/CurlHttpClient.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"

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
    RunUpdateCheck(kVersionHistoryPage, ChooseUpdatePage, kCmdCheckForUpdates);
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
  EXPECT_EQ(ParseVersionText("6.1 (the summer release)"), 6001);
  EXPECT_EQ(ParseVersionText("999999.999"), 999999999);
  // Signs, points, exponents and commas read as no number; nor do numbers too long
  // for their part, which would otherwise wrap round.
  for (const char* text : {"-5.4", ".4", "1e3", "5,4", "5.", "5.4.1", "1234567.1", "2147483648", "5.99999999999"})
    EXPECT_EQ(ParseVersionText(text), 0) << text;
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
  EXPECT_NE(server.LastRequest().find("GET /version?oldVer=0.1&edition=Corvia "), std::string::npos);
  EXPECT_EQ(GetLatestVersionText(), "6.1");
  ASSERT_EQ(corvia::testing::Platform().messages.CountTitled("Check for Software Updates Now"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes()[0].text, "Version 6.1 of Corvia is available (this is version 0.1).");
  // Collected: idle time finds nothing more to show.
  EXPECT_FALSE(IsUpdateCheckDone());
  RunUpdateCheck(kVersionHistoryPage, ChooseUpdatePage, kCmdCheckForUpdates);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  // Once a day by itself; the menu command whatever the day.
  EXPECT_FALSE(CheckForNewVersion(false));
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
}

TEST_F(UpdateCheckTest, TheSameVersionIsQuietUnlessAsked) {
  LoopbackServer server(HttpReply("200 OK", "0.1\n"));
  GetAppSettings().updateUrl = server.Url("/v");
  GetAppSettings().lastUpdateCheckDay = 0;
  ASSERT_TRUE(CheckForNewVersion(false));
  Collect();
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  GetAppSettings().checkForUpdates = false;
  GetAppSettings().lastUpdateCheckDay = 0;
  EXPECT_FALSE(CheckForNewVersion(false));
}

TEST(UpdatePage, OnlyANewerVersionOffersTheDownloads) {
  EXPECT_EQ(ChooseUpdatePage("1.0"), kDownloadsPage);
  EXPECT_EQ(ChooseUpdatePage("0.2"), kDownloadsPage);
  EXPECT_EQ(ChooseUpdatePage("0.1"), "");
  EXPECT_EQ(ChooseUpdatePage("0.0"), "");
  EXPECT_EQ(ChooseUpdatePage("no version"), "");
}

TEST_F(UpdateCheckTest, TheAnswerOpensThePageChosen) {
  std::vector<std::string>& opened = corvia::testing::Platform().shell.mOpened;
  opened.clear();
  LoopbackServer server(HttpReply("200 OK", "5.7\n"));
  GetAppSettings().updateUrl = server.Url("/v");
  // The default button: the downloads page.
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], kDownloadsPage);
  EXPECT_NE(GetAboutVersionText().find("(not the latest!)"), std::string::npos);
  // The second button: the version history.
  corvia::testing::Platform().messages.QueueAnswer(1);
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], kVersionHistoryPage);
  // Closed: nothing opens.
  corvia::testing::Platform().messages.QueueAnswer(2);
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
  EXPECT_EQ(opened.size(), 2u);
  opened.clear();
}

TEST_F(UpdateCheckTest, TheSameVersionIsToldWhenAsked) {
  LoopbackServer server(HttpReply("200 OK", "0.1\n"));
  GetAppSettings().updateUrl = server.Url("/v");
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
  const auto& boxes = corvia::testing::Platform().messages.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "You have the latest version of Corvia.");
  EXPECT_EQ(GetAboutVersionText(), "Version 0.1");
  EXPECT_TRUE(corvia::testing::Platform().shell.mOpened.empty());
}

TEST_F(UpdateCheckTest, AnUnreachableServerIsToldOnlyWhenAsked) {
  std::string url;
  {
    LoopbackServer gone(HttpReply("200 OK", "6.0\n"));
    url = gone.Url("/v");
  }
  GetAppSettings().updateUrl = url;
  GetAppSettings().lastUpdateCheckDay = 0;
  GetAppSettings().checkForUpdates = true;
  ASSERT_TRUE(CheckForNewVersion(false));
  Collect();
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Error"), 1);
}

TEST_F(UpdateCheckTest, AnAnswerWithoutAVersionIsToldWhenAsked) {
  LoopbackServer server(HttpReply("200 OK", "<html>moved</html>\n"));
  GetAppSettings().updateUrl = server.Url("/v");
  ASSERT_TRUE(CheckForNewVersion(true));
  Collect();
  ASSERT_EQ(corvia::testing::Platform().messages.CountTitled("Error"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes()[0].text, "The update server's answer names no version.");
}

}  // namespace test_UpdateCheck
