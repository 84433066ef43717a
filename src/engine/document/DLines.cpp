#include "engine/document/DLines.h"

std::unique_ptr<TRVDrawLineInfo> TRVDrawLineInfoClassRec::CreateEx(int ALeft, int ATop, int AWidth, int AHeight,
                                                                   int AItemNo, bool AFromNewLine) const {
  std::unique_ptr<TRVDrawLineInfo> d = Create();
  d->SetData(ALeft, ATop, AFromNewLine, AItemNo);
  d->SetSize(AWidth, AHeight);
  return d;
}

namespace {

template <typename T>
const TRVDrawLineInfoClassRec* ClassRec(const char* Name, int KindCode) {
  static const TRVDrawLineInfoClassRec rec{Name, KindCode,
                                           []() -> std::unique_ptr<TRVDrawLineInfo> { return std::make_unique<T>(); }};
  return &rec;
}

}  // namespace

template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVDrawLineInfo>() {
  return ClassRec<TRVDrawLineInfo>("TRVDrawLineInfo", 0);
}
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVJustifyDrawLineInfo>() {
  return ClassRec<TRVJustifyDrawLineInfo>("TRVJustifyDrawLineInfo", 1);
}
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVSimpleLineHeightDrawLineInfo>() {
  return ClassRec<TRVSimpleLineHeightDrawLineInfo>("TRVSimpleLineHeightDrawLineInfo", 2);
}
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVComplexLineHeightDrawLineInfo>() {
  return ClassRec<TRVComplexLineHeightDrawLineInfo>("TRVComplexLineHeightDrawLineInfo", 3);
}
template <>
TRVDrawLineInfoClass RVDrawLineInfoClassOf<TRVFloatingDrawLineInfo>() {
  return ClassRec<TRVFloatingDrawLineInfo>("TRVFloatingDrawLineInfo", 4);
}

TRVDrawLineInfoClass RVDrawLineInfoClassOfKind(int KindCode) {
  switch (KindCode) {
    case 0: return RVDrawLineInfoClassOf<TRVDrawLineInfo>();
    case 1: return RVDrawLineInfoClassOf<TRVJustifyDrawLineInfo>();
    case 2: return RVDrawLineInfoClassOf<TRVSimpleLineHeightDrawLineInfo>();
    case 3: return RVDrawLineInfoClassOf<TRVComplexLineHeightDrawLineInfo>();
    case 4: return RVDrawLineInfoClassOf<TRVFloatingDrawLineInfo>();
    default: return nullptr;
  }
}
