// An order-statistic tree (a treap with subtree counts) over row slots: rank
// of a row, row at a rank and lower bounds are O(log n), so RecNo, bookmark
// comparison, FindKey and Locate on an index never scan. The order is given
// by a comparator over slots that must be a strict total order (callers break
// ties by slot). Nodes live in arrays indexed by slot: 16 bytes per row.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace plat::store {

constexpr uint32_t kNil = 0xFFFFFFFFu;

class OrderTree {
  public:
    // Compare(a, b) < 0 when slot a sorts before slot b.
    using Compare = std::function<int(uint32_t, uint32_t)>;

    explicit OrderTree(Compare cmp) : cmp_(std::move(cmp)) {}

    uint32_t Size() const { return size(root_); }
    void Clear();
    void Insert(uint32_t slot);
    // Removes a slot; it must be in the tree with the key it was inserted with.
    void Erase(uint32_t slot);
    bool Contains(uint32_t slot) const { return slot < in_.size() && in_[slot]; }
    // Position of a slot in the order; -1 when absent.
    int64_t Rank(uint32_t slot) const;
    uint32_t At(uint32_t rank) const;
    // Number of slots that sort before the probe: probeVsSlot(s) > 0 when the
    // probe sorts after slot s.
    template <class F>
    uint32_t LowerBound(F probeVsSlot) const {
        uint32_t t = root_, acc = 0;
        while (t != kNil) {
            if (probeVsSlot(t) > 0) {
                acc += size(l_[t]) + 1;
                t = r_[t];
            } else {
                t = l_[t];
            }
        }
        return acc;
    }
    // Rebuilds the tree from slots already in order, in linear time.
    void BuildSorted(const std::vector<uint32_t>& slots);
    // Every slot in order.
    void InOrder(std::vector<uint32_t>& out) const;

  private:
    uint32_t size(uint32_t t) const { return t == kNil ? 0 : sz_[t]; }
    void update(uint32_t t) { sz_[t] = size(l_[t]) + size(r_[t]) + 1; }
    void ensure(uint32_t slot);
    void split(uint32_t t, uint32_t key, uint32_t& a, uint32_t& b);
    uint32_t merge(uint32_t a, uint32_t b);
    uint32_t insert(uint32_t t, uint32_t s);
    uint32_t erase(uint32_t t, uint32_t s);
    uint32_t nextPriority();

    Compare cmp_;
    uint32_t root_ = kNil;
    std::vector<uint32_t> l_, r_, sz_, pri_;
    std::vector<bool> in_;
    uint64_t seed_ = 0x9E3779B97F4A7C15ull;
};

}  // namespace plat::store
