// The widget messages the real plug-in binary sends for its options dialog, in order: a host lays
// the dialog out from them, so their order, properties and texts are part of what the user sees.
// Also renders the dialog as the documentation's picture.
#include "../command/SessionFixture.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

// One line per message; widget ids are numbered in order of first appearance (w1, w2, ...;
// "main" for the main window, 0 for the host itself) so that the text does not depend on the
// host's id counter.
class MessageText {
public:
  std::string line(const sim::WidgetMessage& message) {
    std::ostringstream out;
    out << widget(message.id) << ' ' << messageName(message.message);
    for (const auto& [key, value] : message.pairs) {
      out << ' ' << key;
      const bool holdsId = key == "child" || key == "parent";
      out << '=' << (holdsId ? widget(std::stoi(value)) : value);
    }
    return out.str();
  }

private:
  std::string widget(int id) {
    if (id == 0)
      return "0";
    if (id == sim::kMainWindowId)
      return "main";
    auto found = names_.find(id);
    if (found != names_.end())
      return found->second;
    const std::string name = "w" + std::to_string(names_.size() + 1);
    names_.emplace(id, name);
    return name;
  }
  static std::string messageName(int message) {
    switch (message) {
    case MQWIDGET_MSG_RUN:
      return "Run";
    case MQWIDGET_MSG_SYSTEM:
      return "System";
    case MQWIDGET_MSG_CREATE:
      return "Create";
    case MQWIDGET_MSG_DELETE:
      return "Delete";
    case MQWIDGET_MSG_ADD_CHILD:
      return "AddChild";
    case MQWIDGET_MSG_ATTACH_DIALOG:
      return "AttachDialog";
    case MQWIDGET_MSG_GET:
      return "Get";
    case MQWIDGET_MSG_SET:
      return "Set";
    case MQWIDGET_MSG_CALL:
      return "Call";
    case MQWIDGET_MSG_ADD_HANDLER:
      return "AddHandler";
    default:
      return "?" + std::to_string(message);
    }
  }
  std::map<int, std::string> names_;
};

// The messages as text, creation answers and deletions left out of the lines; the deletions are
// returned apart, in the order sent.
std::string messagesAsText(std::vector<std::string>* deleted) {
  MessageText text;
  std::string all;
  for (const sim::WidgetMessage& message : sim::widgetMessages()) {
    const std::string line = text.line(message);
    if (message.message == MQWIDGET_MSG_DELETE)
      deleted->push_back(line.substr(0, line.find(' ')));
    else
      all += line + "\n";
  }
  return all;
}

