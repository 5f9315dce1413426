#include "editor/heighttree.h"

#include <algorithm>

std::uint32_t HeightTree::nextPriority() {
    // xorshift32: cheap, and enough to keep the treap balanced
    seed_ ^= seed_ << 13;
    seed_ ^= seed_ >> 17;
    seed_ ^= seed_ << 5;
    return seed_;
}

int HeightTree::make(const Entry &e) {
    int n;
    if (!free_.empty()) {
        n = free_.back();
        free_.pop_back();
        nodes_[n] = Node{};
    } else {
        n = int(nodes_.size());
        nodes_.emplace_back();
    }
    nodes_[n].priority = nextPriority();
    nodes_[n].entry = e;
    pull(n);
    return n;
}

void HeightTree::release(int n) {
    if (n < 0)
        return;
    // iterative, so that a whole tree goes without deep recursion
    std::vector<int> stack{n};
    while (!stack.empty()) {
        const int k = stack.back();
        stack.pop_back();
        if (nodes_[k].left >= 0)
            stack.push_back(nodes_[k].left);
        if (nodes_[k].right >= 0)
            stack.push_back(nodes_[k].right);
        free_.push_back(k);
    }
}

void HeightTree::pull(int n) {
    Node &x = nodes_[n];
    x.count = 1;
    x.exactCount = x.entry.exact ? 1 : 0;
    x.sumLines = x.entry.lines;
    x.sumHeight = x.entry.height;
    for (const int c : {x.left, x.right}) {
        if (c < 0)
            continue;
        const Node &y = nodes_[c];
        x.count += y.count;
        x.exactCount += y.exactCount;
        x.sumLines += y.sumLines;
        x.sumHeight += y.sumHeight;
    }
}

void HeightTree::split(int n, int leftCount, int &a, int &b) {
    if (n < 0) {
        a = b = -1;
        return;
    }
    if (count(nodes_[n].left) < leftCount) {
        int r;
        split(nodes_[n].right, leftCount - count(nodes_[n].left) - 1, r, b);
        nodes_[n].right = r;
        a = n;
    } else {
        int l;
        split(nodes_[n].left, leftCount, a, l);
        nodes_[n].left = l;
        b = n;
    }
    pull(n);
}

int HeightTree::merge(int a, int b) {
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    if (nodes_[a].priority > nodes_[b].priority) {
        nodes_[a].right = merge(nodes_[a].right, b);
        pull(a);
        return a;
    }
    nodes_[b].left = merge(a, nodes_[b].left);
    pull(b);
    return b;
}

// Cartesian-tree construction on a stack: O(n) for a sequence in order.
int HeightTree::build(const std::vector<Entry> &entries) {
    std::vector<int> spine;
    for (const Entry &e : entries) {
        const int n = make(e);
        int last = -1;
        while (!spine.empty() && nodes_[spine.back()].priority < nodes_[n].priority) {
            last = spine.back();
            spine.pop_back();
            pull(last);
        }
        nodes_[n].left = last;
        if (!spine.empty())
            nodes_[spine.back()].right = n;
        spine.push_back(n);
    }
    const int root = spine.empty() ? -1 : spine.front();
    while (!spine.empty()) {
        pull(spine.back());
        spine.pop_back();
    }
    return root;
}

void HeightTree::assign(const std::vector<Entry> &entries) {
    nodes_.clear();
    free_.clear();
    nodes_.reserve(entries.size() + entries.size() / 4 + 64); // room to grow without a copy of them all
    root_ = build(entries);
}

void HeightTree::replace(int index, int count, const std::vector<Entry> &entries) {
    int a, b, c;
    split(root_, index, a, b);
    int middle;
    split(b, count, middle, c);
    release(middle);
    root_ = merge(merge(a, build(entries)), c);
}

HeightTree::Entry HeightTree::at(int index) const {
    int n = root_;
    while (n >= 0) {
        const int l = count(nodes_[n].left);
        if (index < l)
            n = nodes_[n].left;
        else if (index == l)
            return nodes_[n].entry;
        else {
            index -= l + 1;
            n = nodes_[n].right;
        }
    }
    return {};
}

void HeightTree::set(int index, const Entry &entry) {
    std::vector<int> path;
    int n = root_;
    while (n >= 0) {
        path.push_back(n);
        const int l = count(nodes_[n].left);
        if (index < l)
            n = nodes_[n].left;
        else if (index == l) {
            nodes_[n].entry = entry;
            break;
        } else {
            index -= l + 1;
            n = nodes_[n].right;
        }
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        pull(*it);
}

// The sum of one measure (height or lines) over the entries before index.
template <typename Sum, typename Own>
Sum HeightTree::sumBefore(int index, Sum Node::*sum, Own Entry::*own) const {
    Sum total = 0;
    int n = root_;
    while (n >= 0) {
        const Node &x = nodes_[n];
        const int l = count(x.left);
        if (index <= l) {
            n = x.left;
        } else {
            if (x.left >= 0)
                total += nodes_[x.left].*sum;
            total += x.entry.*own;
            index -= l + 1;
            n = x.right;
        }
    }
    return total;
}

// The entry whose span of that measure covers value: the last one when past the end.
template <typename Sum, typename Own>
int HeightTree::indexAt(Sum value, Sum Node::*sum, Own Entry::*own) const {
    if (root_ < 0)
        return -1;
    int index = 0;
    int n = root_;
    while (n >= 0) {
        const Node &x = nodes_[n];
        const Sum leftSum = x.left >= 0 ? nodes_[x.left].*sum : 0;
        if (value < leftSum) {
            n = x.left;
        } else if (value < leftSum + x.entry.*own || x.right < 0) {
            return index + count(x.left);
        } else {
            value -= leftSum + x.entry.*own;
            index += count(x.left) + 1;
            n = x.right;
        }
    }
    return std::min(index, size() - 1);
}

double HeightTree::heightBefore(int index) const { return sumBefore(index, &Node::sumHeight, &Entry::height); }
std::int64_t HeightTree::linesBefore(int index) const { return sumBefore(index, &Node::sumLines, &Entry::lines); }
int HeightTree::indexAtHeight(double y) const { return indexAt(y, &Node::sumHeight, &Entry::height); }
int HeightTree::indexAtLine(std::int64_t line) const { return indexAt(line, &Node::sumLines, &Entry::lines); }

int HeightTree::firstEstimatedFrom(int index) const {
    // Walk down keeping to subtrees that hold an estimated entry at or after index.
    std::function<int(int, int, int)> find = [&](int n, int offset, int from) -> int {
        if (n < 0)
            return -1;
        const Node &x = nodes_[n];
        if (x.exactCount == x.count || offset + x.count <= from)
            return -1;
        const int here = offset + count(x.left);
        if (from < here)
            if (const int r = find(x.left, offset, from); r >= 0)
                return r;
        if (here >= from && !x.entry.exact)
            return here;
        return find(x.right, here + 1, from);
    };
    return find(root_, 0, std::max(index, 0));
}

void HeightTree::forEachExact(const std::function<void(int)> &f) const {
    std::function<void(int, int)> walk = [&](int n, int offset) {
        if (n < 0 || nodes_[n].exactCount == 0)
            return;
        const Node &x = nodes_[n];
        walk(x.left, offset);
        const int here = offset + count(x.left);
        if (x.entry.exact)
            f(here);
        walk(x.right, here + 1);
    };
    walk(root_, 0);
}
