// End-to-end sessions: the real plug-in binary, loaded by file name and bound to the simulated
// host, runs its command on a document built here while the scripted user works the dialog.
// Each test has a host of its own, in strict mode; a test fails on any recorded misuse, on any
// script failure, on a widget left alive after the command, and on any finding of the document
// checker after it.
#pragma once

#include "CommandCheck.h"
#include "PluginUnderTest.h"
#include "SimHost.h"
#include "SimWidgets.h"
#include "WidgetTree.h"

#include "dialog/DialogOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace session {

// The Body mesh: a strip of six vertices and two quads with materials, UVs and a crease. An edited
// copy moves vertex 4 up by lift; an element with the Body's own positions carries no offset.
inline void buildBody(sim::Object* object, float lift = 0.0f) {
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 3; ++column)
      object->addVertex(static_cast<float>(column), static_cast<float>(row), 1.0f);
  object->editPositions()[4].z += lift;
  object->addFace({0, 1, 4, 3});
  object->addFace({1, 2, 5, 4});
  object->editMaterials()[size_t(0)] = 0;
  object->editMaterials()[size_t(1)] = 1;
  object->setFaceUvs(int(0), {{0.f, 0.f}, {.5f, 0.f}, {.5f, 1.f}, {0.f, 1.f}});
  object->setFaceUvs(int(1), {{.5f, 0.f}, {1.f, 0.f}, {1.f, 1.f}, {.5f, 1.f}});
  object->editFaceCreases(int(1))[2] = 1.0f;
}

struct Look {
  int depth = 0;
  MQDWORD visible = 0xFFFFFFFFu;
  int locked = 0;
  int selected = 0;
};

inline sim::Object* addBody(sim::Document& document, const std::string& name, float lift,
                            Look look = Look()) {
  sim::Object* object = document.addObject(name);
  buildBody(object, lift);
  object->depth = look.depth;
  object->visible = look.visible;
  object->locked = look.locked;
  object->selected = look.selected;
  return object;
}

// Any other object: a triangle.
inline sim::Object* addTriangle(sim::Document& document, const std::string& name,
                                int selected = 0) {
  sim::Object* object = document.addObject(name);
  object->addVertex(0, 0, 0);
  object->addVertex(1, 0, 0);
  object->addVertex(0, 1, 0);
  object->addFace({0, 1, 2});
  object->selected = selected;
  return object;
}

// Captions of the dialog's check boxes, named by the settings field or (list filters) the Alt key.
inline std::string caption(bool TransferSettings::*field) {
  return dialog::optionFor(field)->caption;
}
inline std::string filterCaption(char key) {
  return dialog::optionForKey(key)->caption;
}

class Session : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
#ifndef _WIN32
    // The user's locale, as the plug-in asks for it: UTF-8 names.
    setenv("LC_ALL", "C.UTF-8", 1);
#endif
    plugin = std::make_unique<testing_support::PluginUnderTest>();
    ASSERT_TRUE(plugin->loaded()) << testing_support::pluginFile();
    ASSERT_TRUE(plugin->initWithSimHost());
  }
  static void TearDownTestSuite() {
    plugin.reset();
  }

  void SetUp() override {
    ASSERT_TRUE(plugin && plugin->loaded());
    host.makeCurrent();
    host.setStrict(true);
    host.setEventDocument(document.handle());
  }
  void TearDown() override {
    for (const std::string& misuse : host.misuses())
      ADD_FAILURE() << "host misuse: " << misuse;
    for (const std::string& failure : host.scriptFailures())
      ADD_FAILURE() << "script: " << failure;
    EXPECT_EQ(host.queuedModalScripts(), 0);
    EXPECT_EQ(host.liveWidgets(), std::vector<int>{sim::kMainWindowId}) << "widgets left behind";
    EXPECT_TRUE(host.detachedObjects().empty()) << "objects made but never placed";
  }

  // Chooses the command with this script queued for its dialog.
  void runCommand(const sim::UserScript& script) {
    host.queueModalScript(script);
    runCommandWithoutDialog();
  }
  void runCommandWithoutDialog() {
    const testing_support::CommandCheck check(document);
    EXPECT_EQ(plugin->entry.MQModifyObject(0, document.handle()), 1);
    for (const std::string& finding : check.findings())
      ADD_FAILURE() << "document check: " << finding;
  }

  std::string describe() const {
    return sim::describe(document);
  }

  static std::unique_ptr<testing_support::PluginUnderTest> plugin;
  sim::Host host; // each test's own, dropped with everything in it
  sim::Document& document = host.newDocument();
};

inline std::unique_ptr<testing_support::PluginUnderTest> Session::plugin;

} // namespace session
