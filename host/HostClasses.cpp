#include "zel/host/HostClasses.h"

#include "zel/host/Buttons.h"
#include "zel/host/CheckLst.h"
#include "zel/host/DataSource.h"
#include "zel/host/Form.h"
#include "zel/host/Menus.h"

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
