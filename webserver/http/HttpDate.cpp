// HttpDate.cpp: the dates of HTTP fields.
#include "http/HttpDate.h"

#include <cstring>

namespace {

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days from 1 January 1601 to the date (proleptic Gregorian).
int64_t DaysSince1601(int year, int month, int day) {
  // Shifted so the year starts in March: the leap day ends it.
  int y = month <= 2 ? year - 1 : year;
  int m = month <= 2 ? month + 9 : month - 3;
  int64_t days = 365LL * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + day - 1;
  const int64_t k1601 = 365LL * 1600 + 1600 / 4 - 1600 / 100 + 1600 / 400 + (153 * 10 + 2) / 5;
  return days - k1601;
}

int DaysInMonth(int year, int month) {
  static const int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDaysIn[month - 1];
}

void AppendNumber(std::string* out, unsigned n, int width) {
  char digits[8];
  for (int i = width - 1; i >= 0; --i, n /= 10) digits[i] = static_cast<char>('0' + n % 10);
  out->append(digits, width);
}

// Reads exactly count digits at *p.
bool Digits(const char** p, int count, int* value) {
  *value = 0;
  for (int i = 0; i < count; ++i, ++*p) {
    if (**p < '0' || **p > '9') return false;
    *value = *value * 10 + (**p - '0');
  }
  return true;
}

bool Literal(const char** p, const char* text) {
  size_t n = std::strlen(text);
  if (std::strncmp(*p, text, n) != 0) return false;
  *p += n;
  return true;
}

// One of the names, exactly as written (HTTP dates are case-sensitive).
bool Name(const char** p, const char* const* names, int count, int* index) {
  for (int i = 0; i < count; ++i) {
    if (Literal(p, names[i])) {
      *index = i;
      return true;
    }
  }
  return false;
}

bool Clock(const char** p, int* hour, int* minute, int* second) {
  return Digits(p, 2, hour) && Literal(p, ":") && Digits(p, 2, minute) && Literal(p, ":") &&
         Digits(p, 2, second);
}

}  // namespace

std::string FormatHttpDate(uint64_t fileTime) {
  uint64_t seconds = fileTime / kFileTimeTicksPerSecond;
  int64_t days = static_cast<int64_t>(seconds / 86400);
  unsigned inDay = static_cast<unsigned>(seconds % 86400);
  // 1 January 1601 was a Monday.
  int weekday = static_cast<int>((days + 1) % 7);
  int year = 1601 + static_cast<int>(days / 366);
  while (DaysSince1601(year + 1, 1, 1) <= days) ++year;
  int month = 1;
  while (month < 12 && DaysSince1601(year, month + 1, 1) <= days) ++month;
  int day = static_cast<int>(days - DaysSince1601(year, month, 1)) + 1;
  std::string out = kDays[weekday];
  out += ", ";
  AppendNumber(&out, day, 2);
  out += ' ';
  out += kMonths[month - 1];
  out += ' ';
  AppendNumber(&out, year, 4);
  out += ' ';
  AppendNumber(&out, inDay / 3600, 2);
  out += ':';
  AppendNumber(&out, inDay / 60 % 60, 2);
  out += ':';
  AppendNumber(&out, inDay % 60, 2);
  out += " GMT";
  return out;
}

bool ParseHttpDate(const std::string& text, uint64_t* fileTime) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return false;
  size_t end = text.find_last_not_of(" \t") + 1;
  std::string date = text.substr(begin, end - begin);
  const char* p = date.c_str();
  int weekday = 0, day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  bool ok = false;
  if (Name(&p, kLongDays, 7, &weekday)) {
    // Sunday, 06-Nov-94 08:49:37 GMT
    ok = Literal(&p, ", ") && Digits(&p, 2, &day) && Literal(&p, "-") &&
         Name(&p, kMonths, 12, &month) && Literal(&p, "-") && Digits(&p, 2, &year) &&
         Literal(&p, " ") && Clock(&p, &hour, &minute, &second) && Literal(&p, " GMT");
    year += year < 70 ? 2000 : 1900;
  } else if (Name(&p, kDays, 7, &weekday)) {
    if (*p == ',') {
      // Sun, 06 Nov 1994 08:49:37 GMT
      ok = Literal(&p, ", ") && Digits(&p, 2, &day) && Literal(&p, " ") &&
           Name(&p, kMonths, 12, &month) && Literal(&p, " ") && Digits(&p, 4, &year) &&
           Literal(&p, " ") && Clock(&p, &hour, &minute, &second) && Literal(&p, " GMT");
    } else {
      // Sun Nov  6 08:49:37 1994: the day is one digit after a space, or two
      ok = Literal(&p, " ") && Name(&p, kMonths, 12, &month) && Literal(&p, " ") &&
           (Literal(&p, " ") ? Digits(&p, 1, &day) : Digits(&p, 2, &day)) && Literal(&p, " ") &&
           Clock(&p, &hour, &minute, &second) && Literal(&p, " ") && Digits(&p, 4, &year);
    }
  }
  ++month;
  if (!ok || *p != 0) return false;
  if (year < 1601 || day < 1 || day > DaysInMonth(year, month)) return false;
  // A leap second counts as the last second of its minute.
  if (hour > 23 || minute > 59 || second > 60) return false;
  if (second == 60) second = 59;
  uint64_t seconds = static_cast<uint64_t>(DaysSince1601(year, month, day)) * 86400 + hour * 3600 +
                     minute * 60 + second;
  *fileTime = seconds * kFileTimeTicksPerSecond;
  return true;
}
