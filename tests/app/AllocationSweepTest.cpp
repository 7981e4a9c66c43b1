// Each allocation an operation makes fails in turn, one per run: every failure ends that
// operation alone, told in words as a lack of memory, with the model and the undo list
// as they were (every point and frame to the last bit, and the symmetry group in use), and
// the program goes on; with the user's undo list on and off. The operations: the
// stellation steps, an open of each kind of model file, undo and redo, and every builder
// of the Poly menu (with the transitions off each rebuilds the model in place). Each starts
// from a model as the user has it (chosen from the library, or built by the command before):
// a model made again from an undo step has the geometry a put-back that lost it would give.
//
// CI fails every allocation of an operation that makes up to 200, else an even sample of
// 200 and its last ones (where the operation finishes: its words, its undo step, the end
// of its searches);
// CORVIA_ALLOCATION_SWEEP=all fails every one, CORVIA_ALLOCATION_SWEEP=<n> an even
// sample of n, and CORVIA_ALLOCATION_SWEEP_REPORT=1 prints the figures of each sweep.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/ModelUndo.h"
#include "app/UndoList.h"
#include "construction/Augmentation.h"
#include "core/OperationGuard.h"
#include "core/TableDialog.h"
#include "dialogs/AugmentDlg.h"
#include "dialogs/ModelDialogs.h"
#include "dialogs/TorusDialog.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/PolyElement.h"
#include "symmetry/SymGroup.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/AllocationHook.h"
#include "ui/CommandTable.h"

namespace corvia::testing::allocation_sweep {
namespace {

// What the user sees of the document: the model (its names, counts, every coordinate
// and corner), the cells of both stellations, the title, and the undo list step by step.
struct Look {
  std::string title;
  // The document's records of models: the one shown, and none left behind by a failure.
  int records = 0;
  std::string name;
  int faces = 0;
  int vertices = 0;
  // Every vertex's and face's point, frame (origin and axes) and corners, in order.
  std::vector<double> points;
  // The scale of the dual, which its points and the panes showing it take.
  double dualScale = 1.0;
  std::vector<int> corners;
  bool showDual = false;
  // The symmetry group in use (a subgroup chosen, or the model's own).
  std::string group;
  // The cells of each side's stellation that differ from the model's own (the original
  // cells left out, the others taken in): none for a side not stellated.
  std::vector<int> cells[2];
  std::vector<std::string> undo;
  std::vector<std::string> redo;
  size_t undoBytes = 0;
  bool operator==(const Look& other) const {
    return title == other.title && records == other.records && name == other.name && faces == other.faces &&
           vertices == other.vertices && points == other.points && dualScale == other.dualScale &&
           corners == other.corners && showDual == other.showDual && group == other.group &&
           cells[0] == other.cells[0] && cells[1] == other.cells[1] && undo == other.undo && redo == other.redo &&
           undoBytes == other.undoBytes;
  }
};

// A short mark of the points and corners, for the messages.
void Mix(uint64_t& hash, long long value) {
  for (int i = 0; i < 8; ++i, value >>= 8) hash = (hash ^ static_cast<unsigned char>(value)) * 1099511628211ull;
}

std::ostream& operator<<(std::ostream& out, const Look& look) {
  uint64_t shape = 14695981039346656037ull;
  for (const double x : look.points) Mix(shape, std::llround(x * 1e6));
  for (const int corner : look.corners) Mix(shape, corner);
  out << look.records << " records \"" << look.name << "\" F" << look.faces << " V" << look.vertices << " shape "
      << std::hex << shape << std::dec << " dual scale " << std::hexfloat << look.dualScale << std::defaultfloat
      << " group " << look.group << " title \"" << look.title << "\" cells";
  for (const std::vector<int>& cells : look.cells) {
    out << " [";
    for (const int cell : cells) out << ' ' << cell;
    out << " ]";
  }
  out << " undo";
  for (const std::string& name : look.undo) out << " [" << name << ']';
  out << " redo";
  for (const std::string& name : look.redo) out << " [" << name << ']';
  return out << ' ' << look.undoBytes << " bytes";
}

// One operation and the state it starts from.
class SweepTest;
struct SweepCase {
  const char* name;
  // The model, the memories and the undo list the operation starts from.
  void (*prepare)(SweepTest& test);
  // The item of the menu it is (its path as the menu shows it, "..." left out); with
  // no `run`, the item is chosen as the main window routes it.
  const char* item = nullptr;
  // Queues the answers its prompts and dialogs take.
  void (*answer)() = nullptr;
  // The operation as the program runs it otherwise, through the edge of its operation.
  void (*run)(SweepTest& test) = nullptr;
  // What the lack-of-memory box names the operation, when not the item's words.
  const char* words = nullptr;
  // The model file it opens, in tests/fixtures/model-files.
  const char* file = nullptr;
  // It runs only with the user's undo list on (undo, redo, a step to redo).
  bool needsUndo = false;
};

// Where std::terminate would end the process: the trial running.
char gTrial[256] = "";

[[noreturn]] void TerminateInTrial() {
  const char prefix[] = "std::terminate: the program would have ended, at ";
  ssize_t written = write(2, prefix, sizeof prefix - 1);
  written += write(2, gTrial, std::strlen(gTrial));
  written += write(2, "\n", 1);
  (void)written;
  std::abort();
}

class SweepTest : public DocumentTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {
 public:
  using DocumentTest::Doc;
  UndoList& List() { return mList; }
  CPolyView* Pane() { return mPane; }

