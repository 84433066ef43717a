// The XML tree: parsing and writing a generated document of about 3 MB, shaped like a saved word
// processing document (paragraphs of styled text runs with attributes, tables of cells, escaped
// characters, non-ASCII text), beside the XML library's own reader building its tree from the same
// bytes (xmlReadMemory) and the floor of copying the bytes.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <cstring>
#include <random>
#include <string>

#include "formats/xml/RVXMLTree.h"
#include "platform/base/Classes.h"

namespace {

TRVUnicodeString Words(std::mt19937& rng, int Count) {
  std::uniform_int_distribution<int> letter('a', 'z'), length(2, 9), special(0, 40);
  TRVUnicodeString s;
  for (int w = 0; w < Count; ++w) {
    for (int n = length(rng); n > 0; --n) s.push_back(static_cast<char16_t>(letter(rng)));
    switch (special(rng)) {
      case 0: s += u" & "; break;
      case 1: s += u" <x> "; break;
      case 2: s += u"\u00A0"; break;
      case 3: s += u" \u0416\u0438\u0437\u043D\u044C "; break;
      default: s.push_back(u' ');
    }
  }
  return s;
}

// A tree of about Bytes bytes when written, in the given encoding.
void Build(TXMLTree& t, std::size_t Bytes) {
  std::mt19937 rng(37);
  std::uniform_int_distribution<int> style(0, 9), runs(1, 4), words(3, 15);
  TXMLTag* root = t.Items.AddTag("rvxml", &t, &t, false);
  root->Attr.AddAttr("version", u"1");
  TXMLTag* doc = root->Items.AddTag("document", root, &t, false);
  std::size_t approx = 0;
  for (int p = 0; approx < Bytes; ++p) {
    TXMLTag* parent = doc;
    if (p % 20 == 0) {
      TXMLTag* table = doc->Items.AddTag("table", doc, &t, false);
      table->Attr.AddAttr("rows", u"2");
      table->Attr.AddAttr("cols", u"2");
      TXMLTag* row = table->Items.AddTag("row", table, &t, false);
      parent = row->Items.AddTag("cell", row, &t, false);
      parent->Attr.AddAttr("color", u"#FFEEDD");
      approx += 120;
    }
    TXMLTag* para = parent->Items.AddTag("p", parent, &t, false);
    para->Attr.AddAttr("parastyle", u"1");
    for (int r = runs(rng); r > 0; --r) {
      TXMLTag* run = para->Items.AddTag("text", para, &t, false);
      run->Attr.AddAttr("style", std::u16string(1, static_cast<char16_t>(u'0' + style(rng))));
      run->Value = Words(rng, words(rng));
      approx += 30 + run->Value.size() + run->Level;
    }
    approx += 30;
  }
}

std::string Save(const TXMLTree& t) {
  TMemoryStream m;
  t.SaveToStream(m, true);
  return std::string(static_cast<const char*>(m.Memory()), static_cast<std::size_t>(m.GetSize()));
}

const TXMLTree& Tree() {
  static TXMLTree* t = [] {
    auto* x = new TXMLTree(u"utf-8");
    Build(*x, 3u * 1024 * 1024);
    return x;
  }();
  return *t;
}

const std::string& Bytes() {
  static const std::string bytes = Save(Tree());
  return bytes;
}

void Parse(benchmark::State& state) {
  const std::string& s = Bytes();
  for (auto _ : state) {
    TXMLTree t(u"");
    benchmark::DoNotOptimize(t.Parse(s));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size()));
}

void LibraryReadMemory(benchmark::State& state) {
  const std::string& s = Bytes();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(s.data(), static_cast<int>(s.size()), "bench.xml", nullptr, XML_PARSE_NONET);
    if (!doc) state.SkipWithError("the library refused the document");
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size()));
}

void Write(benchmark::State& state) {
  const TXMLTree& t = Tree();
  std::size_t size = Bytes().size();
  for (auto _ : state) {
    TMemoryStream m;
    t.SaveToStream(m, true);
    benchmark::DoNotOptimize(m.Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The floor of both: the same bytes copied into a new memory stream.
void CopyFloor(benchmark::State& state) {
  const std::string& s = Bytes();
  for (auto _ : state) {
    TMemoryStream m;
    m.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
    benchmark::DoNotOptimize(m.Memory());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size()));
}

}  // namespace

BENCHMARK(Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(LibraryReadMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(Write)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyFloor)->Unit(benchmark::kMillisecond);
