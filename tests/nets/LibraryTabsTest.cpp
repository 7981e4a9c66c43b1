// The glue tabs of every library record whose nets can be made, taken through the
// facet model that the net panes use (FaceTypeBlock::GetModel3D, which stellates the
// shown side where its surface needs it): within one net no two tabs overlap and no
// tab covers a facelet. (The internal errors of the net generation are the library
// sweep's to find.)

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "symmetry/SymGroup.h"
#include "tests/nets/NetChecks.h"

namespace test_LibraryTabs {

namespace n = corvia::testing::nets;
using Box = std::array<double, 4>;

// Overlaps smaller than this (in squared model units) are rounding along shared edges.
constexpr double kOverlapArea = 1e-9;

Box BoxOf(const n::Ring& ring) {
  Box box = {1e300, 1e300, -1e300, -1e300};
  for (const auto& p : ring) {
    box[0] = std::min(box[0], p[0]);
    box[1] = std::min(box[1], p[1]);
    box[2] = std::max(box[2], p[0]);
    box[3] = std::max(box[3], p[1]);
  }
  return box;
}

bool BoxesMeet(const Box& a, const Box& b) {
  return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}

// A tab (with its edgelet) or a facelet of one net.
struct Piece {
  n::Ring ring;
  Box box;
  const corvia::Edge3D* tab;
  const corvia::Face3D* facelet;
};

std::string NameOf(const Piece& piece) {
  return piece.tab ? "tab of " + corvia::GetEdgeName(piece.tab)
                   : "facelet " + std::to_string(corvia::Face3D::GetIndex(piece.facelet));
}

// The overlaps inside each net of the model, as lines of text.
std::vector<std::string> TabOverlaps(const corvia::Model3D& model, int& tabCount) {
  std::vector<std::string> problems;
  for (corvia::NetType* type = model.mNetTypes; type; type = type->next) {
    for (int k = 0; k < type->numNets; ++k) {
      std::vector<Piece> pieces;
      for (const corvia::Face3D* f = type->nets[k].first; f; f = f->mNextInNet) {
        n::Ring ring = n::UnfoldedRing(*f);
        const Box box = BoxOf(ring);
        pieces.push_back({std::move(ring), box, nullptr, f});
        for (int i = 0; i < f->GetNumEdges(); ++i) {
          const corvia::Edge3D& e = f->mEdges[i];
          if (!e.tab || e.tab->IsEmpty() || e.tab->outline.size() < 3) continue;
          n::Ring outline;
          for (const corvia::TabPoint& p : e.tab->outline) outline.push_back({p.pos2D[0], p.pos2D[1]});
          const Box tabBox = BoxOf(outline);
          pieces.push_back({std::move(outline), tabBox, &e, nullptr});
          ++tabCount;
        }
      }
      // Swept by the least x of the boxes: only pieces whose boxes meet are compared.
      std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.box[0] < b.box[0]; });
      const std::string where = "net " + std::to_string(corvia::Net::GetNumber(&type->nets[k])) + ": ";
      for (size_t i = 0; i < pieces.size(); ++i) {
        for (size_t j = i + 1; j < pieces.size() && pieces[j].box[0] < pieces[i].box[2]; ++j) {
          const Piece& a = pieces[i];
          const Piece& b = pieces[j];
          if ((!a.tab && !b.tab) || !BoxesMeet(a.box, b.box) || n::OverlapArea(a.ring, b.ring) <= kOverlapArea)
            continue;
          const Piece& tab = a.tab ? a : b;
          const Piece& other = a.tab ? b : a;
          problems.push_back(where + NameOf(tab) + (other.tab ? " overlaps " : " covers ") + NameOf(other));
        }
      }
    }
  }
  return problems;
}

#if defined(__SANITIZE_ADDRESS__)
#define CORVIA_TABS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVIA_TABS_SANITIZED 1
#endif
#endif
#ifdef CORVIA_TABS_SANITIZED
// Under the sanitizers, where each record takes many times longer, a sample.
constexpr int kSanitizedStride = 8;
#else
constexpr int kSanitizedStride = 1;
#endif

// The settings the tabs are checked under: the program's own, and every one that
// bears on them (the kind of tab, its size against the model, one facelet to a net,
// facelets of different colours kept apart).
struct TabSettings {
  const char* name;
  int32_t tabType;
  double tabSizeFactor;
  int32_t maxFacesPerNet;
  bool cellLines;
  int stride;  // every so many records
};
// The program's own settings over the whole library; the others over every eighth
// record (CORVIA_TABS_EVERY_RECORD=1 takes them over all of it), each making the nets
// of the same facet model again as the program does when a setting changes.
constexpr TabSettings kTabSettings[] = {
    {"default", corvia::kTabKindDefault, 1.0, 1000000, false, 1},
    {"single tabs", corvia::kTabKindSingle, 1.0, 1000000, false, 8},
    {"tabs four times as deep", corvia::kTabKindDouble, 4.0, 1000000, false, 8},
    {"tabs a fifth as deep", corvia::kTabKindDouble, 0.2, 1000000, false, 8},
    {"one facelet to a net", corvia::kTabKindDouble, 1.0, 1, false, 8},
    {"colours apart", corvia::kTabKindSingle, 1.0, 1000000, true, 8},
};

