#include "host/HostClasses.h"

#include "host/Buttons.h"
#include "host/CheckLst.h"
#include "host/DataSource.h"
#include "host/Form.h"
#include "host/Menus.h"
#include "host/SQLiteTable.h"

namespace zel::host {

void RegisterHostClasses() {
    for (const TClassInfo* c :
         {&TForm::StaticClass(), &TMainMenu::StaticClass(), &TMenuItem::StaticClass(),
          &TDataSource::StaticClass(), &TSQLiteTable::StaticClass(), &TButton::StaticClass(),
          &TBitBtn::StaticClass(), &TCheckListBox::StaticClass()}) {
        RegisterClass(*c);
    }
}

} // namespace zel::host
