// X11 keysyms to Windows virtual-key codes and characters.
#include "platform/display/x11_keys.h"

#include <X11/keysym.h>

namespace display {

unsigned VirtualKeyOfKeysym(unsigned long ks, bool* extended) {
  *extended = false;
  if (ks >= XK_a && ks <= XK_z) return static_cast<unsigned>('A' + (ks - XK_a));
  if (ks >= XK_A && ks <= XK_Z) return static_cast<unsigned>('A' + (ks - XK_A));
  if (ks >= XK_0 && ks <= XK_9) return static_cast<unsigned>('0' + (ks - XK_0));
  if (ks >= XK_F1 && ks <= XK_F24) return static_cast<unsigned>(0x70 + (ks - XK_F1));
  if (ks >= XK_KP_0 && ks <= XK_KP_9) return static_cast<unsigned>(0x60 + (ks - XK_KP_0));
  switch (ks) {
    case XK_BackSpace: return 0x08;
    case XK_Tab: case XK_ISO_Left_Tab: return 0x09;
    case XK_Clear: return 0x0C;
    case XK_Return: return 0x0D;
    case XK_KP_Enter: *extended = true; return 0x0D;
    case XK_Shift_L: return 0xA0;
    case XK_Shift_R: return 0xA1;
    case XK_Control_L: return 0xA2;
    case XK_Control_R: *extended = true; return 0xA3;
    case XK_Alt_L: case XK_Meta_L: return 0xA4;
    case XK_Alt_R: case XK_Meta_R: case XK_ISO_Level3_Shift: *extended = true; return 0xA5;
    case XK_Pause: return 0x13;
    case XK_Caps_Lock: return 0x14;
    case XK_Escape: return 0x1B;
    case XK_space: return 0x20;
    case XK_Prior: *extended = true; return 0x21;
    case XK_Next: *extended = true; return 0x22;
    case XK_End: *extended = true; return 0x23;
    case XK_Home: *extended = true; return 0x24;
    case XK_Left: *extended = true; return 0x25;
    case XK_Up: *extended = true; return 0x26;
    case XK_Right: *extended = true; return 0x27;
    case XK_Down: *extended = true; return 0x28;
    case XK_Print: return 0x2C;
    case XK_Insert: *extended = true; return 0x2D;
    case XK_Delete: *extended = true; return 0x2E;
    case XK_Help: return 0x2F;
    case XK_Super_L: *extended = true; return 0x5B;
    case XK_Super_R: *extended = true; return 0x5C;
    case XK_Menu: *extended = true; return 0x5D;
    case XK_KP_Multiply: return 0x6A;
    case XK_KP_Add: return 0x6B;
    case XK_KP_Separator: return 0x6C;
    case XK_KP_Subtract: return 0x6D;
    case XK_KP_Decimal: return 0x6E;
    case XK_KP_Divide: *extended = true; return 0x6F;
    case XK_KP_Home: return 0x24;
    case XK_KP_End: return 0x23;
    case XK_KP_Prior: return 0x21;
    case XK_KP_Next: return 0x22;
    case XK_KP_Left: return 0x25;
    case XK_KP_Up: return 0x26;
    case XK_KP_Right: return 0x27;
    case XK_KP_Down: return 0x28;
    case XK_KP_Insert: return 0x2D;
    case XK_KP_Delete: return 0x2E;
    case XK_Num_Lock: *extended = true; return 0x90;
    case XK_Scroll_Lock: return 0x91;
    case XK_semicolon: case XK_colon: return 0xBA;
    case XK_equal: case XK_plus: return 0xBB;
    case XK_comma: case XK_less: return 0xBC;
    case XK_minus: case XK_underscore: return 0xBD;
    case XK_period: case XK_greater: return 0xBE;
    case XK_slash: case XK_question: return 0xBF;
    case XK_grave: case XK_asciitilde: return 0xC0;
    case XK_bracketleft: case XK_braceleft: return 0xDB;
    case XK_backslash: case XK_bar: return 0xDC;
    case XK_bracketright: case XK_braceright: return 0xDD;
    case XK_apostrophe: case XK_quotedbl: return 0xDE;
    default: return 0;
  }
}

char32_t CharacterOfKeysym(unsigned long ks) {
  if ((ks >= 0x20 && ks <= 0x7e) || (ks >= 0xa0 && ks <= 0xff)) return static_cast<char32_t>(ks);
  if ((ks & 0xff000000UL) == 0x01000000UL) {
    unsigned long u = ks & 0x00ffffffUL;
    return (u <= 0x10ffff && (u < 0xd800 || u > 0xdfff)) ? static_cast<char32_t>(u) : 0;
  }
  switch (ks) {
    case XK_BackSpace: return 0x08;
    case XK_Tab: case XK_ISO_Left_Tab: return 0x09;
    case XK_Return: case XK_KP_Enter: return 0x0D;
    case XK_Escape: return 0x1B;
    case XK_KP_Space: return 0x20;
    case XK_KP_Multiply: return '*';
    case XK_KP_Add: return '+';
    case XK_KP_Subtract: return '-';
    case XK_KP_Decimal: return '.';
    case XK_KP_Divide: return '/';
    case XK_EuroSign: return 0x20AC;
    default:
      if (ks >= XK_KP_0 && ks <= XK_KP_9) return static_cast<char32_t>('0' + (ks - XK_KP_0));
      return 0;
  }
}

}  // namespace display
