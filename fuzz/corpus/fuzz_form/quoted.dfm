object F: TForm
  Caption = 'it''s'#255
  object M: TMainMenu
    object a: TMenuItem
      Caption = '<x'
    end
  end
end
