// Augmentation: Johnson solids built by augmenting uniform polyhedra, compared with
// the library's own; the preview's matching faces, orientations and faces; the
// heights and solids; and every refusal.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "construction/Augmentation.h"
#include "construction/DerivedModels.h"
#include "construction/DerivedNames.h"
#include "construction/ModelFactory.h"
#include "construction/FaceOrientation.h"
#include "construction/Library.h"
#include "core/BigUInt.h"
#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "symmetry/SymSubgroups.h"
#include "tests/construction/DerivedModelChecks.h"
#include "tests/support/TestSupport.h"

namespace test_Augmentation {

using corvia::Augmentation;
using corvia::Poly;
using corvia::PolyElement;
using corvia::SimplePoly;
using corvia::testing::Measure;
using corvia::testing::ModelFigures;
using corvia::testing::TemplateModel;

int FirstJohnsonRecord() { return corvia::GetFirstSpringRecordIndex(); }

// The library's Johnson solid Jn, measured the same way.
ModelFigures Johnson(int n) {
  std::unique_ptr<SimplePoly> model = corvia::gLibraryTable[FirstJohnsonRecord() + n - 1].CreatePoly(false);
  return model ? Measure(*model) : ModelFigures();
}

void ExpectSameSolid(const ModelFigures& made, const ModelFigures& published) {
  ASSERT_TRUE(made.made);
  ASSERT_TRUE(published.made);
  EXPECT_EQ(made.verts, published.verts);
  EXPECT_EQ(made.edges, published.edges);
  EXPECT_EQ(made.faceKinds, published.faceKinds);
  EXPECT_EQ(made.group, published.group);
  EXPECT_TRUE(made.EqualEdges(1e-9)) << made.shortestEdge << " " << made.longestEdge;
}

// What the last Augment did.
corvia::Outcome gAugmented;

// Augments the given face of the model: the face becomes current, the augmentation is
// prepared and the augmented model built.
std::unique_ptr<SimplePoly> Augment(Poly& poly, PolyElement* face, uint32_t options, double scale = 1.0) {
  poly.GetShownBlock()->SetCurrentFace(face);
  Augmentation* augmentation = GetAugmentation(&poly);
  augmentation->mScale = scale;
  gAugmented = PrepareAugmentation(&poly, options, augmentation);
  if (!gAugmented) return nullptr;
  std::unique_ptr<SimplePoly> result = corvia::CreateAugmentedPoly(options, *augmentation, gAugmented);
  augmentation->Reset();
  return result;
}

// The first face of the model with that many sides.
PolyElement* FaceWithSides(Poly& poly, int sides) {
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    if (f->mNumSides == sides) return f;
  }
  return nullptr;
}

double Length(const double* v) { return std::sqrt(corvia::Dot(v, v)); }

// The axis of each pyramid on the model: from the middle of its base to the vertex
// where only triangles meet.
bool ApexDirections(Poly& poly, std::vector<std::vector<double>>& apexes) {
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    bool allTriangles = v->mNumSides == 5;
    for (int i = 0; i < v->mNumSides && allTriangles; ++i) allTriangles = v->GetCorner(i)->mNumSides == 3;
    if (!allTriangles) continue;
    // The triangles' other corners are the base's corners.
    double base[3] = {0, 0, 0};
    int count = 0;
    for (int i = 0; i < v->mNumSides; ++i) {
      const PolyElement* triangle = v->GetCorner(i);
      for (int k = 0; k < 3; ++k) {
        if (triangle->GetCorner(k) == v) continue;
        corvia::AddTo(base, triangle->GetCorner(k)->mDualVert);
        ++count;
      }
    }
    corvia::Scale(base, base, 1.0 / count);
    double axis[3];
    corvia::Subtract(axis, v->mDualVert, base);
    const double length = Length(axis);
    apexes.push_back({axis[0] / length, axis[1] / length, axis[2] / length});
  }
  return !apexes.empty();
}

// A pentagon whose normal makes the given cosines with the apexes.
PolyElement* PentagonAt(Poly& poly, const std::vector<std::vector<double>>& apexes, const std::vector<double>& cosines) {
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    if (f->mNumSides != 5) continue;
    bool fits = true;
    for (size_t k = 0; k < apexes.size() && fits; ++k) {
      fits = std::fabs(corvia::Dot(f->mZAxis, apexes[k].data()) - cosines[k]) < 1e-6;
    }
    if (fits) return f;
  }
  return nullptr;
}

// The model made current in a fresh Poly, to be augmented further.
bool Remake(const SimplePoly& simple, Poly& poly) {
  std::unique_ptr<SimplePoly> copy = simple.CopyWithNames();
  return CreatePoly(*copy, &poly, true, false).done();
}

bool HasBox(const std::string& title, const std::string& text) {
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) {
    if (box.title == title && box.text.find(text) != std::string::npos) return true;
  }
  return false;
}

// A stand-in for the pane of a preview: the augmentation only keeps and compares it.
corvia::OpenGLView* PreviewPane() {
  static int standIn = 0;
  return reinterpret_cast<corvia::OpenGLView*>(&standIn);
}

// The index of the model's subgroup of that name in the flat list, or -1.
int SubgroupOf(corvia::Poly& cube, const char* name) {
  corvia::SymSubgroupSpec spec;
  int rotational = 0, reflective = 0;
  for (int n = 0; n < 500 && corvia::SymGroup::GetSubgroup(cube.mSymGroup, n, spec, rotational, reflective); ++n) {
    if (!spec.alternate && corvia::GetSubgroupSchoenflies(&spec) == name) return n;
  }
  return -1;
}

}  // namespace test_Augmentation

