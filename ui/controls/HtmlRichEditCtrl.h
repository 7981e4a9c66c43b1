#pragma once
// HtmlRichEditCtrl: a read-only rich-text box that shows marked-up text (the mark-up
// of core/RichTextMarkup.h): warnings and notes of dialogs and the answer of the
// update check. It only appends formatted text; links open in the browser when
// clicked, and the pointer is a hand over them.

#include <wx/textctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/RichTextMarkup.h"

namespace corvia {

class HtmlRichEditCtrl : public wxTextCtrl {
 public:
  HtmlRichEditCtrl() = default;
  HtmlRichEditCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = 0);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);

  // Replaces the content (and its links) with the marked-up text.
  void SetHtml(const char* markup);
  // Appends the marked-up text at the end of the content.
  void AppendHtml(const char* markup);
  // Appends text in the box's own font with the effects (kRichTextBold, ...), the
  // colour (0x00BBGGRR) and, when it is 0 or more, the height in twips.
  void AppendRun(const std::string& text, unsigned effects, uint32_t colour, int height);
  // The height of the box's own font, in twips.
  int GetDefaultHeight() const;

  // The target of the link at a character of the content, or null.
  const std::string* GetLinkAt(long position) const;
  // The target of the link under a point of the box, or null.
  const std::string* GetLinkAtPoint(const wxPoint& point) const;
  // Where a character of the content stands in the box (for tests and tools).
  wxPoint GetCharacterPoint(long position) const;

 private:
  void OnMotion(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);

  // Newest last; kept until the content is replaced.
  std::vector<RichTextLink> mLinks;
  wxCursor mHandCursor;
  bool mOverLink = false;
};

}  // namespace corvia