  void Open(const char* name) { ASSERT_TRUE(Doc().SetModel(Find(name), false, false)) << name; }

  // The id of the item of the menu path (as the menu shows it, "..." left out).
  static int MenuCommand(const std::string& path) {
    for (const CommandInfo& info : GetCommandTable()) {
      if (info.id != kCommandSeparator && ItemPath(info) == path) return info.id;
    }
    ADD_FAILURE() << "No item " << path;
    return 0;
  }
  static int PolyCommand(const char* text) { return MenuCommand(std::string("Poly > ") + text); }
  static std::string ItemPath(const CommandInfo& info) {
    std::string path;
    for (const std::string& part : SplitMenuPath(info.path)) path += (path.empty() ? "" : " > ") + StripMenuText(part);
    while (!path.empty() && path.back() == '.') path.pop_back();
    return path;
  }

  // The id of the item the operation is, and the file it opens.
  int Item() const { return mItem; }
  const std::string& File() const { return mFile; }

  // The model of the library as the user chose it (after another, so that with the
  // user's undo on the choice is a step to undo).
  void WithAStepToUndo(const char* name) {
    Open(std::strcmp(name, "Tetrahedron") == 0 ? "Cube" : "Tetrahedron");
    mList.ClearUndoList();
    Open(name);
  }

  // The same, and with the user's undo on a step to redo (its compound with its dual):
  // the model shown is then the one made again from its step.
  void WithStepsToUndoAndRedo(const char* name) {
    WithAStepToUndo(name);
    if (!mList.GetLimits().enabled) return;
    ASSERT_TRUE(RunDocCommand(PolyCommand("Add Base Model and Dual")));
    ASSERT_TRUE(mList.Undo());
  }

  void AddPaneOnce() {
    if (!mPane) mPane = AddPane(kViewBasePolyhedron);
  }

 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    UndoLimits limits;
    limits.enabled = std::get<1>(GetParam());
    mList.SetLimits(limits);
    mPreviousTerminate = std::set_terminate(TerminateInTrial);
  }
  void TearDown() override {
    std::set_terminate(mPreviousTerminate);
    Platform().messages.Clear();
    Platform().dialogs.Clear();
    DocumentTest::TearDown();
  }

  Look TakeLook() const {
    Look look;
    look.title = mDocument->GetTitle();
    look.records = mDocument->CountRecords();
    if (const Poly* poly = GetCurrentPoly()) {
      look.name = poly->mName ? poly->mName : "";
      look.faces = poly->mFaces.mCount;
      look.vertices = poly->mVertices.mCount;
      look.showDual = poly->mShowDual != 0;
      look.dualScale = poly->mDualScale;
      look.group = SymGroup::GetNotations(poly->mSymGroup, ", ");
      for (const ElementList* list : {static_cast<const ElementList*>(&poly->mVertices),
                                      static_cast<const ElementList*>(&poly->mFaces)}) {
        for (const PolyElement* e = list->mHead; e; e = e->mNext) {
          for (const double* point : {e->mDualVert, e->mCentre, e->mXAxis, e->mYAxis, e->mZAxis})
            look.points.insert(look.points.end(), point, point + 3);
          for (int i = 0; i < e->mNumSides; ++i) look.corners.push_back(PolyElement::GetIndex(e->GetCorner(i)));
          look.corners.push_back(-1);
        }
      }
      const FaceTypeBlock* blocks[2] = {poly->mBaseBlock.get(), poly->mDualBlock.get()};
      for (int side = 0; side < 2; ++side) {
        if (!blocks[side] || !blocks[side]->IsStellated()) continue;
        for (const StellationCell* c = blocks[side]->mFirstCell; c; c = c->mNext) {
          if (c->IsIncluded() != ((c->mFlags & kCellOriginal) != 0)) look.cells[side].push_back(c->mIndex);
        }
      }
    }
    look.undo = mList.GetNames(false);
    look.redo = mList.GetNames(true);
    look.undoBytes = mList.GetMemorySize();
    return look;
  }

