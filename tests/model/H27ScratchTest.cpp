#include <gtest/gtest.h>
#include <cstdio>
#include <map>
#include "construction/PolyTemplate.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "tests/support/TestSupport.h"
TEST(H27Scratch, Snub) {
  corvia::testing::ExpectInternalErrors();
  corvia::PolyTemplate t;
  ASSERT_TRUE(t.Parse("3.3.3.3.4", false));
  const corvia::TemplatePolygon* p = t.GetHead();
  for (int i = 0; i < t.mValence; ++i, p = p->mNext) std::printf("poly %d: %d id %x\n", i, p->mSides, p->mId);
  for (auto* q = t.mNextToTry; q; q = q->mNextToTry) std::printf("next %d\n", q->GetIndex());
  for (auto* q = t.mPrevToTry; q; q = q->mPrevToTry) std::printf("prev %d\n", q->GetIndex());
  corvia::Poly poly;
  ASSERT_TRUE(poly.Build(&t, 0));
  std::map<uint32_t, int> ids;
  for (auto* f = poly.mFaces.mHead; f; f = f->mNext) ids[f->mIdFlags]++;
  for (auto& [k, v] : ids) std::printf("face id %x: %d\n", k, v);
}
