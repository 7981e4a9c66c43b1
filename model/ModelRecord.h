#pragma once
// A model the document keeps (the current one, the one before a transition, ...), in
// the document's list of records; and the counted array header of fixed-size records
// used by the face-type blocks and faceting.

#include <cstdint>
#include <string>

#include "core/ListNode.h"
#include "model/Poly.h"

namespace corvia {

// A view state stored with a record; the document gives the fields their roles.
struct ModelViewRecord {
  int32_t mFirst = -1;
  int32_t mSecond = 0;
  int32_t mThird = 0;
  double mLast = 1.0;
};

// A record of the owned chain that a model record carries.
class ModelRecordItem {
 public:
  ModelRecordItem() = default;
  ModelRecordItem(const ModelRecordItem&) = delete;
  ModelRecordItem& operator=(const ModelRecordItem&) = delete;
  virtual ~ModelRecordItem();
  ModelRecordItem* mNext = nullptr;
};

constexpr int kNumModelViewRecords = 6;

class ModelRecord : public ListNode {
 public:
  // Appends the record to the document's list given by head and tail.
  ModelRecord(ListNode*& head, ListNode*& tail);
  // Leaves the list it was appended to, then frees what it owns.
  ~ModelRecord() override;
  // Leaves its list for the tail of another (which its destructor then leaves).
  void MoveToList(ListNode*& head, ListNode*& tail) noexcept;

  int32_t mWord = 0;
  Poly mPoly;
  std::string mText1;
  std::string mText2;
  ModelViewRecord mViews[kNumModelViewRecords];
  ModelRecordItem* mItems = nullptr;
  double mValues[4] = {0.5, 0.5, 1.0, 0.5};
  double mMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

 private:
  ListNode** mListHead;
  ListNode** mListTail;
};

// Count and array of fixed-size records, and two further words; all zero when empty.
template <typename Record>
struct RecordArray {
  int32_t mCount = 0;
  Record* mRecords = nullptr;
  int32_t mWord1 = 0;
  int32_t mWord2 = 0;

  RecordArray() = default;
  RecordArray(const RecordArray&) = delete;
  RecordArray& operator=(const RecordArray&) = delete;
  ~RecordArray() { Clear(); }

  void Init() {
    mCount = 0;
    mRecords = nullptr;
    mWord1 = mWord2 = 0;
  }
  // Destroys the records and frees the array.
  void Clear() {
    delete[] mRecords;
    Init();
  }
  // Replaces the contents by count default records.
  Record* Allocate(int32_t count) {
    Clear();
    if (count <= 0) return nullptr;
    mRecords = new Record[count]();
    mCount = count;
    return mRecords;
  }
};

}  // namespace corvia