namespace ta = test_Augmentation;

TEST(Augmentation, SquarePyramidOnACubeIsTheElongatedSquarePyramid) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  std::unique_ptr<corvia::SimplePoly> j8 =
      ta::Augment(cube.poly, cube.poly.GetFace(0), corvia::kAugmentPyramid | corvia::kPyramidEqualEdges);
  ASSERT_TRUE(j8);
  EXPECT_EQ(j8->name.rfind("Augmented ", 0), 0u) << j8->name;
  const ta::ModelFigures figures = ta::Measure(*j8);
  EXPECT_EQ(figures.verts, 9);
  EXPECT_EQ(figures.edges, 16);
  EXPECT_EQ(figures.faceKinds, (std::map<int, int>{{3, 4}, {4, 5}}));
  EXPECT_EQ(figures.group, "C4v");
  ta::ExpectSameSolid(figures, ta::Johnson(8));
  // The cube itself is as it was.
  EXPECT_EQ(cube.poly.mFaces.mCount, 6);
  EXPECT_FALSE(GetAugmentation(&cube.poly)->HasTargets());
}

TEST(Augmentation, PentagonalPyramidsOnTheDodecahedron) {
  ta::TemplateModel dodecahedron("5.5.5");
  ASSERT_TRUE(dodecahedron.built);
  const uint32_t pyramid = corvia::kAugmentPyramid | corvia::kPyramidEqualEdges;
  std::unique_ptr<corvia::SimplePoly> j58 = ta::Augment(dodecahedron.poly, dodecahedron.poly.GetFace(0), pyramid);
  ASSERT_TRUE(j58);
  ta::ExpectSameSolid(ta::Measure(*j58), ta::Johnson(58));

  // Faces of the augmented model, found by where they lie against the apexes: the
  // opposite face (J59), a face two steps away (J60), and one two steps from both (J61).
  const double meta = -1.0 / std::sqrt(5.0);
  corvia::Poly once;
  ASSERT_TRUE(ta::Remake(*j58, once));
  std::vector<std::vector<double>> apexes;
  ASSERT_TRUE(ta::ApexDirections(once, apexes));
  ASSERT_EQ(apexes.size(), 1u);
  std::unique_ptr<corvia::SimplePoly> j59 = ta::Augment(once, ta::PentagonAt(once, apexes, {-1.0}), pyramid);
  ASSERT_TRUE(j59);
  ta::ExpectSameSolid(ta::Measure(*j59), ta::Johnson(59));
  std::unique_ptr<corvia::SimplePoly> j60 = ta::Augment(once, ta::PentagonAt(once, apexes, {meta}), pyramid);
  ASSERT_TRUE(j60);
  ta::ExpectSameSolid(ta::Measure(*j60), ta::Johnson(60));

  corvia::Poly twice;
  ASSERT_TRUE(ta::Remake(*j60, twice));
  apexes.clear();
  ASSERT_TRUE(ta::ApexDirections(twice, apexes));
  ASSERT_EQ(apexes.size(), 2u);
  corvia::PolyElement* third = ta::PentagonAt(twice, apexes, {meta, meta});
  ASSERT_NE(third, nullptr);
  std::unique_ptr<corvia::SimplePoly> j61 = ta::Augment(twice, third, pyramid);
  ASSERT_TRUE(j61);
  ta::ExpectSameSolid(ta::Measure(*j61), ta::Johnson(61));

  // Each is found in the library by its shape: J59 and J60, alike in every count, apart.
  const std::vector<std::pair<const corvia::SimplePoly*, int>> made = {
      {j58.get(), 58}, {j59.get(), 59}, {j60.get(), 60}, {j61.get(), 61}};
  for (const auto& [model, n] : made) {
    bool dual = true;
    EXPECT_EQ(corvia::FindLibraryModel(*model, &dual), &corvia::gLibraryTable[ta::FirstJohnsonRecord() + n - 1])
        << "J" << n;
    EXPECT_FALSE(dual);
  }
}

// A model with the counts of a library model is that model only when its shape is:
// the great stellated dodecahedron stands on the dodecahedron's vertices with as many
// faces and edges; a dual is found as the dual of its entry; a model the library does
// not hold is none.
TEST(Augmentation, DerivedModelsAreFoundInTheLibraryByTheirShape) {
  auto find = [](const char* configuration, bool* dual) -> corvia::LibraryEntry* {
    ta::TemplateModel model(configuration);
    if (!model.built) return nullptr;
    std::unique_ptr<corvia::SimplePoly> plain(corvia::CreateSimplePoly(&model.poly, corvia::kDeriveBase, nullptr, nullptr));
    return plain ? corvia::FindLibraryModel(*plain, dual) : nullptr;
  };
  bool dual = true;
  corvia::LibraryEntry* found = find("5.5.5", &dual);
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found->mName, "Dodecahedron");
  EXPECT_FALSE(dual);
  found = find("5/2.5/2.5/2", &dual);
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found->mName, "Great Stellated Dodecahedron");

  // The rhombic dodecahedron: the cuboctahedron's dual.
  ta::TemplateModel cuboctahedron("3.4.3.4");
  ASSERT_TRUE(cuboctahedron.built);
  std::unique_ptr<corvia::SimplePoly> rhombic(
      corvia::CreateSimplePoly(&cuboctahedron.poly, corvia::kDeriveDual, nullptr, nullptr));
  ASSERT_TRUE(rhombic);
  found = corvia::FindLibraryModel(*rhombic, &dual);
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found->mName, "Cuboctahedron");
  EXPECT_TRUE(dual);

  // A square pyramid on a cube: J8 with equal edges; twice as tall, the same counts
  // and no entry.
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  const uint32_t pyramid = corvia::kAugmentPyramid | corvia::kPyramidEqualEdges;
  std::unique_ptr<corvia::SimplePoly> j8 = ta::Augment(cube.poly, cube.poly.GetFace(0), pyramid);
  ASSERT_TRUE(j8);
  EXPECT_EQ(corvia::FindLibraryModel(*j8, &dual), &corvia::gLibraryTable[ta::FirstJohnsonRecord() + 8 - 1]);
  std::unique_ptr<corvia::SimplePoly> tall = ta::Augment(cube.poly, cube.poly.GetFace(0), pyramid, 2.0);
  ASSERT_TRUE(tall);
  EXPECT_EQ(ta::Measure(*tall).verts, 9);
  EXPECT_EQ(corvia::FindLibraryModel(*tall, &dual), nullptr);
}

