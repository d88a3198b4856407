object AdminForm: TForm
  Caption = 'Users and rights'
  object AdminTable: TSQLiteTable
    DatabaseName = 'shop.db'
    TableName = 'users'
    Active = True
  end
  object AdminSource: TDataSource
    DataSet = AdminTable
  end
  object RightsEditor: TZELMenuCheckListBox
    DataSource = AdminSource
    LinkedMainMenu = MainForm.MainMenu1
    UserAccessRightFieldName = 'rights'
  end
end
