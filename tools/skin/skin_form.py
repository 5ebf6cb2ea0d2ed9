"""The skin component and the skin store as the main window's form description holds them."""

import struct

SKIN_CONTROLS = ["xcMainMenu", "xcPopupMenu", "xcMenuItem", "xcToolbar", "xcControlbar", "xcCombo", "xcCheckBox",
                 "xcRadioButton", "xcProgress", "xcScrollbar", "xcEdit", "xcButton", "xcBitBtn", "xcSpeedButton",
                 "xcSpin", "xcPanel", "xcGroupBox", "xcStatusBar", "xcTab", "xcTrackBar", "xcSystemMenu"]
SKIN_OPTIONS = ["xoMDIScrollbar", "xoMenuMerge", "xoTransparent", "xoPreview", "xoParentBackGround",
                "xoNoFocusRect", "xoToolbarBK", "xoToolbarButton", "xoMDIChildBorder", "xoMenuBG", "xoFormScrollbar"]


def hex_lines(data, indent):
    """Binary data of a form description: 32 bytes to a line."""
    text = data.hex().upper()
    lines = [text[i:i + 64] for i in range(0, len(text), 64)] or [""]
    return "{\n" + "\n".join(indent + line for line in lines) + "}"


def wrapped_set(name, items, indent):
    lines, line = [], indent + name + " = ["
    for i, item in enumerate(items):
        piece = item + (", " if i + 1 < len(items) else "]")
        if len(line) + len(piece) > 100:
            lines.append(line.rstrip())
            line = indent + "  "
        line += piece
    lines.append(line)
    return "\n".join(lines)


def form_components(packed, store):
    """The skin component (holding `packed`) and the skin store (the (name, packed skin) pairs
    of `store`) as the main window describes them."""
    stream = struct.pack("<I", len(packed)) + packed
    parts = [
        "  object SkinData1: TSkinData",
        "    Active = True",
        "    DisableTag = 99",
        wrapped_set("SkinControls", SKIN_CONTROLS, "    "),
        wrapped_set("Options", SKIN_OPTIONS, "    "),
        "    SkinStore = '(Good)'",
        "    SkinFormtype = sfMainform",
        "    Version = '4.83.05.18'",
        "    MenuUpdate = True",
        "    MenuMerge = True",
        "    SkinStream = " + hex_lines(stream, "      "),
        "    Left = 8",
        "    Top = 392",
        "  end",
        "  object SkinStore1: TSkinStore",
        "    Store = <",
    ]
    for i, (name, data) in enumerate(store):
        parts += [
            "      item",
            "        Name = '" + name + "'",
            "        DataStream = " + hex_lines(data, "          "),
            "      end" + (">" if i + 1 == len(store) else ""),
        ]
    parts += [
        "    Left = 40",
        "    Top = 392",
        "  end",
    ]
    return "\n".join(parts) + "\n"


def write_form(path, packed, store):
    with open(path, "r", encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    # Drop the components written before, then put them after Button5.
    out, skip = [], False
    for line in lines:
        if line in ("  object SkinData1: TSkinData", "  object SkinStore1: TSkinStore"):
            skip = True
            continue
        if skip:
            skip = line != "  end"
            continue
        out.append(line)
    at = out.index("  object Button5: TButton")
    end = out.index("  end", at)
    out[end + 1:end + 1] = form_components(packed, store).rstrip("\n").split("\n")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("\n".join(out))