TEST(Augmentation, PentagonalCupolaOnTheTruncatedDodecahedron) {
  ta::TemplateModel truncated("3.10.10");
  ASSERT_TRUE(truncated.built);
  corvia::PolyElement* decagon = ta::FaceWithSides(truncated.poly, 10);
  ASSERT_NE(decagon, nullptr);
  // Two ways round: the cupola's triangles on the edges the decagon shares with
  // decagons (J68), or on those it shares with triangles, which then lie in one plane
  // with them and are blended into rhombi.
  truncated.poly.GetShownBlock()->SetCurrentFace(decagon);
  corvia::Augmentation* augmentation = GetAugmentation(&truncated.poly);
  ASSERT_TRUE(PrepareAugmentation(&truncated.poly, corvia::kAugmentCupola, augmentation));
  corvia::BigUInt count;
  augmentation->GetOrientationCounts(count);
  ASSERT_EQ(count.Word(0), 2u);
  const ta::ModelFigures j68 = ta::Johnson(68);
  int johnson = 0;
  for (int k = 0; k < 2; ++k) {
    corvia::Outcome outcome;
    std::unique_ptr<corvia::SimplePoly> made = corvia::CreateAugmentedPoly(corvia::kAugmentCupola, *augmentation, outcome);
    ASSERT_TRUE(made);
    const ta::ModelFigures figures = ta::Measure(*made);
    if (figures.faceKinds == j68.faceKinds) {
      ++johnson;
      ta::ExpectSameSolid(figures, j68);
    } else {
      EXPECT_EQ(figures.faceKinds, (std::map<int, int>{{3, 15}, {4, 10}, {5, 1}, {10, 11}}));
    }
    augmentation->NextOrientation();
  }
  EXPECT_EQ(johnson, 1);
  augmentation->Reset();
}

TEST(Augmentation, EveryFaceOfATypeAtOnce) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  // Square pyramids half an edge high on all six squares: their triangles meet in
  // pairs in the planes of the rhombic dodecahedron's faces, and are blended.
  std::unique_ptr<corvia::SimplePoly> all = ta::Augment(
      cube.poly, cube.poly.GetFace(0), corvia::kAugmentPyramid | corvia::kPyramidCircumradius | corvia::kAugmentSameType,
      std::sqrt(0.5));
  ASSERT_TRUE(all);
  const ta::ModelFigures figures = ta::Measure(*all);
  EXPECT_EQ(figures.verts, 14);
  EXPECT_EQ(figures.faceKinds, (std::map<int, int>{{4, 12}}));
  EXPECT_EQ(figures.group, "Oh");

  // Equal-edged pyramids on the dodecahedron's twelve pentagons.
  ta::TemplateModel dodecahedron("5.5.5");
  ASSERT_TRUE(dodecahedron.built);
  std::unique_ptr<corvia::SimplePoly> stellated =
      ta::Augment(dodecahedron.poly, dodecahedron.poly.GetFace(3),
                  corvia::kAugmentPyramid | corvia::kPyramidEqualEdges | corvia::kAugmentSameType);
  ASSERT_TRUE(stellated);
  const ta::ModelFigures twelve = ta::Measure(*stellated);
  EXPECT_EQ(twelve.verts, 32);
  EXPECT_EQ(twelve.faceKinds, (std::map<int, int>{{3, 60}}));
  EXPECT_EQ(twelve.group, "Ih");
  EXPECT_TRUE(twelve.EqualEdges());
}

// A pyramid whose apex is to lie on the circumsphere inside the face is dug in, and
// the augmented model is built the way it was prepared.
TEST(Augmentation, ThePyramidThatTurnsInward) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  corvia::PolyElement* face = cube.poly.GetFace(0);
  std::unique_ptr<corvia::SimplePoly> dug =
      ta::Augment(cube.poly, face, corvia::kAugmentPyramid | corvia::kPyramidCircumsphere, 0.5);
  ASSERT_TRUE(dug);
  const ta::ModelFigures figures = ta::Measure(*dug);
  EXPECT_EQ(figures.verts, 9);
  EXPECT_EQ(figures.faceKinds, (std::map<int, int>{{3, 4}, {4, 5}}));
  EXPECT_EQ(figures.group, "C4v");
  // The apex is the one new vertex: on the sphere of half the model's radius (1; the
  // dual's is GetRadius), on the face's side of the centre.
  const double* apex = dug->VertAt(8).pos;
  EXPECT_NEAR(ta::Length(apex), 0.5, 1e-9);
  EXPECT_GT(corvia::Dot(apex, face->mZAxis), 0.0);
}

