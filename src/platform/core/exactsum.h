// A sum of floats kept exactly in decimal: each value is taken at its
// shortest round-trip decimal text (the number a user typed), so adding and
// taking away values in any order leaves the same total, and the total reads
// back as the float nearest to the exact decimal sum.
#pragma once
#include <cstdint>
#include <vector>

namespace plat {

class TExactSum {
  public:
    void Add(double v) { add(v, false); }
    void Subtract(double v) { add(v, true); }
    void Clear() { *this = TExactSum(); }
    double Value() const;

  private:
    void add(double v, bool negate);
    void rescale(int scale);

    // The sum is (negative_ ? -1 : 1) * magnitude_ * 10^-scale_; magnitude_
    // in base 10^9 limbs, least significant first, no leading zero limb.
    std::vector<uint32_t> magnitude_;
    bool negative_ = false;
    int scale_ = 0;
    // Values that are no numbers: infinities on either side and NaNs.
    int64_t plusInf_ = 0, minusInf_ = 0, nan_ = 0;
};

}  // namespace plat
