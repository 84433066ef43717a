#include "platform/base/PersistCodePage.h"

#include <unicode/ucnv.h>

#include <atomic>
#include <memory>

#include "platform/base/SysUtils.h"

namespace persist_cp {

namespace {

std::atomic<int> GCodePage{1252};

struct TConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using TConverter = std::unique_ptr<UConverter, TConverterCloser>;

TConverter OpenConverter(int codePage) {
  UErrorCode err = U_ZERO_ERROR;
  const std::string name = codePage == 65001 ? std::string("UTF-8") : "windows-" + std::to_string(codePage);
  TConverter c(ucnv_open(name.c_str(), &err));
  if (U_FAILURE(err) || !c) {
    err = U_ZERO_ERROR;
    c.reset(ucnv_open(("cp" + std::to_string(codePage)).c_str(), &err));
  }
  if (U_FAILURE(err) || !c) {
    err = U_ZERO_ERROR;
    c.reset(ucnv_open("windows-1252", &err));
  }
  if (c) {
    err = U_ZERO_ERROR;
    ucnv_setSubstChars(c.get(), "?", 1, &err);
  }
  return c;
}

}  // namespace

int AnsiCodePage() { return GCodePage.load(); }

void SetAnsiCodePage(int codePage) { GCodePage.store(codePage); }

std::string UnicodeToAnsi(std::u16string_view s) {
  if (s.empty()) return {};
  TConverter c = OpenConverter(AnsiCodePage());
  if (!c) throw EConvertError(u"No converter for the ANSI code page");
  std::string out(s.size() * 4 + 8, '\0');
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(c.get(), out.data(), static_cast<int32_t>(out.size()), s.data(),
                                    static_cast<int32_t>(s.size()), &err);
  if (U_FAILURE(err)) throw EConvertError(u"Text cannot be converted to the ANSI code page");
  out.resize(static_cast<std::size_t>(n));
  return out;
}

UnicodeString AnsiToUnicode(std::string_view s) { return CodePageToUnicode(s, AnsiCodePage()); }

UnicodeString CodePageToUnicode(std::string_view s, int codePage) {
  if (s.empty()) return {};
  TConverter c = OpenConverter(codePage);
  if (!c) throw EConvertError(u"No converter for the ANSI code page");
  UnicodeString out(s.size() * 2 + 8, u'\0');
  UErrorCode err = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(c.get(), out.data(), static_cast<int32_t>(out.size()), s.data(),
                                  static_cast<int32_t>(s.size()), &err);
  if (U_FAILURE(err)) throw EConvertError(u"Text cannot be converted from the ANSI code page");
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace persist_cp
