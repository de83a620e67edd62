#include "platform/data/ostree.h"

#include "platform/core/exceptions.h"

namespace plat::store {

void OrderTree::Clear() {
    root_ = kNil;
    l_.clear();
    r_.clear();
    sz_.clear();
    pri_.clear();
    in_.clear();
}

void OrderTree::ensure(uint32_t slot) {
    if (slot < l_.size()) return;
    size_t n = std::max<size_t>(slot + 1, l_.size() * 3 / 2 + 16);
    l_.resize(n, kNil);
    r_.resize(n, kNil);
    sz_.resize(n, 0);
    pri_.resize(n, 0);
    in_.resize(n, false);
}

uint32_t OrderTree::nextPriority() {
    seed_ ^= seed_ << 13;
    seed_ ^= seed_ >> 7;
    seed_ ^= seed_ << 17;
    return (uint32_t)(seed_ >> 16);
}

void OrderTree::split(uint32_t t, uint32_t key, uint32_t& a, uint32_t& b) {
    if (t == kNil) {
        a = b = kNil;
    } else if (cmp_(t, key) < 0) {
        split(r_[t], key, r_[t], b);
        a = t;
        update(t);
    } else {
        split(l_[t], key, a, l_[t]);
        b = t;
        update(t);
    }
}

uint32_t OrderTree::merge(uint32_t a, uint32_t b) {
    if (a == kNil) return b;
    if (b == kNil) return a;
    if (pri_[a] > pri_[b]) {
        r_[a] = merge(r_[a], b);
        update(a);
        return a;
    }
    l_[b] = merge(a, l_[b]);
    update(b);
    return b;
}

uint32_t OrderTree::insert(uint32_t t, uint32_t s) {
    if (t == kNil) return s;
    if (pri_[s] > pri_[t]) {
        split(t, s, l_[s], r_[s]);
        update(s);
        return s;
    }
    if (cmp_(s, t) < 0)
        l_[t] = insert(l_[t], s);
    else
        r_[t] = insert(r_[t], s);
    update(t);
    return t;
}

void OrderTree::Insert(uint32_t slot) {
    ensure(slot);
    if (in_[slot]) throw EInternalError("Row is already in the index");
    l_[slot] = r_[slot] = kNil;
    sz_[slot] = 1;
    pri_[slot] = nextPriority();
    in_[slot] = true;
    root_ = insert(root_, slot);
}

uint32_t OrderTree::erase(uint32_t t, uint32_t s) {
    if (t == kNil) throw EInternalError("Row is not in the index");
    if (t == s) return merge(l_[t], r_[t]);
    if (cmp_(s, t) < 0)
        l_[t] = erase(l_[t], s);
    else
        r_[t] = erase(r_[t], s);
    update(t);
    return t;
}

void OrderTree::Erase(uint32_t slot) {
    if (!Contains(slot)) throw EInternalError("Row is not in the index");
    root_ = erase(root_, slot);
    in_[slot] = false;
}

int64_t OrderTree::Rank(uint32_t slot) const {
    if (!Contains(slot)) return -1;
    uint32_t t = root_;
    int64_t acc = 0;
    while (t != kNil) {
        if (t == slot) return acc + size(l_[t]);
        if (cmp_(slot, t) < 0) {
            t = l_[t];
        } else {
            acc += size(l_[t]) + 1;
            t = r_[t];
        }
    }
    return -1;
}

uint32_t OrderTree::At(uint32_t rank) const {
    uint32_t t = root_;
    while (t != kNil) {
        uint32_t ls = size(l_[t]);
        if (rank < ls) {
            t = l_[t];
        } else if (rank == ls) {
            return t;
        } else {
            rank -= ls + 1;
            t = r_[t];
        }
    }
    return kNil;
}

void OrderTree::BuildSorted(const std::vector<uint32_t>& slots) {
    for (uint32_t s : slots) ensure(s);
    std::fill(in_.begin(), in_.end(), false);
    root_ = kNil;
    // Cartesian-tree construction: a stack of the right spine.
    std::vector<uint32_t> spine;
    spine.reserve(64);
    for (uint32_t s : slots) {
        l_[s] = r_[s] = kNil;
        pri_[s] = nextPriority();
        in_[s] = true;
        uint32_t last = kNil;
        while (!spine.empty() && pri_[spine.back()] < pri_[s]) {
            last = spine.back();
            spine.pop_back();
        }
        l_[s] = last;
        if (!spine.empty()) r_[spine.back()] = s;
        spine.push_back(s);
    }
    if (!spine.empty()) root_ = spine.front();
    // Sizes bottom-up by a post-order walk.
    std::vector<std::pair<uint32_t, bool>> stack;
    if (root_ != kNil) stack.push_back({root_, false});
    while (!stack.empty()) {
        auto [t, done] = stack.back();
        stack.pop_back();
        if (done) {
            update(t);
            continue;
        }
        stack.push_back({t, true});
        if (l_[t] != kNil) stack.push_back({l_[t], false});
        if (r_[t] != kNil) stack.push_back({r_[t], false});
    }
}

void OrderTree::InOrder(std::vector<uint32_t>& out) const {
    std::vector<uint32_t> stack;
    uint32_t t = root_;
    while (t != kNil || !stack.empty()) {
        while (t != kNil) {
            stack.push_back(t);
            t = l_[t];
        }
        t = stack.back();
        stack.pop_back();
        out.push_back(t);
        t = r_[t];
    }
}

}  // namespace plat::store
