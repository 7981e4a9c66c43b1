#pragma once
// PaneCaption: what a pane's caption says and offers. It names the model the pane's
// view type shows (the title, the name an exported file takes) and chooses the
// caption's buttons by the view type, the mouse selection mode and an augmentation
// preview shown in the pane. It holds its pane for the view type, the shown side and
// block, and the caption bar it writes to.

#include <string>

namespace corvia {

class CPolyView;

class PaneCaption {
 public:
  explicit PaneCaption(CPolyView& view) : mView(view) {}
  PaneCaption(const PaneCaption&) = delete;
  PaneCaption& operator=(const PaneCaption&) = delete;

  // The pane title.
  void UpdateCaption();
  std::string GetViewName() const;
  std::string GetShownModelName(bool withSymbol, bool withNumbers) const;
  std::string GetStellationName() const;
  std::string GetExportModelName() const;
  void SetCaptionButtons();
  // A pane whose buttons are still those of an augmentation preview that has ended
  // takes its own again.
  void EndAugmentationButtons();

 private:
  CPolyView& mView;
  // The caption shows the buttons of an augmentation preview.
  bool mAugmentationButtons = false;
};

}  // namespace corvia
