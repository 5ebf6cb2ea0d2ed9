#include "tests/platform/forms/forms_test_support.h"

#include <chrono>
#include <thread>

#include "platform/forms/filer.h"
#include "platform/forms/standard_classes.h"
#include "platform/gdi/colors.h"
#include "platform/user/input.h"
#include "platform/user/window.h"
#include "tests/support/top_windows.h"

namespace formstest {

void FormsTest::SetUp() {
  RecreateApplication();
  screen = UseHeadlessDisplay();
  ASSERT_NE(screen, nullptr) << "windows of an earlier test are still open";
  // The window layer remembers the last cursor across displays; start from none.
  SetCursor(nullptr);
  Application->SetNonInteractive(false);
  Application->SetTitle("Velmora");
  RegisterStandardClasses();
  RegisterClass(TStreamWidget::StaticClassInfo());
}

void FormsTest::TearDown() {
  RecreateApplication();
  // Windows left by a failed test must not block the next one.
  testsupport::DestroyTopWindows();
}

void OwnFormTest::TearDown() {
  form.reset();
  FormsTest::TearDown();
}

void OwnFormTest::ShowDescribed(const char* description, const std::function<void(TForm*)>& fill) {
  form.reset(CreateComponent<TForm>(nullptr));
  form->SetDescription(description);
  form->AfterConstruction();
  if (fill) fill(form.get());
  form->Show();
  Pump();
}

void OwnFormTest::NewPlainForm() {
  form.reset(CreateComponent<TForm>(nullptr));
  form->SetBounds(50, 50, 400, 300);
}

void FormsTest::Pump() {
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

void FormsTest::PumpFor(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Pump();
}

void FormsTest::ClickAt(TControl* c, int x, int y) {
  TPoint p = c->ClientToScreen(TPoint{x, y});
  screen->Click(p.x, p.y);
  Pump();
}

void FormsTest::ClickOn(TControl* c) { ClickAt(c, c->ClientWidth() / 2, c->ClientHeight() / 2); }

void FormsTest::DoubleClickOn(TControl* c) {
  TPoint p = c->ClientToScreen(TPoint{c->ClientWidth() / 2, c->ClientHeight() / 2});
  screen->Click(p.x, p.y);
  screen->Click(p.x, p.y);
  Pump();
}

void FormsTest::MoveOver(TControl* c) {
  TPoint p = c->ClientToScreen(TPoint{c->ClientWidth() / 2, c->ClientHeight() / 2});
  screen->MoveMouse(p.x, p.y);
  Pump();
}

void FormsTest::Key(unsigned vk, char32_t ch) {
  screen->TypeKey(vk, ch);
  Pump();
}

void FormsTest::Type(const std::string& ascii) {
  for (char c : ascii) {
    unsigned vk = (c >= 'a' && c <= 'z') ? unsigned(c - 32) : unsigned(static_cast<unsigned char>(c));
    if (c == '.') vk = 0xBE;
    if (c == '*') vk = VK_MULTIPLY;
    if (c == '/') vk = 0xBF;
    screen->TypeKey(vk, static_cast<char32_t>(c));
  }
  Pump();
}

void FormsTest::CtrlKey(char letter) {
  screen->PressKey(VK_LCONTROL);
  screen->TypeKey(static_cast<unsigned>(letter));
  screen->ReleaseKey(VK_LCONTROL);
  Pump();
}

void FormsTest::ShiftKey(unsigned vk) {
  screen->PressKey(VK_LSHIFT);
  screen->TypeKey(vk);
  screen->ReleaseKey(VK_LSHIFT);
  Pump();
}

std::uint32_t FormsTest::PixelOf(TControl* c, int x, int y) {
  Pump();
  TPoint p = c->ClientToScreen(TPoint{x, y});
  return screen->ScreenPixel(p.x, p.y);
}

std::uint32_t ScreenColor(TColor c) {
  COLORREF rgb = ColorToRGB(c);
  return (std::uint32_t(GetRValue(rgb)) << 16) | (std::uint32_t(GetGValue(rgb)) << 8) | GetBValue(rgb);
}

// ---- Test classes ----

const TClassInfo& TStreamWidget::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TStreamWidget>("TStreamWidget", &TComponent::StaticClassInfo())
                                     .Prop("Active", &TStreamWidget::Active, &TStreamWidget::SetActive, {.Default = 0})
                                     .Creator([](TComponent* o) { return new TStreamWidget(o); })
                                     .Build();
  return info;
}

void TStreamWidget::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "WidgetStream",
      [this](TStream& s) {
        uint32_t n = 0;
        s.ReadBuffer(&n, 4);
        if (n > s.Size() - s.Position()) throw EReadError("Stream read error");
        data = s.ReadString(n);
      },
      [this](TStream& s) {
        uint32_t n = static_cast<uint32_t>(data.size());
        s.WriteBuffer(&n, 4);
        s.WriteString(data);
      },
      true);
}

void TStreamWidget::Loaded() {
  TComponent::Loaded();
  loadedWithData = !data.empty();
}

