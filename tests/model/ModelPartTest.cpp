// The holder of a model's parts: one owner per part, deleted once through ModelPart
// whatever the holder knows of its type, moved like a unique pointer, and told of the
// owner's changes through the part's own overrides.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "model/ModelPart.h"

namespace test_ModelPart {

using corvia::AsPart;
using corvia::MakePart;
using corvia::ModelPart;
using corvia::Part;

// A part that writes down its life and the events it hears.
struct Probe : ModelPart {
  Probe(std::vector<int>* log, int id) : log(log), id(id) {}
  ~Probe() override {
    log->push_back(-id);
    if (holder && seen) *seen = holder->get();
  }
  void ModelCleared() override { log->push_back(100 + id); }
  int ColorFaceletsByPart() override { return id; }

  std::vector<int>* log;
  int id;
  // Where it goes: what its holder names as its part at that moment.
  const Part<Probe>* holder = nullptr;
  Probe** seen = nullptr;
};

TEST(ModelPart, APartIsDeletedOnceByItsLastHolder) {
  std::vector<int> log;
  {
    Part<Probe> first = MakePart<Probe>(&log, 1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->id, 1);
    EXPECT_EQ(AsPart(first), static_cast<ModelPart*>(first.get()));
    Part<Probe> second = std::move(first);
    EXPECT_FALSE(first);  // NOLINT: a moved-from holder is empty
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(AsPart(first), nullptr);
    EXPECT_EQ(second->id, 1);
    // Moving onto itself keeps the part.
    Part<Probe>& same = second;
    second = std::move(same);
    ASSERT_TRUE(second);
    EXPECT_TRUE(log.empty());
  }
  EXPECT_EQ(log, std::vector<int>({-1}));
}

TEST(ModelPart, AReplacedPartGoesAfterItsHolderNamesTheNewOne) {
  std::vector<int> log;
  Probe* seen = nullptr;
  Part<Probe> holder = MakePart<Probe>(&log, 1);
  holder->holder = &holder;
  holder->seen = &seen;
  Part<Probe> next = MakePart<Probe>(&log, 2);
  Probe* second = next.get();
  holder = std::move(next);
  EXPECT_EQ(log, std::vector<int>({-1}));
  EXPECT_EQ(seen, second);
  EXPECT_EQ(holder.get(), second);
  // Emptied: the part goes, and the holder is already empty while it goes.
  holder->holder = &holder;
  holder->seen = &seen;
  holder.reset();
  EXPECT_EQ(log, std::vector<int>({-1, -2}));
  EXPECT_EQ(seen, nullptr);
  EXPECT_EQ(holder, nullptr);
  holder.reset();  // an empty holder deletes nothing
  EXPECT_EQ(log.size(), 2u);
}

TEST(ModelPart, EventsReachThePartsOwnOverridesAndTheRestDoNothing) {
  std::vector<int> log;
  Part<Probe> part = MakePart<Probe>(&log, 7);
  ModelPart* events = AsPart(part);
  ASSERT_NE(events, nullptr);
  events->ModelCleared();
  events->FaceTypesCleared();
  events->SelectionCleared();
  events->DrawnPolygonsReset();
  EXPECT_EQ(log, std::vector<int>({107}));
  EXPECT_EQ(events->ColorFaceletsByPart(), 7);
  // A part that is no facet model has no facelets to colour.
  ModelPart plain;
  EXPECT_EQ(plain.ColorFaceletsByPart(), 0);
}

}  // namespace test_ModelPart
