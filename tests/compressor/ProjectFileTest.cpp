// The project file: its exact format, reading it back, and projects that
// are refused before the tree is touched.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>

#include "ArchiveTree.h"
#include "CompressorTestUtil.h"
#include "InstallerPackage.h"
#include "ProjectFile.h"
#include "TestSupport.h"

namespace {

using testsupport::TempDir;

std::string ReadAll(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  testsupport::ReadFileBytes(path, bytes);
  return std::string(bytes.begin(), bytes.end());
}

// The text with every line end and the whitespace around elements removed.
std::string Compact(const std::string& text) {
  std::string out;
  bool inTag = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '<') inTag = true;
    if (c == '>') inTag = false;
    if (!inTag && (c == '\r' || c == '\n' || c == '\t' || c == ' ')) {
      // Whitespace between elements only: keep it inside text.
      size_t next = text.find_first_not_of(" \t\r\n", i);
      const bool betweenElements = (out.empty() || out.back() == '>') &&
                                   (next == std::string::npos || text[next] == '<');
      if (betweenElements) continue;
    }
    out.push_back(c);
  }
  return out;
}

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }

  // Loads a project's text into the tree: 0, or the code of the refusal.
  int Load(const std::string& text) {
    const std::wstring path = dir / L"in.qxc";
    testsupport::WriteTextFile(path, text);
    return LoadFile(path);
  }
  int LoadFile(const std::wstring& path) {
    IXMLDOMDocument* document = CreateProjectDocument();
    if (!document) return -1;
    const int code = LoadProjectDocument(document, path.c_str());
    if (code == 0) ReadProjectIntoTree(pane.tree(), document);
    document->Release();
    return code;
  }

  TempDir dir{L"proj"};
  ArchivePaneFixture pane;
};

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

TEST_F(ProjectFileTest, WrittenInTreeOrderAsUtf8WithTheDeclarationAndReadBackTheSame) {
  HWND tree = pane.tree();
  HTREEITEM root = GetArchiveRoot(tree);
  HTREEITEM docs = MakeFolderItem(tree, root, L"docs");
  MakeFileItem(tree, docs, L"a.txt", L"C:\\p\\docs\\a.txt");
  MakeFileItem(tree, root, L"b.txt", L"C:\\p\\b.txt");
  HTREEITEM japanese = MakeFolderItem(tree, root, L"\u65e5\u672c");
  MakeFileItem(tree, japanese, L"\u00fc & x.txt", L"C:\\\u00e4\\\u00fc & x.txt");
  MakeFolderItem(tree, root, L"empty");
  const std::wstring path = dir / L"p.qxc";
  ASSERT_TRUE(WriteProjectFile(tree, path.c_str()));

  const std::string text = ReadAll(path);
  ASSERT_EQ(0u, text.rfind(kDeclaration, 0)) << text;
  EXPECT_EQ(std::string(kDeclaration) +
                "<VesmarinCompressorProject>"
                "<File>C:\\p\\b.txt</File>"
                "<Folder Name=\"docs\"><File>C:\\p\\docs\\a.txt</File></Folder>"
                "<Folder Name=\"empty\"/>"
                "<Folder Name=\"\xE6\x97\xA5\xE6\x9C\xAC\">"
                "<File>C:\\\xC3\xA4\\\xC3\xBC &amp; x.txt</File></Folder>"
                "</VesmarinCompressorProject>",
            Compact(text));

  const std::vector<std::wstring> before = Outline(tree);
  ResetArchiveTree(tree);
  ASSERT_EQ(0, LoadFile(path));
  EXPECT_EQ(before, Outline(tree));
  // No temporary file is left beside the project.
  EXPECT_EQ(1u, testsupport::ListTree(dir.path()).size());
}

