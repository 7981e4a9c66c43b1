#include "core/ListNode.h"

namespace corvia {

ListNode::~ListNode() = default;

void ListNode::Append(ListNode* node, ListNode*& head, ListNode*& tail) {
  node->mNext = nullptr;
  node->mPrev = tail;
  if (tail) {
    tail->mNext = node;
  } else {
    head = node;
  }
  tail = node;
}

void ListNode::Unlink(ListNode* node, ListNode*& head, ListNode*& tail) {
  if (!node->mPrev && head != node) return;  // not in this list
  if (node->mPrev) {
    node->mPrev->mNext = node->mNext;
  } else {
    head = node->mNext;
  }
  if (node->mNext) {
    node->mNext->mPrev = node->mPrev;
  } else {
    tail = node->mPrev;
  }
  node->mNext = nullptr;
  node->mPrev = nullptr;
}

}  // namespace corvia
