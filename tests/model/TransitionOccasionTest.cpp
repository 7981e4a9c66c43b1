#include <gtest/gtest.h>

#include "model/TransitionOccasion.h"

TEST(TransitionOccasionTest, UndoTypesMapOntoTheirOccasions) {
  struct Row {
    int undoType;
    int occasion;
  };
  const Row rows[] = {{0, 6},  {20, 6}, {39, 6}, {40, 6}, {41, 6}, {42, 6}, {43, 6}, {1, 3},  {4, 12},
                      {5, 5},  {6, 7},  {7, 7},  {8, 7},  {11, 8}, {12, 8}, {16, 10}, {17, 9}, {19, 11},
                      {33, 4}};
  for (int undoType = -3; undoType <= 60; ++undoType) {
    int expected = corvia::kNoTransitionOccasion;
    for (const Row& row : rows) {
      if (row.undoType == undoType) expected = row.occasion;
    }
    EXPECT_EQ(corvia::GetTransitionOccasionForUndo(undoType), expected) << "undo type " << undoType;
  }
}
