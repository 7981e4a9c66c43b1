#include "model/ModelRecord.h"

namespace corvia {

ModelRecordItem::~ModelRecordItem() = default;

ModelRecord::ModelRecord(ListNode*& head, ListNode*& tail) : mListHead(&head), mListTail(&tail) {
  ListNode::Append(this, head, tail);
}

void ModelRecord::MoveToList(ListNode*& head, ListNode*& tail) noexcept {
  ListNode::Unlink(this, *mListHead, *mListTail);
  ListNode::Append(this, head, tail);
  mListHead = &head;
  mListTail = &tail;
}

ModelRecord::~ModelRecord() {
  // A record deleted while still linked would leave the list pointing at freed memory.
  ListNode::Unlink(this, *mListHead, *mListTail);
  while (mItems) {
    ModelRecordItem* next = mItems->mNext;
    delete mItems;
    mItems = next;
  }
}

}  // namespace corvia