// A Source with one locked element and a Destination; the user presses OK at once.
const char kExpected[] = R"(0 System system=main_window result=-1
0 Create type=dialog id=0
main AttachDialog child=w1 result=-1
w1 Set title=Tovalinder
w1 Set canresize=true
0 Create type=frame id=0
w2 Set alignment=vert
w1 AddChild child=w2 result=-1
w2 Set vertlayout=fill
0 Create type=frame id=0
w3 Set alignment=horz
w2 AddChild child=w3 result=-1
0 Create type=frame id=0
w4 Set alignment=horz
w2 AddChild child=w4 result=-1
w4 Set vertlayout=fill
w4 Set horzlayout=fill
0 Create type=frame id=0
w5 Set alignment=horz
w3 AddChild child=w5 result=-1
w5 Set horzlayout=fill
w5 Set matrixcolumn=2
0 Create type=frame id=0
w6 Set alignment=vert
w3 AddChild child=w6 result=-1
w6 Set fillrate_x=30
0 Create type=frame id=0
w7 Set alignment=vert
w3 AddChild child=w7 result=-1
w7 Set fillrate_x=10
0 Create type=label id=0
w8 Set text=Source
w5 AddChild child=w8 result=-1
w8 Set fillrate_x=30
0 Create type=edit id=0
w9 Set text=Body
w5 AddChild child=w9 result=-1
w9 Set readonly=true
w9 Set horzlayout=fill
w9 Set fillrate_x=70
0 Create type=label id=0
w10 Set text=Destination
w5 AddChild child=w10 result=-1
w10 Set fillrate_x=30
0 Create type=edit id=0
w11 Set text=Body2
w5 AddChild child=w11 result=-1
w11 Set readonly=true
w11 Set horzlayout=fill
w11 Set fillrate_x=70
0 Create type=frame id=0
w12 Set alignment=horz
w6 AddChild child=w12 result=-1
0 Create type=label id=0
w13 Set text=Rate(&R)
w12 AddChild child=w13 result=-1
0 Create type=edit id=0
w14 Set text=100
w12 AddChild child=w14 result=-1
w14 Set numeric=double
0 Create type=button id=0
w15 Set text=OK
w7 AddChild child=w15 result=-1
w15 Set default=true
w15 Set modalresult=1
0 Create type=button id=0
w16 Set text=Cancel
w7 AddChild child=w16 result=-1
w16 Set cancel=true
w16 Set modalresult=2
0 Create type=frame id=0
w17 Set alignment=vert
w4 AddChild child=w17 result=-1
0 Create type=frame id=0
w18 Set alignment=vert
w4 AddChild child=w18 result=-1
w17 Set horzlayout=fill
0 Create type=frame id=0
w19 Set alignment=horz
w17 AddChild child=w19 result=-1
0 Create type=button id=0
w20 Set text=全て選択(&Z)
w19 AddChild child=w20 result=-1
w20 AddHandler type=execute proc=pointer pointer=pointer prior=false
0 Create type=button id=0
w21 Set text=選択反転(&C)
w19 AddChild child=w21 result=-1
w21 AddHandler type=execute proc=pointer pointer=pointer prior=false
0 Create type=listbox id=0
w17 AddChild child=w22 result=-1
w22 Set vertlayout=fill
w22 Set multiselect=true
w22 Call clearitems=null
w22 Call additem=null text=elem:smile-Body result=-1
w22 Set index=0 item.selected=false
w22 Call makeitemvisible=null index=0
0 Create type=checkbox id=0
w23 Set text=Source/Destinationオブジェクトの名前を維持する(&Q)
w18 AddChild child=w23 result=-1
0 Create type=checkbox id=0
w24 Set text=同一頂点判定にユニークIDを使用する(&G)
w18 AddChild child=w24 result=-1
w24 Set checked=true
0 Create type=checkbox id=0
w25 Set text=選択頂点のみモーフ反映する(&S)
w18 AddChild child=w25 result=-1
0 Create type=checkbox id=0
w26 Set text=追加頂点にも周辺頂点から計算してモーフ反映する(&A)
w18 AddChild child=w26 result=-1
w26 Set checked=true
0 Create type=checkbox id=0
w27 Set text=モーフ左右反転(&T)
w18 AddChild child=w27 result=-1
0 Create type=checkbox id=0
w28 Set text=バックアップエレメントを作成する(&X)
w18 AddChild child=w28 result=-1
w28 Set checked=true
0 Create type=checkbox id=0
w29 Set text=新規エレメントは別名(～new)で作成する(&N)
w18 AddChild child=w29 result=-1
0 Create type=checkbox id=0
w30 Set text=エレメントオブジェクトのみリストアップする(&E)
w18 AddChild child=w30 result=-1
w30 AddHandler type=execute proc=pointer pointer=pointer prior=false
w30 Set checked=true
0 Create type=checkbox id=0
w31 Set text=頂点数の等しいオブジェクトのみリストアップする(&V)
w18 AddChild child=w31 result=-1
w31 AddHandler type=execute proc=pointer pointer=pointer prior=false
w31 Set checked=true
0 Create type=frame id=0
w32 Set alignment=horz
w18 AddChild child=w32 result=-1
0 Create type=checkbox id=0
w33 Set text=座標
w32 AddChild child=w33 result=-1
w33 Set checked=true
0 Create type=checkbox id=0
w34 Set text=ウェイト
w32 AddChild child=w34 result=-1
w34 Set checked=true
0 Create type=checkbox id=0
w35 Set text=エッジ
w32 AddChild child=w35 result=-1
w35 Set checked=true
0 Create type=checkbox id=0
w36 Set text=材質
w32 AddChild child=w36 result=-1
w36 Set checked=true
0 Create type=checkbox id=0
w37 Set text=UV
w32 AddChild child=w37 result=-1
w37 Set checked=true
w1 AddHandler type=keydown proc=pointer pointer=pointer prior=false
w1 Run type=modal result=0
w14 Get text.length=0
w14 Get text=buffer
w22 Get item.count=0
w22 Get index=0 item.selected=false
w23 Get checked=false
w24 Get checked=false
w25 Get checked=false
w26 Get checked=false
w27 Get checked=false
w28 Get checked=false
w29 Get checked=false
w33 Get checked=false
w34 Get checked=false
w36 Get checked=false
w37 Get checked=false
w35 Get checked=false
)";

using DialogMessages = session::Session;

TEST_F(DialogMessages, BuiltInOrderReadBackOnOkAndDeletedOnce) {
  session::addBody(document, "Body", 0, session::Look{0, 0xFFFFFFFFu, 0, 1});
  session::addBody(document, "elem:smile-Body", 0, session::Look{1, 0xFFFFFFFFu, 1});
  session::addBody(document, "Body2", 0, session::Look{0, 0xFFFFFFFFu, 0, 1});
  runCommand(sim::UserScript().clickButton("OK"));
  std::vector<std::string> deleted;
  EXPECT_EQ(messagesAsText(&deleted), kExpected);
  // Every control goes before its dialog; the host's main window is never deleted.
  ASSERT_EQ(deleted.size(), 37u);
  EXPECT_EQ(deleted.back(), "w1");
  std::set<std::string> once(deleted.begin(), deleted.end());
  EXPECT_EQ(once.size(), deleted.size());
  EXPECT_EQ(once.count("main"), 0u);
}

TEST_F(DialogMessages, PictureOfTheDialog) {
  session::addBody(document, "Body", 0, session::Look{0, 0xFFFFFFFFu, 0, 1});
  session::addBody(document, "elem:smile-Body", 0, session::Look{1});
  session::addBody(document, "elem:blink-Body", 0, session::Look{1});
  session::addBody(document, "elem:angry-Body", 0, session::Look{1, 0xFFFFFFFFu, 1});
  session::addBody(document, "Body2", 0.5f, session::Look{0, 0xFFFFFFFFu, 0, 1});
  std::string page;
  runCommand(sim::UserScript()
                 .inspect([&](int dialog) { page = sim::dialogPictureHtml(dialog); })
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
