// Tours in the main window with a small document of the test's own: three events
// recorded from three models and view angles, kept in a scene and read back, played
// back on the timer to the same models and cameras and stopped; the tour bar's rows,
// their edits and reordering; stepping, removing and the Tour menu's rules; scene data
// that cannot be read leaves the tour as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "core/ioStream.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "platform/SettingsStore.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "symmetry/SimplePoly.h"
#include "tests/gui/FrameTestSupport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/BarDocument.h"
#include "ui/CommandTable.h"
#include "ui/MainFrame.h"
#include "ui/Tour.h"
#include "ui/TourBar.h"
#include "ui/controls/InPlaceEditors.h"

namespace {

using namespace corvia;
using corvia::testing::YieldFor;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

// Tour events make their models as the test's document does.
class TourDocumentStandIn : public corvia::testing::ModelDocument {
 public:
  bool SetTourModel(const TourModel& tourModel, const TransitionSettings* transition) override {
    ++loads;
    lastTransition = transition ? transition->mType : -1;
    if (tourModel.libraryIndex >= 0) return SetEntry(GetLibraryEntry(tourModel.libraryIndex));
    return SetConfiguration(tourModel.configuration.c_str());
  }
  int loads = 0;
  int lastTransition = -2;
};

class Tours : public corvia::testing::FrameTest {
 protected:
  void SetUp() override {
    GetTour().Clear();
    OpenFrame("tours", &mDocument, &mDocument);
  }
  void TearDown() override {
    GetTour().Clear();
    FrameTest::TearDown();
  }
  static OpenGLView* Pane(int i) {
    NewView* view = NewView::GetFirstView();
    for (int k = 0; k < i && view; ++k) view = view->GetNext();
    return dynamic_cast<OpenGLView*>(view);
  }
  // Turns the first pane about the vertical axis.
  static void Turn(double angle) {
    const double axis[3] = {0, 1, 0};
    Pane(0)->Camera().RotateCamera(axis, angle);
  }
  static CameraRecord Camera() {
    CameraRecord record;
    Pane(0)->Camera().GetCamera(record);
    return record;
  }
  static bool SameView(const CameraRecord& a, const CameraRecord& b) {
    for (int i = 0; i < 3; ++i) {
      if (std::fabs(a.viewAxis[i] - b.viewAxis[i]) > 1e-9 || std::fabs(a.up[i] - b.up[i]) > 1e-9) return false;
    }
    return true;
  }
  std::string ModelText() {
    Poly* poly = GetCurrentPoly();
    if (!poly) return "";
    char text[128];
    poly->GetName(text, sizeof text);
    return text;
  }
  // Records three events: the cube, the snub cube and the cuboctahedron typed as
  // 3.4.3.4, each seen from another side.
  void RecordThree() {
    ASSERT_TRUE(mDocument.SetConfiguration("4.4.4"));
    Turn(0.3);
    mCameras.push_back(Camera());
    GetTour().AddToTour();
    bool recognised = false;
    ASSERT_TRUE(mDocument.SetEntry(LookUpModel("snub cube", &recognised, nullptr, nullptr, false)));
    Turn(0.6);
    mCameras.push_back(Camera());
    GetTour().AddToTour();
    ASSERT_TRUE(mDocument.SetConfiguration("3.4.3.4"));
    Turn(0.9);
    mCameras.push_back(Camera());
    GetTour().AddToTour();
    for (int i = 0; i < 3; ++i) {
      TourEvent* event = GetTour().GetEvent(i);
      event->mDuration = 0.3f;
      event->mTransition.mType = 0;
      event->mTransition.mDuration = 0.0;
    }
    mFrame->GetTourBar()->RefreshList(false);
  }

