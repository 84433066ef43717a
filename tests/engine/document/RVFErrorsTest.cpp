// What reaches the caller of the native format's reader and writer: a failure of the data read or
// written gives false, a fault of the program goes on as it was raised.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "DocTestUtil.h"
#include "engine/foundation/RVError.h"

namespace {

// A stream that raises once Limit bytes have gone through it. Not a memory stream, whose bytes a
// reader may take without reading them.
class TRaisingStream : public TStream {
 public:
  TRaisingStream(std::int64_t Limit, std::function<void()> Raise) : FLimit(Limit), FRaise(std::move(Raise)) {}
  std::int64_t Read(void* Buffer, std::int64_t Count) override {
    if (Armed && FData.GetPosition() + Count > FLimit) FRaise();
    return FData.Read(Buffer, Count);
  }
  std::int64_t Write(const void* Buffer, std::int64_t Count) override {
    if (Armed && FData.GetPosition() + Count > FLimit) FRaise();
    return FData.Write(Buffer, Count);
  }
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override { return FData.Seek(Offset, Origin); }
  void SetSize(std::int64_t NewSize) override { FData.SetSize(NewSize); }
  bool Armed = false;

 private:
  TMemoryStream FData;
  std::int64_t FLimit;
  std::function<void()> FRaise;
};

struct TRaise {
  const char* Name;
  std::function<void()> Raise;
  bool Propagates;
};

const TRaise Raises[] = {
    {"read error", [] { throw EReadError("Stream read error"); }, false},
    {"conversion error", [] { throw EConvertError("'x' is not a valid integer value"); }, false},
    {"memory", [] { throw std::bad_alloc(); }, false},
    {"list index", [] { throw EListError("List index out of bounds (7)"); }, true},
    {"broken assertion", [] { throw std::logic_error("assertion"); }, true},
};

void Fill(TTestDoc& t) {
  for (int i = 0; i < 40; ++i) t.Doc.AddNL(u"a paragraph of the document", i % 2, i % 3);
}

}  // namespace

TEST(RVFErrors, ReaderAnswersDataErrorsAndPassesFaultsOn) {
  TTestDoc a;
  Fill(a);
  for (const TRaise& r : Raises) {
    SCOPED_TRACE(r.Name);
    TRaisingStream s(300, r.Raise);
    ASSERT_TRUE(a.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
    s.SetPosition(0);
    s.Armed = true;
    TTestDoc b;
    TColor color = clNone;
    if (r.Propagates)
      EXPECT_ANY_THROW(b.Doc.LoadRVFFromStream(&s, color, nullptr, nullptr));
    else
      EXPECT_FALSE(b.Doc.LoadRVFFromStream(&s, color, nullptr, nullptr));
  }
}

TEST(RVFErrors, WriterAnswersDataErrorsAndPassesFaultsOn) {
  TTestDoc a;
  Fill(a);
  for (const TRaise& r : Raises) {
    SCOPED_TRACE(r.Name);
    TRaisingStream s(300, r.Raise);
    s.Armed = true;
    if (r.Propagates)
      EXPECT_ANY_THROW(a.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
    else
      EXPECT_FALSE(a.Doc.SaveRVFToStream(&s, false, clNone, nullptr, nullptr, true));
  }
}