  // The allocations to fail, 1 the first, of the `count` a whole run makes.
  static std::vector<unsigned long> Sites(unsigned long count) {
    const char* asked = std::getenv("CORVIA_ALLOCATION_SWEEP");
    std::vector<unsigned long> sites;
    if (asked && std::strcmp(asked, "all") == 0) {
      for (unsigned long k = 1; k <= count; ++k) sites.push_back(k);
      return sites;
    }
    // An even sample, and in CI the last ones too.
    const unsigned long wanted = asked ? std::strtoul(asked, nullptr, 10) : 200;
    const unsigned long tail = asked ? 0 : 12;
    const unsigned long even = std::min(wanted, count);
    for (unsigned long i = 0; i < even; ++i) sites.push_back(1 + (even > 1 ? i * (count - 1) / (even - 1) : 0));
    for (unsigned long k = count > tail ? count - tail + 1 : 1; k <= count; ++k) sites.push_back(k);
    std::sort(sites.begin(), sites.end());
    sites.erase(std::unique(sites.begin(), sites.end()), sites.end());
    return sites;
  }

  void Prepare(const SweepCase& sweep) {
    Platform().messages.Clear();
    Platform().dialogs.Clear();
    mList.ClearUndoList();
    // As the window runs what it does: one operation, whose end keeps its steps for good.
    RunOperation("prepare", [&] { sweep.prepare(*this); });
    Platform().messages.Clear();
  }