  TourDocumentStandIn mDocument;
  std::vector<CameraRecord> mCameras;
};

TEST_F(Tours, ThreeEventsAreRecordedKeptInASceneAndPlayedBackOnTheTimer) {
  RecordThree();
  Tour& tour = GetTour();
  ASSERT_EQ(tour.GetNumEvents(), 3);
  EXPECT_EQ(tour.GetCurrentEvent(), tour.GetEvent(2));
  EXPECT_EQ(tour.GetEvent(1)->mName, "Snub Cube");
  EXPECT_EQ(tour.GetEvent(2)->mModel.configuration, "3.4.3.4");
  // The tour bar lists them.
  CTourListCtrl* list = mFrame->GetTourBar()->GetList();
  ASSERT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(list->GetItemText(1, kTourColumnName), "Snub Cube");
  EXPECT_EQ(list->GetItemText(0, kTourColumnDuration), "0.3");
  EXPECT_TRUE(list->IsSelected(2));

  // Kept in a scene and read back.
  ioBuffer buffer;
  ioStream* out = ioOpenWrite(nullptr, nullptr, 1, 0, kIoModeMemory, nullptr, nullptr, &buffer).release();
  ASSERT_TRUE(tour.Write(out, 0));
  ASSERT_TRUE(ioClose(out));
  tour.Clear();
  EXPECT_EQ(list->GetItemCount(), 0);
  ioStream* in = ioOpenRead(nullptr, nullptr, 1, 0, nullptr, nullptr, buffer.data, buffer.length).release();
  ASSERT_TRUE(tour.Read(in, true));
  ioClose(in);
  ASSERT_EQ(tour.GetNumEvents(), 3);
  EXPECT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(tour.GetEvent(1)->mName, "Snub Cube");
  EXPECT_EQ(tour.GetCurrentEvent(), tour.GetEvent(2));
  EXPECT_EQ(tour.GetEvent(0)->mModel.configuration, "4.4.4");
  EXPECT_EQ(tour.GetEvent(1)->mModel.libraryIndex,
            LookUpModel("snub cube", nullptr, nullptr, nullptr, false)->GetIndex());
  EXPECT_TRUE(SameView(tour.GetEvent(1)->mPanes.at(0).camera, mCameras[1]));

  // Played back on the timer: each event in turn, its model and its view angle.
  ASSERT_TRUE(mDocument.SetConfiguration("5.5.5"));
  tour.SetCurrentEvent(tour.GetEvent(0));
  tour.PlayTour();
  ASSERT_TRUE(tour.IsTourPlaying());
  EXPECT_EQ(tour.GetTimerMilliseconds(), 300);
  EXPECT_EQ(ModelText(), "4.4.4");
  EXPECT_TRUE(SameView(Camera(), mCameras[0]));
  EXPECT_TRUE(list->IsSelected(0));
  YieldUntil([&] { return tour.GetCurrentEvent() == tour.GetEvent(1); });
  EXPECT_EQ(tour.GetCurrentEvent(), tour.GetEvent(1));
  EXPECT_EQ(GetCurrentPoly()->mLibraryEntry->mName, std::string("Snub Cube"));
  EXPECT_TRUE(SameView(Camera(), mCameras[1]));
  YieldUntil([&] { return tour.GetCurrentEvent() == tour.GetEvent(2); });
  EXPECT_EQ(ModelText(), "3.4.3.4");
  EXPECT_TRUE(SameView(Camera(), mCameras[2]));
  // It loops: after the last comes the first.
  YieldUntil([&] { return tour.GetCurrentEvent() == tour.GetEvent(0); });
  EXPECT_EQ(ModelText(), "4.4.4");
  // Stopped: the timer goes and the model stays.
  tour.StopTour();
  EXPECT_FALSE(tour.IsTourPlaying());
  EXPECT_EQ(tour.GetTimerMilliseconds(), 0);
  const int loads = mDocument.loads;
  // Longer than the timer's step: what is checked is that no step comes meanwhile.
  YieldFor(500);
  EXPECT_EQ(mDocument.loads, loads);
  EXPECT_EQ(ModelText(), "4.4.4");
}

TEST_F(Tours, SceneDataThatCannotBeReadLeavesTheTourAsItWas) {
  RecordThree();
  Tour& tour = GetTour();
  const std::string good =
      "Event\n Name \"x\"\n Duration 2\n Fade 0 -1\n Layout 1\n Points 3\n 0 0 0\n 1 0 0\n 0 1 0\n Faces 1\n "
      "3 0 1 2\nEndEvent\nCurrent 0\nEndSection\n";
  const char* bad[] = {
      "Event\n Points 3\n 0 0 0\n 1 0 0\n 0 1 0\n Faces 1\n 3 0 1 7\nEndEvent\nEndSection\n",  // no vertex 7
      "Event\n Duration 0\nEndEvent\nEndSection\n",                                            // too short
      "Event\n Fade 9 1\nEndEvent\nEndSection\n",                                              // no such type
      "Event\n Library 3 0 0 \"Not its name\"\nEndEvent\nEndSection\n",                        // library changed
      "Event\n Points 99999999\nEndEvent\nEndSection\n",                                       // too many
      "Event\n Points 4194304\n 0 0 0\nEndEvent\nEndSection\n",  // far more than the data holds
      "Event\n Points 3\n 0 0 0\n 1 0 0\n 0 1 0\n Faces 1000000\n 3 0 1 2\nEndEvent\nEndSection\n",
      "Event\n Points 1\n 0 0 0\n Points 1\n 1 0 0\nEndEvent\nEndSection\n",  // given twice
      "Event\n Name \"cut short\"\n",                                                          // no end
      "Name \"outside\"\nEndSection\n",                                                        // no event
  };
  std::string firstError;
  auto read = [&](const std::string& text, bool apply) {
    firstError.clear();
    ioStream* in = ioOpenReadText("scene.corv", text.data(), text.size(), 1, 0, 0, nullptr,
                                  [&firstError](int, const char*, const char* message) {
                                    if (firstError.empty()) firstError = message;
                                    return 0;
                                  }).release();
    const bool ok = tour.Read(in, apply);
    ioClose(in);
    return ok;
  };
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(read(text, true));
    ASSERT_EQ(tour.GetNumEvents(), 3);
    EXPECT_EQ(tour.GetEvent(1)->mName, "Snub Cube");
  }
  // A claimed count is checked against the data before anything is made for it.
  EXPECT_FALSE(read(bad[5], false));
  EXPECT_EQ(firstError, "A tour event's points: 4194304 records do not fit in what is left of the data");
  // Checking changes nothing either; applying takes the new tour.
  EXPECT_TRUE(read(good, false));
  EXPECT_EQ(tour.GetNumEvents(), 3);
  EXPECT_TRUE(read(good, true));
  ASSERT_EQ(tour.GetNumEvents(), 1);
  EXPECT_EQ(tour.GetEvent(0)->mModel.faces.size(), 1u);
  EXPECT_EQ(tour.GetEvent(0)->mLayout, 1);
  EXPECT_FALSE(tour.GetEvent(0)->HasFadeTime());
}

