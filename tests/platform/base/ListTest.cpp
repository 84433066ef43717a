#include <gtest/gtest.h>

#include <vector>

#include "platform/base/Classes.h"

namespace {

int A, B, C, D;

std::vector<void*> Items(const TList& list) {
  std::vector<void*> v;
  for (int i = 0; i < list.Count(); ++i) v.push_back(list.Get(i));
  return v;
}

}  // namespace

TEST(List, EditingOperations) {
  TList list;
  EXPECT_EQ(list.Add(&A), 0);
  EXPECT_EQ(list.Add(&B), 1);
  list.Insert(0, &C);
  list.Insert(3, &D);
  EXPECT_EQ(Items(list), (std::vector<void*>{&C, &A, &B, &D}));
  list.Move(0, 3);
  EXPECT_EQ(Items(list), (std::vector<void*>{&A, &B, &D, &C}));
  list.Exchange(0, 2);
  EXPECT_EQ(Items(list), (std::vector<void*>{&D, &B, &A, &C}));
  EXPECT_EQ(list.Remove(&B), 1);
  EXPECT_EQ(list.Remove(&B), -1);
  EXPECT_EQ(list.Extract(&A), &A);
  EXPECT_EQ(list.Extract(&A), nullptr);
  EXPECT_EQ(Items(list), (std::vector<void*>{&D, &C}));
  EXPECT_EQ(list.First(), &D);
  EXPECT_EQ(list.Last(), &C);
  list.Put(1, nullptr);
  EXPECT_EQ(list.IndexOf(nullptr), 1);
  list.SetCount(4);
  EXPECT_EQ(Items(list), (std::vector<void*>{&D, nullptr, nullptr, nullptr}));
  list.SetCount(1);
  EXPECT_EQ(Items(list), (std::vector<void*>{&D}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(List, CapacityIsKeptAndCannotFallBelowCount) {
  TList list;
  list.SetCapacity(100);
  EXPECT_GE(list.GetCapacity(), 100);
  list.Add(&A);
  list.Add(&B);
  list.SetCapacity(2);
  EXPECT_EQ(list.GetCapacity(), 2);
  EXPECT_EQ(Items(list), (std::vector<void*>{&A, &B}));
  EXPECT_THROW(list.SetCapacity(1), EListError);
  EXPECT_THROW(list.SetCount(-1), EListError);
}

TEST(List, BadIndexRaisesAndChangesNothing) {
  TList list;
  list.Add(&A);
  list.Add(&B);
  const std::vector<std::function<void()>> calls = {
      [&] { list.Get(-1); },         [&] { list.Get(2); },         [&] { list.Put(2, &C); },
      [&] { list.Insert(3, &C); },   [&] { list.Insert(-1, &C); }, [&] { list.Delete(2); },
      [&] { list.Exchange(0, 2); },  [&] { list.Move(2, 0); },     [&] { list.Move(0, -1); },
  };
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_THROW(calls[i](), EListError) << "call " << i;
    EXPECT_EQ(Items(list), (std::vector<void*>{&A, &B})) << "call " << i;
  }
  try {
    list.Get(7);
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (7)");
  }
  TList empty;
  EXPECT_THROW(empty.First(), EListError);
  EXPECT_THROW(empty.Last(), EListError);
}

TEST(List, SortIsStable) {
  int v[] = {3, 1, 2, 1};
  TList list;
  for (int& x : v) list.Add(&x);
  list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(Items(list), (std::vector<void*>{&v[1], &v[3], &v[2], &v[0]}));
}
