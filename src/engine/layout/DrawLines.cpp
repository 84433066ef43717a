#include "engine/layout/DrawLines.h"

#include <algorithm>
#include <vector>

#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"

namespace {

[[noreturn]] void AssertionFailure() { throw EViroZereError("Assertion failure"); }

}  // namespace

// ---- the gap --------------------------------------------------------------------------------------

void TRVDrawLines::Insert(int Index, TRVDrawLineInfo* DrawItem) {
  if (FDeletedCount > 0) {
    if (Index != FStartDeletedIndex) AssertionFailure();
    FList[static_cast<std::size_t>(Index)] = DrawItem;
    ++FStartDeletedIndex;
    --FDeletedCount;
    return;
  }
  TList::Insert(Index, DrawItem);
  // An empty gap stays in front of what is inserted at its place.
  if (FStartDeletedIndex >= 0 && Index <= FStartDeletedIndex) ++FStartDeletedIndex;
}

void TRVDrawLines::Delete(int Index) {
  if (FDeletedCount > 0) {
    if (Index != FStartDeletedIndex - 1) AssertionFailure();
    delete Get(Index);
    FList[static_cast<std::size_t>(Index)] = nullptr;
    --FStartDeletedIndex;
    ++FDeletedCount;
    return;
  }
  TRVDrawLineInfo* d = Get(Index);
  TList::Delete(Index);
  if (FStartDeletedIndex > Index) --FStartDeletedIndex;
  delete d;
}

void TRVDrawLines::MarkForDelete(int First, int Last) {
  if (FDeletedCount > 0) AssertionFailure();
  if (First <= Last) {
    CheckIndex(First);
    CheckIndex(Last);
  }
  for (int i = First; i <= Last; ++i) {
    delete (*this)[i];
    FList[static_cast<std::size_t>(i)] = nullptr;
  }
  FStartDeletedIndex = First;
  FDeletedCount = std::max(0, Last - First + 1);
}

void TRVDrawLines::DeleteMarked() {
  if (FDeletedCount > 0) {
    const auto first = FList.begin() + FStartDeletedIndex;
    FList.erase(first, first + FDeletedCount);
  }
  CloseGap();
}

void TRVDrawLines::Clear() {
  TList::Clear();
  CloseGap();
}

void TRVDrawLines::FreeAll() {
  for (void* p : FList) delete static_cast<TRVDrawLineInfo*>(p);
  Clear();
}

// ---- text ------------------------------------------------------------------------------------------

TRVUnicodeString TRVDrawLines::GetString(int Index, const TRVItemList* Items) const {
  const TRVDrawLineInfo* d = Get(Index);
  const TRVUnicodeString& s = Items->GetItem(d->ItemNo);
  const std::int64_t start = std::max<std::int64_t>(d->Offs, 1) - 1;
  const std::int64_t size = static_cast<std::int64_t>(s.size());
  if (start >= size || d->TextLength <= 0) return {};
  return s.substr(static_cast<std::size_t>(start),
                  static_cast<std::size_t>(std::min<std::int64_t>(d->TextLength, size - start)));
}

// ---- floating boxes reaching down to a line ------------------------------------------------------

int TRVDrawLines::FindFirstFloatingAboveDrawItem(int Index, int MinIndex, bool UseTop, int Top) const {
  if (!UseTop) {
    // Past the last draw item there is no line whose top could be reached.
    if (Index < 0 || Index >= Count()) return -1;
    Top = (*this)[Index]->Top;
  }
  int found = -1;
  for (int i = std::min(Index, Count()) - 1; i >= std::max(MinIndex, 0); --i) {
    const TRVDrawLineInfo* d = (*this)[i];
    if (const TRVFloatingDrawLineInfo* f = AsFloatingDrawItem(d); f && f->GetFloatBottom() >= Top) found = i;
    if (d->FromNewLine && !d->FloatingAboveUsed) break;
  }
  return found;
}

namespace {

// Calls Take(i) for each floating draw item before Index, last first, whose bottom is at Y - 1 or
// below, back to the first line start not laid out under floating boxes.
template <typename F>
void WalkFloatingCrossingY(const TRVDrawLines& Lines, int Y, int Index, F Take) {
  for (int i = std::min(Index, Lines.Count()) - 1; i >= 0; --i) {
    const TRVDrawLineInfo* d = Lines[i];
    if (const TRVFloatingDrawLineInfo* f = AsFloatingDrawItem(d); f && f->GetFloatBottom() >= Y - 1) Take(i);
    if (d->FromNewLine && !d->FloatingAboveUsed) break;
  }
}

}  // namespace

void TRVDrawLines::AssignFloatingCrossingY(int Y, int Index, TRVIntegerList& ResultList) const {
  WalkFloatingCrossingY(*this, Y, Index, [&](int i) { ResultList.Insert(0, i); });
}

