// The program's own skin: the committed packed skin and bitmap resources are what the skin
// generator makes today, and every entry decodes to the generator's file byte for byte; the
// stored schemes' menu texts and the selected rows of skinned list boxes can be read, and their
// arrows point the way they scroll.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include "platform/forms/form.h"
#include "platform/forms/form_text.h"
#include "platform/forms/list_box.h"
#include "platform/forms/win/std_controls.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/rtl/resources.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_reader.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skintest;
using testsupport::ReadFile;
using testsupport::SourceDir;

std::string Resource(const char* name) {
  auto data = FindResourceData(name);
  return std::string(reinterpret_cast<const char*>(data.data()), data.size());
}

// The (name, packed skin) pairs of the skin store in the program's main window description.
std::vector<std::pair<std::string, std::string>> StoredSkins() {
  auto bytes = FindResourceData("TForm1");
  TFormObject form = ParseFormDescription(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  std::vector<std::pair<std::string, std::string>> skins;
  for (const TFormObject& c : form.children) {
    if (c.className != "TSkinStore") continue;
    for (const auto& item : c.props.at(0).value.collection) {
      std::string name, data;
      for (const TFormProperty& p : item.props) {
        if (p.name == "DataStream") data = p.value.text;
        if (p.name == "Name") name = p.value.text;
      }
      skins.emplace_back(name, data);
    }
  }
  return skins;
}

// The contrast of two colours by their relative luminance (the WCAG formula): 1 to 21.
double Contrast(TColor a, TColor b) {
  auto luminance = [](TColor c) {
    double l = 0;
    const double weights[] = {0.2126, 0.7152, 0.0722};
    for (int i = 0; i < 3; ++i) {
      const double v = double((c >> (8 * i)) & 0xFF) / 255.0;
      l += weights[i] * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    }
    return l;
  };
  const double x = luminance(a), y = luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

enum class Towards { Left, Right, Up, Down };

// Which way the arrow in one frame of a strip points: its inked pixels (those unlike the
// frame's corner) counted line by line across the arrow's axis grow from its tip to its base.
std::optional<Towards> ArrowIn(const TBitmap& strip, int frames, int frame) {
  const TRect r = SkinFrameRect(strip, false, frames, frame);
  const TColor ground = PixelOf(strip, r.left, r.top);
  std::vector<int> columns(size_t(r.Width())), rows(size_t(r.Height()));
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (PixelOf(strip, x, y) != ground) {
        ++columns[size_t(x - r.left)];
        ++rows[size_t(y - r.top)];
      }
  // The inked lines of one axis, in order; a tip of one pixel and a base of several.
  auto inked = [](const std::vector<int>& counts) {
    std::vector<int> out;
    std::copy_if(counts.begin(), counts.end(), std::back_inserter(out), [](int n) { return n > 0; });
    return out;
  };
  const std::vector<int> across = inked(columns), down = inked(rows);
  if (across.size() < 2 || down.size() < 2) return std::nullopt;
  auto grows = [](const std::vector<int>& v) { return std::is_sorted(v.begin(), v.end()) && v.front() < v.back(); };
  auto shrinks = [](const std::vector<int>& v) {
    return std::is_sorted(v.rbegin(), v.rend()) && v.front() > v.back();
  };
  // A left or right arrow's columns widen towards its base; its rows swell and narrow again.
  if (grows(across)) return Towards::Left;
  if (shrinks(across)) return Towards::Right;
  if (grows(down)) return Towards::Up;
  if (shrinks(down)) return Towards::Down;
  return std::nullopt;
}

TEST(ShippedSkinFiles, TheCommittedFilesAreWhatTheGeneratorMakes) {
  REQUIRE_PACKER();
  testsupport::TempDir dir;
  std::string out;
  ASSERT_EQ(testsupport::Run(std::string(kPython) + " " + SourceDir() + "/tools/skin/make_skin.py --pack " +
                                 dir.File("velmora.skin") + " --resources " + dir.path() + " 2>&1",
                             &out),
            0)
      << out;
  EXPECT_EQ(ReadFile(dir.File("velmora.skin")), ShippedSkin());
  // The main window's description, written again, comes out as committed.
  const std::string form = ReadFile(SourceDir() + "/resources/forms/tarnwick1.dfm");
  testsupport::WriteFile(dir.File("form.dfm"), form);
  ASSERT_EQ(testsupport::Run(std::string(kPython) + " " + SourceDir() + "/tools/skin/make_skin.py --form " +
                             dir.File("form.dfm")),
            0);
  EXPECT_EQ(ReadFile(dir.File("form.dfm")), form);
  for (const char* f : {"track.bmp", "trackvert.bmp", "lumbrelmenu.bmp"})
    EXPECT_EQ(ReadFile(dir.File(f)), ReadFile(SourceDir() + "/resources/skin/" + f)) << f;
  // And they are compiled into the program.
  EXPECT_EQ(Resource("VelmoraSkin"), ShippedSkin());
  EXPECT_EQ(Resource("TRACK"), ReadFile(SourceDir() + "/resources/skin/track.bmp"));
  EXPECT_EQ(Resource("LUMBRELMENU"), ReadFile(SourceDir() + "/resources/skin/lumbrelmenu.bmp"));
  // The program's icon, drawn in the skin's colours by its own generator.
  ASSERT_EQ(testsupport::Run(std::string(kPython) + " " + SourceDir() + "/tools/skin/make_icon.py " +
                             dir.File("velmora.ico")),
            0);
  EXPECT_EQ(ReadFile(dir.File("velmora.ico")), ReadFile(SourceDir() + "/resources/icons/velmora.ico"));
  EXPECT_EQ(Resource("MAINICON"), ReadFile(SourceDir() + "/resources/icons/velmora.ico"));
}

TEST(ShippedSkinFiles, EveryEntryDecodesToTheGeneratorsFile) {
  REQUIRE_PACKER();
  testsupport::TempDir dir;
  const std::vector<std::string> files = MakeSkinSources(dir.path());
  ASSERT_GT(files.size(), 30u);
  TSkinReader reader;
  reader.OnMessage = [](const std::string& m) { ADD_FAILURE() << m; };
  TMemoryStream packed(ShippedSkin());
  ASSERT_TRUE(reader.LoadFromStream(packed));
  EXPECT_EQ(reader.Header.Version, 50000u);
  ASSERT_EQ(reader.Count, static_cast<int>(files.size()));
  uint64_t total = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string name = std::filesystem::path(files[i]).filename().string();
    EXPECT_EQ(reader.Names.Get(static_cast<int>(i)), name);
    TMemoryStream entry;
    reader.GetFile(name, entry);
    const std::string expected = ReadFile(files[i]);
    EXPECT_EQ(entry.DataString(), expected) << name;
    total += expected.size();
    if (name.size() > 4 && name.substr(name.size() - 4) == ".bmp") { EXPECT_EQ(expected.substr(0, 2), "BM") << name; }
  }
  // The archive is the header, the 48-byte block, the names, the size table and the data.
  uint64_t names = 0;
  for (const std::string& f : files) names += std::filesystem::path(f).filename().string().size() + 2;
  EXPECT_EQ(reader.Header.NameListSize, names);
  EXPECT_EQ(static_cast<uint64_t>(reader.Data.Size()), total);
  std::string found;
  TMemoryStream ini;
  reader.FindFile(".ini", ini, found);
  EXPECT_EQ(found, "velmora.ini");
}

using ShippedSkinForm = SkinFixture;

TEST_F(ShippedSkinForm, TheMainWindowCarriesTheSkinAndFourStoredSkins) {
  // The skin component and the store of the main window's description hold the same packed skin.
  auto bytes = FindResourceData("TForm1");
  TFormObject form = ParseFormDescription(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  const std::string packed = Resource("VelmoraSkin");
  int found = 0;
  for (const TFormObject& c : form.children) {
    if (c.className == "TSkinData") {
      EXPECT_EQ(c.name, "SkinData1");
      for (const TFormProperty& p : c.props)
        if (p.name == "SkinStream") { EXPECT_EQ(p.value.text, LE32(static_cast<uint32_t>(packed.size())) + packed); }
      ++found;
    }
    if (c.className == "TSkinStore") {
      EXPECT_EQ(c.name, "SkinStore1");
      // One design in four colour schemes, the program's own first.
      const auto& items = c.props.at(0).value.collection;
      ASSERT_EQ(items.size(), 4u);
      std::vector<std::string> names;
      std::vector<TColor> accents;
      for (size_t i = 0; i < items.size(); ++i) {
        std::string data, name;
        for (const TFormProperty& p : items[i].props) {
          if (p.name == "DataStream") data = p.value.text;
          if (p.name == "Name") name = p.value.text;
        }
        if (i == 0) { EXPECT_EQ(data, packed); }
        SkinDataPtr sd = LoadedSkinData(data);
        ASSERT_TRUE(sd->Ready()) << name;
        EXPECT_EQ(sd->SkinName, name);
        names.push_back(name);
        accents.push_back(sd->Colors.Hilight);
        // The same geometry in every scheme: caption, borders with two frames and cut corners,
        // caption buttons in four states.
        EXPECT_EQ(sd->Top->Bitmap.Height() / sd->Top->Frame, 28) << name;
        EXPECT_EQ(sd->Left->Frame, 2) << name;
        EXPECT_EQ(sd->Left->Trans, 1) << name;
        EXPECT_EQ(PixelOf(sd->Left->Bitmap, 0, 0), Rgb(255, 0, 255)) << name;
        EXPECT_FALSE(sd->Buttons->CheckBitmap.Empty()) << name;
        EXPECT_FALSE(sd->Buttons->RadioBitmap.Empty()) << name;
        EXPECT_NE(sd->Progress, nullptr) << name;
        EXPECT_NE(sd->MenuItem, nullptr) << name;
        EXPECT_NE(sd->MenuBackground, nullptr) << name;
        int withFourFrames = 0;
        for (const auto& b : sd->SysButtons)
          if (b->Align == 1 && !b->Bitmap.Empty() && b->Frame == 4) ++withFourFrames;
        EXPECT_EQ(withFourFrames, 4) << name;
      }
      EXPECT_EQ(names, (std::vector<std::string>{"Velmora", "Velmora Sage", "Velmora Plum", "Velmora Amber"}));
      for (size_t i = 0; i < accents.size(); ++i)
        for (size_t j = i + 1; j < accents.size(); ++j) EXPECT_NE(accents[i], accents[j]);
      ++found;
    }
  }
  EXPECT_EQ(found, 2);
}

// The selected menu item's text (HilightText) on the selected item frame, and on the Hilight
// colour where an item is drawn without the frame, reads as text should (at least 4.5 : 1);
// so does every other item's on the menu.
TEST_F(ShippedSkinForm, EverySchemesMenuTextsCanBeReadOnWhatTheyAreDrawnOn) {
  const auto skins = StoredSkins();
  ASSERT_EQ(skins.size(), 4u);
  for (const auto& [name, packed] : skins) {
    SCOPED_TRACE(name);
    SkinDataPtr sd = LoadedSkinData(packed);
    ASSERT_TRUE(sd->Ready());
    ASSERT_NE(sd->MenuItem, nullptr);
    const TBitmap& items = sd->MenuItem->Bitmap;
    const TRect selected = SkinFrameRect(items, false, 5, 4);
    const TSkinColors& s = sd->Colors;
    auto rgb = [](TColor c) { return TColor(ColorToRGB(c)); };
    const struct {
      const char* what;
      TColor text, ground;
    } pairs[] = {
        {"selected item on its frame", rgb(s.HilightText),
         PixelOf(items, (selected.left + selected.right) / 2, (selected.top + selected.bottom) / 2)},
        {"selected item in plain colours", rgb(s.HilightText), rgb(s.Hilight)},
        {"item on the menu", rgb(s.MenuText), rgb(s.Menu)},
    };
    for (const auto& p : pairs) EXPECT_GE(Contrast(p.text, p.ground), 4.5) << p.what;
  }
}

// Every arrow of the scroll bars, up-down controls and drop-down buttons points the way its
// frame scrolls: left and up first, then right and down.
TEST_F(ShippedSkinForm, EverySchemesArrowsPointTheWayTheirFramesScroll) {
  for (const auto& [name, packed] : StoredSkins()) {
    SCOPED_TRACE(name);
    SkinDataPtr sd = LoadedSkinData(packed);
    ASSERT_TRUE(sd->Ready());
    ASSERT_TRUE(sd->Scrollbar && sd->UpDownHorz && sd->UpDownVert && sd->ExtraImages);
    const struct {
      const char* what;
      const TBitmap& strip;
      int frames, first, last;
      Towards towards;
    } groups[] = {
        {"scroll bar, left", sd->Scrollbar->Bitmap, 23, 1, 4, Towards::Left},
        {"scroll bar, right", sd->Scrollbar->Bitmap, 23, 5, 8, Towards::Right},
        {"scroll bar, up", sd->Scrollbar->Bitmap, 23, 9, 12, Towards::Up},
        {"scroll bar, down", sd->Scrollbar->Bitmap, 23, 13, 16, Towards::Down},
        {"horizontal up-down, left", sd->UpDownHorz->Bitmap2, 8, 1, 4, Towards::Left},
        {"horizontal up-down, right", sd->UpDownHorz->Bitmap2, 8, 5, 8, Towards::Right},
        {"vertical up-down, up", sd->UpDownVert->Bitmap2, 8, 1, 4, Towards::Up},
        {"vertical up-down, down", sd->UpDownVert->Bitmap2, 8, 5, 8, Towards::Down},
        {"drop-down button", sd->ExtraImages->Bitmap, 5, 1, 4, Towards::Down},
    };
    for (const auto& g : groups)
      for (int frame = g.first; frame <= g.last; ++frame) {
        const std::optional<Towards> seen = ArrowIn(g.strip, g.frames, frame);
        ASSERT_TRUE(seen.has_value()) << g.what << " frame " << frame;
        EXPECT_EQ(int(*seen), int(g.towards)) << g.what << " frame " << frame;
      }
  }
}

// A list box's rows on the screen, the list wearing each stored scheme: the selected row is
// drawn on the skin's highlight colour, and its text and every other row's read on what they are
// drawn on (at least 4.5 : 1), focused or not; so is the selected text of an edit.
using ShippedSkinLists = SkinnedFormFixture;

TEST_F(ShippedSkinLists, EverySchemesListRowsCanBeReadSelectedOrNot) {
  const char* const kForm =
      "object ListForm: TForm\n  Left = 60\n  Top = 60\n  ClientHeight = 160\n  ClientWidth = 240\n"
      "  object List: TListBox\n    Left = 10\n    Top = 10\n    Width = 200\n    Height = 120\n  end\n"
      "  object Path: TEdit\n    Left = 10\n    Top = 134\n    Width = 200\n    Height = 21\n"
      "    Text = '/srv/photos/Selected WWW.jpg'\n  end\n"
      "end\n";
  // The most frequent colour of a client rectangle's inside, and the best contrast any other
  // colour there has with it.
  auto readable = [this](HWND window, const RECT& r) {
    std::map<TColor, int> seen;
    for (int y = r.top + 1; y < r.bottom - 1; ++y)
      for (int x = r.left + 1; x < r.right - 1; ++x) {
        POINT p{x, y};
        ClientToScreen(window, &p);
        ++seen[ScreenColor(p.x, p.y)];
      }
    const TColor ground =
        std::max_element(seen.begin(), seen.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    double best = 1;
    for (const auto& [colour, count] : seen) best = std::max(best, Contrast(colour, ground));
    return std::pair{ground, best};
  };
  for (const auto& [name, packed] : StoredSkins())
    for (bool focused : {true, false}) {
      SCOPED_TRACE(name + (focused ? ", focused" : ""));
      if (form) form->Free();
      form = nullptr;
      sd = LoadedSkinData(packed);
      ASSERT_TRUE(sd->Ready());
      ShowForm(kForm, [](TForm* f) {
        auto* list = dynamic_cast<TListBox*>(f->FindComponent("List"));
        for (const char* row : {"Width", "Height - WWW", "Aspect ratio", "Landscape/portrait"}) list->Items()->Add(row);
      });
      auto* list = dynamic_cast<TListBox*>(form->FindComponent("List"));
      ASSERT_NE(list, nullptr);
      list->SetItemIndex(1);
      if (focused) list->SetFocus();
      Pump();
      for (int row = 0; row < 3; ++row) {
        RECT r{};
        SendMessageW(list->Handle(), LB_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r));
        // The most frequent colour is the ground; the text is what stands out most from it.
        const auto [ground, best] = readable(list->Handle(), r);
        if (row == 1) {
          EXPECT_EQ(ground, TColor(ColorToRGB(sd->Colors.Hilight))) << "row " << row;
        }
        EXPECT_GE(best, 4.5) << "row " << row;
      }
      if (focused) continue;
      // The edit's selected words ("Selected WWW"), the edit focused.
      auto* edit = dynamic_cast<TWinControl*>(form->FindComponent("Path"));
      ASSERT_NE(edit, nullptr);
      edit->SetFocus();
      SendMessageW(edit->Handle(), EM_SETSEL, 12, 24);
      Pump();
      const LRESULT from = SendMessageW(edit->Handle(), EM_POSFROMCHAR, 12, 0);
      const LRESULT to = SendMessageW(edit->Handle(), EM_POSFROMCHAR, 24, 0);
      HDC dc = GetDC(edit->Handle());
      HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageW(edit->Handle(), WM_GETFONT, 0, 0)));
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      SelectObject(dc, old);
      ReleaseDC(edit->Handle(), dc);
      const RECT words{short(LOWORD(from)), short(HIWORD(from)), short(LOWORD(to)), short(HIWORD(from)) + int(tm.tmHeight)};
      const auto [ground, best] = readable(edit->Handle(), words);
      EXPECT_EQ(ground, TColor(ColorToRGB(sd->Colors.Hilight))) << "edit";
      EXPECT_GE(best, 4.5) << "edit";
    }
}

}  // namespace
