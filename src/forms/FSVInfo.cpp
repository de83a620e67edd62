#include "forms/FSVInfo.h"

#include <algorithm>
#include <cmath>

#include "controls/WindowDesign.h"
#include "forms/RadicalCF.h"
#include "platform/core/text.h"
#include "platform/system/desktop.h"
#include "platform/system/files.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/grids.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using namespace plat;

namespace {

struct Column {
    const char* title;
    int width;
};
const Column kColumns[] = {{"序号", 37},       {"关号", 37},       {"支号", 37},
                           {"流程角色", 69},   {"要求时间", 69},   {"签核时间", 69},
                           {"签核状态", 69},   {"收件者编号", 85}, {"收件者", 53},
                           {"签核者编号", 85}, {"签核者", 53}};

// Pixels a text of this many characters needs in its column.
int TextPixels(const std::string& text) {
    return TextWidth(text) * 8 + 5;
}

using F = TfrmSVInfo;
using design::Field;

const design::Item kMenu[] = {
    {"PopupMenu1", Field<&F::PopupMenu1>},
    {"N1", Field<&F::N1>, "PopupMenu1", "存成文字档", -1, design::On<&F::N1Click>},
};

const design::Control kControls[] = {
    {"Panel1", Field<&F::Panel1>, "", {0, 0, 0, 53}, "", TAlign::alBottom},
    {"btnOK", Field<&F::btnOK>, "Panel1", {256, 14, 75, 25}, "确定"},
    {"StringGrid1", Field<&F::StringGrid1>, "", {}, nullptr, TAlign::alClient},
};

}  // namespace

TfrmSVInfo::TfrmSVInfo(TComponent* owner) : TQVForm(owner) {
    SetName("frmSVInfo");
    SetCaption("签核状况");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetClientWidth(588);
    SetClientHeight(269);
    Font()->SetName("宋体");
    Font()->SetHeight(-13);
    Position = TPosition::poScreenCenter;

    design::Build(this, kMenu);

    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->DefaultExt = "txt";
    SaveDialog1->Filter = "文本文件(*.txt)|*.txt";
    SaveDialog1->Options = {TOpenOption::ofOverwritePrompt, TOpenOption::ofHideReadOnly,
                            TOpenOption::ofEnableSizing};

    design::Build(this, kControls);
    btnOK->ModalResult = mrOk;
    StringGrid1->SetColCount(11);
    StringGrid1->SetRowCount(2);
    StringGrid1->SetDefaultRowHeight(20);
    StringGrid1->SetFixedCols(1);
    StringGrid1->SetFixedRows(1);
    StringGrid1->SetOptions({TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine,
                             TGridOption::goVertLine, TGridOption::goHorzLine,
                             TGridOption::goRowSizing, TGridOption::goColSizing,
                             TGridOption::goRowSelect});
    StringGrid1->SetPopupMenu(PopupMenu1);
}

void TfrmSVInfo::SetupColumns() {
    for (int c = 0; c < 11; ++c) {
        StringGrid1->SetCells(
            c, 0,
            GetLangMessage("TfrmSVInfo", "sTitle" + std::to_string(c), kColumns[c].title, true));
        // A translated title keeps its column at least as wide as itself.
        StringGrid1->SetColWidths(
            c, std::max(kColumns[c].width, TextPixels(StringGrid1->Cells(c, 0))));
    }
}

void TfrmSVInfo::FillGrid(const Variant& rows) {
    StringGrid1->SetRowCount(2);
    StringGrid1->SetFixedCols(1);
    StringGrid1->SetFixedRows(1);
    auto put = [&](int col, int row, const std::string& text) {
        StringGrid1->SetCells(col, row, text);
        if (StringGrid1->ColWidths(col) < TextPixels(text))
            StringGrid1->SetColWidths(col, TextPixels(text));
    };
    if (rows.IsArray()) {
        const int low = rows.LowBound(), high = rows.HighBound();
        for (int i = low; i <= high; ++i) {
            const int gridRow = i - low + 1;
            const Variant& row = rows[i];
            if (!row.IsEmptyOrNull()) {
                put(0, gridRow, std::to_string(gridRow));
                if (row.IsArray())
                    for (int j = 0; j < row.ArrayCount() && j + 1 < 11; ++j) {
                        const Variant& v = row[row.LowBound() + j];
                        put(j + 1, gridRow, v.IsEmptyOrNull() ? "" : VarToStr(v));
                    }
            }
            if (i + 1 <= high && gridRow + 1 < high - low + 1)
                StringGrid1->SetRowCount(StringGrid1->RowCount() + 1);
        }
    }
    int gridHeight = StringGrid1->RowHeights(0) * StringGrid1->RowCount() + 30;
    if (Screen->Height() - 170 < gridHeight) gridHeight = Screen->Height() - 170;
    int gridWidth = 0;
    for (int c = 0; c < StringGrid1->ColCount(); ++c) gridWidth += StringGrid1->ColWidths(c) + 1;
    gridWidth += 4;
    SetClientHeight(gridHeight + 70 - (Height() - ClientHeight()));
    SetClientWidth(gridWidth + 10);
    btnOK->SetLeft((ClientWidth() - btnOK->Width()) / 2);
}

std::string TfrmSVInfo::GetRowText(int row) const {
    std::string line;
    for (int c = 0; c < StringGrid1->ColCount(); ++c) {
        const int n = int(std::nearbyint((StringGrid1->ColWidths(c) - 5) / 8.0));
        line += PadRight(StringGrid1->Cells(c, row), n + 5);
    }
    return line;
}

bool TfrmSVInfo::SaveToTextFile(const std::string& fileName) {
    std::string text;
    for (int r = 0; r < StringGrid1->RowCount(); ++r) text += GetRowText(r) + "\r\n";
    try {
        // A name the code page cannot write shows as "?", as the system's own texts do.
        WriteFileBytes(fileName, ToCodePageReplacing(text, AnsiCodePage()).text);
    } catch (const Exception&) {
        const std::string message = "文档保存失败 !";
        Application->MessageBox(QvConverter ? VarToStr(QvConverter->ConvertToUI(message)) : message,
                                "Information", MB_OK | MB_ICONERROR);
        return false;
    }
    plat::DesktopLauncher().Open(fileName);
    return true;
}

void TfrmSVInfo::N1Click(TObject*) {
    if (!SaveDialog1->Execute()) return;
    SaveToTextFile(SaveDialog1->FileName);
}

void ShowSVInfo(TComponent* owner, const Variant& rows) {
    auto* window = CreateForm<TfrmSVInfo>(owner);
    window->SetupColumns();
    window->FillGrid(rows);
    window->StringGrid1->Font()->SetCharset(TFontCharset(1));
    window->ConvertFormOnce();
    window->ShowModal();
    window->Free();
}

}  // namespace ktrb
