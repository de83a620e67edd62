// The window layer's classes, registered by name for creation from designs.
#include "platform/component/classes.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/grids.h"
#include "platform/ui/lookupcombo.h"
#include "platform/ui/mask.h"
#include "platform/ui/menus.h"
#include "platform/ui/tabset.h"

namespace plat {

void RegisterControlClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterClass<TForm>();
    RegisterClass<TLabel>();
    RegisterClass<TEdit>();
    RegisterClass<TMemo>();
    RegisterClass<TMaskEdit>();
    RegisterClass<TComboBox>();
    RegisterClass<TListBox>();
    RegisterClass<TButton>();
    RegisterClass<TCheckBox>();
    RegisterClass<TRadioButton>();
    RegisterClass<TGroupBox>();
    RegisterClass<TBitBtn>();
    RegisterClass<TSpeedButton>();
    RegisterClass<TPanel>();
    RegisterClass<TBevel>();
    RegisterClass<TImage>();
    RegisterClass<TPaintBox>();
    RegisterClass<TSplitter>();
    RegisterClass<TRadioGroup>();
    RegisterClass<TTimer>();
    RegisterClass<TScrollBox>();
    RegisterClass<TGauge>();
    RegisterClass<TPageControl>();
    RegisterClass<TTabSheet>();
    RegisterClass<TToolBar>();
    RegisterClass<TToolButton>();
    RegisterClass<TStatusBar>();
    RegisterClass<TListView>();
    RegisterClass<TTreeView>();
    RegisterClass<TImageList>();
    RegisterClass<TMainMenu>();
    RegisterClass<TPopupMenu>();
    RegisterClass<TMenuItem>();
    RegisterClass<TDBEdit>();
    RegisterClass<TDBMemo>();
    RegisterClass<TDBComboBox>();
    RegisterClass<TDBCheckBox>();
    RegisterClass<TDBText>();
    RegisterClass<TStringGrid>();
    RegisterClass<TDataGrid>();
    RegisterClass<TLookupComboBase>();
    RegisterClass<TLookupList>();
    RegisterClass<TGridClientDataSet>();
    RegisterClass<TTabSet>();
}

namespace {
[[maybe_unused]] const bool registered = (RegisterControlClasses(), true);
}

}  // namespace plat
