#include <gtest/gtest.h>

#include <map>

#include "construction/ModelLookup.h"
#include "model/PolyTemplate.h"
#include "tests/support/FuzzInput.h"
#include "tests/support/TestSupport.h"

namespace test_ModelLookup {

class ModelLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < corvia::kNumLibraryEntries; ++i)
      mSaved[i] = {corvia::gLibraryTable[i].mWenninger, corvia::gLibraryTable[i].mModelsPage};
    corvia::gModelSearchCriteria.Reset();
    corvia::testing::Platform().messages.Clear();
  }
  void TearDown() override {
    for (auto& [i, params] : mSaved) {
      corvia::gLibraryTable[i].mWenninger = params.first;
      corvia::gLibraryTable[i].mModelsPage = params.second;
    }
    corvia::ClearSearchResults();
    corvia::gModelSearchCriteria.Reset();
    corvia::testing::Platform().messages.Clear();
  }
  // The index of the entry the text finds quietly, -1 for none.
  static int Find(const char* text, bool* dual = nullptr) {
    bool recognised = false;
    corvia::LibraryEntry* entry = corvia::LookUpModel(text, &recognised, nullptr, dual, false);
    return entry != nullptr ? entry->GetIndex() : -1;
  }
  // The entry the text finds, keeping the refusal for LastMessage.
  corvia::LibraryEntry* Look(const char* text, bool* recognised = nullptr) {
    mWhy = corvia::Outcome();
    return corvia::LookUpModel(text, recognised, &mWhy, nullptr, false);
  }
  std::string LastMessage() const {
    EXPECT_TRUE(mWhy.done() || mWhy.kind() == corvia::Outcome::Kind::kRefused);
    return mWhy.text();
  }
  corvia::Outcome mWhy;
  std::map<int, std::pair<int, int>> mSaved;
};

}  // namespace test_ModelLookup