TEST_F(Tours, SteppingRemovingAndTheTimersRules) {
  Tour& tour = GetTour();
  // An empty tour plays nothing and leaves no timer.
  tour.PlayTour();
  EXPECT_FALSE(tour.IsTourPlaying());
  RecordThree();
  EXPECT_EQ(TourTimerMilliseconds(1.5), 1500);
  EXPECT_EQ(TourTimerMilliseconds(0.0005), 1);
  // Next on the last goes to the first; previous on the first to the last.
  tour.SetCurrentEvent(tour.GetEvent(2));
  tour.NextEvent();
  EXPECT_EQ(tour.GetCurrentEvent(), tour.GetEvent(0));
  EXPECT_EQ(ModelText(), "4.4.4");
  tour.PreviousEvent();
  EXPECT_EQ(tour.GetCurrentEvent(), tour.GetEvent(2));
  // Lengths and times: three events of 0.3 s without transitions.
  EXPECT_NEAR(tour.GetTourLength(true), 0.9, 1e-6);
  TourEvent* shown = nullptr;
  EXPECT_NEAR(tour.FindTourEventAtTime(0.45, &shown, nullptr), 0.3, 1e-6);
  EXPECT_EQ(shown, tour.GetEvent(1));
  EXPECT_EQ(tour.FindTourEventAtTime(5.0, &shown, nullptr), 0.0);
  EXPECT_EQ(shown, tour.GetEvent(0));

  // Removing the current event when it is the last makes the one before current.
  TourEvent* second = tour.GetEvent(1);
  tour.RemoveFromTour({2});
  EXPECT_EQ(tour.GetNumEvents(), 2);
  EXPECT_EQ(tour.GetCurrentEvent(), second);
  EXPECT_EQ(mFrame->GetTourBar()->GetList()->GetItemCount(), 2);
  // Removing every event leaves an empty tour and nothing to load.
  tour.PlayTour();
  tour.RemoveFromTour({0, 1});
  EXPECT_EQ(tour.GetNumEvents(), 0);
  EXPECT_EQ(tour.GetCurrentEvent(), nullptr);
  EXPECT_FALSE(tour.IsTourPlaying());
}

