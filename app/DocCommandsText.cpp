// The Edit menu's commands: the model's names, comments and link, the text of one
// element, removing texts, and the text lists loaded onto and saved from the faces,
// edges or vertices of the model.

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/DocCommandsBrowseText.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "core/FileUtils.h"
#include "core/Folders.h"
#include "core/Messages.h"
#include "ui/Prompts.h"
#include "core/RainbowColor.h"
#include "core/Strings.h"
#include "core/TextList.h"
#include "model/Edge.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/SafeFiles.h"
#include "platform/Services.h"
#include "render/NewView.h"
#include "ui/ElementWords.h"

namespace corvia {

namespace detail_DocCommandsText {

// Lengths of the model's strings, as the prompts limit them.
constexpr int kMaxNameLength = 128;
// A new name, comment or link is a change of the model, undone on its own.
constexpr int kUndoRename = 2;
// The texts of faces, edges and vertices: a text typed, a list loaded, texts removed.
constexpr int kUndoTextChange = 45;
constexpr int kMaxLinkLength = 260;

// How many lines of a text list the dialogs' preview shows, and how much of each.
constexpr int kPreviewLines = 8;
constexpr size_t kPreviewLineLength = 80;
constexpr size_t kPreviewBytes = 4096;

constexpr const char* kTextListFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
constexpr const char* kTextListExtension = "txt";

bool gPersistent = false;
std::string gPaths[kNumTextListKinds];

const char* const kLoadTitles[kNumTextListKinds] = {"Load Text List onto Faces", "Load Text List onto Edges",
                                                     "Load Text List onto Vertices"};
const char* const kSaveTitles[kNumTextListKinds] = {"Save all Face Text into Text List",
                                                     "Save all Edge Text into Text List",
                                                     "Save all Vertex Text into Text List"};

int KindIndex(TextListKind kind) { return static_cast<int>(kind); }

// The elements of the kind, in the model's order: the faces and vertices of the side
// the model shows, and the edge list.
std::vector<PolyItem*> ItemsOfKind(Poly* poly, TextListKind kind) {
  std::vector<PolyItem*> items;
  if (!poly) return items;
  if (kind == TextListKind::Edges) {
    for (int i = 0; i < poly->mNumEdges; ++i) items.push_back(poly->GetEdge(i));
    return items;
  }
  ElementList* faces = nullptr;
  ElementList* vertices = nullptr;
  poly->GetParts(poly->mShowDual != 0, &faces, &vertices, nullptr, nullptr);
  ElementList* list = kind == TextListKind::Faces ? faces : vertices;
  for (PolyElement* e = list ? list->mHead : nullptr; e; e = e->mNext) items.push_back(e);
  return items;
}

// The selected face, edge or vertex, and how the prompts name it ("face 3").
PolyItem* SelectedItem(Poly* poly, std::string* name) {
  PolyItem* item = poly ? poly->mSelectedItem : nullptr;
  if (!item) return nullptr;
  if (name) {
    const Edge* edge = item->AsEdge();
    const int number = edge ? Edge::GetNumber(edge, poly) : PolyElement::GetNumber(item->AsElement());
    *name = std::string(poly->GetSelectionKindName()) + " " + std::to_string(number);
  }
  return item;
}

// The items of the same kind as the selected one: the edges, or the elements of its list.
std::vector<PolyItem*> ItemsLike(Poly* poly, PolyItem* selected) {
  std::vector<PolyItem*> items;
  if (selected->AsEdge()) return ItemsOfKind(poly, TextListKind::Edges);
  const PolyElement* element = selected->AsElement();
  for (PolyElement* e = element && element->mList ? element->mList->mHead : nullptr; e; e = e->mNext) {
    items.push_back(e);
  }
  return items;
}

void RecordTextUndo() { platform::Services().undo->AddUndo(kUndoTextChange, 0); }

void LabelsChanged() {
  if (CPolyDoc* doc = GetDocument()) doc->SetModifiedFlag(true);
  RedrawAllViews(false, false);
}

// Runs a text-list dialog with the text preview beside it.
bool AskTextListFile(const char* title, std::string& path, bool saving) {
  const FilePreviewCallback previous = GetFilePreviewCallback();
  SetFilePreviewCallback(DescribeTextListFile);
  FolderPath& folder = DefaultFolder(DefaultFolderKind::Text);
  if (path.empty()) path = std::string(folder.GetPath()) + "/";
  const bool chosen = saving ? AskFileToSave(title, path, kTextListExtension, kTextListFilter, &folder, nullptr)
                             : AskFileToOpen(title, path, kTextListExtension, kTextListFilter, &folder, nullptr);
  SetFilePreviewCallback(previous);
  return chosen;
}

bool IsControlByte(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

// Whether the bytes are UTF-8 (a sequence cut by the end of the sample counts as good).
bool IsUtf8(const unsigned char* p, size_t n) {
  for (size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    const size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0) return false;
    for (size_t k = 1; k < length && i + k < n; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace detail_DocCommandsText

// ---- Names -----------------------------------------------------------------------------------

void OnEditBaseName() {
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  char name[detail_DocCommandsText::kMaxNameLength + 1] = "";
  StrCopyN(name, poly->mName ? poly->mName : "", sizeof name);
  if (!AskText("Base polyhedron name", name, sizeof name, 0)) return;
  // The model may have changed while the question was open (a tour plays on).
  poly = GetCurrentPoly();
  if (!poly) return;
  platform::Services().undo->AddUndo(detail_DocCommandsText::kUndoRename, 0);
  poly->SetName(name);
  if (CPolyDoc* doc = GetDocument()) doc->UpdateTitle();
  UpdateAllCaptions();
}

void OnEditDualName() {
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  char name[detail_DocCommandsText::kMaxNameLength + 1] = "";
  StrCopyN(name, poly->mDualName ? poly->mDualName : "", sizeof name);
  if (!AskText("Dual polyhedron name", name, sizeof name, 0)) return;
  poly = GetCurrentPoly();
  if (!poly) return;
  platform::Services().undo->AddUndo(detail_DocCommandsText::kUndoRename, 0);
  poly->SetDualName(name);
  UpdateAllCaptions();
}

void OnEditComments() {
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  std::string text = poly->mEntryText ? poly->mEntryText : "";
  if (!AskMultiLineText("Comments about this model", text)) return;
  poly = GetCurrentPoly();
  if (!poly || text == (poly->mEntryText ? poly->mEntryText : "")) return;
  platform::Services().undo->AddUndo(detail_DocCommandsText::kUndoRename, 0);
  poly->SetName3(text.c_str());
}

void CPolyDoc::OnEditLink() {
  if (!mPoly) return;
  char link[detail_DocCommandsText::kMaxLinkLength + 1] = "";
  StrCopyN(link, mPoly->mWebLink ? mPoly->mWebLink : "", sizeof link);
  if (!AskText("Link to physical model and online info", link, sizeof link, 0)) return;
  if (!mPoly || std::strcmp(link, mPoly->mWebLink ? mPoly->mWebLink : "") == 0) return;
  platform::Services().undo->AddUndo(detail_DocCommandsText::kUndoRename, 0);
  mPoly->SetWebLink(link);
}

// ---- Element texts ---------------------------------------------------------------------------

void OnEditElementText() {
  using namespace detail_DocCommandsText;
  Poly* poly = GetCurrentPoly();
  std::string name;
  PolyItem* item = SelectedItem(poly, &name);
  if (!item) return;
  const std::string prompt = FormatLimited(
      kMessageBufferSize,
      "<b>Enter text to appear on %s</b>\n\nA few HTML tags are acceptable, including these:\n<<b>, <<i>, "
      "<<font color>, <<font size>, <<font face>\n<<center>, <<right>, <<ul>, <<ol>, <<li>, <<sup>, <<sub>\n"
      "<<a href=\"https://www.example.com/\">Click here<</a>",
      name.c_str());
  std::string text = item->GetLabel() ? item->GetLabel() : "";
  if (!AskMultiLineText(prompt.c_str(), text)) return;
  // The element is looked up again: the model may have changed while the prompt was open.
  std::string after;
  item = SelectedItem(GetCurrentPoly(), &after);
  if (!item || after != name || text == (item->GetLabel() ? item->GetLabel() : "")) return;
  RecordTextUndo();
  item->SetLabel(text.c_str());
  LabelsChanged();
}

void OnRemoveText() {
  using namespace detail_DocCommandsText;
  Poly* poly = GetCurrentPoly();
  PolyItem* selected = SelectedItem(poly, nullptr);
  if (!selected) return;
  std::string only = "Selected face only";
  SwapElementWords(only, true);
  only = "+" + only;
  const int choice = AskQuestion(0, "Remove Text",
                                 {only.c_str(), "All faces of same type as selected face",
                                  "All faces with same color as selected face", "-Cancel"},
                                 "Remove Text from...");
  if (choice < 0 || choice > 2) return;
  poly = GetCurrentPoly();
  selected = SelectedItem(poly, nullptr);
  if (!selected) return;
  std::vector<PolyItem*> chosen;
  if (choice == 0) {
    chosen.push_back(selected);
  } else {
    const uint32_t colour = PackRainbowColor(selected->GetColour());
    for (PolyItem* item : ItemsLike(poly, selected)) {
      if (choice == 1 ? item == selected || item->IsSameTypeAs(selected)
                      : PackRainbowColor(item->GetColour()) == colour) {
        chosen.push_back(item);
      }
    }
  }
  bool recorded = false;
  for (PolyItem* item : chosen) {
    if (!item->HasLabel()) continue;
    if (!recorded) RecordTextUndo();
    recorded = true;
    item->SetLabel(nullptr);
  }
  if (recorded) LabelsChanged();
}

// ---- Text lists ------------------------------------------------------------------------------

bool LoadTextList(TextListKind kind, const char* path) {
  using namespace detail_DocCommandsText;
  const std::vector<PolyItem*> items = ItemsOfKind(GetCurrentPoly(), kind);
  // The whole list is read before any text changes, so that a damaged list leaves
  // the model as it was. Lines beyond the last element are not read.
  std::vector<TextListEntry> texts;
  std::string error;
  const TextListRead read = ReadTextList(path, items.size(), texts, error);
  if (read == TextListRead::kFailed) ShowError("%s", error.c_str());
  if (read != TextListRead::kRead) return false;
  for (const TextListEntry& entry : texts) items[entry.index]->SetLabel(entry.text.c_str());
  gPaths[KindIndex(kind)] = path;
  LabelsChanged();
  return true;
}

bool SaveTextList(TextListKind kind, const char* path) {
  using namespace detail_DocCommandsText;
  const std::vector<PolyItem*> items = ItemsOfKind(GetCurrentPoly(), kind);
  std::string error;
  const bool written = !IsBlank(path) && WriteFileReplacing(
                                             path,
                                             [&items](const char* temporary) {
                                               FILE* file = std::fopen(temporary, "wb");
                                               if (!file) return false;
                                               bool ok = true;
                                               for (const PolyItem* item : items) {
                                                 const std::string line = TextToTextListLine(item->GetLabel());
                                                 ok = ok && std::fprintf(file, "%s\n", line.c_str()) >= 0;
                                               }
                                               ok = !std::ferror(file) && ok;
                                               return std::fclose(file) == 0 && ok;
                                             },
                                             &error);
  if (!written) {
    if (error.empty()) {
      ShowError("Couldn't open file '%s' for writing", path ? path : "");
    } else {
      ShowError("Couldn't open file '%s' for writing\n%s", path, error.c_str());
    }
  }
  return written;
}

void OnLoadTextList(TextListKind kind) {
  using namespace detail_DocCommandsText;
  std::string path = gPaths[KindIndex(kind)];
  if (!AskTextListFile(kLoadTitles[KindIndex(kind)], path, false)) return;
  // A list that cannot be read changes nothing and leaves no step.
  RecordTextUndo();
  if (!LoadTextList(kind, path.c_str())) platform::Services().undo->DiscardLastUndo();
}

void OnSaveTextList(TextListKind kind) {
  using namespace detail_DocCommandsText;
  std::string path = gPaths[KindIndex(kind)];
  if (!AskTextListFile(kSaveTitles[KindIndex(kind)], path, true)) return;
  SaveTextList(kind, path.c_str());
}

bool IsTextListPersistent() { return detail_DocCommandsText::gPersistent; }
void SetTextListPersistent(bool on) { detail_DocCommandsText::gPersistent = on; }

const std::string& GetTextListPath(TextListKind kind) {
  return detail_DocCommandsText::gPaths[detail_DocCommandsText::KindIndex(kind)];
}

void SetTextListPath(TextListKind kind, const std::string& path) {
  detail_DocCommandsText::gPaths[detail_DocCommandsText::KindIndex(kind)] = path;
}

void ReloadPersistentTextLists() {
  using namespace detail_DocCommandsText;
  if (!gPersistent) return;
  for (TextListKind kind : {TextListKind::Faces, TextListKind::Edges, TextListKind::Vertices}) {
    std::string& path = gPaths[KindIndex(kind)];
    if (IsBlank(path.c_str())) continue;
    const std::string loading = path;
    if (!LoadTextList(kind, loading.c_str())) path.clear();
  }
}

bool DescribeTextListFile(const char* path, std::string& description) {
  using namespace detail_DocCommandsText;
  if (IsBlank(path)) {
    description = "Select a text file to see the first couple of lines";
    return true;
  }
  FILE* file = platform::OpenRegularFileStream(path, nullptr);
  if (!file) return false;
  unsigned char bytes[kPreviewBytes];
  const size_t n = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  // A byte-order mark names a Unicode form the line reader refuses; bytes that are
  // neither text nor UTF-8 name nothing it could read.
  static const char* const kMarks[] = {"\xEF\xBB\xBF", "\xFE\xFF", "\xFF\xFE"};
  for (const char* mark : kMarks) {
    const size_t length = std::strlen(mark);
    if (n >= length && std::memcmp(bytes, mark, length) == 0) {
      description = "<<Please resave as plain ASCII>>";
      return true;
    }
  }
  for (size_t i = 0; i < n; ++i) {
    if (IsControlByte(bytes[i])) {
      description = "<<File has unrecognised encoding>>";
      return true;
    }
  }
  if (!IsUtf8(bytes, n)) {
    description = "<<File has unrecognised encoding>>";
    return true;
  }
  description.clear();
  int lines = 0;
  size_t column = 0;
  for (size_t i = 0; i < n && lines < kPreviewLines; ++i) {
    const char c = static_cast<char>(bytes[i]);
    // "\r\n" ends a line once, as "\n" and "\r" alone do.
    if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      ++lines;
      column = 0;
      if (lines < kPreviewLines) description += '\n';
      continue;
    }
    // Columns count characters: a UTF-8 sequence is kept or cut whole.
    if ((bytes[i] & 0xC0) != 0x80) ++column;
    if (column <= kPreviewLineLength) description += c;
  }
  return true;
}

}  // namespace corvia