namespace corvia {

using test_ModelLookup::ModelLookupTest;

TEST_F(ModelLookupTest, CatalogueIndexes) {
  EXPECT_EQ(Find("u1"), 0);
  EXPECT_EQ(Find("U#1"), 0);
  EXPECT_EQ(Find("m1 "), 0);
  EXPECT_EQ(Find("  m#1"), 0);
  EXPECT_EQ(Find("K6"), 0);
  EXPECT_EQ(Find("#4"), 4);
  EXPECT_EQ(Find("w4"), 4);
  EXPECT_EQ(Find("W41"), 8);
  EXPECT_EQ(Find("U75"), 74);
  EXPECT_EQ(Find("U80"), 82);

  bool recognised = false;
  EXPECT_EQ(Look("U81", &recognised), nullptr);
  EXPECT_TRUE(recognised);
  EXPECT_EQ(LastMessage(), "U81 is not a valid Maeder index.\n(Should be in the range 1-80)");
  EXPECT_EQ(Look("k0", &recognised), nullptr);
  EXPECT_EQ(LastMessage(), "K0 is not a valid Kaleido index.\n(Should be in the range 1-80)");
  EXPECT_EQ(Look("W120", &recognised), nullptr);
  EXPECT_EQ(LastMessage(), "W120 is not a valid Wenninger number.\n(Should be in the range 1-119)");
  // A long run of digits does not wrap round into the valid range.
  EXPECT_EQ(Look("U4294967297", &recognised), nullptr);
  EXPECT_EQ(LastMessage(), "U4294967297 is not a valid Maeder index.\n(Should be in the range 1-80)");
  testing::Platform().messages.Clear();
  Look("U1x", &recognised);
  EXPECT_FALSE(LastMessage().find("Maeder") != std::string::npos);
}

TEST_F(ModelLookupTest, WenningerNumbersIgnoreFamilyParameters) {
  // The pyramid family records hold n = 5 and 7 in the Wenninger word.
  EXPECT_EQ(Find("W5"), 3);
  EXPECT_EQ(Find("W7"), 11);
  ASSERT_TRUE(gLibraryTable[244].CheckParams(70, 1, nullptr) == false);
  gLibraryTable[244].mWenninger = 70;
  EXPECT_EQ(Find("W70"), 57);
}

TEST_F(ModelLookupTest, StellationNumbers) {
  const int32_t* ranges = nullptr;
  ASSERT_EQ(GetWenningerStellationRanges(19, &ranges), 1);
  EXPECT_EQ(ranges[0], 0);
  EXPECT_EQ(ranges[1], 1);
  ASSERT_EQ(GetWenningerStellationRanges(56, &ranges), 7);
  EXPECT_EQ(ranges[12], 34);
  ASSERT_EQ(GetWenningerStellationRanges(66, &ranges), 1);
  EXPECT_EQ(ranges[1], 49);
  EXPECT_EQ(GetWenningerStellationRanges(41, &ranges), 0);
  // Quietly, a stellation number finds nothing.
  EXPECT_EQ(Find("W19"), -1);
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
  // Stellations of unknown base models are refused.
  EXPECT_EQ(Look("W43"), nullptr);
  EXPECT_EQ(LastMessage(), "No base model is known for the stellation W43.");
  // Showing a stellation hands the base model to the document (none here) and finds no
  // model of its own.
  EXPECT_EQ(Look("W19"), nullptr);
  EXPECT_EQ(testing::Platform().messages.CountTitled("Internal Error"), 0);
}

TEST_F(ModelLookupTest, WythoffSymbols) {
  EXPECT_EQ(Find("3|2 4"), 1);
  EXPECT_EQ(Find("4 3 2 |"), 14);
  EXPECT_EQ(Find("| 4 3 2"), 15);
  EXPECT_EQ(Find("3 | 3 2"), 0);
  EXPECT_EQ(Find("2 7/2 | 2"), 87);
  EXPECT_EQ(Find("2 7/3 | 2"), 88);
  EXPECT_EQ(Find("| (3/2) 5/3 (3) 5/2"), 75);
  EXPECT_EQ(Look("1 2 3 4 | 2"), nullptr);
  EXPECT_EQ(LastMessage(), "Invalid Wythoff symbol: too many terms.");
  EXPECT_EQ(Look("2 | 1 2 3 4 5"), nullptr);
  EXPECT_EQ(LastMessage(), "Invalid Wythoff symbol: too many terms.");
  EXPECT_EQ(Look("3/0 | 2 3"), nullptr);
  EXPECT_EQ(LastMessage(), "There is no matching model with that Wythoff symbol.");
  // Numbers too long for a term are refused, never split into two terms, and never
  // multiplied past the range of the comparison.
  for (const char* text : {"7777777777/77777777777777777777 | 2 3", "3 | 2 4444444444", "2 1/99999999999 | 2"}) {
    EXPECT_EQ(Look(text), nullptr) << text;
    EXPECT_EQ(LastMessage(), "Invalid Wythoff symbol: a number has more than nine digits.") << text;
  }
  EXPECT_EQ(Look("999999999/999999998 | 2 3"), nullptr);
  EXPECT_EQ(LastMessage(), "There is no matching model with that Wythoff symbol.");
  // The parametric records' symbols hold "<N>": typed as stored they find their
  // record; a whole number in that place is the record's n.
  EXPECT_EQ(Look("2 <N> | 2"), &gLibraryTable[96]);
  EXPECT_EQ(Find("| 2 <N> 2"), 97);
  EXPECT_EQ(Find("2 | 2 <N>"), -1);
  EXPECT_EQ(Find("2 11 | 2"), 96);
  int n = 0, d = 0;
  gLibraryTable[96].GetParams(n, d);
  EXPECT_EQ(n, 11);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(Find("| 2 13 2"), 97);
  gLibraryTable[97].GetParams(n, d);
  EXPECT_EQ(n, 13);
  // A fixed record comes first; a fraction is no parameter; a refused base finds nothing.
  EXPECT_EQ(Find("2 7 | 2"), 85);
  EXPECT_EQ(Find("2 11/3 | 2"), -1);
  EXPECT_EQ(Look("| 2 2 2"), nullptr);
  EXPECT_EQ(LastMessage(), "Illegal antiprism base");
  ClearSearchResults();
  EXPECT_EQ(LookUpModel("2 5 | 2", nullptr, nullptr, nullptr, true), &gLibraryTable[78]);
  // The pentagonal prism, then the N-gonal prism with n = 5, as for "5.4.4".
  EXPECT_EQ(CountSearchResults(), 2);
  EXPECT_EQ(GetSearchResults()->Next()->mEntry, &gLibraryTable[96]);
}

TEST_F(ModelLookupTest, ConfigurationsAndSymbols) {
  EXPECT_EQ(Find("3.3.3"), 0);
  EXPECT_EQ(Find(" 3, 3 ,3"), 0);
  EXPECT_EQ(Find("(5.5.5.5.5)/2"), 6);
  EXPECT_EQ(Find("7.4.4"), 85);
  EXPECT_EQ(Find("7/2.4.4"), 87);
  EXPECT_EQ(Find("11.4.4"), 96);
  int n = 0, d = 0;
  gLibraryTable[96].GetParams(n, d);
  EXPECT_EQ(n, 11);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(Find("11/3.3.3.3"), 97);
  EXPECT_EQ(gLibraryTable[97].GetVertexConfiguration(), "11/3.3.3.3");
  EXPECT_EQ(Find("j1"), 105);
  EXPECT_EQ(Find("Q+ 5/3"), 260);
  EXPECT_EQ(Find("q' 9/4"), 254);
  // A refused parameter finds nothing.
  EXPECT_EQ(Look("q' 9/3"), nullptr);
  EXPECT_EQ(LastMessage(), "Illegal cuploid base");
  // A number in the placeholder's place is always checked, 0 and 2 included.
  testing::Platform().messages.Clear();
  EXPECT_EQ(Look("0.4.4"), nullptr);
  EXPECT_EQ(LastMessage(), "Illegal prism base");
  EXPECT_EQ(Look("0/0.3.3.3"), nullptr);
  EXPECT_EQ(LastMessage(), "Illegal antiprism base");
  EXPECT_EQ(Look("Y 0"), nullptr);
  EXPECT_EQ(LastMessage(), "Illegal pyramid base");
  EXPECT_EQ(Look("Q+ 0"), nullptr);
  EXPECT_EQ(LastMessage(), "Illegal cupolaic blend base");
  gLibraryTable[96].GetParams(n, d);
  EXPECT_EQ(n, 11);
  // A base larger than the families take is refused at once.
  EXPECT_EQ(Look("100.4.4"), nullptr);
  EXPECT_EQ(LastMessage(), "Prism base must have less than 100 sides");
  EXPECT_EQ(Look("99991.3.3.3"), nullptr);
  EXPECT_EQ(LastMessage(), "Antiprism base must have less than 100 sides");
  EXPECT_EQ(Find("99.3.3.3"), 97);
  // The placeholder typed as it stands finds its record and keeps the parameters.
  EXPECT_EQ(Find("<N>.4.4"), 96);
  gLibraryTable[96].GetParams(n, d);
  EXPECT_EQ(n, 11);
}

// The counts of a nine-digit base pass the range of int: a search by counts judges
// the family member by its true counts, and the base is then refused for its size.
TEST_F(ModelLookupTest, NineDigitBasesAreCountedWithoutOverflow) {
  struct Case {
    const char* text;
    const char* refusal;
  };
  const Case cases[] = {{"715827882.4.4", "Prism base must have less than 100 sides"},
                        {"999999999.4.4", "Prism base must have less than 100 sides"},
                        {"536870912.3.3.3", "Antiprism base must have less than 100 sides"},
                        {"999999999/333333333.3.3.3", "Antiprism base must have less than 100 sides"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // At least a thousand edges: the member matches and its base is refused.
    gModelSearchCriteria.Reset();
    gModelSearchCriteria.mMinEdges = 1000;
    testing::Platform().messages.Clear();
    EXPECT_EQ(Look(c.text), nullptr);
    EXPECT_EQ(LastMessage(), c.refusal);
    // At most a thousand edges, faces or vertices: the member is no match at all.
    for (int32_t ModelSearchCriteria::*bound :
         {&ModelSearchCriteria::mMaxEdges, &ModelSearchCriteria::mMaxFaces, &ModelSearchCriteria::mMaxVerts}) {
      gModelSearchCriteria.Reset();
      gModelSearchCriteria.*bound = 1000;
      testing::Platform().messages.Clear();
      EXPECT_EQ(Look(c.text), nullptr);
      EXPECT_NE(LastMessage(), c.refusal);
    }
  }
}

TEST_F(ModelLookupTest, BlanksRoundTheTextAreIgnored) {
  for (const char* text : {"Cube ", "  Cube", " cube\t", "Hexahedron  ", "4.4.4 ", "3 | 2 4 ", "U6 "}) {
    EXPECT_EQ(Find(text), 1) << "'" << text << "'";
  }
  bool dual = false;
  EXPECT_EQ(Find("Rhombic Dodecahedron  ", &dual), 10);
  EXPECT_TRUE(dual);
  EXPECT_EQ(Find("   "), -1);
}

TEST_F(ModelLookupTest, NamesThatStartWithADigitAreFoundWhole) {
  EXPECT_EQ(Find("5-5-4 Acrohedron"), 207);
  EXPECT_EQ(Find("5-5-4 acrohedron "), 207);
  // A name that starts with a digit is matched whole, never by its initials or a part
  // of it, so configurations never read as names.
  EXPECT_EQ(Find("5-5-4"), -1);
  EXPECT_EQ(Find("5-5-4 A"), -1);
  EXPECT_EQ(Find("3.3.3"), 0);
}

// Every record is found by each of its own texts: its name, its configuration or
// symbol as stored, and its Wythoff symbol.
TEST_F(ModelLookupTest, EveryRecordIsFoundByItsNameConfigurationAndSymbol) {
  for (int i = 0; i < kNumLibraryEntries; ++i) {
    const LibraryEntry& entry = gLibraryTable[i];
    bool dual = true;
    EXPECT_EQ(Find(entry.mName, &dual), i) << "name '" << entry.mName << "'";
    EXPECT_FALSE(dual) << entry.mName;
    if (entry.mConfig[0] != 0 && entry.mConfig[0] != '?') {
      EXPECT_EQ(Find(entry.mConfig), i) << "configuration '" << entry.mConfig << "' of " << entry.mName;
    }
    if (entry.mWythoff[0] != 0) {
      EXPECT_EQ(Find(entry.mWythoff), i) << "symbol '" << entry.mWythoff << "' of " << entry.mName;
    }
    // With find-all the record is among the results of each.
    for (const char* text : {entry.mName, entry.mConfig, entry.mWythoff}) {
      if (text[0] == 0 || text[0] == '?') continue;
      LookUpModel(text, nullptr, nullptr, nullptr, true);
      bool listed = false;
      for (LibraryListNode* node = GetSearchResults(); node != nullptr; node = node->Next())
        listed = listed || (node->mEntry == &entry && !node->mIsDual);
      EXPECT_TRUE(listed) << "'" << text << "' of " << entry.mName;
    }
  }
  EXPECT_EQ(testing::Platform().messages.Boxes().size(), 0u);
}

TEST_F(ModelLookupTest, NamesAbbreviationsAndDuals) {
  EXPECT_EQ(Find("Snub Cube"), 15);
  EXPECT_EQ(Find("snic"), 15);
  EXPECT_EQ(Find("Truncated Icosahedron"), 17);
  EXPECT_EQ(Find("great-dodecahedron"), 6);
  EXPECT_EQ(Find("Pentagonal Orthocupolarotunda"), 136);
  bool dual = false;
  EXPECT_EQ(Find("Rhombic Dodecahedron", &dual), 10);
  EXPECT_TRUE(dual);
  EXPECT_EQ(Find("Octahedron", &dual), 2);
  EXPECT_FALSE(dual);
  EXPECT_EQ(Find("!cube"), -1);
  EXPECT_EQ(Find("-cube"), -1);

  EXPECT_EQ(ParseModelNameAbbrev("cube", "Cube"), 6);
  EXPECT_EQ(ParseModelNameAbbrev("ID", "Icosidodecahedron"), 5);
  EXPECT_EQ(ParseModelNameAbbrev("sc", "Snub Cube"), 5);
  EXPECT_EQ(ParseModelNameAbbrev("s", "Snub Cube"), 3);
  EXPECT_EQ(ParseModelNameAbbrev("GS", "Great Stellated Dodecahedron"), 3);
  EXPECT_EQ(ParseModelNameAbbrev("gsd", "Great Stellated Dodecahedron"), 5);
  EXPECT_EQ(ParseModelNameAbbrev("ci", "Small Complex Icosidodecahedron, Type I"), 0);
  EXPECT_EQ(ParseModelNameAbbrev("sci,ti", "Small Complex Icosidodecahedron, Type I"), 4);
  EXPECT_EQ(ParseModelNameAbbrev("scid,ti", "Small Complex Icosidodecahedron, Type I"), 5);
  EXPECT_EQ(ParseModelNameAbbrev("hedr", "Tetrahedron"), 1);
  EXPECT_EQ(ParseModelNameAbbrev("Oct", "Cube; Oct"), 6);
  EXPECT_EQ(ParseModelNameAbbrev("x", ""), 0);
  EXPECT_EQ(ParseModelNameAbbrev("x", nullptr), 0);
}

TEST_F(ModelLookupTest, FindAllKeepsResultsInScoreOrder) {
  bool dual = true;
  LibraryEntry* entry = LookUpModel("Cube", nullptr, nullptr, &dual, true);
  EXPECT_EQ(entry, &gLibraryTable[1]);
  EXPECT_FALSE(dual);
  ASSERT_NE(GetSearchResults(), nullptr);
  EXPECT_EQ(GetCurrentSearchResult(), GetSearchResults());
  for (LibraryListNode* node = GetSearchResults(); node != nullptr; node = node->Next()) EXPECT_EQ(node->mScore, -1);
  // The octahedron's dual is not listed apart (a Platonic solid).
  for (LibraryListNode* node = GetSearchResults(); node != nullptr; node = node->Next())
    EXPECT_FALSE(node->mEntry == &gLibraryTable[2] && node->mIsDual);
  EXPECT_EQ(GetCategoryModel(0, 0, true), &gLibraryTable[1]);
  EXPECT_EQ(GetCurrentSearchResult(), GetSearchResults());

  // Counts alone: every entry and dual within them.
  gModelSearchCriteria.mMinVerts = 100;
  gModelSearchCriteria.mMaxFaces = 70;
  entry = LookUpModel("", nullptr, nullptr, &dual, true);
  ASSERT_NE(entry, nullptr);
  for (LibraryListNode* node = GetSearchResults(); node != nullptr; node = node->Next()) {
    if (node->mEntry->IsParametric()) continue;
    EXPECT_GE(node->mEntry->GetNumVerts(node->mIsDual), 100);
    EXPECT_LE(node->mEntry->GetNumFaces(node->mIsDual), 70);
  }
  gModelSearchCriteria.mMaxFaces = 3;  // no polyhedron: not usable
  EXPECT_EQ(LookUpModel("Cube", nullptr, nullptr, nullptr, true), nullptr);
  EXPECT_EQ(GetSearchResults(), nullptr);
}

TEST_F(ModelLookupTest, InsertingKeepsDescendingScores) {
  InsertSearchResult(&gLibraryTable[0], false, 10);
  InsertSearchResult(&gLibraryTable[1], false, 30);
  InsertSearchResult(&gLibraryTable[2], false, 20);
  AppendSearchResult(&gLibraryTable[3], false);
  InsertSearchResult(&gLibraryTable[4], false, 40);
  std::vector<int> order;
  for (LibraryListNode* node = GetSearchResults(); node != nullptr; node = node->Next())
    order.push_back(node->mEntry->GetIndex());
  // An appended node (score -1) stops the walk: later nodes go after it.
  EXPECT_EQ(order, (std::vector<int>{1, 2, 0, 3, 4}));
  EXPECT_EQ(GetCurrentSearchResult()->mEntry, &gLibraryTable[1]);
  ClearSearchResults();
  EXPECT_EQ(GetCurrentSearchResult(), nullptr);
}

TEST_F(ModelLookupTest, SteppingWrapsAndPassesOverParametricEntries) {
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[0], nullptr, 1), &gLibraryTable[1]);
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[0], nullptr, -1), &gLibraryTable[262]);
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[262], nullptr, 1), &gLibraryTable[0]);
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[95], nullptr, 1), &gLibraryTable[98]);
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[98], nullptr, -1), &gLibraryTable[95]);
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[243], nullptr, 1), &gLibraryTable[245]);
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[10], nullptr, 5), &gLibraryTable[15]);
  // Steps longer than the table still land inside it.
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[0], nullptr, 2 * 264 + 1), &gLibraryTable[1]);
  EXPECT_EQ(StepLibraryModel(&gLibraryTable[1], nullptr, -3 * 264 - 1), &gLibraryTable[0]);
  EXPECT_EQ(StepLibraryModel(nullptr, nullptr, 1), nullptr);
  PolyTemplate noEntry;
  EXPECT_EQ(StepLibraryModel(nullptr, &noEntry, 1), nullptr);
  noEntry.mEntry = &gLibraryTable[4];
  EXPECT_EQ(StepLibraryModel(nullptr, &noEntry, 1), &gLibraryTable[5]);
  EXPECT_EQ(GetNumLibraryEntries(), 264);
}

