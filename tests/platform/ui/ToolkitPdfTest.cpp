#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/base/SysUtils.h"
#include "platform/ui/ToolkitPdf.h"

TEST(ToolkitPdf, WritesThePagesItIsGiven) {
  std::string path = std::string(TAVRELO_TEST_OUTPUT) + "/toolkit-peer.pdf";
  std::vector<TToolkitPdfPage> pages(2);
  pages[0].Texts.push_back({50, 60, 0, u"first page"});
  pages[1].Lines.push_back({10, 10, 100, 100, 2});
  pages[1].Rects.push_back({20, 20, 50, 30});
  ASSERT_TRUE(ToolkitWritePdf(Utf8ToUnicode(path), {{u"Helvetica", 12, false}}, pages));
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  std::string bytes = ss.str();
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  EXPECT_NE(bytes.find("/Count 2"), std::string::npos);
  EXPECT_FALSE(ToolkitWritePdf(u"/no/such/folder/x.pdf", {}, pages));
}