const TClassInfo& TTestForm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TTestForm>("TTestForm", &TForm::StaticClassInfo())
                                     .Field("Label1", &TTestForm::Label1)
                                     .Field("Label2", &TTestForm::Label2)
                                     .Field("Edit1", &TTestForm::Edit1)
                                     .Field("Edit2", &TTestForm::Edit2)
                                     .Field("Button1", &TTestForm::Button1)
                                     .Field("Button2", &TTestForm::Button2)
                                     .Field("Button3", &TTestForm::Button3)
                                     .Field("CheckBox1", &TTestForm::CheckBox1)
                                     .Field("CheckBox2", &TTestForm::CheckBox2)
                                     .Field("ProgressBar1", &TTestForm::ProgressBar1)
                                     .Field("OpenDialog1", &TTestForm::OpenDialog1)
                                     .Field("Widget1", &TTestForm::Widget1)
                                     .Method("FormCreate", &TTestForm::FormCreate)
                                     .Method("FormActivate", &TTestForm::FormActivate)
                                     .Method("FormClose", &TTestForm::FormClose)
                                     .Method("FormDestroy", &TTestForm::FormDestroy)
                                     .Method("Button1Click", &TTestForm::Button1Click)
                                     .Method("Button2Click", &TTestForm::Button2Click)
                                     .Method("CheckBox1Click", &TTestForm::CheckBox1Click)
                                     .Method("Edit1DblClick", &TTestForm::Edit1DblClick)
                                     .Method("Edit1MouseMove", &TTestForm::Edit1MouseMove)
                                     .Method("Edit1Exit", &TTestForm::Edit1Exit)
                                     .Method("Edit1Change", &TTestForm::Edit1Change)
                                     .Build();
  return info;
}

void TTestForm::FormCreate(TObject*) { Log("Create"); }
void TTestForm::FormActivate(TObject*) { Log("Activate"); }
void TTestForm::FormClose(TObject*, TCloseAction&) { Log("Close"); }
void TTestForm::FormDestroy(TObject*) { Log("Destroy"); }
void TTestForm::Button1Click(TObject*) {
  Log("Button1Click");
  if (onButton1) onButton1();
}
void TTestForm::Button2Click(TObject*) { Log("Button2Click"); }
void TTestForm::CheckBox1Click(TObject*) { Log(std::string("CheckBox1Click ") + (CheckBox1->Checked() ? "on" : "off")); }
void TTestForm::Edit1DblClick(TObject*) { Log("Edit1DblClick"); }
void TTestForm::Edit1MouseMove(TObject*, TShiftState, int, int) {
  // As the application does: the edit's hint is its whole text.
  Edit1->SetHint(Edit1->Text());
  Edit1->SetShowHint(true);
  if (log && (log->empty() || log->back() != "Edit1MouseMove")) Log("Edit1MouseMove");
}
void TTestForm::Edit1Exit(TObject*) { Log("Edit1Exit"); }
void TTestForm::Edit1Change(TObject*) { Log("Edit1Change " + Edit1->Text()); }

const char* const kTestFormText = R"(object TestForm: TTestForm
  Left = 192
  Top = 107
  BorderStyle = bsSingle
  Caption = 'Velmora 1.0'
  ClientHeight = 220
  ClientWidth = 320
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
  object Label1: TLabel
    Left = 8
    Top = 8
    Width = 149
    Height = 13
    Caption = 'The selected image-file ...'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Label2: TLabel
    Left = 8
    Top = 196
    Width = 60
    Height = 13
    Caption = 'percent'
  end
  object Edit1: TEdit
    Left = 8
    Top = 26
    Width = 220
    Height = 21
    TabOrder = 0
    Text = 'C:/images/master.jpg'
    OnChange = Edit1Change
    OnDblClick = Edit1DblClick
    OnExit = Edit1Exit
    OnMouseMove = Edit1MouseMove
  end
  object Button1: TButton
    Left = 236
    Top = 25
    Width = 76
    Height = 23
    Hint = 'select the image master for comparing'
    Caption = 'load ...'
    ParentShowHint = False
    ShowHint = True
    TabOrder = 1
    OnClick = Button1Click
  end
  object Edit2: TEdit
    Left = 8
    Top = 56
    Width = 220
    Height = 21
    TabOrder = 2
  end
  object CheckBox1: TCheckBox
    Left = 8
    Top = 88
    Width = 153
    Height = 17
    Caption = 'A l l    o p t i o n s'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 3
    OnClick = CheckBox1Click
  end
  object CheckBox2: TCheckBox
    Left = 168
    Top = 88
    Width = 140
    Height = 17
    Caption = 'Width'
    Checked = True
    State = cbChecked
    TabOrder = 4
  end
  object ProgressBar1: TProgressBar
    Left = 8
    Top = 116
    Width = 300
    Height = 15
    Max = 10
    Position = 3
    Smooth = True
    TabOrder = 5
  end
  object Button2: TButton
    Left = 8
    Top = 144
    Width = 149
    Height = 25
    Caption = 'Get image properties'
    Default = True
    TabOrder = 6
    OnClick = Button2Click
  end
  object Button3: TButton
    Left = 236
    Top = 144
    Width = 76
    Height = 25
    Cancel = True
    Caption = 'E n d'
    ModalResult = mrCancel
    TabOrder = 7
  end
  object OpenDialog1: TOpenDialog
    Filter = 'JPG-files|*.JPG|BMP-files|*.BMP|PNG-files|*.PNG'
    Options = [ofPathMustExist, ofFileMustExist, ofEnableSizing]
    Left = 280
    Top = 184
  end
  object Widget1: TStreamWidget
    Active = True
    WidgetStream = {
      0C00000056656C6D6F726120736B696E}
    Left = 248
    Top = 184
  end
end
)";

TTestForm* MakeTestForm(std::vector<std::string>* log, std::string_view text) {
  auto* f = new TTestForm(Application);
  f->log = log;
  f->SetDescription(std::string(text));
  try {
    f->AfterConstruction();
  } catch (...) {
    f->Free();
    throw;
  }
  return f;
}

}  // namespace formstest