TEST_F(ModelLookupTest, CreateLibraryModelWithoutAsking) {
  EXPECT_FALSE(CreateLibraryModel(nullptr, nullptr, false));
  EXPECT_TRUE(CreateLibraryModel(&gLibraryTable[0], nullptr, false));
  EXPECT_TRUE(CreateLibraryModel(&gLibraryTable[96], nullptr, false));
  int n = 0, d = 0;
  gLibraryTable[96].GetParams(n, d);
  EXPECT_EQ(n, 5);
  ASSERT_TRUE(gLibraryTable[97].CheckParams(9, 1, nullptr));
  EXPECT_TRUE(CreateLibraryModel(&gLibraryTable[96], &gLibraryTable[97], false));
  gLibraryTable[96].GetParams(n, d);
  EXPECT_EQ(n, 9);
  // The cuploid needs an even d: its own stored base is offered.
  EXPECT_TRUE(CreateLibraryModel(&gLibraryTable[254], &gLibraryTable[254], false));
  EXPECT_FALSE(CreateLibraryModel(&gLibraryTable[254], nullptr, false));
}

TEST_F(ModelLookupTest, FindLibraryEntryByTextOfEntryOrNone) {
  int n = 0, d = 0;
  EXPECT_EQ(FindLibraryEntryByText(&gLibraryTable[7], nullptr, &n, &d), 7);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(d, -1);
  EXPECT_EQ(FindLibraryEntryByText(nullptr, nullptr, &n, &d), -1);
}

