#pragma once
// The paragraphs of a document in order, each with its height in pixels and
// its number of display lines, either measured (the paragraph is laid out) or
// estimated. Kept in a balanced tree (a treap ordered by position) whose nodes
// hold the sums of their subtrees, so that y <-> paragraph and line <->
// paragraph are answered, and a paragraph changed, inserted or removed, in
// O(log n). Heights are summed in double: exact for any document that fits in
// memory.
#include <cstdint>
#include <functional>
#include <vector>

class HeightTree {
public:
    struct Entry {
        double height = 0; // the gap above the paragraph and its lines
        double gap = 0;    // space above its first line (paragraph margins)
        int lines = 1;
        bool exact = false; // measured by a layout at the current settings
    };

    int size() const { return root_ < 0 ? 0 : nodes_[root_].count; }
    // Replaces the whole sequence (O(n)).
    void assign(const std::vector<Entry> &entries);
    // Replaces count entries from index on with entries.
    void replace(int index, int count, const std::vector<Entry> &entries);
    Entry at(int index) const;
    void set(int index, const Entry &entry);

    double heightBefore(int index) const;      // sum of the heights of entries [0, index)
    std::int64_t linesBefore(int index) const; // sum of the lines of entries [0, index)
    double totalHeight() const { return root_ < 0 ? 0 : nodes_[root_].sumHeight; }
    std::int64_t totalLines() const { return root_ < 0 ? 0 : nodes_[root_].sumLines; }
    int exactCount() const { return root_ < 0 ? 0 : nodes_[root_].exactCount; }

    // The entry that covers y: the last one whose start is at or above y
    // (0 above the first, the last below the end). -1 when empty.
    int indexAtHeight(double y) const;
    // The entry that holds display line `line`, the last one past the end.
    int indexAtLine(std::int64_t line) const;
    // The first entry at or after index that is not exact, or -1.
    int firstEstimatedFrom(int index) const;
    // Calls f with the index of every exact entry, in order.
    void forEachExact(const std::function<void(int)> &f) const;

private:
    struct Node {
        int left = -1, right = -1;
        std::uint32_t priority = 0;
        int count = 1;
        int exactCount = 0;
        std::int64_t sumLines = 0;
        double sumHeight = 0;
        Entry entry;
    };

    int make(const Entry &e);
    void release(int n);
    void pull(int n);
    void split(int n, int leftCount, int &a, int &b);
    int merge(int a, int b);
    int build(const std::vector<Entry> &entries);
    int count(int n) const { return n < 0 ? 0 : nodes_[n].count; }
    template <typename Sum, typename Own> Sum sumBefore(int index, Sum Node::*sum, Own Entry::*own) const;
    template <typename Sum, typename Own> int indexAt(Sum value, Sum Node::*sum, Own Entry::*own) const;
    std::uint32_t nextPriority();

    std::vector<Node> nodes_;
    std::vector<int> free_;
    int root_ = -1;
    std::uint32_t seed_ = 0x9e3779b9u;
};
