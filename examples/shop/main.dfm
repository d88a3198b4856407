object MainForm: TForm
  Caption = 'Corner Shop'
  object MainMenu1: TMainMenu
    object mnuFile: TMenuItem
      Caption = '&File'
      object mnuFileOpen: TMenuItem
        Caption = '&Open...'
      end
      object mnuFilePrint: TMenuItem
        Caption = '&Print'
      end
      object mnuFileSep1: TMenuItem
        Caption = '-'
      end
      object mnuFileLogin: TMenuItem
        Caption = '&Log in as another user...'
      end
      object mnuFilePassword: TMenuItem
        Caption = '&Change my password...'
      end
      object mnuFileExit: TMenuItem
        Caption = 'E&xit'
      end
    end
    object mnuOrders: TMenuItem
      Caption = '&Orders'
      object mnuOrderList: TMenuItem
        Caption = '&List'
      end
      object mnuOrderNew: TMenuItem
        Caption = '&New order'
      end
      object mnuReports: TMenuItem
        Caption = '&Reports'
        object mnuReportDaily: TMenuItem
          Caption = '&Daily'
        end
        object mnuReportMonthly: TMenuItem
          Caption = '&Monthly'
          object mnuReportRegion: TMenuItem
            Caption = 'By &region'
          end
        end
      end
      object mnuOrderSep1: TMenuItem
        Caption = '-'
      end
      object mnuDebug: TMenuItem
        Caption = '<Debug tools'
      end
    end
    object mnuAdmin: TMenuItem
      Caption = '&Administration'
      object mnuAdminUsers: TMenuItem
        Caption = '&Users and rights'
      end
      object mnuAdminBackup: TMenuItem
        Caption = '&Backup'
      end
    end
    object mnuHelp: TMenuItem
      Caption = '&Help'
      object mnuHelpAbout: TMenuItem
        Caption = '&About'
      end
    end
  end
  object UsersTable: TSQLiteTable
    DatabaseName = 'shop.db'
    TableName = 'users'
    Active = True
  end
  object UsersSource: TDataSource
    DataSet = UsersTable
  end
  object Rights: TZELRight
    DataSource = UsersSource
    LinkedMainMenu = MainMenu1
    UserAccessRightFieldName = 'rights'
    UserIDFieldName = 'login'
    UserPasswordFieldName = 'password'
  end
end