TEST_F(Tours, TheTourBarsEditsAndMoves) {
  RecordThree();
  Tour& tour = GetTour();
  CTourBar* bar = mFrame->GetTourBar();
  CTourListCtrl* list = bar->GetList();
  // A click on a cell of a selected row opens its editor; the text goes in, the editor
  // ends. A name the drop-down list does not hold is handed to the bar as typed.
  auto edit = [&](int row, int column, const char* text) {
    list->DeselectAll();
    list->SetSelected(row, true);
    list->ClickCell(row, column, false, false, false);
    if (InPlaceEdit* box = list->GetInPlaceEdit()) {
      box->ChangeValue(text);
      box->Finish();
    } else if (InPlaceCombo* combo = list->GetInPlaceCombo()) {
      const bool listed = combo->SetStringSelection(text);
      combo->Finish();
      if (!listed) bar->OnEndLabelEdit(*list, row, column, text);
    }
    YieldUntil([list] { return !list->GetInPlaceEdit() && !list->GetInPlaceCombo(); });
    YieldUntilHandled();
  };
  edit(0, kTourColumnDuration, "0");
  EXPECT_FLOAT_EQ(tour.GetEvent(0)->mDuration, 0.3f);
  edit(0, kTourColumnDuration, "0.01");
  EXPECT_FLOAT_EQ(tour.GetEvent(0)->mDuration, 0.01f);
  edit(0, kTourColumnDuration, "abc");
  EXPECT_FLOAT_EQ(tour.GetEvent(0)->mDuration, 0.01f);
  edit(1, kTourColumnFade, "-1");
  EXPECT_FALSE(tour.GetEvent(1)->HasFadeTime());
  EXPECT_EQ(list->GetItemText(1, kTourColumnFade), "<Default>");
  EXPECT_EQ(list->GetCellText(1, kTourColumnFade), "-1");
  edit(1, kTourColumnFade, "2.5");
  EXPECT_EQ(list->GetItemText(1, kTourColumnFade), "2.5");
  edit(1, kTourColumnFadeType, "Orbit");
  EXPECT_EQ(tour.GetEvent(1)->mTransition.mType, 3);
  edit(1, kTourColumnFadeType, "Spin");
  EXPECT_EQ(tour.GetEvent(1)->mTransition.mType, 3);
  edit(2, kTourColumnName, "Last one");
  EXPECT_EQ(tour.GetEvent(2)->mName, "Last one");
  EXPECT_TRUE(tour.GetEvent(2)->mFlags & kTourEventNamedByUser);
  // A click on an "Inherit Layout" cell toggles it at once.
  list->ClickCell(0, kTourColumnInherit, false, false, false);
  EXPECT_TRUE(tour.GetEvent(0)->mFlags & kTourEventInheritLayout);
  EXPECT_EQ(list->GetItemText(0, kTourColumnInherit), "Yes");

  // The first row dropped on the third goes before it: second place.
  TourEvent* first = tour.GetEvent(0);
  list->FinishDrag(list, 0, 2);
  EXPECT_EQ(tour.GetEvent(1), first);
  // Dropped past the last row: to the end.
  list->FinishDrag(list, 1, 3);
  EXPECT_EQ(tour.GetEvent(2), first);
  EXPECT_EQ(list->GetItemText(2, kTourColumnName), first->mName);

  // The layout toggle and the duration of several events.
  list->DeselectAll();
  list->SetSelected(0, true);
  list->SetSelected(1, true);
  EXPECT_FALSE(bar->AllSelectedInheritLayout());
  bar->ToggleInheritLayout();
  EXPECT_TRUE(tour.GetEvent(0)->mFlags & kTourEventInheritLayout);
  EXPECT_TRUE(tour.GetEvent(1)->mFlags & kTourEventInheritLayout);
  auto& messages = corvia::testing::Platform().messages;
  messages.QueueText("1.5");
  bar->SetDurationOfSelected();
  EXPECT_FLOAT_EQ(tour.GetEvent(0)->mDuration, 1.5f);
  EXPECT_FLOAT_EQ(tour.GetEvent(1)->mDuration, 1.5f);
  EXPECT_TRUE(list->IsSelected(0) && list->IsSelected(1));
  messages.QueueText("0");
  bar->SetDurationOfSelected();
  EXPECT_FLOAT_EQ(tour.GetEvent(0)->mDuration, 1.5f);
  // A malformed equation is refused with the evaluator's message and asked again.
  const int errors = messages.CountTitled("Error");
  messages.QueueText("2*(1");
  messages.QueueText("2*(1+1/2)");
  bar->SetDurationOfSelected();
  EXPECT_EQ(messages.CountTitled("Error"), errors + 1);
  EXPECT_FLOAT_EQ(tour.GetEvent(0)->mDuration, 3.0f);
  EXPECT_FLOAT_EQ(tour.GetEvent(1)->mDuration, 3.0f);
}

