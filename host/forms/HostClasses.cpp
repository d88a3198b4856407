#include "zel/host/forms/HostClasses.h"

#include "zel/host/core/Form.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/ui/Buttons.h"
#include "zel/host/ui/CheckLst.h"
#include "zel/host/ui/Menus.h"

namespace zel::host {

void RegisterHostClasses() {
    for (const TClassInfo* c :
         {&TForm::StaticClass(), &TMainMenu::StaticClass(), &TMenuItem::StaticClass(),
          &TDataSource::StaticClass(), &TButton::StaticClass(), &TBitBtn::StaticClass(),
          &TCheckListBox::StaticClass()}) {
        RegisterClass(*c);
    }
}

} // namespace zel::host