TEST_F(ProjectFileTest, ReadingTakesEveryElementAsItStands) {
  ASSERT_EQ(0, Load(std::string(kDeclaration) +
                    "<VesmarinCompressorProject>\n"
                    "  <!-- a comment -->\n"
                    "  <File>C:\\one\\same.txt</File>\n"
                    "  <File>C:\\two\\same.txt</File>\n"
                    "  <Other>C:\\ignored.txt</Other>\n"
                    "  <folder Name=\"lower\"><File>C:\\x.txt</File></folder>\n"
                    "  <Folder Name=\"d\"><File><![CDATA[C:\\c&d.txt]]></File></Folder>\n"
                    "</VesmarinCompressorProject>"));
  const std::vector<std::wstring> outline = Outline(pane.tree());
  ASSERT_EQ(4u, outline.size());
  EXPECT_EQ(L"d\\", outline[0]);
  EXPECT_EQ(L"d\\c&d.txt <- C:\\c&d.txt", outline[1]);
  EXPECT_EQ(2, std::count_if(outline.begin(), outline.end(), [](const std::wstring& line) {
              return line.rfind(L"same.txt <- ", 0) == 0;
            }));
}

// A project laid out by hand or by another tool, with the paths on lines of
// their own.
TEST_F(ProjectFileTest, FilePathsAreTakenWithoutTheWhiteSpaceAroundThem) {
  ASSERT_EQ(0, Load(std::string(kDeclaration) +
                    "<VesmarinCompressorProject>\n"
                    "  <Folder Name=\"docs\">\n"
                    "    <File>\n"
                    "      C:\\p\\docs\\a.txt\n"
                    "    </File>\n"
                    "  </Folder>\n"
                    "  <File>\t C:\\p\\with space.txt\r\n</File>\n"
                    "</VesmarinCompressorProject>\n"));
  EXPECT_EQ((std::vector<std::wstring>{L"docs\\", L"docs\\a.txt <- C:\\p\\docs\\a.txt",
                                       L"with space.txt <- C:\\p\\with space.txt"}),
            Outline(pane.tree()));
}

// Ten thousand items, most of them in one folder: read in one pass (the
// test's time limit is the measure).
TEST_F(ProjectFileTest, AProjectOfTenThousandItemsIsRead) {
  std::string body = std::string(kDeclaration) + "<VesmarinCompressorProject>\n";
  for (int i = 9000; i > 0; --i) body += "<File>C:\\flat\\f" + std::to_string(i) + ".txt</File>\n";
  body += "<Folder Name=\"sub\">";
  for (int i = 0; i < 999; ++i) body += "<File>C:\\sub\\s" + std::to_string(i) + ".dat</File>";
  body += "</Folder></VesmarinCompressorProject>";
  ASSERT_EQ(0, Load(body));
  HWND tree = pane.tree();
  EXPECT_EQ(10001u, TreeView_GetCount(tree));
  // Sorted: f1.txt, f10.txt, f100.txt, ... as the tree orders text.
  HTREEITEM first = TreeView_GetChild(tree, GetArchiveRoot(tree));
  EXPECT_EQ(L"f1.txt", GetItemText(tree, first));
}

TEST_F(ProjectFileTest, ADocumentWithoutTheProjectElementGivesAnEmptyTree) {
  MakeFileItem(pane.tree(), GetArchiveRoot(pane.tree()), L"old.txt", L"C:\\old.txt");
  ASSERT_EQ(0, Load("<Something><File>C:\\x.txt</File></Something>"));
  EXPECT_TRUE(Outline(pane.tree()).empty());
  EXPECT_EQ(1u, TreeView_GetCount(pane.tree()));
}

