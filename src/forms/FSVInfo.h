// The sign-off status window: the approval rows of one document as the
// outside sign-off system reports them, savable as a fixed-width text file.
#pragma once
#include <string>

#include "controls/QVForm.h"
#include "platform/core/variant.h"

namespace plat {
class TPanel;
class TButton;
class TStringGrid;
class TPopupMenu;
class TMenuItem;
class TSaveDialog;
}  // namespace plat

namespace ktrb {

class TfrmSVInfo : public TQVForm {
    PLAT_CLASS(TfrmSVInfo, TQVForm)
  public:
    explicit TfrmSVInfo(plat::TComponent* owner);

    plat::TStringGrid* StringGrid1;
    plat::TPanel* Panel1;
    plat::TButton* btnOK;
    plat::TPopupMenu* PopupMenu1;
    plat::TMenuItem* N1;
    plat::TSaveDialog* SaveDialog1;

    void SetupColumns();
    void FillGrid(const plat::Variant& rows);
    // One grid row as a line of fixed-width columns.
    std::string GetRowText(int row) const;
    // Writes the grid to the file (ANSI code page, CR LF) and opens it;
    // false after the failure message when the file cannot be written.
    bool SaveToTextFile(const std::string& fileName);
    void N1Click(plat::TObject* sender);
};

// Shows the window modally with the rows, then frees it.
void ShowSVInfo(plat::TComponent* owner, const plat::Variant& rows);

}  // namespace ktrb
