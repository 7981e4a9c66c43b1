#pragma once
// PaneCaption: what a pane's caption says and offers. It names the model the pane's
// view type shows (the title, the name an exported file takes) and chooses the
// caption's buttons by the view type, the mouse selection mode and an augmentation
// preview shown in the pane. It holds the view whose caption bar it writes to (its
// title, its buttons, its frame's mouse selection mode) and the view type it names; it
// needs no pane and no window.

#include <string>

namespace corvia {

class OpenGLView;
class PaneViewType;

class PaneCaption {
 public:
  PaneCaption(OpenGLView& view, const PaneViewType& type) : mView(view), mViewType(type) {}
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
  OpenGLView& mView;
  const PaneViewType& mViewType;
  // The caption shows the buttons of an augmentation preview.
  bool mAugmentationButtons = false;
};

}  // namespace corvia