TEST_F(ProjectFileTest, HostileOrBrokenProjectsAreRefusedAndTheTreeStays) {
  HWND tree = pane.tree();
  MakeFileItem(tree, GetArchiveRoot(tree), L"kept.txt", L"C:\\kept.txt");
  const std::vector<std::wstring> before = Outline(tree);
  const std::string head = std::string(kDeclaration) + "<VesmarinCompressorProject>";
  const std::string tail = "</VesmarinCompressorProject>";
  const std::string cases[] = {
      head + "<Folder Name=\"..\"><File>C:\\x.dll</File></Folder>" + tail,
      head + "<Folder Name=\"\"><File>C:\\x.dll</File></Folder>" + tail,
      head + "<Folder Name=\".\"><File>C:\\x.dll</File></Folder>" + tail,
      head + "<Folder Name=\"C:\"><File>C:\\x.dll</File></Folder>" + tail,
      head + "<Folder Name=\"a\\..\\..\"><File>C:\\x.dll</File></Folder>" + tail,
      head + "<Folder Name=\"a/b\"><File>C:\\x.dll</File></Folder>" + tail,
      head + "<Folder><File>C:\\x.dll</File></Folder>" + tail,
      head + "<Folder Name=\"ok\"><Folder Name=\"..\"/></Folder>" + tail,
      head + "<File>C:\\a\\<File>..\\..\\x.dll</File></File>" + tail,
      head + "<File>C:\\a\\<b/>x.dll</File>" + tail,
      head + "<File>C:\\a\\..</File>" + tail,
      head + "<File>C:\\a\\</File>" + tail,
      head + "<File>C:x.dll</File>" + tail,
      head + "<File>C:\\a/../../x.dll</File>" + tail,
      head + "<File></File>" + tail,
      head + "<File>C:\\" + std::string(260, 'x') + "</File>" + tail,
      head + "<Folder Name=\"ok\">" + tail,
      // Names Windows cannot hold.
      head + "<File>C:\\a\\con</File>" + tail,
      head + "<File>C:\\a\\nul.txt</File>" + tail,
      head + "<Folder Name=\"aux.h\"><File>C:\\x.dll</File></Folder>" + tail,
      head + "<File>C:\\a\\q?.txt</File>" + tail,
      head + "<File>C:\\a\\trail.</File>" + tail,
      head + "<Folder Name=\"a|b\"><File>C:\\x.dll</File></Folder>" + tail,
      "not xml at all",
      "",
      std::string(kDeclaration) +
          "<!DOCTYPE VesmarinCompressorProject [<!ENTITY e \"x.dll\">]>"
          "<VesmarinCompressorProject><File>C:\\&e;</File></VesmarinCompressorProject>",
  };
  for (const std::string& text : cases) {
    EXPECT_EQ(103, Load(text)) << text;
    EXPECT_EQ(before, Outline(tree)) << text;
  }
  std::string deep = head;
  for (int i = 0; i < 200; ++i) deep += "<Folder Name=\"d\">";
  deep += "<File>C:\\x.txt</File>";
  for (int i = 0; i < 200; ++i) deep += "</Folder>";
  EXPECT_EQ(103, Load(deep + tail));
  EXPECT_EQ(103, LoadFile(dir / L"absent.qxc"));
  EXPECT_EQ(103, LoadFile(dir.path()));
  EXPECT_EQ(before, Outline(tree));
}

TEST_F(ProjectFileTest, AFailedSaveLeavesTheOlderProjectAndNoDebris) {
  HWND tree = pane.tree();
  MakeFileItem(tree, GetArchiveRoot(tree), L"a.txt", L"C:\\a.txt");
  EXPECT_FALSE(WriteProjectFile(tree, (dir / L"missing\\p.qxc").c_str()));
  ASSERT_TRUE(CreateDirectoryW((dir / L"p.qxc").c_str(), nullptr));
  EXPECT_FALSE(WriteProjectFile(tree, (dir / L"p.qxc").c_str()));
  const std::wstring old = dir / L"old.qxc";
  ASSERT_TRUE(testsupport::WriteTextFile(old, "older project"));
  // Held open by another program that lets nobody delete or rename it.
  HANDLE holder = CreateFileW(old.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  EXPECT_FALSE(WriteProjectFile(tree, old.c_str()));
  CloseHandle(holder);
  EXPECT_EQ("older project", ReadAll(old));
  EXPECT_EQ((std::vector<std::wstring>{L"old.qxc", L"p.qxc\\"}), testsupport::ListTree(dir.path()));
}

}  // namespace