TEST_F(ModelLookupTest, TypedTextsFindAnEntryOrSayWhyOnce) {
  // Random texts of the pieces people type into the model box: numbers short and far
  // too long, fractions, bars, brackets, the placeholder, configuration dots, names
  // and stray bytes. The lookup, and the configuration parser the document tries
  // after it, each find something or say why in one box at most, never an internal
  // error; an entry found is one of the library's and is found again by its name.
  constexpr uint32_t kSeed = 20260801;
  constexpr int kRounds = 400;
  const char* const pieces[] = {"3", "4", "5/2", "7/3", "0", "2", "12", "99999999999", "4294967297", "|", " | ",
                                "/", "(", ")", "<N>", ".", ",", " ", "U", "K", "u#", "*", "cube", "Snub ",
                                "dodecahedron", "3.4.3.4", "\xC3\xA9", "\xFF", "-", "!", "^", "e", "1e3"};
  for (int round = 0; round < kRounds; ++round) {
    std::mt19937 random = corvia::testing::RoundRandom(kSeed, round);
    std::string text;
    const int count = 1 + corvia::testing::Below(random, 8);
    for (int i = 0; i < count; ++i) text += pieces[corvia::testing::Below(random, int(std::size(pieces)))];
    const std::string where = corvia::testing::RoundName("typed", kSeed, round) + ": " + text;
    auto& messages = corvia::testing::Platform().messages;
    messages.Clear();
    bool recognised = false;
    corvia::LibraryEntry* entry = Look(text.c_str(), &recognised);
    EXPECT_LE(messages.Boxes().size(), 1u) << where;
    if (entry) {
      ASSERT_GE(entry->GetIndex(), 0) << where;
      ASSERT_LT(entry->GetIndex(), corvia::kNumLibraryEntries) << where;
      if (entry->mName && !entry->IsParametric()) {
        EXPECT_GE(Find(entry->mName), 0) << where;
      }
    }
    messages.Clear();
    corvia::PolyTemplate parsed;
    Outcome why;
    parsed.Parse(text.c_str(), &why);
    EXPECT_TRUE(why.done() || !why.text().empty()) << where;
    EXPECT_LE(messages.Boxes().size(), 1u) << where;
  }
}

}  // namespace corvia

namespace corvia {
// The polyhedron list finds models by their vertex configuration, as typed in any
// rotation or reflection.
TEST_F(ModelLookupTest, TheListFindsModelsByVertexConfiguration) {
  for (const char* text : {"3.4.3.4", "4.6.8", "4.3.4.3", "8.6.4", "3.3.3.3.3"}) {
    SCOPED_TRACE(text);
    bool recognised = false, dual = false;
    Outcome why;
    LibraryEntry* found = LookUpModel(text, &recognised, &why, &dual, true);
    EXPECT_TRUE(why.done());
    EXPECT_NE(found, nullptr);
    EXPECT_GE(CountSearchResults(), 1);
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  }
}
}  // namespace corvia
