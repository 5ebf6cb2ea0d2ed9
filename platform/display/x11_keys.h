// Keyboard translation of the X11 back end.
#pragma once

namespace display {

// The virtual-key code of an unshifted keysym (0 when it has none); *extended is set for the
// keys that sit on the extended part of a PC keyboard.
unsigned VirtualKeyOfKeysym(unsigned long keysym, bool* extended);
// The character a keysym stands for (0 for none).
char32_t CharacterOfKeysym(unsigned long keysym);

}  // namespace display