// The dual side is augmented as the dual model: a regular tetrahedron on one
// triangle of the cube's dual, the octahedron. The dihedral angles of the two add up
// to a straight angle: three pairs of triangles lie in one plane and are blended.
TEST(Augmentation, TheDualSide) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  cube.poly.SetShowDual(true);
  std::unique_ptr<corvia::SimplePoly> augmented = ta::Augment(
      cube.poly, cube.poly.GetVertex(0), corvia::kAugmentPyramid | corvia::kPyramidEqualEdges);
  ASSERT_TRUE(augmented);
  const ta::ModelFigures figures = ta::Measure(*augmented);
  EXPECT_EQ(figures.verts, 7);
  EXPECT_EQ(figures.faceKinds, (std::map<int, int>{{3, 4}, {4, 3}}));
  EXPECT_EQ(figures.group, "C3v");
  EXPECT_TRUE(figures.EqualEdges());
}

TEST(Augmentation, HeightsAndSolids) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  corvia::PolyElement* face = cube.poly.GetFace(0);
  corvia::Augmentation* augmentation = GetAugmentation(&cube.poly);

  // A square with a cupola is a wedge: 6 vertices, 5 faces, no top face.
  std::unique_ptr<corvia::SimplePoly> wedge = corvia::CreateAugmentCupola(*face, 1.0, 1.0, false);
  ASSERT_TRUE(wedge);
  EXPECT_EQ(wedge->NumVerts(), 6);
  EXPECT_EQ(wedge->NumFaces(), 5);
  EXPECT_EQ(wedge->currentFace, 0);

  // Twice the circumradius: the apex stands 2R from the centre along the normal;
  // excavated it stands as far inside.
  const double R = face->GetCircumradius();
  double normal[3];
  face->GetNormal(normal);
  for (bool excavate : {false, true}) {
    augmentation->mScale = 1.0;
    const uint32_t options = corvia::kAugmentPyramid | corvia::kPyramidCircumradius2 |
                             (excavate ? corvia::kAugmentExcavate : 0u);
    ASSERT_TRUE(corvia::GetAugmentationHeight(options, face, augmentation));
    EXPECT_NEAR(augmentation->mHeight, excavate ? -2.0 * R : 2.0 * R, 1e-12);
    const corvia::SimplePoly& pyramid = *augmentation->mAddedModel;
    // The model is centred, so the height is measured from the base's centre.
    const double* apex = pyramid.VertAt(4).pos;
    double base[3] = {0, 0, 0};
    for (int i = 0; i < 4; ++i) corvia::AddTo(base, pyramid.VertAt(i).pos);
    corvia::Scale(base, base, 0.25);
    double rise[3];
    corvia::Subtract(rise, apex, base);
    EXPECT_NEAR(corvia::Dot(rise, normal), excavate ? -2.0 * R : 2.0 * R, 1e-12);
    augmentation->Reset();
  }

  // An apex on the circumsphere at a scale inside the face flips to an excavation.
  augmentation->mScale = 0.5;
  ASSERT_TRUE(corvia::GetAugmentationHeight(corvia::kAugmentPyramid | corvia::kPyramidCircumsphere, face,
                                            augmentation));
  EXPECT_TRUE(augmentation->mOptions & corvia::kAugmentExcavate);
  EXPECT_LT(augmentation->mHeight, 0.0);
  augmentation->Reset();

  // Antiprism: the square antiprism on a square stands on equal edges.
  double height = 0.0, ratio = 0.0;
  corvia::Outcome outcome;
  std::unique_ptr<corvia::SimplePoly> antiprism =
      corvia::CreateAugmentAntiprism(*face, 1.0, false, false, &height, &ratio, outcome);
  ASSERT_TRUE(antiprism);
  EXPECT_EQ(antiprism->NumVerts(), 8);
  EXPECT_EQ(antiprism->NumFaces(), 10);
  const double edge = face->GetMeanEdgeLength();
  for (int f = 0; f < antiprism->NumFaces(); ++f) {
    const corvia::SimpleFace& g = antiprism->FaceAt(f);
    for (int i = 0; i < g.Count(); ++i) {
      double d[3];
      corvia::Subtract(d, g.VertWrapped(i).pos, g.VertWrapped(i + 1).pos);
      EXPECT_NEAR(ta::Length(d), edge, 1e-9);
    }
  }
  // Excavated, the antiprism goes into the model once, not out again.
  std::unique_ptr<corvia::SimplePoly> dug = corvia::CreateAugmentAntiprism(*face, 1.0, false, true, &height, &ratio, outcome);
  ASSERT_TRUE(dug);
  EXPECT_LT(height, 0.0);
  double base[3] = {0, 0, 0}, top[3] = {0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    corvia::AddTo(base, dug->VertAt(i).pos);
    corvia::AddTo(top, dug->VertAt(4 + i).pos);
  }
  double down[3];
  corvia::Subtract(down, top, base);
  EXPECT_LT(corvia::Dot(down, normal), 0.0);

  // The cupola's height on a hexagon of the truncated tetrahedron: the triangular
  // cupola of equal edges.
  ta::TemplateModel truncated("3.6.6");
  ASSERT_TRUE(truncated.built);
  corvia::PolyElement* hexagon = ta::FaceWithSides(truncated.poly, 6);
  ASSERT_NE(hexagon, nullptr);
  const double e = hexagon->GetMeanEdgeLength();
  double r = 0.0;
  const double h = corvia::CalcCupolaHeight(hexagon->mCentroid, hexagon->GetCorner(0)->mDualVert,
                                            hexagon->GetCorner(1)->mDualVert, hexagon->GetCorner(2)->mDualVert,
                                            hexagon->GetCorner(3)->mDualVert, false, &r);
  EXPECT_NEAR(h, e * std::sqrt(2.0 / 3.0), 1e-9);
  EXPECT_NEAR(r, 2.0 / 3.0, 1e-9);
}

