#include "support/receipt/ReceiptFormDouble.h"

namespace ktrb::test {

ReceiptFormDouble::ReceiptFormDouble() {
    for (int i = 0; i <= 12; ++i) lookupTexts.push_back("L" + std::to_string(i));
}

ReceiptFormDouble::~ReceiptFormDouble() {
    BeginDestroy();
}

std::string ReceiptFormDouble::LookupTextLine(int index) const {
    return index >= 0 && index < (int)lookupTexts.size() ? lookupTexts[index] : std::string();
}

}  // namespace ktrb::test