// The program's own settings (whatever the tests before left), then the case's.
void Apply(const TabSettings& tab) {
  corvia::GetNetSettings() = corvia::NetSettings();
  corvia::GetNetSettings().tabType = tab.tabType;
  corvia::GetNetSettings().tabSizeTwips *= tab.tabSizeFactor;
  corvia::GetNetSettings().cellLinesOnScreen = tab.cellLines;
  corvia::GetUnitSettings().mMaxFacesPerNet = tab.maxFacesPerNet;
}

}  // namespace test_LibraryTabs

TEST(LibraryTabs, NoTabOverlapsAnotherOrAFaceletOfItsNet) {
  using namespace test_LibraryTabs;
  corvia::testing::nets::SettingsGuard settings;
  corvia::GetUnitSettings() = corvia::UnitSettings();
  const bool everyRecord = std::getenv("CORVIA_TABS_EVERY_RECORD") != nullptr;
  std::vector<std::string> problems;
  std::map<std::string, int> perRecord;
  std::vector<int> withNets(std::size(kTabSettings), 0);
  std::vector<int> tabCount(std::size(kTabSettings), 0);
  for (int index = 0; index < corvia::GetNumLibraryEntries(); ++index) {
    if (!everyRecord && index % kSanitizedStride != 0) continue;
    corvia::LibraryEntry* entry = corvia::GetLibraryEntry(index);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    Apply(kTabSettings[0]);
    if (!CreateFromLibraryEntry(&poly, &polyTemplate, entry, false)) continue;
    corvia::Model3D* model = poly.mBaseBlock->GetModel3D(true, nullptr);
    if (!model || !model->HasNets()) continue;
    for (size_t k = 0; k < std::size(kTabSettings); ++k) {
      const TabSettings& tab = kTabSettings[k];
      if (!everyRecord && index % (tab.stride * kSanitizedStride) != 0) continue;
      if (k > 0) {
        Apply(tab);
        model->MakeNets();
      }
      ++withNets[k];
      for (const std::string& problem : TabOverlaps(*model, tabCount[k])) {
        const std::string where = std::string(tab.name) + ", record " + std::to_string(index) + " " + entry->mName;
        problems.push_back(where + ", " + problem);
        ++perRecord[where];
      }
    }
  }
  corvia::testing::Platform().messages.Clear();
  for (size_t k = 0; k < std::size(kTabSettings); ++k) {
    const TabSettings& tab = kTabSettings[k];
    const int stride = everyRecord ? 1 : tab.stride * kSanitizedStride;
    const int tabsWanted = (tab.tabType == corvia::kTabKindSingle ? 50000 : 100000) / stride;
    EXPECT_GT(withNets[k], 200 / stride) << tab.name;
    EXPECT_GT(tabCount[k], tabsWanted) << tab.name;
  }
  std::string list;
  for (const auto& [where, count] : perRecord) list += where + ": " + std::to_string(count) + "\n";
  for (size_t i = 0; i < problems.size() && i < 20; ++i) list += problems[i] + "\n";
  EXPECT_TRUE(problems.empty()) << problems.size() << " overlaps:\n" << list;
}

