#include "dataframe/KnlDouble.h"

#include <array>
#include <cmath>
#include <string>

#include "dataframe/knlRadical.h"
#include "platform/core/numbers.h"

namespace ktrb {

namespace {

constexpr int kResidueCount = 4;

double ResidueValue(const plat::Variant& v) {
    if (v.IsEmptyOrNull()) return 0;
    if (v.IsText()) return plat::StrToFloatDef(v.AsString(), 0);
    try {
        return v.AsFloat();
    } catch (const plat::Exception&) {
        return 0;
    }
}

// A residue keeps the kind it came in: a text stays a text.
plat::Variant ResidueLike(const plat::Variant& was, double value) {
    if (was.IsText()) return plat::Variant(plat::FloatToStr(value));
    return plat::Variant(value);
}

// A field written as the routine's own: no validation, ReadOnly lifted.
class TFieldUnguarded {
  public:
    explicit TFieldUnguarded(plat::TField* f)
        : f_(f), validate_(f->OnValidate), readOnly_(f->ReadOnly()) {
        f_->OnValidate = {};
        f_->SetReadOnly(false);
    }
    ~TFieldUnguarded() {
        f_->OnValidate = validate_;
        f_->SetReadOnly(readOnly_);
    }
    TFieldUnguarded(const TFieldUnguarded&) = delete;
    TFieldUnguarded& operator=(const TFieldUnguarded&) = delete;

  private:
    plat::TField* f_;
    plat::TFieldNotifyEvent validate_;
    bool readOnly_;
};

// The line whose value of the field is largest in absolute value; the first
// on ties.
plat::TBookmark LargestLine(plat::TDataSet* dataSet, const plat::TField* field) {
    plat::TBookmark best;
    double bestAbs = -1;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
        const double a = std::fabs(field->AsFloat());
        if (a > bestAbs) {
            bestAbs = a;
            best = dataSet->GetBookmark();
        }
    }
    return best;
}

}  // namespace

bool Tailfix(plat::TDataSet* dataSet, plat::Variant& residues, const plat::Variant& fieldNames) {
    std::array<double, kResidueCount> residue{};
    std::array<plat::TField*, kResidueCount> field{};
    for (int i = 0; i < kResidueCount; ++i) residue[i] = ResidueValue(residues[i]);
    auto allPlaced = [&] {
        for (double r : residue)
            if (r != 0) return false;
        return true;
    };
    auto writeBack = [&] {
        for (int i = 0; i < kResidueCount; ++i) residues[i] = ResidueLike(residues[i], residue[i]);
    };

    if (dataSet->State() == plat::dsEdit || dataSet->State() == plat::dsInsert) dataSet->Post();
    const int lines = dataSet->RecordCount();
    // Without lines there is nowhere to put a residue; an edit of an empty set
    // would insert a line made of residues.
    if (lines == 0) return allPlaced();
    for (int i = 0; i < kResidueCount; ++i)
        if (residue[i] != 0) field[i] = dataSet->FieldByName(fieldNames[i].AsString());

    TControlsDisabled controls(dataSet);
    for (int pass = 0; pass <= lines && !allPlaced(); ++pass) {
        int first = 0;
        while (residue[first] == 0) ++first;
        dataSet->GotoBookmark(LargestLine(dataSet, field[first]));
        for (int g = 0; g < kResidueCount; ++g) {
            if (residue[g] == 0) continue;
            if (dataSet->State() != plat::dsEdit) dataSet->Edit();
            TFieldUnguarded unguarded(field[g]);
            const double old = field[g]->AsFloat();
            const double now = old + residue[g];
            if (now * old >= 0) {
                field[g]->SetAsFloat(now);
                residue[g] = 0;
            } else {
                field[g]->SetAsFloat(0);
                residue[g] = now;
            }
        }
        if (dataSet->State() == plat::dsEdit) dataSet->Post();
        writeBack();
    }
    writeBack();
    return allPlaced();
}

bool Tailfix(plat::TDataSet* dataSet, plat::TDataSource* dataSource, plat::Variant& residues,
             const plat::Variant& fieldNames) {
    return Tailfix(dataSet, residues, fieldNames);
}

}  // namespace ktrb
