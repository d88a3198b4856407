object OrdersForm: TForm
  Caption = 'Orders'
  object btnNewOrder: TZELBitBtn
    Caption = '&New order'
    ZELRight = MainForm.Rights
    Right = 'mnuOrderNew'
  end
  object btnPrint: TZELButton
    ZELRight = MainForm.Rights
    Caption = '&Print'
    Right = 'mnuFilePrint'
  end
  object btnRefund: TZELBitBtn
    Caption = '&Refund'
    ZELRight = MainForm.Rights
    Kind = bkCustom
    ModalResult = 0
    Right = 'Refund'
  end
  object btnClose: TZELButton
    ZELRight = MainForm.Rights
    Caption = '&Close'
    Right = 'mnuOrderList'
  end
end
