// The options dialog of the real plug-in binary as the host holds it: the widget tree with every
// caption, layout property and initial state, the order the widgets were created in (a host lays
// the dialog out from it), and the clean-up when the dialog closes. Also renders the dialog as the
// documentation's picture.
#include "../command/SessionFixture.h"

#include <fstream>
#include <set>

namespace {

// A Source with one locked element and a Destination, as the dialog first shows them.
const char kDialogTree[] = R"tree(dialog title="Tovalinder" resizable on:keydown
  frame vert vert=fill
    frame horz
      frame horz columns=2 horz=fill
        label text="Source" fillrate_x=30
        edit text="Body" fillrate_x=70 horz=fill readonly
        label text="Destination" fillrate_x=30
        edit text="Body2" fillrate_x=70 horz=fill readonly
      frame vert fillrate_x=30
        frame horz
          label text="Rate(&R)"
          edit text="100" numeric=double
      frame vert fillrate_x=10
        button text="OK" default modalresult=1
        button text="Cancel" cancel modalresult=2
    frame horz horz=fill vert=fill
      frame vert horz=fill
        frame horz
          button text="全て選択(&Z)" on:execute
          button text="選択反転(&C)" on:execute
        listbox vert=fill multiselect
          - elem:smile-Body
      frame vert
        checkbox text="Source/Destinationオブジェクトの名前を維持する(&Q)" [ ]
        checkbox text="同一頂点判定にユニークIDを使用する(&G)" [x]
        checkbox text="選択頂点のみモーフ反映する(&S)" [ ]
        checkbox text="追加頂点にも周辺頂点から計算してモーフ反映する(&A)" [x]
        checkbox text="モーフ左右反転(&T)" [ ]
        checkbox text="バックアップエレメントを作成する(&X)" [x]
        checkbox text="新規エレメントは別名(～new)で作成する(&N)" [ ]
        checkbox text="エレメントオブジェクトのみリストアップする(&E)" [x] on:execute
        checkbox text="頂点数の等しいオブジェクトのみリストアップする(&V)" [x] on:execute
        frame horz
          checkbox text="座標" [x]
          checkbox text="ウェイト" [x]
          checkbox text="エッジ" [x]
          checkbox text="材質" [x]
          checkbox text="UV" [x]
)tree";

// Every widget below root, root included, in tree order.
std::vector<sim::Widget> treeBelow(const sim::Host& host, int root) {
  return session::widgetsOfType(host, root, "");
}

class DialogTree : public session::Session {
protected:
  void SetUp() override {
    Session::SetUp();
    session::addBody(document, "Body", 0, session::Look{0, 0xFFFFFFFFu, 0, 1});
    session::addBody(document, "elem:smile-Body", 0, session::Look{1, 0xFFFFFFFFu, 1});
    session::addBody(document, "Body2", 0, session::Look{0, 0xFFFFFFFFu, 0, 1});
  }
};

TEST_F(DialogTree, CaptionsLayoutAndInitialStates) {
  std::string tree;
  runCommand(sim::UserScript()
                 .inspect([&](int dialog) { tree = host.describeWidgetTree(dialog); })
                 .clickButton("Cancel"));
  EXPECT_EQ(tree, kDialogTree);
}

// Widget ids follow creation: a host that lays the dialog out as the widgets arrive sees each
// container before what it holds, and the widgets of a container in their order on screen.
TEST_F(DialogTree, EachContainerCreatedBeforeItsWidgetsAndThoseInScreenOrder) {
  std::vector<sim::Widget> widgets;
  runCommand(sim::UserScript()
                 .inspect([&](int dialog) { widgets = treeBelow(host, dialog); })
                 .clickButton("Cancel"));
  ASSERT_EQ(widgets.size(), 37u);
  for (const sim::Widget& widget : widgets) {
    int previous = widget.id;
    for (int child : widget.children) {
      EXPECT_GT(child, previous) << widget.type << " " << widget.id << " holds " << child;
      previous = child;
    }
  }
}

// On OK the dialog is read back and then taken down: each widget goes once, the dialog last, the
// host's main window never.
TEST_F(DialogTree, EveryWidgetDeletedOnceDialogLast) {
  std::vector<sim::Widget> widgets;
  runCommand(sim::UserScript()
                 .inspect([&](int dialog) { widgets = treeBelow(host, dialog); })
                 .clickButton("OK"));
  ASSERT_FALSE(widgets.empty());
  std::vector<int> deleted;
  for (const sim::WidgetMessage& message : host.widgetMessages())
    if (message.message == MQWIDGET_MSG_DELETE)
      deleted.push_back(message.id);
  ASSERT_EQ(deleted.size(), widgets.size());
  EXPECT_EQ(deleted.back(), widgets.front().id);
  const std::set<int> once(deleted.begin(), deleted.end());
  EXPECT_EQ(once.size(), deleted.size());
  for (const sim::Widget& widget : widgets)
    EXPECT_EQ(once.count(widget.id), 1u) << widget.type << " " << widget.text;
  EXPECT_EQ(once.count(sim::kMainWindowId), 0u);
}

using DialogPicture = session::Session;

TEST_F(DialogPicture, PictureOfTheDialog) {
  session::addBody(document, "Body", 0, session::Look{0, 0xFFFFFFFFu, 0, 1});
  session::addBody(document, "elem:smile-Body", 0, session::Look{1});
  session::addBody(document, "elem:blink-Body", 0, session::Look{1});
  session::addBody(document, "elem:angry-Body", 0, session::Look{1, 0xFFFFFFFFu, 1});
  session::addBody(document, "Body2", 0.5f, session::Look{0, 0xFFFFFFFFu, 0, 1});
  std::string page;
  runCommand(sim::UserScript()
                 .inspect([&](int dialog) { page = host.dialogPictureHtml(dialog); })
                 .clickButton("Cancel"));
  for (const char* text : {"Tovalinder", "elem:smile-Body", "Rate(", "全て選択", "UV", "Body2"})
    EXPECT_NE(page.find(text), std::string::npos) << text;
  // TOVALINDER_DIALOG_PICTURE names the file that the documentation's picture is written to.
  if (const char* path = std::getenv("TOVALINDER_DIALOG_PICTURE")) {
    std::ofstream out(path, std::ios::binary);
    out << page;
    EXPECT_TRUE(out.good()) << path;
  }
}

} // namespace
