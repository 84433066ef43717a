// The XML tree: any bytes parse without harm into a tree no deeper than the limit; the tree writes
// out in both output modes, and where its names are plain the output parses back whole into a
// tree of the same shape.
#include <cstdlib>
#include <vector>

#include "FuzzCommon.h"
#include "formats/xml/RVXMLTree.h"

namespace {

bool PlainName(const TRVAnsiString& n) {
  if (n.empty()) return false;
  for (char c : n)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
          c == ':' || c == '.'))
      return false;
  return true;
}

// Depth-first walk of the tree below t, without recursion; answers false when a name is not plain.
bool Shape(const TXMLTag& t, std::vector<TRVAnsiString>& out) {
  bool plain = true;
  std::vector<const TXMLTag*> stack = {&t};
  while (!stack.empty()) {
    const TXMLTag* x = stack.back();
    stack.pop_back();
    if (x->Level >= XMLMaxDepth) std::abort();
    out.push_back(x->Name + "/" + std::to_string(x->Items.Count()));
    for (int i = 0; i < x->Attr.Count(); ++i) {
      plain = plain && PlainName(x->Attr.Get(i)->Name);
      out.push_back("@" + x->Attr.Get(i)->Name);
    }
    plain = plain && PlainName(x->Name);
    for (int i = x->Items.Count() - 1; i >= 0; --i) stack.push_back(x->Items.Get(i));
  }
  return plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > fuzz::MaxInput) return 0;
  TXMLTree tree(u"");
  tree.Parse(fuzz::Bytes(data, size));
  if (tree.Items.Count() == 0) return 0;
  std::vector<TRVAnsiString> shape;
  bool plain = Shape(*tree.Items.Get(0), shape);
  for (const char16_t* enc : {u"utf-8", u"windows-1252"}) {
    tree.Encoding = enc;
    TMemoryStream out;
    tree.SaveToStream(out, true);
    out.SetPosition(0);
    TXMLTree back(u"");
    bool whole = back.LoadFromStream(out);
    if (!plain) continue;
    if (!whole || back.Items.Count() != 1) std::abort();
    std::vector<TRVAnsiString> again;
    Shape(*back.Items.Get(0), again);
    if (again != shape) std::abort();
  }
  return 0;
}
