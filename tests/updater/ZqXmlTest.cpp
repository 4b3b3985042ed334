// The XML wrapper: empty results instead of errors, shared ownership,
// iteration, and documents from bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UpdaterTestUtil.h"
#include "ZqXml.h"

namespace {

zq_xml::KXMLDocument FromText(const std::string& text, bool* loaded = nullptr) {
  zq_xml::KXMLDocument document;
  EXPECT_TRUE(document.Create());
  document.SetAsync(false);
  EXPECT_TRUE(document.SetUntrustedInput());
  const bool ok = document.LoadBytes(text.data(), text.size());
  if (loaded) *loaded = ok;
  return document;
}

TEST(ZqXml, MissingNodesGiveEmptyResults) {
  updatertest::ComScope com;
  zq_xml::KXMLDocument document =
      FromText("<?xml version=\"1.0\"?><root a=\"1\"><item k=\"x\">one</item><item>two</item></root>");
  zq_xml::KXMLNode rss = document.SelectSingleNode(L"/rss");
  EXPECT_FALSE(rss.IsValid());
  EXPECT_EQ(rss.Text(), L"");
  EXPECT_FALSE(rss.Attributes().IsValid());
  EXPECT_EQ(rss.Attributes().GetNamedItemText(L"k"), L"");
  EXPECT_FALSE(rss.SelectSingleNode(L"./x").IsValid());
  EXPECT_EQ(rss.SelectNodes(L"./x").Length(), 0);

  zq_xml::KXMLNode item = document.SelectSingleNode(L"/root/item");
  EXPECT_EQ(item.Text(), L"one");
  EXPECT_EQ(item.Attributes().GetNamedItemText(L"k"), L"x");
  EXPECT_EQ(item.Attributes().GetNamedItemText(L"absent"), L"");
  EXPECT_EQ(document.SelectSingleNode(L"/root").Text(), L"onetwo");
  EXPECT_FALSE(document.SelectNodes(L"/root/item").Item(5).IsValid());
  EXPECT_FALSE(document.SelectNodes(L"/root/item").Item(-1).IsValid());
}

TEST(ZqXml, CopiesShareOneReference) {
  updatertest::ComScope com;
  zq_xml::KXMLDocument document = FromText("<root><item>one</item></root>");
  zq_xml::KXMLNode first = document.SelectSingleNode(L"/root/item");
  ASSERT_EQ(first.ShareCount(), 1);
  {
    zq_xml::KXMLNode copy = first;
    EXPECT_EQ(first.ShareCount(), 2);
    EXPECT_EQ(copy.GetInterface(), first.GetInterface());
  }
  EXPECT_EQ(first.ShareCount(), 1);
  EXPECT_EQ(first.Text(), L"one");
}

TEST(ZqXml, IterationVisitsEveryNodeOnce) {
  updatertest::ComScope com;
  zq_xml::KXMLDocument document = FromText("<root><i>a</i><i>b</i><i>c</i></root>");
  zq_xml::KXMLNodeList list = document.SelectNodes(L"/root/i");
  std::vector<std::wstring> seen;
  for (zq_xml::KXMLNodeListIterator it = list.Begin(); it != list.End(); ++it)
    seen.push_back(it->Text());
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"a", L"b", L"c"}));
  zq_xml::KXMLNodeList empty = document.SelectNodes(L"/root/none");
  EXPECT_TRUE(empty.Begin() == empty.End());
  zq_xml::KXMLNodeList invalid;
  EXPECT_TRUE(invalid.Begin() == invalid.End());
  zq_xml::KXMLNodeListIterator end = list.End();
  ++end;
  EXPECT_TRUE(end == list.End()) << "an iterator never passes the end";
}

TEST(ZqXml, FailedDocumentsAnswerEmpty) {
  updatertest::ComScope com;
  bool loaded = true;
  zq_xml::KXMLDocument broken = FromText("<root><open></root>", &loaded);
  EXPECT_FALSE(loaded);
  EXPECT_FALSE(broken.SelectSingleNode(L"/root").IsValid());
  EXPECT_EQ(broken.SelectNodes(L"/root").Length(), 0);
  zq_xml::KXMLDocument never;
  EXPECT_FALSE(never.IsValid());
  EXPECT_FALSE(never.Load(L"C:\\nothing.xml"));
  EXPECT_FALSE(never.LoadBytes("<a/>", 4));
  EXPECT_FALSE(never.SelectSingleNode(L"/a").IsValid());
  EXPECT_FALSE(never.HasDocumentType());
}

TEST(ZqXml, DocumentTypesAreRefusedOrDetected) {
  updatertest::ComScope com;
  bool loaded = false;
  zq_xml::KXMLDocument typed = FromText(
      "<?xml version=\"1.0\"?><!DOCTYPE root [<!ENTITY e \"expanded\">]><root>&e;</root>", &loaded);
  // Either the parser refuses the DTD, or it is there to be seen and the
  // callers refuse the document.
  EXPECT_TRUE(!loaded || typed.HasDocumentType());
  zq_xml::KXMLDocument plain = FromText("<root/>", &loaded);
  EXPECT_TRUE(loaded);
  EXPECT_FALSE(plain.HasDocumentType());
}

}  // namespace
