object Form1: TForm1
  Left = 192
  Top = 107
  Caption = 'Velmora 1.0'
  ClientHeight = 429
  ClientWidth = 676
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  OnActivate = FormActivate
  OnClose = FormClose
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
  object Button1: TButton
    Left = 589
    Top = 34
    Width = 60
    Height = 21
    Hint = 'select the image master for comparing'
    Caption = 'load ...'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 1
    OnClick = Button1Click
  end
  object Label2: TLabel
    Left = 28
    Top = 16
    Width = 149
    Height = 13
    AutoSize = False
    Caption = 'The selected image-file ...'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Edit1: TEdit
    Left = 24
    Top = 35
    Width = 559
    Height = 21
    TabOrder = 0
    OnDblClick = Edit1DblClick
    OnMouseMove = Edit1MouseMove
  end
  object edit_pix: TEdit
    Left = 148
    Top = 166
    Width = 41
    Height = 21
    TabOrder = 9
  end
  object Label5: TLabel
    Left = 24
    Top = 169
    Width = 63
    Height = 13
    AutoSize = False
    Caption = 'value-level'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object OpenDialog1: TOpenDialog
    Filter = 'JPG-files|*.JPG|BMP-files|*.BMP|PNG-files|*.PNG|TIF-files|*.TIF|GIF-files|*.GIF|ICO-files|*.ICO|WMF-files|*.WMF|EMF-files|*.EMF|TIFF-files|*.TIFF|JPEG-files|*.JPEG'
    Options = [ofPathMustExist, ofFileMustExist, ofEnableSizing]
    Left = 616
    Top = 296
  end
  object edit_prec: TEdit
    Left = 148
    Top = 185
    Width = 41
    Height = 21
    TabOrder = 10
  end
  object Label1: TLabel
    Left = 24
    Top = 188
    Width = 102
    Height = 13
    AutoSize = False
    Caption = 'precision of result'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Button2: TButton
    Left = 24
    Top = 352
    Width = 149
    Height = 25
    Hint = 'generate the property string from the image master'
    Caption = 'Get image properties'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 26
    OnClick = Button2Click
  end
  object imgprop: TEdit
    Left = 24
    Top = 207
    Width = 625
    Height = 21
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clRed
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 11
    OnMouseMove = imgpropMouseMove
  end
  object imgreset: TButton
    Left = 24
    Top = 321
    Width = 149
    Height = 25
    Hint = 'reset the generated property string'
    Caption = 'Reset image properties'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 16
    OnClick = imgresetClick
  end
  object Button3: TButton
    Left = 576
    Top = 383
    Width = 73
    Height = 25
    Hint = 'close the program immediately'
    Caption = 'E n d'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 28
    OnClick = Button3Click
  end
  object Button4: TButton
    Left = 24
    Top = 383
    Width = 149
    Height = 25
    Hint = 'start with comparison run'
    Caption = 'Compare images'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 27
    OnClick = Button4Click
  end
  object Edit2: TEdit
    Left = 24
    Top = 83
    Width = 559
    Height = 21
    TabOrder = 3
    OnDblClick = Edit2DblClick
    OnExit = Edit2Exit
    OnMouseMove = Edit2MouseMove
  end
  object Label3: TLabel
    Left = 28
    Top = 64
    Width = 151
    Height = 13
    AutoSize = False
    Caption = 'The compared directory ...'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Button5: TButton
    Left = 589
    Top = 83
    Width = 60
    Height = 21
    Hint = 'select the directory for the comparison run'
    Caption = 'select ...'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 4
    OnClick = Button5Click
  end
  object imgcomp: TEdit
    Left = 24
    Top = 248
    Width = 625
    Height = 21
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clNavy
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 13
  end
  object Edit3: TEdit
    Left = 24
    Top = 228
    Width = 625
    Height = 21
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlack
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 12
  end
  object Label4: TLabel
    Left = 200
    Top = 169
    Width = 75
    Height = 13
    AutoSize = False
    Caption = 'pixels square'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Label6: TLabel
    Left = 200
    Top = 185
    Width = 44
    Height = 13
    AutoSize = False
    Caption = 'percent'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object ProgressBar1: TProgressBar
    Left = 24
    Top = 266
    Width = 625
    Height = 15
    Smooth = True
    TabOrder = 14
  end
  object CheckBox1: TCheckBox
    Left = 208
    Top = 342
    Width = 153
    Height = 17
    Hint = 'The width of the scanned images will be checked...'
    Caption = 'Width'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 18
  end
  object CheckBox2: TCheckBox
    Left = 208
    Top = 359
    Width = 153
    Height = 17
    Hint = 'the height of the scanned images will be checked ...'
    Caption = 'Height'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 19
  end
  object CheckBox3: TCheckBox
    Left = 208
    Top = 376
    Width = 153
    Height = 17
    Hint = 'the relationship between width and height will be checked ...'
    Caption = 'Aspect ratio'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 20
  end
  object CheckBox4: TCheckBox
    Left = 208
    Top = 393
    Width = 153
    Height = 17
    Hint = 'the formats square, landscape and portrait will be checked ...'
    Caption = 'Landscape/portrait'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 21
  end
  object CheckBox5: TCheckBox
    Left = 376
    Top = 342
    Width = 161
    Height = 17
    Hint = 'width * height in pixels will be compared ...'
    Caption = 'Number of pixels'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 22
  end
  object CheckBox6: TCheckBox
    Left = 376
    Top = 359
    Width = 161
    Height = 17
    Hint = 'the file-extensions (for example jpg) will be checked ...'
    Caption = 'Imagetype'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 23
  end
  object CheckBox7: TCheckBox
    Left = 376
    Top = 376
    Width = 161
    Height = 17
    Hint = 'the colour distribution on the image surface will be compared ...'
    Caption = 'Colour distribution'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 24
  end
  object CheckBox8: TCheckBox
    Left = 376
    Top = 393
    Width = 161
    Height = 17
    Hint = 'if it is a coloured, grey scaled or b/w-image will be checked ...'
    Caption = 'Colour/grey/bw'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 25
  end
  object CheckBox9: TCheckBox
    Left = 208
    Top = 325
    Width = 153
    Height = 17
    Hint = 'toggle on/off for all checkboxes...'
    Caption = 'A l l    o p t i o n s'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 17
    OnClick = CheckBox9Click
  end
  object CheckBox10: TCheckBox
    Left = 232
    Top = 64
    Width = 191
    Height = 17
    Caption = '... and Subdirectories'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 2
  end
  object Edit4: TEdit
    Left = 24
    Top = 129
    Width = 559
    Height = 21
    TabOrder = 5
    OnDblClick = Edit4DblClick
    OnExit = Edit4Exit
    OnMouseMove = Edit4MouseMove
  end
  object Button6: TButton
    Left = 589
    Top = 128
    Width = 60
    Height = 21
    Hint = 'select the directory where the matching images will be copied to ...'
    Caption = 'select ...'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 6
    OnClick = Button6Click
  end
  object Label7: TLabel
    Left = 28
    Top = 110
    Width = 231
    Height = 13
    AutoSize = False
    Caption = 'The directory for the matching images ...'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Button7: TButton
    Left = 288
    Top = 160
    Width = 295
    Height = 17
    Hint = 'put an Velmora-link in the section "send to" of the explorer context menu ...'
    Caption = 'put it into explorer context ... send to'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 7
    OnClick = Button7Click
  end
  object Button8: TButton
    Left = 288
    Top = 176
    Width = 295
    Height = 17
    Hint = 'remove the Velmora from the  "send to" in the explorer context menu ...'
    Caption = 'remove from explorer context ... send to'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    ParentShowHint = False
    ShowHint = True
    TabOrder = 8
    OnClick = Button8Click
  end
  object CheckBox11: TCheckBox
    Left = 24
    Top = 294
    Width = 273
    Height = 17
    Caption = 'Put the result into clipboard'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlack
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 15
  end
end