  // Fails each allocation of the sample in a run of its own. A run whose failure came
  // ends in words with the look as before, or goes on to what a whole run makes (a
  // failure the work can do without); any other end is a problem. Runs follow one
  // another from the look a failure left, so that a failure that leaves the
  // operation unable to run again shows too.
  void Sweep(const SweepCase& sweep) {
    mItem = sweep.item ? MenuCommand(sweep.item) : 0;
    const std::string words = sweep.words ? sweep.words : GetCommandOperationText(mItem);
    mFile = sweep.file ? (FixturesDir() / "model-files" / sweep.file).string() : std::string();
    const auto answer = [&] {
      if (sweep.answer) sweep.answer();
    };
    const auto run = [&] {
      if (sweep.run) {
        sweep.run(*this);
      } else {
        // As the main window routes a menu command.
        const int id = mItem;
        RunCommandOperation(id, [id] { RunDocCommand(id); });
      }
    };
    // Two whole runs: the first makes what is kept for later runs (the library's
    // records, the walks of the stellations), the second counts what each run takes.
    Prepare(sweep);
    const Look before = TakeLook();
    answer();
    run();
    const Look first = TakeLook();
    Prepare(sweep);
    unsigned long count = 0;
    answer();
    {
      AllocationFailure none(0);
      run();
      count = none.Count();
    }
    const Look made = TakeLook();
    // A run the hook counted nothing of would leave no site to fail, and the floors below
    // would hold for no trial at all.
    ASSERT_GT(count, 0u) << "a whole run of " << sweep.name << " counted no allocation";
    ASSERT_EQ(made, first);
    ASSERT_NE(made, before) << "a whole run of " << sweep.name << " changed nothing";
    // What a whole run tells (a file's warnings) may be told before a failure too.
    std::vector<std::string> said;
    for (const auto& box : Platform().messages.Boxes()) said.push_back(box.text);
    Prepare(sweep);
    ASSERT_EQ(TakeLook(), before);

    std::vector<std::string> problems;
    int trials = 0;
    int met = 0;
    int inWords = 0;
    int wentThrough = 0;
    for (const unsigned long k : Sites(count)) {
      std::snprintf(gTrial, sizeof gTrial, "%s, undo %s: allocation %lu of %lu failed", sweep.name,
                    mList.GetLimits().enabled ? "on" : "off", k, count);
      ++trials;
      bool failed = false;
      bool escaped = false;
      int whileUnwinding = 0;
      for (int attempt = 0; attempt < 2 && !failed; ++attempt) {
        // A run after a failure may find what the first run made for later (a walk
        // of the stellations taken) and take fewer allocations: one that did not come
        // to the failing one goes again from the start.
        if (attempt > 0) {
          if (TakeLook() != made) break;
          Prepare(sweep);
        }
        Platform().messages.Clear();
        Platform().dialogs.Clear();
        answer();
        AllocationFailure failure(k);
        try {
          run();
        } catch (const std::bad_alloc&) {
          escaped = true;
        }
        failed = failure.Met();
        whileUnwinding = failure.WhileUnwinding();
      }
      const Look after = TakeLook();
      std::vector<std::string> told;
      for (const auto& box : Platform().messages.Boxes()) told.push_back(box.text);
      Platform().messages.Clear();
      Platform().dialogs.Clear();
      std::string problem;
      const auto lackOfMemory = [&](const std::string& text) {
        return text.rfind("There was not enough memory to ", 0) == 0;
      };
      const int memoryBoxes = static_cast<int>(std::count_if(told.begin(), told.end(), lackOfMemory));
      const bool nothingElse = std::all_of(told.begin(), told.end(), [&](const std::string& text) {
        return lackOfMemory(text) || std::find(said.begin(), said.end(), text) != said.end();
      });
      const auto namesIt = [&](const std::string& text) {
        return lackOfMemory(text) && (text.find(words) != std::string::npos ||
                                      text.find("set up this model's stellation") != std::string::npos);
      };
      if (escaped) {
        problem = "the failure escaped the edge of the operation";
      } else if (whileUnwinding > 0) {
        problem = "what ran while the failure was in flight allocated";
      } else if (!failed) {
        if (after != made) problem = "a run that met no failure did not make what a whole run makes";
      } else {
        ++met;
        if (after == before && memoryBoxes == 1 && nothingElse && std::any_of(told.begin(), told.end(), namesIt)) {
          ++inWords;
        } else if (after == made && memoryBoxes == 0 && nothingElse) {
          ++wentThrough;
        } else if (after == before) {
          problem = "the model and the undo list are as before, but it was not told as one lack of memory";
        } else {
          problem = "the model or the undo list changed";
        }
        for (const std::string& text : told) {
          if (text.find("the model is as it was") != std::string::npos && after != before)
            problem = "it says the model is as it was, and it is not";
        }
      }
      if (!problem.empty()) {
        std::string report = std::string(gTrial) + ": " + problem + "\n  before " + ::testing::PrintToString(before) +
                             "\n  after  " + ::testing::PrintToString(after) + "\n  whole  " +
                             ::testing::PrintToString(made);
        for (const std::string& text : told) report += "\n  told: " + text;
        problems.push_back(report);
        if (problems.size() >= 3) break;
      }
      if (after != before) Prepare(sweep);
      if (TakeLook() != before) {
        problems.push_back(std::string(gTrial) + ": the operation cannot be started again as it was");
        break;
      }
    }
    gTrial[0] = '\0';
    if (std::getenv("CORVIA_ALLOCATION_SWEEP_REPORT")) {
      std::printf("sweep %-34s undo %-3s allocations %6lu trials %4d failures met %4d ended in words %4d "
                  "went through %4d\n",
                  sweep.name, mList.GetLimits().enabled ? "on" : "off", count, trials, met, inWords, wentThrough);
    }
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems, the first:\n" << ::testing::PrintToString(problems);
    // Nearly every site sampled is met, and nearly every failure is one the operation
    // cannot do without.
    EXPECT_GE(met * 10, trials * 9) << "of " << trials << " trials, " << met << " met their failure";
    EXPECT_GE(inWords * 10, met * 9) << "of " << met << " failures met, " << inWords << " ended in words";
  }

