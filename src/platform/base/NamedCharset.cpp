#include "platform/base/NamedCharset.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include "platform/base/IcuConverter.h"

namespace named_charset_detail {

icu_converter::Ptr Open(const char* name) {
  if (!name || !*name) return nullptr;
  UErrorCode err = U_ZERO_ERROR;
  icu_converter::Ptr cnv(ucnv_open(name, &err));
  if (U_FAILURE(err)) return nullptr;
  // Stop at the first character without a counterpart instead of substituting one.
  ucnv_setFromUCallBack(cnv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  ucnv_setToUCallBack(cnv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  if (U_FAILURE(err)) return nullptr;
  return cnv;
}

}  // namespace named_charset_detail

bool NamedCharsetKnown(const char* Name) { return named_charset_detail::Open(Name) != nullptr; }

bool UnicodeToNamedCharset(const char* Name, std::u16string_view s, std::string& Out) {
  Out.clear();
  icu_converter::Ptr cnv = named_charset_detail::Open(Name);
  if (!cnv) return false;
  if (s.empty()) return true;
  UErrorCode err = U_ZERO_ERROR;
  const int32_t need = ucnv_fromUChars(cnv.get(), nullptr, 0, reinterpret_cast<const UChar*>(s.data()),
                                       static_cast<int32_t>(s.size()), &err);
  if (err != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(err)) return false;
  Out.resize(static_cast<std::size_t>(need));
  err = U_ZERO_ERROR;
  ucnv_resetFromUnicode(cnv.get());
  ucnv_fromUChars(cnv.get(), Out.data(), need, reinterpret_cast<const UChar*>(s.data()), static_cast<int32_t>(s.size()),
                  &err);
  if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) {
    Out.clear();
    return false;
  }
  return true;
}

bool NamedCharsetToUnicode(const char* Name, std::string_view s, UnicodeString& Out) {
  Out.clear();
  icu_converter::Ptr cnv = named_charset_detail::Open(Name);
  if (!cnv) return false;
  if (s.empty()) return true;
  UErrorCode err = U_ZERO_ERROR;
  const int32_t need = ucnv_toUChars(cnv.get(), nullptr, 0, s.data(), static_cast<int32_t>(s.size()), &err);
  if (err != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(err)) return false;
  Out.resize(static_cast<std::size_t>(need));
  err = U_ZERO_ERROR;
  ucnv_resetToUnicode(cnv.get());
  ucnv_toUChars(cnv.get(), reinterpret_cast<UChar*>(Out.data()), need, s.data(), static_cast<int32_t>(s.size()), &err);
  if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) {
    Out.clear();
    return false;
  }
  return true;
}
