// The host's picture of the test dialog, taken by the scripted user in the middle of a run.
#include "TestDialog.h"
#include "WidgetTestSupport.h"

#include <fstream>
#include <sstream>

namespace {

size_t count(const std::string& text, const std::string& part) {
  size_t found = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

class DialogPicture : public WidgetTest {};

TEST_F(DialogPicture, ThePageShowsTheTreeWithItsStateAndLayout) {
  MQWindow window;
  std::string page;
  {
    TestDialog dialog(window);
    host.queueModalScript(sim::UserScript()
                              .clickCheckBox("モーフ左右反転(T)")
                              .selectItem("smile")
                              .typeText("Rate(R)", "50")
                              .inspect([&](int) { page = host.dialogPictureHtml(0); })
                              .clickButton("Cancel"));
    EXPECT_EQ(dialog.RunModal(), 2);
    EXPECT_NE(host.dialogPictureHtml(dialog.GetID()), "") << "a closed dialog can be drawn too";
  }
  ASSERT_FALSE(page.empty());
  std::ofstream("widgets-test-dialog.html", std::ios::binary) << page;

  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<title>Widget test</title>"), std::string::npos);
  EXPECT_NE(page.find("<div class=\"titlebar\">Widget test</div>"), std::string::npos);
  EXPECT_NE(page.find("data-resizable=\"true\""), std::string::npos);
  EXPECT_EQ(count(page, "<div"), count(page, "</div>"));
  EXPECT_EQ(page.find("<script"), std::string::npos) << "self-contained, nothing to run";
  EXPECT_EQ(page.find("http"), std::string::npos) << "self-contained, nothing to fetch";

  // The controls in tree order, captions with their mnemonics underlined.
  const char* const order[] = {"class=\"frame column\"",
                               "grid-template-columns:30fr 70fr;\" data-columns=\"2\"",
                               ">Name</span>",
                               "value=\"Body ボディ\" readonly>",
                               ">Rate(<u>R</u>)</span>",
                               "class=\"edit numeric\"",
                               "value=\"50\"",
                               "全て選択(<u>Z</u>)</button>",
                               "<select class=\"listbox\" size=\"8\"",
                               "<option selected>smile</option>",
                               "<option selected>blink</option>",
                               "<option>angry</option>",
                               "<input type=\"checkbox\" checked> モーフ左右反転(<u>T</u>)",
                               "<input type=\"checkbox\" checked> UV",
                               "class=\"button default\"",
                               ">OK</button>",
                               "class=\"button cancel\"",
                               ">Cancel</button>"};
  size_t at = 0;
  for (const char* part : order) {
    size_t found = page.find(part, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part;
    at = found;
  }
  EXPECT_NE(page.find(" multiple"), std::string::npos);
  EXPECT_NE(page.find("flex:30 1 0;"), std::string::npos) << "fillrate_x as a weight";
  EXPECT_EQ(count(page, "data-focus=\"true\""), 1u) << "the edit typed into last";
  EXPECT_EQ(count(page, "class=\"frame row\""), 2u);

#ifdef TOVALINDER_DIALOG_PAGE
  std::ifstream committed(TOVALINDER_DIALOG_PAGE, std::ios::binary);
  std::stringstream text;
  text << committed.rdbuf();
  EXPECT_EQ(text.str(), page) << "docs/widgets-test-dialog.html is out of date: copy "
                                 "widgets-test-dialog.html from the test's folder";
#endif
}

} // namespace

namespace {

TEST_F(DialogPicture, TheTreeTextListsEveryWidgetWithItsState) {
  MQWindow window;
  TestDialog dialog(window);
  dialog.rateEdit->SetBoolProperty("enabled", false);
  EXPECT_EQ(host.describeWidgetTree(dialog.GetID()),
            "dialog title=\"Widget test\" resizable on:keydown\n"
            "  frame vert vert=fill\n"
            "    frame horz columns=2 horz=fill\n"
            "      label text=\"Name\" fillrate_x=30\n"
            "      edit text=\"Body ボディ\" fillrate_x=70 horz=fill readonly\n"
            "      label text=\"Rate(&R)\" fillrate_x=30\n"
            "      edit text=\"100\" fillrate_x=70 numeric=double disabled\n"
            "    frame horz horz=fill vert=fill\n"
            "      frame vert fillrate_x=30 horz=fill\n"
            "        button text=\"全て選択(&Z)\" on:execute\n"
            "        listbox vert=fill multiselect\n"
            "          - smile\n"
            "          * blink\n"
            "          - angry\n"
            "      frame vert fillrate_x=10\n"
            "        checkbox text=\"モーフ左右反転(&T)\" [ ] on:execute\n"
            "        checkbox text=\"UV\" [x]\n"
            "    frame horz\n"
            "      button text=\"OK\" default modalresult=1\n"
            "      button text=\"Cancel\" cancel modalresult=2\n");
}

} // namespace