  DocumentUndoScope mUndo;
  UndoList& mList = mUndo.List();
  std::terminate_handler mPreviousTerminate = nullptr;
  CPolyView* mPane = nullptr;
  int mItem = 0;
  std::string mFile;
};

// ---- The operations --------------------------------------------------------------------------

void QueueMemory() {
  Platform().dialogs.Queue<CTableDialog>([](CTableDialog& table) {
    table.mRow = 0;
    return true;
  });
}

// A cube in memory 1, the model shown the one named.
void WithCubeInMemory(SweepTest& test, const char* name) {
  test.Open("Cube");
  QueueMemory();
  ASSERT_TRUE(RunDocCommand(SweepTest::PolyCommand("Memory > Store in Memory")));
  test.WithAStepToUndo(name);
}

// The icosahedron stellated, its core shown.
void StellatedIcosahedron(SweepTest& test) {
  test.WithAStepToUndo("Icosahedron");
  StellateCurrentBase(1);
}

// The same, and with the user's undo on a stellation step to redo, undone in place (the
// model is still the one chosen). The step keeps for the next one what the first step
// of a model works out: the other stellation cases start without it.
void StellatedIcosahedronWithAStepToRedo(SweepTest& test) {
  StellatedIcosahedron(test);
  if (!test.List().GetLimits().enabled) return;
  ASSERT_TRUE(RunDocCommand(SweepTest::MenuCommand("Stellation > Previous")));
  ASSERT_TRUE(test.List().Undo());
}

// File > Open of the case's file.
void OpenFile(SweepTest& test) { (void)test.Doc().OnOpenDocument(test.File().c_str()); }

// The models of the library whose item in the Poly menu the sweep runs.
void Opened(SweepTest& t, const char* name) { t.WithAStepToUndo(name); }

const SweepCase kCases[] = {
    {"StellationNext", [](SweepTest& t) { StellatedIcosahedron(t); }, "Stellation > Next"},
    {"StellationNextSettingUp", [](SweepTest& t) { Opened(t, "Octahedron"); }, "Stellation > Next"},
    {"StellationPrevious", [](SweepTest& t) { StellatedIcosahedronWithAStepToRedo(t); }, "Stellation > Previous"},
    {"StellationLast",
     [](SweepTest& t) {
       StellatedIcosahedron(t);
       t.AddPaneOnce();
     },
     nullptr, nullptr,
     [](SweepTest& t) {
       // A key of the pane is an event the program's handler runs.
       RunCommandOperation(0, [&t] { t.Pane()->OnPaneKey(kPaneKeyEnd, kModifierCtrl); });
     },
     "finish what was asked"},
    {"OpenAscii", [](SweepTest& t) { Opened(t, "Icosahedron"); }, nullptr, nullptr, OpenFile,
     "open \"cube-8.10-ascii.corv\"", "cube-8.10-ascii.corv"},
    {"OpenBinary", [](SweepTest& t) { Opened(t, "Icosahedron"); }, nullptr, nullptr, OpenFile,
     "open \"cube-8.10.corv\"", "cube-8.10.corv"},
    {"OpenChecked", [](SweepTest& t) { Opened(t, "Icosahedron"); }, nullptr, nullptr, OpenFile,
     "open \"cube-8.10-checked.corv\"", "cube-8.10-checked.corv"},
    {"Undo", [](SweepTest& t) { Opened(t, "Cube"); }, nullptr, nullptr, [](SweepTest& t) { (void)t.List().Undo(); },
     "undo the New Model", nullptr, true},
    {"Redo", [](SweepTest& t) { t.WithStepsToUndoAndRedo("Cube"); }, nullptr, nullptr, [](SweepTest& t) { (void)t.List().Redo(); },
     "redo the Add Base and Dual", nullptr, true},
    {"PreviousPolyhedron", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Previous Polyhedron"},
    {"NextPolyhedron", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Next Polyhedron"},
    {"MakeFacesRegular",
     [](SweepTest& t) {
       // A compound whose faces the springs move.
       Opened(t, "Cube");
       ASSERT_TRUE(RunDocCommand(SweepTest::PolyCommand("Add Base Model and Dual")));
     },
     "Poly > Try to Make Faces Regular"},
    {"AugmentPolyhedron",
     [](SweepTest& t) {
       Opened(t, "Cube");
       t.AddPaneOnce();
       GetCurrentPoly()->SelectFace(GetCurrentPoly()->mFaces.mHead, false);
     },
     "Poly > Augment Polyhedron",
     [] {
       Platform().dialogs.Queue<AugmentDlg>([](AugmentDlg& d) {
         d.mOptions = kAugmentPyramid | kPyramidEqualEdges;
         d.mScale = 1.0;
         return true;
       });
     },
     [](SweepTest& t) {
       // As the window's command for the active pane.
       RunCommandOperation(t.Item(), [&t] { t.Pane()->OnAugmentPolyhedron(); });
     }},
    {"DeleteOnePartOfCompound",
     [](SweepTest& t) {
       Opened(t, "Cube");
       ASSERT_TRUE(RunDocCommand(SweepTest::PolyCommand("Add Base Model and Dual")));
       GetCurrentPoly()->SelectFace(GetCurrentPoly()->mFaces.mHead, false);
     },
     "Poly > Delete One Part of Compound"},
    {"SubdivideFaces", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Subdivide Faces",
     [] { Platform().messages.QueueText("2"); }},
    {"GeodesicSphere", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Create Geodesic Sphere",
     [] { Platform().messages.QueueText("2"); }},
    {"Torus", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Create Torus",
     [] {
       Platform().dialogs.Queue<CTorusDialog>([](CTorusDialog& d) {
         d.mTubeRadius = 0.25;
         d.mRings = 8;
         d.mSegments = 6;
         return true;
       });
     }},
    {"WatermanPolyhedron", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Create Waterman Polyhedron",
     [] {
       Platform().dialogs.Queue<CWatermanDialog>([](CWatermanDialog& d) {
         d.mRoot = 3;
         d.mLatticeType = 0;
         return true;
       });
     }},
    {"Zonohedrify", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Zonohedrify",
     [] {
       Platform().dialogs.Queue<CZonohedrifyDialog>([](CZonohedrifyDialog& d) {
         d.mMaxZones = 0;
         d.mEdgeScale = "1";
         return true;
       });
     }},
    {"ConvexHull", [](SweepTest& t) { Opened(t, "Great Dodecahedron"); }, "Poly > Create Convex Hull"},
    {"ConvexCore", [](SweepTest& t) { Opened(t, "Small Stellated Dodecahedron"); }, "Poly > Create Convex Core"},
    // A model shown under a subgroup of its symmetry comes back under it.
    {"ConvexHullUnderASubgroup",
     [](SweepTest& t) {
       Opened(t, "Great Dodecahedron");
       ASSERT_TRUE(GetCurrentPoly()->ApplySubSymmetry(3, -1));
     },
     "Poly > Create Convex Hull"},
    // A step the user can redo, which the operation drops, comes back with the model.
    {"ConvexHullWithAStepToRedo", [](SweepTest& t) { t.WithStepsToUndoAndRedo("Great Dodecahedron"); },
     "Poly > Create Convex Hull", nullptr, nullptr, nullptr, nullptr, true},
    {"AddMirrorImage", [](SweepTest& t) { Opened(t, "Snub Cube"); }, "Poly > Add Mirror Image"},
    {"AddBaseModelAndDual", [](SweepTest& t) { Opened(t, "Cube"); }, "Poly > Add Base Model and Dual"},
    {"RetrieveFromMemory", [](SweepTest& t) { WithCubeInMemory(t, "Tetrahedron"); },
     "Poly > Memory > Retrieve from Memory", QueueMemory},
    {"SwapWithMemory", [](SweepTest& t) { WithCubeInMemory(t, "Tetrahedron"); }, "Poly > Memory > Swap with Memory",
     QueueMemory},
    {"AddFromMemory", [](SweepTest& t) { WithCubeInMemory(t, "Tetrahedron"); }, "Poly > Memory > Add from Memory",
     QueueMemory},
    {"BlendWithMemory", [](SweepTest& t) { WithCubeInMemory(t, "Octahedron"); }, "Poly > Memory > Blend with Memory",
     QueueMemory},
    // Its mirror image: a model that came back from an undo step has no pseudo version.
    {"GoToVariation", [](SweepTest& t) { Opened(t, "Snub Cube"); }, "Poly > Go to Variation"},
};

// The sweep takes every item of the Poly menu that makes a model from the command table.
TEST(SweptOperations, AreEveryBuilderOfThePolyMenu) {
  std::vector<std::string> missing;
  for (const CommandInfo& info : GetCommandTable()) {
    if (info.id == kCommandSeparator || (info.flags & kCommandTakenOut) || !FindDocCommand(info.id)) continue;
    const std::string path = SweepTest::ItemPath(info);
    // It keeps the model shown in a memory and makes none.
    if (path.rfind("Poly > ", 0) != 0 || path == "Poly > Memory > Store in Memory") continue;
    if (std::none_of(std::begin(kCases), std::end(kCases),
                     [&](const SweepCase& sweep) { return sweep.item && path == sweep.item; })) {
      missing.push_back(path);
    }
  }
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
}

TEST_P(SweepTest, EachAllocationFailureEndsTheOperationInWordsWithTheModelAsItWas) {
  Sweep(kCases[std::get<0>(GetParam())]);
}

// With the user's undo list off, an operation that ran out of memory gives back the very
// model it replaced: Create Convex Core numbers the vertices of a model whose faces' poles
// a rebuild would change in their last bits as if the failure had never come.
class WayBackTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    UndoLimits limits;
    limits.enabled = false;
    mUndo.List().SetLimits(limits);
  }

  // The vertices of the convex core of the model, in their order.
  std::vector<double> CoreVertices(const char* name) {
    Platform().messages.Clear();
    EXPECT_TRUE(RunDocCommand(SweepTest::PolyCommand("Create Convex Core")));
    std::vector<double> points;
    for (const PolyElement* v = GetCurrentPoly()->mVertices.mHead; v; v = v->mNext)
      points.insert(points.end(), std::begin(v->mDualVert), std::end(v->mDualVert));
    EXPECT_FALSE(points.empty()) << name;
    return points;
  }

  void Open(const char* name) { ASSERT_TRUE(mDocument->SetModel(Find(name), false, false)) << name; }

  // The allocations of one whole run of the step, none failing.
  template <class Step>
  static unsigned long AllocationsOf(const Step& step) {
    AllocationFailure none(0);
    step();
    return none.Count();
  }

  DocumentUndoScope mUndo;
};

TEST_F(WayBackTest, AModelPutBackAfterAMemoryFailureIsTheOneReplaced) {
  const int next = SweepTest::PolyCommand("Next Polyhedron");
  const auto step = [next] { RunCommandOperation(next, [next] { RunDocCommand(next); }); };
  for (const char* name : {"Small Stellated Dodecahedron", "Great Dodecahedron"}) {
    Open(name);
    const std::vector<double> whole = CoreVertices(name);
    Open(name);
    const unsigned long count = AllocationsOf(step);
    ASSERT_GT(count, 20u) << name;
    int ended = 0;
    for (unsigned long k = count / 20; k < count; k += count / 10) {
      Open(name);
      const std::string shown = GetCurrentPoly()->mName ? GetCurrentPoly()->mName : "";
      const int failures = GetMemoryFailureCount();
      {
        AllocationFailure failure(k);
        step();
        ASSERT_TRUE(failure.Met()) << name << ": allocation " << k;
      }
      // A failure the step can do without leaves nothing to put back.
      if (GetMemoryFailureCount() == failures) continue;
      ++ended;
      ASSERT_EQ(shown, GetCurrentPoly()->mName ? GetCurrentPoly()->mName : "") << name << ": allocation " << k;
      EXPECT_EQ(mDocument->CountRecords(), 1) << name << ": allocation " << k;
      EXPECT_EQ(CoreVertices(name), whole) << name << ": allocation " << k << " of " << count;
    }
    EXPECT_GE(ended, 5) << name;
  }
}

// A model built anew in place (with transitions off) and run out of memory after the old
// model was cleared comes back from its step: made again with the planes, poles and frames
// it had, so that its dual points and the convex core of it are those of the model before,
// in their order. With the user's undo list on and off. The step kept once the operation
// has ended holds the file's data without them: no more than it took before.
TEST_F(WayBackTest, AModelChangedInPlaceComesBackWithItsGeometry) {
  // Every vertex's and face's dual point, in order.
  const auto points = [] {
    std::vector<double> values;
    const Poly* poly = GetCurrentPoly();
    for (const ElementList* list : {static_cast<const ElementList*>(&poly->mVertices),
                                    static_cast<const ElementList*>(&poly->mFaces)}) {
      for (const PolyElement* e = list->mHead; e; e = e->mNext)
        values.insert(values.end(), std::begin(e->mDualVert), std::end(e->mDualVert));
    }
    return values;
  };
  const std::pair<const char*, const char*> cases[] = {{"Create Convex Hull", "Great Dodecahedron"},
                                                       {"Create Convex Hull", "Small Stellated Dodecahedron"},
                                                       {"Try to Make Faces Regular", "Great Dodecahedron"}};
  for (const bool undo : {false, true}) {
    UndoLimits limits;
    limits.enabled = undo;
    mUndo.List().SetLimits(limits);
    for (const auto& [command, name] : cases) {
      const std::string trial = std::string(command) + " of " + name + (undo ? ", undo on" : ", undo off");
      const int id = SweepTest::PolyCommand(command);
      const auto step = [id] { RunCommandOperation(id, [id] { RunDocCommand(id); }); };
      Open(name);
      const std::vector<double> shape = points();
      const std::vector<double> whole = CoreVertices(name);
      Open(name);
      const unsigned long count = AllocationsOf(step);
      ASSERT_GT(count, 40u) << trial;
      ASSERT_NE(points(), shape) << trial << ": a whole run changed nothing";
      int ended = 0;
      for (unsigned long k = count / 40; k < count; k += count / 20) {
        Open(name);
        const std::vector<std::string> steps = mUndo.List().GetNames(false);
        const int failures = GetMemoryFailureCount();
        {
          AllocationFailure failure(k);
          step();
          ASSERT_TRUE(failure.Met()) << trial << ": allocation " << k;
        }
        if (GetMemoryFailureCount() == failures) continue;
        ++ended;
        const std::string at = trial + ": allocation " + std::to_string(k) + " of " + std::to_string(count);
        ASSERT_STREQ(GetCurrentPoly()->mName, name) << at;
        EXPECT_EQ(mDocument->CountRecords(), 1) << at;
        EXPECT_EQ(mUndo.List().GetNames(false), steps) << at;
        EXPECT_EQ(points(), shape) << at;
        EXPECT_EQ(CoreVertices(name), whole) << at;
      }
      EXPECT_GE(ended, 8) << trial;
    }
  }
  // The hull of a geodesic sphere (642 vertices, 1280 faces), its step kept.
  Open("Icosahedron");
  Platform().messages.QueueText("8");
  ASSERT_TRUE(RunDocCommand(SweepTest::PolyCommand("Create Geodesic Sphere")));
  std::string data;
  ASSERT_TRUE(WriteModelToMemory(*GetCurrentPoly(), data));
  mUndo.List().ClearUndoList();
  const int hull = SweepTest::PolyCommand("Create Convex Hull");
  RunCommandOperation(hull, [hull] { RunDocCommand(hull); });
  ASSERT_EQ(mUndo.List().GetNumUndos(), 1);
  EXPECT_LE(mUndo.List().GetMemorySize(), data.capacity() + 1024) << "the file's data: " << data.size();
  // Room for three such steps: the hull of the hull keeps the step before it, as the
  // limits count a step while its operation runs as it is kept after.
  UndoLimits limits;
  limits.minCount = 1;
  limits.maxBytes = 3 * data.capacity();
  mUndo.List().SetLimits(limits);
  RunCommandOperation(hull, [hull] { RunDocCommand(hull); });
  EXPECT_EQ(mUndo.List().GetNumUndos(), 2);
}

// A model of more vertices than a build keeps the numbering of (a plain model listed far
// from where its faces use the vertices is numbered anew) comes back from its step as it
// was listed, with its geometry to the last bit: the step keeps its edges and vertex types.
TEST_F(WayBackTest, ALargeModelListedInNoOrderComesBackAsItWasListed) {
  // A sphere of 16,812 vertices listed in steps of 7,919 round the list.
  const auto make = [this] {
    Open("Icosahedron");
    Platform().messages.QueueText("41");
    ASSERT_TRUE(RunDocCommand(SweepTest::PolyCommand("Create Geodesic Sphere")));
    ElementList& vertices = GetCurrentPoly()->mVertices;
    ASSERT_EQ(vertices.mCount, 16812);
    std::vector<PolyElement*> listed;
    for (PolyElement* v = vertices.mHead; v; v = v->mNext) listed.push_back(v);
    PolyElement* previous = nullptr;
    for (size_t i = 0; i < listed.size(); ++i) {
      PolyElement* v = listed[i * 7919 % listed.size()];
      v->mPrev = previous;
      v->mNext = nullptr;
      (previous ? previous->mNext : vertices.mHead) = v;
      previous = v;
    }
    vertices.mTail = previous;
    vertices.Renumber();
  };
  const auto geometry = [] {
    std::vector<double> values;
    for (const ElementList* list : {static_cast<const ElementList*>(&GetCurrentPoly()->mVertices),
                                    static_cast<const ElementList*>(&GetCurrentPoly()->mFaces)}) {
      for (const PolyElement* e = list->mHead; e; e = e->mNext) {
        for (const double* point : {e->mDualVert, e->mCentre, e->mXAxis, e->mYAxis, e->mZAxis})
          values.insert(values.end(), point, point + 3);
      }
    }
    return values;
  };
  const int hull = SweepTest::PolyCommand("Create Convex Hull");
  const auto step = [hull] { RunCommandOperation(hull, [hull] { RunDocCommand(hull); }); };
  make();
  const std::vector<double> before = geometry();
  const unsigned long count = AllocationsOf(step);
  // The hull's model fails to be made after the sphere was cleared.
  make();
  const int failures = GetMemoryFailureCount();
  int made = 0;
  const CreatePolyStageHook previous = SetCreatePolyStageHook([&made](const char* stage) {
    made += std::strcmp(stage, "Making the vertices of the new model...") == 0 ? 1 : 0;
  });
  {
    AllocationFailure failure(count * 9 / 10);
    step();
    EXPECT_TRUE(failure.Met());
  }
  SetCreatePolyStageHook(previous);
  ASSERT_EQ(GetMemoryFailureCount(), failures + 1);
  // The hull's model, then the sphere's made again from its step.
  ASSERT_EQ(made, 2);
  EXPECT_TRUE(geometry() == before);
}

// Each operation with the user's undo list on and off (undo and redo only on).
std::vector<std::tuple<int, bool>> Operations() {
  std::vector<std::tuple<int, bool>> operations;
  for (int i = 0; i < static_cast<int>(std::size(kCases)); ++i) {
    for (const bool undo : {false, true})
      if (undo || !kCases[i].needsUndo) operations.emplace_back(i, undo);
  }
  return operations;
}

INSTANTIATE_TEST_SUITE_P(Operations, SweepTest, ::testing::ValuesIn(Operations()),
                         [](const ::testing::TestParamInfo<std::tuple<int, bool>>& info) {
                           return std::string(kCases[std::get<0>(info.param)].name) +
                                  (std::get<1>(info.param) ? "UndoOn" : "UndoOff");
                         });

}  // namespace
}  // namespace corvia::testing::allocation_sweep
