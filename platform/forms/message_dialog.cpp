#include "platform/forms/message_dialog.h"

#include <algorithm>
#include <vector>

#include "platform/forms/application.h"
#include "platform/forms/button.h"
#include "platform/forms/label.h"
#include "platform/forms/screen.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_object.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

const char* const kButtonNames[] = {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};
const char* const kButtonCaptions[] = {"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};
const TModalResult kButtonResults[] = {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};

// Layout in dialog units (a quarter of the average character width, an eighth of its height).
constexpr int kHorzMargin = 8, kVertMargin = 8, kHorzSpacing = 10, kVertSpacing = 10, kButtonWidth = 50,
              kButtonHeight = 14, kButtonSpacing = 4, kIconSize = 32;

int MulDivRound(int a, int b, int c) { return static_cast<int>((static_cast<int64_t>(a) * b + c / 2) / c); }

}  // namespace

std::string MsgDlgTypeCaption(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return Application ? Application->Title() : std::string();
  }
}

std::string MsgDlgButtonCaption(TMsgDlgBtn button) { return kButtonCaptions[button]; }

const TClassInfo& TMessageForm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TMessageForm>("TMessageForm", &TForm::StaticClassInfo())
                                     .Creator([](TComponent* o) { return new TMessageForm(o); })
                                     .Build();
  return info;
}

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }

void TMessageForm::Paint() {
  TForm::Paint();
  if (type_ == mtCustom) return;
  HDC dc = Canvas()->Handle();
  RECT r = iconRect_;
  COLORREF fill = RGB(0, 0, 255), mark = RGB(255, 255, 255);
  const char16_t* glyph = u"i";
  switch (type_) {
    case mtWarning: fill = RGB(255, 220, 0); mark = RGB(0, 0, 0); glyph = u"!"; break;
    case mtError: fill = RGB(220, 0, 0); glyph = u"X"; break;
    case mtConfirmation: glyph = u"?"; break;
    default: break;
  }
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
  if (type_ == mtWarning) {
    POINT tri[3] = {{r.left + r.Width() / 2, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    Polygon(dc, tri, 3);
  } else {
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
  LOGFONTW lf{};
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  const char16_t face[] = u"Times New Roman";
  std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  HFONT font = CreateFontIndirectW(lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, mark);
  RECT textRect = r;
  if (type_ == mtWarning) textRect.top += 6;
  DrawTextW(dc, glyph, 1, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

TMessageForm* CreateMessageDialog(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons) {
  auto* form = CreateComponent<TMessageForm>(Application);
  try {
    form->type_ = type;
    form->message_ = message;
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    form->SetCaption(MsgDlgTypeCaption(type));
    if (Screen) form->Font()->Assign(*Screen->MessageFont());

    // Dialog units from the font's average character.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, form->Font()->Handle());
    std::u16string alphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE ext{};
    GetTextExtentPoint32W(dc, alphabet.c_str(), 52, &ext);
    int duX = std::max(1, (ext.cx / 26 + 1) / 2), duY = std::max(1, static_cast<int>(ext.cy));
    std::u16string text = Utf8ToWide(message);
    // Half the work area's width: a long path is broken, at its separators where it can be.
    int screenWidth = Screen ? Screen->WorkAreaRect().Width() : 1280;
    RECT textRect{0, 0, screenWidth / 2, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteDC(dc);

    int horzMargin = MulDivRound(kHorzMargin, duX, 4), vertMargin = MulDivRound(kVertMargin, duY, 8);
    int horzSpacing = MulDivRound(kHorzSpacing, duX, 4), vertSpacing = MulDivRound(kVertSpacing, duY, 8);
    int buttonWidth = MulDivRound(kButtonWidth, duX, 4), buttonHeight = MulDivRound(kButtonHeight, duY, 8);
    int buttonSpacing = MulDivRound(kButtonSpacing, duX, 4);

    std::vector<TMsgDlgBtn> list;
    for (int b = mbYes; b <= mbHelp; ++b)
      if (buttons & (1 << b)) list.push_back(static_cast<TMsgDlgBtn>(b));
    if (list.empty()) list.push_back(mbOK);

    int iconTextWidth = textRect.right, iconTextHeight = textRect.bottom;
    if (type != mtCustom) {
      iconTextWidth += kIconSize + horzSpacing;
      iconTextHeight = std::max(iconTextHeight, kIconSize);
    }
    int count = static_cast<int>(list.size());
    int groupWidth = buttonWidth * count + buttonSpacing * (count - 1);
    form->SetClientWidth(std::max(iconTextWidth, groupWidth) + horzMargin * 2);
    form->SetClientHeight(iconTextHeight + buttonHeight + vertSpacing + vertMargin * 2);

    int textLeft = horzMargin;
    if (type != mtCustom) {
      form->iconRect_ = TRect{horzMargin, vertMargin, horzMargin + kIconSize, vertMargin + kIconSize};
      textLeft += kIconSize + horzSpacing;
    }
    auto* label = CreateComponent<TLabel>(form);
    label->SetName("Message");
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetShowAccelChar(false);
    label->SetBounds(textLeft, vertMargin, textRect.right, textRect.bottom);
    label->SetCaption(message);

    TMsgDlgBtn defaultButton = (buttons & (1 << mbOK)) ? mbOK : (buttons & (1 << mbYes)) ? mbYes : list.front();
    TMsgDlgBtn cancelButton = (buttons & (1 << mbCancel)) ? mbCancel
                              : (buttons & (1 << mbNo))   ? mbNo
                              : (buttons & (1 << mbOK))   ? mbOK
                                                          : list.back();
    int x = (form->ClientWidth() - groupWidth) / 2;
    int y = iconTextHeight + vertMargin + vertSpacing;
    for (TMsgDlgBtn b : list) {
      auto* button = AddControl<TButton>(form, kButtonNames[b], x, y, buttonWidth, buttonHeight);
      button->SetCaption(kButtonCaptions[b]);
      button->SetModalResult(kButtonResults[b]);
      if (b == defaultButton) {
        button->SetDefault(true);
        form->SetActiveControl(button);
      }
      if (b == cancelButton) {
        button->SetCancel(true);
        form->cancelResult_ = kButtonResults[b];
      }
      x += buttonWidth + buttonSpacing;
    }
  } catch (...) {
    form->Free();
    throw;
  }
  return form;
}

TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  TComponentPtr<TMessageForm> form(CreateMessageDialog(message, type, buttons));
  return form->ShowModal();
}

void ShowMessage(const std::string& message) { MessageDlg(message, mtCustom, MsgDlgButton(mbOK)); }

void MessageBoxForm(const std::string& message, const std::string& caption, TMsgDlgType type) {
  TComponentPtr<TMessageForm> form(CreateMessageDialog(message, type, MsgDlgButton(mbOK)));
  form->SetCaption(caption);
  form->ShowModal();
}
