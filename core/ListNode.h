#pragma once
// The common base of the intrusive doubly linked lists that hold model records, font
// set-ups, faceting planes, images and faceting elements. A node sits in at most one
// list at a time; the list itself is just a head and a tail pointer kept by the owner,
// so that a node can leave its list in constant time without any search.

namespace corvia {

class ListNode {
 public:
  ListNode() = default;
  ListNode(const ListNode&) = delete;
  ListNode& operator=(const ListNode&) = delete;
  virtual ~ListNode();

  // Links the node at the tail of the list given by head and tail: the node's next
  // becomes null and its previous the old tail; the old tail's next (for an empty list
  // the head) becomes the node, and the tail the node.
  static void Append(ListNode* node, ListNode*& head, ListNode*& tail);

  // Takes the node out of the list given by head and tail and clears its links. A node
  // that is not linked (no neighbours and not the head) leaves the list as it is.
  static void Unlink(ListNode* node, ListNode*& head, ListNode*& tail);

  ListNode* mNext = nullptr;
  ListNode* mPrev = nullptr;
};

}  // namespace corvia
