// The wx colour chooser behind ChooseColorDialog, answered by a timer while its
// modal loop runs, so that no person is needed and no test waits.

#include <gtest/gtest.h>
#include <wx/colordlg.h>
#include <wx/timer.h>

#include "core/Globals.h"
#include "platform/wx/WxColourChooser.h"
#include "tests/support/TestSupport.h"

namespace test_ColourChooser {

// Presses the button with the given id once the chooser is open.
class Answer : public wxTimer {
 public:
  explicit Answer(int button) : mButton(button) { Start(kPeriodMs); }
  void Notify() override {
    if (wxColourDialog* dialog = corvia::platform::OpenColourDialog()) {
      Stop();
      mPressed = true;
      dialog->EndModal(mButton);
    }
  }
  bool Pressed() const { return mPressed; }

 private:
  static constexpr int kPeriodMs = 20;
  int mButton;
  bool mPressed = false;
};

TEST(ColourChooser, OkGivesTheColourBackAndCancelLeavesIt) {
  const corvia::ColorChooserFunction previous = corvia::SetColorChooser(corvia::platform::WxChooseColour);
  float colour[3] = {0.2f, 0.4f, 1.0f};  // 51, 102, 255
  {
    Answer ok(wxID_OK);
    EXPECT_TRUE(corvia::ChooseColorDialog(colour));
    EXPECT_TRUE(ok.Pressed());
  }
  EXPECT_NEAR(colour[0], 51 / 255.0f, 1e-6f);
  EXPECT_NEAR(colour[1], 102 / 255.0f, 1e-6f);
  EXPECT_EQ(colour[2], 1.0f);
  EXPECT_EQ(corvia::platform::OpenColourDialog(), nullptr);
  float kept[3] = {0.0f, 0.5f, 0.25f};
  {
    Answer cancel(wxID_CANCEL);
    EXPECT_FALSE(corvia::ChooseColorDialog(kept));
    EXPECT_TRUE(cancel.Pressed());
  }
  EXPECT_EQ(kept[0], 0.0f);
  EXPECT_EQ(kept[1], 0.5f);
  EXPECT_EQ(kept[2], 0.25f);
  corvia::SetColorChooser(previous);
}

}  // namespace test_ColourChooser