// What the printed page fills for each tab is its triangles: they cover the tab's
// outline and nothing more, and the triangles of two tabs never cover each other. The
// icosidodecahedron's net has narrow inner corners (two triangles and two pentagons
// leave 24 degrees) where the tabs of both edges meet.
TEST(LibraryTabs, ThePrintedTrianglesOfTheTabsStayInsideTheirOutlines) {
  using namespace test_LibraryTabs;
  corvia::testing::nets::SettingsGuard settings;
  corvia::GetUnitSettings() = corvia::UnitSettings();
  Apply(kTabSettings[0]);
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  corvia::LibraryEntry* entry = corvia::GetLibraryEntry(16);
  ASSERT_STREQ(entry->mName, "Icosidodecahedron");
  ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, entry, false));
  corvia::Model3D* model = poly.mBaseBlock->GetModel3D(true, nullptr);
  ASSERT_NE(model, nullptr);
  auto area = [](const n::Ring& ring) {
    double twice = 0.0;
    for (size_t i = 0; i < ring.size(); ++i) {
      const auto& a = ring[i];
      const auto& b = ring[(i + 1) % ring.size()];
      twice += a[0] * b[1] - b[0] * a[1];
    }
    return std::fabs(twice) / 2.0;
  };
  // Every kind of tab, the model's radius from 0.5 to 12 cm: the tab's depth against the
  // edges changes with it.
  for (int step = 0; step < 3 * 24; ++step) {
    const int kinds[] = {corvia::kTabKindDefault, corvia::kTabKindSingle, corvia::kTabKindDouble};
    const double scale = 0.5 + 0.5 * (step % 24);
    corvia::GetNetSettings().tabType = kinds[step / 24];
    corvia::GetUnitSettings().mLengthScale = scale;
    model->MakeNets();
    ASSERT_TRUE(model->HasNets());
    std::vector<std::pair<const corvia::Edge3D*, std::vector<n::Ring>>> tabs;
    for (corvia::NetType* type = model->mNetTypes; type; type = type->next) {
      for (const corvia::Face3D* f = type->nets[0].first; f; f = f->mNextInNet) {
        for (int i = 0; i < f->GetNumEdges(); ++i) {
          const corvia::NetTab* tab = f->mEdges[i].tab.get();
          if (!tab || tab->IsEmpty()) continue;
          n::Ring outline;
          for (const corvia::TabPoint& p : tab->outline) outline.push_back({p.pos2D[0], p.pos2D[1]});
          std::vector<n::Ring> triangles;
          double covered = 0.0;
          for (int k = 0; k + 2 < tab->numIndices; k += 3) {
            n::Ring triangle;
            for (int c = 0; c < 3; ++c) {
              const corvia::TabPoint& p = tab->points[static_cast<size_t>(tab->indices[static_cast<size_t>(k + c)])];
              triangle.push_back({p.pos2D[0], p.pos2D[1]});
            }
            covered += area(triangle);
            triangles.push_back(std::move(triangle));
          }
          EXPECT_NEAR(covered, area(outline), 1e-9 + 1e-6 * area(outline))
              << "scale " << scale << ": tab of " << corvia::GetEdgeName(&f->mEdges[i]);
          tabs.emplace_back(&f->mEdges[i], std::move(triangles));
        }
      }
    }
    ASSERT_GT(tabs.size(), 20u);
    for (size_t i = 0; i < tabs.size(); ++i) {
      for (size_t j = i + 1; j < tabs.size(); ++j) {
        double overlap = 0.0;
        for (const n::Ring& a : tabs[i].second) {
          for (const n::Ring& b : tabs[j].second) overlap += n::OverlapArea(a, b);
        }
        EXPECT_LE(overlap, kOverlapArea) << "scale " << scale << ": tab of " << corvia::GetEdgeName(tabs[i].first)
                                         << " and tab of " << corvia::GetEdgeName(tabs[j].first);
      }
    }
  }
}

// The drilled biaugmented truncated cube, a toroid whose square walls lie two to a
// plane (the half turn about the plane's axis swaps them), through the program's own
// road: its facet model and nets come without a box, every face in one net once (the
// four octagons in one net, the rest in four congruent nets), no facelet overlapping
// another of its net, no tab overlapping another or a facelet, under every setting.
// Every face type whose order is above one has an axis of that fold along its normal.
TEST(LibraryTabs, TheDrilledBiaugmentedTruncatedCubeUnfolds) {
  using namespace test_LibraryTabs;
  constexpr int kRecord = 223;
  corvia::testing::nets::SettingsGuard settings;
  corvia::LibraryEntry* entry = corvia::GetLibraryEntry(kRecord);
  ASSERT_STREQ(entry->mName, "Drilled Biaugmented Truncated Cube");
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  Apply(kTabSettings[0]);
  corvia::GetUnitSettings() = corvia::UnitSettings();
  ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, entry, false));
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  corvia::Model3D* model = poly.mBaseBlock->GetModel3D(true, nullptr);
  ASSERT_NE(model, nullptr);
  ASSERT_TRUE(model->HasNets());
  EXPECT_EQ(messages.Boxes().size(), 0u);
  EXPECT_EQ(model->GetNumFacelets(), 56);
  EXPECT_EQ(model->GetNumNetTypes(), 2);
  EXPECT_EQ(model->GetNumNets(), 5);

  const corvia::SymGroup* group = poly.mSymGroup;
  ASSERT_NE(group, nullptr);
  for (const corvia::FaceType* type = poly.mBaseBlock->mFirstFaceType; type; type = type->mNext) {
    if (type->mNumRotations <= 1) continue;
    const double* normal = type->mFirstFace->mZAxis;
    bool along = false;
    for (int t = 0; t < group->numAxisTypes; ++t) {
      const corvia::SymAxisType& axes = group->axisTypes[t];
      for (int i = 0; i < axes.numAxes && std::abs(axes.fold) == type->mNumRotations; ++i) {
        const double cosine = corvia::Dot(axes.axes[i].direction, normal);
        along = along || std::fabs(std::fabs(cosine) - 1.0) < 1e-9;
      }
    }
    EXPECT_TRUE(along) << "face type " << corvia::FaceType::GetNumber(type) << " of order " << type->mNumRotations;
  }

  for (size_t k = 0; k < std::size(kTabSettings); ++k) {
    SCOPED_TRACE(kTabSettings[k].name);
    if (k > 0) {
      Apply(kTabSettings[k]);
      model->MakeNets();
    }
    n::ExpectCover(*model, entry->mName);
    n::ExpectNoOverlap(*model, entry->mName);
    int tabs = 0;
    const std::vector<std::string> problems = TabOverlaps(*model, tabs);
    EXPECT_GT(tabs, 0);
    std::string list;
    for (const std::string& problem : problems) list += problem + "\n";
    EXPECT_TRUE(problems.empty()) << problems.size() << " overlaps:\n" << list;
  }
  EXPECT_EQ(messages.Boxes().size(), 0u);
}