TEST(Augmentation, RefusalsLeaveTheModelAsItWas) {
  // The three refusals below that are internal errors.
  corvia::testing::ExpectInternalErrors(3);
  ta::TemplateModel tetrahedron("3.3.3");
  ASSERT_TRUE(tetrahedron.built);
  corvia::PolyElement* triangle = tetrahedron.poly.GetFace(0);
  corvia::Augmentation* augmentation = GetAugmentation(&tetrahedron.poly);
  // A refusal comes back to be told; an internal error or a model file's own refusal
  // has been shown already and comes back with nothing more to tell.
  auto refused = [&](uint32_t options, const char* title, const char* text) {
    corvia::testing::Platform().messages.Clear();
    EXPECT_EQ(ta::Augment(tetrahedron.poly, triangle, options), nullptr) << text;
    if (std::string(title) == "Error") {
      EXPECT_EQ(ta::gAugmented.kind(), corvia::Outcome::Kind::kRefused) << text;
      EXPECT_NE(ta::gAugmented.text().find(text), std::string::npos) << text;
      EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty()) << text;
    } else {
      EXPECT_TRUE(ta::gAugmented.cancelled()) << text;
      EXPECT_TRUE(ta::HasBox(title, text)) << text;
    }
    EXPECT_FALSE(augmentation->HasTargets());
    EXPECT_EQ(augmentation->mAddedModel, nullptr);
    EXPECT_EQ(tetrahedron.poly.mFaces.mCount, 4);
  };
  refused(corvia::kAugmentCupola, "Error", "the face must have an even number of sides.");
  refused(corvia::kAugmentPyramid | corvia::kPyramidEdgeLength, "Error",
          "Pyramid can not be created with requested edge lengths.");
  refused(corvia::kAugmentMemory, "Internal Error", "Can't augment from memory: memory is empty");
  // No file chosen: the model file says so.
  refused(corvia::kAugmentFile, "Error", "Couldn't open the model file");
  refused(corvia::kAugmentPyramid | 0x700, "Internal Error", "GetAugmentationHeight: Bad flags");
  refused(0, "Internal Error", "GetAugmentationHeight: Bad flags");
  // No library entry chosen: nothing, silently.
  corvia::testing::Platform().messages.Clear();
  EXPECT_EQ(ta::Augment(tetrahedron.poly, triangle, corvia::kAugmentBuiltIn), nullptr);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());

  // A hexagonal cupola on a regular dodecagon would be flat: refused with a warning,
  // given back to be told.
  ta::TemplateModel dodecagonal("4.4.12");
  ASSERT_TRUE(dodecagonal.built);
  corvia::testing::Platform().messages.Clear();
  EXPECT_EQ(ta::Augment(dodecagonal.poly, ta::FaceWithSides(dodecagonal.poly, 12), corvia::kAugmentCupola), nullptr);
  EXPECT_EQ(ta::gAugmented.kind(), corvia::Outcome::Kind::kWarned);
  EXPECT_EQ(ta::gAugmented.text(), "Face has too many sides to build regular-faced cupola on.");
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(GetAugmentation(&dodecagonal.poly)->mAddedModel, nullptr);

  // A regular face is needed for the equal-edged pyramid, the cupola and the
  // antiprism; a hexagon is too wide for a pyramid of its own edge.
  ta::TemplateModel prism("3.4.4");
  ASSERT_TRUE(prism.built);
  ta::TemplateModel truncated("3.6.6");
  ASSERT_TRUE(truncated.built);
  corvia::PolyElement* hexagon = ta::FaceWithSides(truncated.poly, 6);
  corvia::testing::Platform().messages.Clear();
  EXPECT_EQ(ta::Augment(truncated.poly, hexagon, corvia::kAugmentPyramid | corvia::kPyramidEqualEdges), nullptr);
  EXPECT_EQ(ta::gAugmented.text(), "Face has too many sides to build pyramid on\nwhen using the keep-edge-length option.");
  // The library's square pyramid has no hexagon to attach by.
  corvia::Augmentation* onHexagon = GetAugmentation(&truncated.poly);
  onHexagon->mLibraryEntry = &corvia::gLibraryTable[ta::FirstJohnsonRecord()];
  corvia::testing::Platform().messages.Clear();
  truncated.poly.GetShownBlock()->SetCurrentFace(hexagon);
  EXPECT_EQ(PrepareAugmentation(&truncated.poly, corvia::kAugmentBuiltIn, onHexagon).text(),
            "Can't augment using built-in model: model\ndoesn't have any matching 6-sided faces");
  onHexagon->Reset();
}

