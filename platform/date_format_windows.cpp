#include "platform/date_format.h"

#include <windows.h>

#include <optional>
#include <string>

// GetDateFormatEx speaks Windows' date pictures, not ICU's patterns: the
// callers' patterns are translated field by field. The month's name follows
// Windows' rule (the form inside a date where the picture has a day, else the
// stand-alone one), which is ICU's "MMMM"; ICU's stand-alone "LLLL" is
// formatted on its own, so a day elsewhere cannot decline it. Hours, minutes
// and seconds are digits in every locale the program has, and are written
// here.

namespace {

// What one GetDateFormatEx call gives for a Windows picture, or nothing.
std::optional<std::wstring> WindowsDate(const std::wstring& locale, const SYSTEMTIME& date, const std::wstring& picture) {
  wchar_t buffer[256];
  const int length = GetDateFormatEx(locale.c_str(), 0, &date, picture.c_str(), buffer, int(std::size(buffer)), nullptr);
  if (length <= 0) return std::nullopt;
  return std::wstring(buffer, size_t(length - 1));
}

// A Windows picture being written: literal text is gathered and quoted
// once, since two quoted pieces side by side ('a''b') would read as a quote.
class Picture {
 public:
  void Literal(std::wstring_view text) { literal_ += text; }
  void Field(std::wstring_view field) {
    Flush();
    picture_ += field;
  }
  std::wstring Done() {
    Flush();
    return picture_;
  }

 private:
  void Flush() {
    if (literal_.empty()) return;
    picture_ += L'\'';
    for (const wchar_t c : literal_) {
      if (c == L'\'') picture_ += L"''";
      else picture_ += c;
    }
    picture_ += L'\'';
    literal_.clear();
  }
  std::wstring picture_, literal_;
};

std::wstring Digits(int value, size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

bool IsPatternLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The Windows picture of an ICU pattern, or nothing for a field it has no
// counterpart for.
std::optional<std::wstring> WindowsPicture(const std::wstring& locale, const SYSTEMTIME& date,
                                           std::u16string_view pattern, const LocalTime& local) {
  Picture picture;
  for (size_t i = 0; i < pattern.size();) {
    const char16_t c = pattern[i];
    if (c == u'\'') {
      // A quoted literal; '' is a quote, inside quotes or out.
      if (i + 1 < pattern.size() && pattern[i + 1] == u'\'') {
        picture.Literal(L"'");
        i += 2;
        continue;
      }
      size_t end = i + 1;
      for (; end < pattern.size(); ++end) {
        if (pattern[end] != u'\'') {
          picture.Literal(std::wstring(1, wchar_t(pattern[end])));
        } else if (end + 1 < pattern.size() && pattern[end + 1] == u'\'') {
          picture.Literal(L"'");
          ++end;
        } else {
          break;
        }
      }
      i = end + 1;
      continue;
    }
    if (!IsPatternLetter(c)) {
      picture.Literal(std::wstring(1, wchar_t(c)));
      ++i;
      continue;
    }
    size_t count = 1;
    while (i + count < pattern.size() && pattern[i + count] == c) ++count;
    i += count;
    switch (c) {
      case u'y': picture.Field(count == 2 ? L"yy" : L"yyyy"); break;
      case u'M': picture.Field(std::wstring(std::min<size_t>(count, 4), L'M')); break;
      case u'L': {
        if (count < 3) {
          picture.Field(std::wstring(count, L'M'));
          break;
        }
        const auto name = WindowsDate(locale, date, count == 3 ? L"MMM" : L"MMMM");
        if (!name) return std::nullopt;
        picture.Literal(*name);
        break;
      }
      case u'd': picture.Field(count == 1 ? L"d" : L"dd"); break;
      case u'E': picture.Field(count >= 4 ? L"dddd" : L"ddd"); break;
      case u'H': picture.Literal(Digits(local.hour, count)); break;
      case u'm': picture.Literal(Digits(local.minute, count)); break;
      case u's': picture.Literal(Digits(local.second, count)); break;
      default: return std::nullopt;
    }
  }
  return picture.Done();
}

}  // namespace

std::u16string FormatLocalDate(std::string_view localeName, std::u16string_view pattern, const LocalTime& local) {
  if (localeName.empty() || pattern.empty()) return {};
  const std::wstring locale(localeName.begin(), localeName.end());
  if (!IsValidLocaleName(locale.c_str())) return {};
  // The fields as they are: no zone conversion happens here.
  SYSTEMTIME date{};
  date.wYear = WORD(local.year);
  date.wMonth = WORD(local.month);
  date.wDay = WORD(local.day);
  date.wDayOfWeek = WORD(local.weekday);
  date.wHour = WORD(local.hour);
  date.wMinute = WORD(local.minute);
  date.wSecond = WORD(local.second);
  const auto picture = WindowsPicture(locale, date, pattern, local);
  if (!picture) return {};
  const auto text = WindowsDate(locale, date, *picture);
  if (!text || text->empty()) return {};
  return std::u16string(text->begin(), text->end());
}

// ICU's stand-alone month ("LLLL"): the nominative that a month shown with
// only its year takes in the languages that decline it ("Μάιος", "maj").
std::u16string MonthYearText(std::string_view localeName, const LocalTime& local) {
  return FormatLocalDate(localeName, u"LLLL - yyyy", local);
}

std::u16string WeekdayDayMonthText(std::string_view localeName, const LocalTime& local) {
  return FormatLocalDate(localeName, u"EEE  dd/MM", local);
}
