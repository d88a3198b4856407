object Rights: TForm
  object Users: TSQLiteTable
    DatabaseName = 'till.db'
    TableName = 'users'
    Active = True
  end
  object UsersSource: TDataSource
    DataSet = Users
  end
  object Provider: TZELRight
    DataSource = UsersSource
    HideDisabledItem = True
    LinkedMainMenu = MainWindow.menubar
    UserAccessRightFieldName = 'rights'
    UserIDFieldName = 'login'
    UserPasswordFieldName = 'password'
  end
end