TEST(Augmentation, PreviewStepsThroughMatchingFacesAndOrientations) {
  ta::TemplateModel prism("3.4.4");
  ASSERT_TRUE(prism.built);
  corvia::PolyElement* square = ta::FaceWithSides(prism.poly, 4);
  ASSERT_NE(square, nullptr);
  // The elongated square pyramid (J8) in memory: its base and its sides are squares.
  std::unique_ptr<corvia::SimplePoly> j8 = corvia::gLibraryTable[ta::FirstJohnsonRecord() + 7].CreatePoly(false);
  ASSERT_TRUE(j8);
  prism.poly.GetShownBlock()->SetCurrentFace(square);
  corvia::Augmentation* augmentation = GetAugmentation(&prism.poly);
  augmentation->mMemoryModel = std::move(j8);
  const uint32_t options = corvia::kAugmentMemory | corvia::kAugmentAlwaysPreview;
  ASSERT_TRUE(PrepareAugmentation(&prism.poly, options, augmentation));
  // One square of each kind. The base's four turns are one to the prism's square,
  // whose half turn is a symmetry of the prism: one orientation. A side square (no
  // turn of its own) fits two ways that the prism does not carry into each other.
  ASSERT_EQ(augmentation->CountMatchingFaces(), 2);
  const int first = augmentation->GetCurrentMatch()->face;
  EXPECT_EQ(first, augmentation->mAddedModel->currentFace);
  std::map<int, uint32_t> orientations;  // rotation order -> orientations
  corvia::BigUInt count;
  augmentation->GetOrientationCounts(count);
  orientations[augmentation->mAddedModel->FaceAt(first).rots] = count.Word(0);
  ASSERT_NE(augmentation->StepMatchingFace(1), nullptr);
  const int second = augmentation->GetCurrentMatch()->face;
  EXPECT_NE(second, first);
  augmentation->GetOrientationCounts(count);
  orientations[augmentation->mAddedModel->FaceAt(second).rots] = count.Word(0);
  EXPECT_EQ(orientations, (std::map<int, uint32_t>{{1, 2u}, {4, 1u}}));
  // Round the ring and back.
  ASSERT_NE(augmentation->StepMatchingFace(1), nullptr);
  EXPECT_EQ(augmentation->GetCurrentMatch()->face, first);
  ASSERT_NE(augmentation->StepMatchingFace(-1), nullptr);
  EXPECT_EQ(augmentation->GetCurrentMatch()->face, second);
  // On the side square with two orientations, stepping numbers them.
  if (augmentation->mAddedModel->FaceAt(second).rots != 1) {
    ASSERT_NE(augmentation->StepMatchingFace(1), nullptr);
  }
  corvia::BigUInt index;
  EXPECT_EQ(augmentation->GetOrientationIndices(index), 0);
  EXPECT_TRUE(index.IsZero());
  augmentation->NextOrientation();
  EXPECT_EQ(augmentation->GetOrientationIndices(index), 0);
  EXPECT_EQ(index.Word(0), 1u);

  // The preview shows the added model on the square without the face it is attached
  // by, every corner outside the prism's square plane.
  std::vector<corvia::AugmentPreviewFace> faces;
  augmentation->GetPreviewFaces(faces);
  EXPECT_EQ(static_cast<int>(faces.size()), augmentation->mAddedModel->NumFaces() - 1);
  double normal[3];
  square->GetNormal(normal);
  const double plane = corvia::Dot(square->mCentre, normal);
  for (const corvia::AugmentPreviewFace& face : faces) {
    for (size_t k = 0; k < face.corners.size(); k += 3) {
      EXPECT_GE(corvia::Dot(&face.corners[k], normal), plane - 1e-9);
    }
    // The face's triangles cover the region its corners bound, in its plane.
    double area[3] = {0, 0, 0};
    const size_t n = face.corners.size() / 3;
    for (size_t i = 0; i < n; ++i) {
      double c[3];
      corvia::Cross(c, &face.corners[3 * i], &face.corners[3 * ((i + 1) % n)]);
      for (int k = 0; k < 3; ++k) area[k] += 0.5 * c[k];
    }
    double covered = 0.0;
    ASSERT_EQ(face.triangles.size() % 9, 0u);
    ASSERT_EQ(face.triangles.size() / 9, n - 2);
    for (size_t k = 0; k < face.triangles.size(); k += 9) {
      double ab[3], ac[3], c[3];
      corvia::Subtract(ab, &face.triangles[k + 3], &face.triangles[k]);
      corvia::Subtract(ac, &face.triangles[k + 6], &face.triangles[k]);
      corvia::Cross(c, ab, ac);
      covered += 0.5 * ta::Length(c);
      EXPECT_NEAR(std::fabs(corvia::Dot(c, area)), ta::Length(c) * ta::Length(area), 1e-9);
    }
    EXPECT_NEAR(covered, ta::Length(area), 1e-9);
  }
  // Exploded, the matching face shows too.
  augmentation->mExplode = 0.5;
  augmentation->GetPreviewFaces(faces);
  EXPECT_EQ(static_cast<int>(faces.size()), augmentation->mAddedModel->NumFaces());
  augmentation->mExplode = 0.0;

  // Accepting builds the augmented model, and the reset after it ends the preview.
  augmentation->mView = ta::PreviewPane();
  corvia::Outcome outcome;
  const std::unique_ptr<corvia::SimplePoly> performed =
      corvia::CreateAugmentedPoly(augmentation->mOptions, *augmentation, outcome);
  const int redraws = corvia::testing::Platform().views.mRedraws;
  augmentation->Reset();
  ASSERT_TRUE(performed);
  // The panes are drawn again without the preview.
  EXPECT_GT(corvia::testing::Platform().views.mRedraws, redraws);
  EXPECT_FALSE(augmentation->HasTargets());
  EXPECT_EQ(augmentation->mView, nullptr);
  EXPECT_EQ(augmentation->mMemoryModel, nullptr);
  const ta::ModelFigures figures = ta::Measure(*performed);
  EXPECT_EQ(figures.verts, 6 + 9 - 4);
  EXPECT_TRUE(figures.EqualEdges());
}