TEST_F(Tours, TheListsMenuOffersItsOwnCommandsForASelection) {
  RecordThree();
  CTourListCtrl* list = mFrame->GetTourBar()->GetList();
  // The menu's items are updated from the list, as a popup menu is.
  auto update = [&](int command) {
    wxUpdateUIEvent event(ToWxId(command));
    event.SetEventObject(list->GetBody());
    list->GetBody()->HandleWindowEvent(event);
    return std::make_pair(event.GetSetEnabled() && event.GetEnabled(), event.GetSetChecked() && event.GetChecked());
  };
  list->DeselectAll();
  list->SetSelected(1, true);
  EXPECT_TRUE(update(kCmdTourSetDuration).first);
  EXPECT_EQ(update(kCmdTourInheritLayout), std::make_pair(true, false));
  GetTour().GetEvent(1)->mFlags |= kTourEventInheritLayout;
  EXPECT_EQ(update(kCmdTourInheritLayout), std::make_pair(true, true));
  list->DeselectAll();
  EXPECT_FALSE(update(kCmdTourSetDuration).first);
}

TEST_F(Tours, TheTourMenuReachesTheTour) {
  auto command = [&](int id) { Command(id); };
  ASSERT_TRUE(mDocument.SetConfiguration("4.4.4"));
  command(kCmdTourAdd);
  ASSERT_TRUE(mDocument.SetConfiguration("3.3.3"));
  command(kCmdTourAdd);
  EXPECT_EQ(GetTour().GetNumEvents(), 2);
  command(kCmdTourNext);
  EXPECT_EQ(GetTour().GetCurrentEvent(), GetTour().GetEvent(0));
  EXPECT_EQ(ModelText(), "4.4.4");
  command(kCmdTourPlay);
  EXPECT_TRUE(GetTour().IsTourPlaying());
  command(kCmdTourPlay);
  EXPECT_FALSE(GetTour().IsTourPlaying());
  const bool shown = mFrame->IsBarShown(mFrame->GetTourBar());
  command(kCmdTourShowList);
  EXPECT_NE(mFrame->IsBarShown(mFrame->GetTourBar()), shown);
}

}  // namespace
