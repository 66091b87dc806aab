#include "ui/screens/key_help.h"

#include "i18n/translate.h"
#include "platform/virtual_keys.h"
#include "ui/screens/screen_background.h"

std::u16string KeyName(int vk) {
  if (vk == kAnyDigit) return u"0–9";
  if (vk >= Vk::LetterA && vk <= Vk::Letter('Z')) return std::u16string(1, char16_t(vk));
  switch (vk) {
    case Vk::Left: return u"←";
    case Vk::Right: return u"→";
    case Vk::Up: return u"↑";
    case Vk::Down: return u"↓";
    case Vk::Grave: return u"`";
    case Vk::Record: return std::u16string(Translate("key_shift")) + u"+R";
    case Vk::OemPlus:
    case Vk::NumpadAdd: return u"+";
    case Vk::OemMinus:
    case Vk::NumpadSubtract: return u"−";
    case Vk::OemQuestion: return u"?";
    case Vk::F1: return u"F1";
    case Vk::F11: return u"F11";
    case Vk::Return: return std::u16string(Translate("key_enter"));
    case Vk::Tab: return std::u16string(Translate("key_tab"));
    case Vk::End: return std::u16string(Translate("key_end"));
    case Vk::PageUp: return std::u16string(Translate("key_page_up"));
    case Vk::PageDown: return std::u16string(Translate("key_page_down"));
    case Vk::Back: return std::u16string(Translate("key_backspace"));
    case Vk::Escape: return std::u16string(Translate("key_esc"));
    case Vk::Space: return std::u16string(Translate("kb_space"));
    case Vk::Delete: return std::u16string(Translate("kb_del"));
    default: return {};
  }
}

std::u16string KeyNames(const HelpKeys& keys) {
  std::u16string names;
  for (const int key : keys) {
    if (key == 0) continue;
    if (!names.empty()) names += u", ";
    names += KeyName(key);
  }
  return names;
}

std::vector<KeyHelp> EverywhereHelp() {
  return {{{Vk::Escape, Vk::Back}, "back"},
          {{Vk::OemPlus, Vk::OemMinus}, "help_volume"},
          {{Vk::Letter('M')}, "mute"},
          {{Vk::F11}, "fullscreen"},
          {{Vk::F1, Vk::OemQuestion}, "help_help"}};
}

KeyHelpSheet MakeKeyHelpSheet(Screen screen, const ScreenHelp& help) {
  KeyHelpSheet sheet;
  sheet.title = TranslateWith("help_title", help.titleKey ? Translate(help.titleKey) : ScreenTitleWord(screen));
  for (const KeyHelp& row : help.rows) sheet.lines.push_back({KeyNames(row.keys), std::u16string(Translate(row.text))});
  sheet.lines.push_back({u"", std::u16string(Translate("help_everywhere"))});
  for (const KeyHelp& row : EverywhereHelp())
    sheet.lines.push_back({KeyNames(row.keys), std::u16string(Translate(row.text))});
  return sheet;
}