TEST(Augmentation, OneMatchingFaceAndTheSymmetryWarning) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  corvia::Augmentation* augmentation = GetAugmentation(&cube.poly);
  cube.poly.GetShownBlock()->SetCurrentFace(cube.poly.GetFace(0));
  // A triangular prism put by a square on every square of the cube turns each square
  // half a turn only: the cube's symmetry is lost, and said so once.
  corvia::testing::TemplateModel source("3.4.4");
  ASSERT_TRUE(source.built);
  augmentation->mMemoryModel.reset(CreateSimplePoly(&source.poly, corvia::kDeriveBase, nullptr, nullptr));
  corvia::testing::Platform().messages.Clear();
  const corvia::Outcome prepared =
      PrepareAugmentation(&cube.poly, corvia::kAugmentMemory | corvia::kAugmentSameType, augmentation);
  ASSERT_TRUE(prepared);
  EXPECT_EQ(prepared.warnings(), std::vector<std::string>{"Warning: this augmentation will result in a\npolyhedron "
                                                          "with less symmetry than the original."});
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  ASSERT_EQ(augmentation->CountMatchingFaces(), 1);
  corvia::testing::Platform().views.mPaneMessage.clear();
  ASSERT_NE(augmentation->StepMatchingFace(1), nullptr);
  EXPECT_EQ(corvia::testing::Platform().views.mPaneMessage,
            "There is only one matching face\nin the model being added");
  // Stepping says nothing of the symmetry.
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  // The preview puts the prism on all six squares.
  std::vector<corvia::AugmentPlacement> placements = augmentation->GetPlacements();
  EXPECT_EQ(placements.size(), 6u);
  // Worked out again for a subgroup during the preview, it says so again, to the
  // caller of the subgroup.
  augmentation->mView = ta::PreviewPane();
  corvia::Outcome warned;
  ASSERT_TRUE(cube.poly.ApplySubSymmetry(ta::SubgroupOf(cube.poly, "Oh"), -1, &warned));
  EXPECT_EQ(warned.warnings(), prepared.warnings());
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  augmentation->Reset();
}

TEST(Augmentation, OrientationsCountLikeAnOdometer) {
  corvia::Augmentation augmentation(nullptr);
  // Two targets with 3 and 2 orientations.
  for (int counts : {3, 2}) {
    auto target = std::make_unique<corvia::AugmentTarget>(nullptr);
    corvia::ListNode* head = nullptr;
    corvia::ListNode* tail = nullptr;
    for (int i = 0; i < counts; ++i) corvia::ListNode::Append(new corvia::FaceOrientation(), head, tail);
    target->SetOrientations(static_cast<corvia::FaceOrientation*>(head));
    augmentation.mTargets.push_back(std::move(target));
  }
  corvia::BigUInt value;
  augmentation.GetOrientationCounts(value);
  EXPECT_EQ(value.Word(0), 6u);
  for (uint32_t expected = 0; expected < 6; ++expected) {
    ASSERT_EQ(augmentation.GetOrientationIndices(value), 0);
    EXPECT_EQ(value.Word(0), expected);
    augmentation.NextOrientation();
  }
  // Round again, and backwards from the first to the last.
  ASSERT_EQ(augmentation.GetOrientationIndices(value), 0);
  EXPECT_TRUE(value.IsZero());
  augmentation.PreviousOrientation();
  ASSERT_EQ(augmentation.GetOrientationIndices(value), 0);
  EXPECT_EQ(value.Word(0), 5u);
  // A target with no current orientation has no combination number.
  augmentation.mTargets[1]->mCurrent = nullptr;
  EXPECT_EQ(augmentation.GetOrientationIndices(value), -1);
  EXPECT_TRUE(value.IsZero());

  // With one orientation everywhere nothing changes, and the pane says so.
  corvia::Augmentation single(nullptr);
  auto target = std::make_unique<corvia::AugmentTarget>(nullptr);
  target->SetOrientations(new corvia::FaceOrientation());
  single.mTargets.push_back(std::move(target));
  corvia::testing::Platform().views.mPaneMessage.clear();
  single.NextOrientation();
  EXPECT_EQ(corvia::testing::Platform().views.mPaneMessage, "There is only one orientation");
}