void TRVDrawLines::AssignFloatingAboveDrawItem(int DItemNo, TRVIntegerList& ResultList) const {
  AssignFloatingCrossingY(Get(DItemNo)->Top, DItemNo, ResultList);
}

// ---- the floating list --------------------------------------------------------------------------

void TRVFloatingDrawItems::FillFloatingCrossingY(int Y, int Index, const TRVDrawLines& Source) {
  WalkFloatingCrossingY(Source, Y, Index, [&](int i) { TList::Insert(0, Source[i]); });
}

void TRVFloatingDrawItems::RemoveNonOverlapping(int Y) {
  std::erase_if(FList, [Y](void* p) { return static_cast<TRVFloatingDrawLineInfo*>(p)->GetFloatBottom() < Y; });
}

void TRVFloatingDrawItems::MarkNonOverlapping(int Y, TRVIntegerList& Marks) const {
  for (int i = 0; i < Count(); ++i)
    if ((*this)[i]->GetFloatBottom() < Y) Marks.Put(i, 0);
}

int TRVFloatingDrawItems::GetFloatBottom() const {
  int r = 0;
  for (int i = 0; i < Count(); ++i) r = i == 0 ? (*this)[i]->GetFloatBottom() : std::max(r, (*this)[i]->GetFloatBottom());
  return r;
}

bool TRVFloatingDrawItems::HasFloatOfType(const TRVIntegerList* Marks, TRVDItemFloatingType FloatType) const {
  for (int i = 0; i < Count(); ++i)
    if ((!Marks || Marks->Get(i) != 0) && (*this)[i]->FloatType == FloatType) return true;
  return false;
}

void TRVFloatingDrawItems::AdjustLineSize(int MinLeftIndent, int MinWidth, const TRVDrawLines* ClearIgnore,
                                          bool ClearRight, bool ClearLeft, bool AllowDelete, int& LineWidth,
                                          int& LeftIndent, int& Y, int MaxRightSide) {
  // Items are dropped by removing them (AllowDelete) or by clearing their mark.
  std::vector<char> marks(AllowDelete ? 0 : static_cast<std::size_t>(Count()), 1);
  auto alive = [&](int i) { return AllowDelete || marks[static_cast<std::size_t>(i)] != 0; };
  auto drop = [&](int y) {
    if (AllowDelete) {
      RemoveNonOverlapping(y);
    } else {
      for (int i = 0; i < Count(); ++i)
        if ((*this)[i]->GetFloatBottom() < y) marks[static_cast<std::size_t>(i)] = 0;
    }
  };
  auto lastOfType = [&](TRVDItemFloatingType t, int before) {
    for (int i = before - 1; i >= 0; --i)
      if (alive(i) && (*this)[i]->FloatType == t) return i;
    return -1;
  };
  auto ignored = [&](const TRVFloatingDrawLineInfo* f) { return ClearIgnore && ClearIgnore->IndexOf(f) >= 0; };
  auto moveBelow = [&](const TRVFloatingDrawLineInfo* f) {
    Y = f->GetFloatBottom() + 1;
    drop(Y);
  };

  drop(Y);
  int W = LineWidth, L = LeftIndent;
  for (;;) {
    W = LineWidth;
    L = LeftIndent;
    const int b = lastOfType(rvdifLeft, Count());
    const int r = lastOfType(rvdifRight, Count());
    if (b < 0) L = MinLeftIndent;
    if (r < 0) W = MaxRightSide - L;
    if (b < 0 && r < 0) break;
    bool moved = false;
    if (b >= 0) {
      const TRVFloatingDrawLineInfo* B = (*this)[b];
      if (L < B->GetFloatRight()) {
        W -= B->GetFloatRight() - L;
        L = B->GetFloatRight();
      }
      if ((ClearLeft && !ignored(B)) || W < MinWidth) {
        moveBelow(B);
        moved = true;
      } else {
        for (int i = lastOfType(rvdifLeft, b); i >= 0; i = lastOfType(rvdifLeft, i))
          if ((*this)[i]->GetFloatRight() > B->GetFloatRight()) {
            moveBelow((*this)[i]);
            moved = true;
            break;
          }
      }
    }
    if (!moved && r >= 0) {
      const TRVFloatingDrawLineInfo* R = (*this)[r];
      if (R->FloatLeft < L + W) W = R->FloatLeft < L ? -1 : R->FloatLeft - L;
      if ((ClearRight && !ignored(R)) || W < MinWidth) {
        moveBelow(R);
        moved = true;
      } else {
        for (int i = lastOfType(rvdifRight, r); i >= 0; i = lastOfType(rvdifRight, i))
          if ((*this)[i]->FloatLeft < R->FloatLeft) {
            moveBelow((*this)[i]);
            moved = true;
            break;
          }
      }
    }
    if (!moved) break;
  }
  LineWidth = W;
  LeftIndent = L;
}