TEST(Augmentation, AFaceOfFewerThanThreeSidesPreparesNothing) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  cube.poly.GetShownBlock()->SetCurrentFace(nullptr);
  corvia::testing::Platform().messages.Clear();
  EXPECT_FALSE(PrepareAugmentation(&cube.poly, corvia::kAugmentPyramid, GetAugmentation(&cube.poly)));
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// A new symmetry group during the preview: the augmentation is prepared again for the
// new face types, keeping the added model.
TEST(Augmentation, ThePreviewFollowsASubgroup) {
  ta::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  cube.poly.GetShownBlock()->SetCurrentFace(cube.poly.GetFace(0));
  corvia::Augmentation* augmentation = GetAugmentation(&cube.poly);
  const uint32_t options = corvia::kAugmentPyramid | corvia::kAugmentSameType;
  ASSERT_TRUE(PrepareAugmentation(&cube.poly, options, augmentation));
  augmentation->mView = ta::PreviewPane();
  EXPECT_EQ(augmentation->GetPlacements().size(), 6u);
  const corvia::SimplePoly* added = augmentation->mAddedModel.get();

  const int d4h = ta::SubgroupOf(cube.poly, "D4h");
  ASSERT_GE(d4h, 0);
  corvia::Outcome warned;
  ASSERT_TRUE(cube.poly.ApplySubSymmetry(d4h, -1, &warned));
  EXPECT_TRUE(warned.warnings().empty());
  // The squares now fall in types of 2 and 4.
  const size_t placements = augmentation->GetPlacements().size();
  EXPECT_TRUE(placements == 2 || placements == 4) << placements;
  EXPECT_EQ(augmentation->mAddedModel.get(), added);
  ASSERT_TRUE(augmentation->HasTargets());
  EXPECT_TRUE(augmentation->GetTargets().front()->mFace->mType->mFlags & corvia::kFaceTypeAugmentTarget);
  augmentation->Reset();
  EXPECT_EQ(augmentation->mView, nullptr);
  EXPECT_FALSE(cube.poly.GetFace(0)->mType->mFlags & corvia::kFaceTypeAugmentTarget);
}

// Pyramids on the drilled square bicupola's first face type meet at the centre: their
// triangles blend into quadrilaterals through it, coplanar in pairs of two types.
// Faces through the centre are told apart in their rings by angle alone.
TEST(Augmentation, PyramidsInTheDrilledSquareBicupolaMeetAtTheCentre) {
  corvia::LibraryEntry* entry = corvia::GetLibraryEntry(220);
  ASSERT_NE(entry, nullptr);
  ASSERT_STREQ(entry->mName, "Drilled Square Bicupola");
  std::unique_ptr<corvia::SimplePoly> plain = entry->CreatePoly(false);
  ASSERT_TRUE(plain);
  corvia::Poly poly;
  ASSERT_TRUE(corvia::CreatePoly(*plain, &poly, true, false).done());
  corvia::testing::Platform().messages.QueueAnswer(corvia::platform::kBoxYes);
  std::unique_ptr<corvia::SimplePoly> augmented =
      ta::Augment(poly, poly.mBaseBlock->mFirstFaceType->mFirstFace,
                  corvia::kAugmentPyramid | corvia::kPyramidEqualEdges | corvia::kAugmentSameType);
  ASSERT_TRUE(augmented);
  EXPECT_TRUE(ta::HasBox("Question", "Some coplanar faces share an edge."));
  corvia::Poly built;
  ASSERT_TRUE(corvia::CreatePoly(*augmented, &built, true, false).done());
  EXPECT_EQ(built.mFaces.mCount, 32);
  int throughCentre = 0;
  for (const corvia::PolyElement* f = built.mFaces.mHead; f; f = f->mNext) {
    if (!f->HasFlag(corvia::kElementHemi)) continue;
    ++throughCentre;
    EXPECT_EQ(f->CountCoplanar(), 2);
  }
  EXPECT_EQ(throughCentre, 8);
}

// A band round a hexagon folded flat onto itself: the outer and inner sheets lie on
// each other, and each section's two middle vertices share a point. Augmenting a
// face keeps them apart as the model has them: every edge still joins two faces.
TEST(Augmentation, AFoldedSurfaceKeepsItsVerticesApart) {
  // Uneven, so that no symmetry relates the sheets.
  const double angles[] = {0.0, 0.9, 2.1, 3.0, 4.3, 5.2};
  const double heights[4] = {-1.0, 0.0, 2.0, 0.0};  // bottom, outer middle, top, inner middle
  constexpr int kSections = 6;
  corvia::SimplePoly band(4 * kSections, 4 * kSections);
  for (int i = 0; i < kSections; ++i) {
    for (int k = 0; k < 4; ++k) {
      const double p[3] = {std::cos(angles[i]), heights[k], std::sin(angles[i])};
      band.VertAt(4 * i + k).SetPos(p);
    }
  }
  for (int i = 0; i < kSections; ++i) {
    const int j = (i + 1) % kSections;
    for (int k = 0; k < 4; ++k) {
      corvia::SimpleFace& face = band.FaceAt(4 * i + k);
      face.SetNumVerts(4);
      const int next = (k + 1) % 4;
      const int corners[4] = {4 * i + k, 4 * j + k, 4 * j + next, 4 * i + next};
      for (int c = 0; c < 4; ++c) face.SetVertIndex(c, corners[c]);
    }
  }
  band.CreateVertexFaceLists(true);
  ASSERT_TRUE(band.SimpleSortVertFaces());
  corvia::Poly poly;
  ASSERT_TRUE(corvia::CreatePoly(band, &poly, true, false).done());
  ASSERT_EQ(poly.mVertices.mCount, 4 * kSections);
  // Blending the coplanar sheets is declined.
  corvia::testing::Platform().messages.QueueAnswer(corvia::platform::kBoxNo);
  std::unique_ptr<corvia::SimplePoly> augmented =
      ta::Augment(poly, poly.mFaces.mHead, corvia::kAugmentPyramid | corvia::kPyramidCircumradius);
  ASSERT_TRUE(augmented);
  corvia::Poly built;
  ASSERT_TRUE(corvia::CreatePoly(*augmented, &built, true, false).done());
  EXPECT_EQ(built.mVertices.mCount, 4 * kSections + 1);
  for (int e = 0; e < built.mNumEdges; ++e) {
    EXPECT_TRUE(built.mEdgeArray[e].mFace1 && built.mEdgeArray[e].mFace2) << "edge " << e;
  }
}
