// A plug-in object of its own over a document of the simulated host, for calling the command's
// stages one by one; strict mode on, the document checker's rules for every object after each
// test, and the settings record back to all zero.
#pragma once

#include "SimCheck.h"
#include "SimHost.h"
#include "StrictHost.h"
#include "entry/Tovalinder.h"
#include "host/HostTable.h"
#include "transfer/TransferSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class Stages : public testing_support::StrictHost {
protected:
  void SetUp() override {
    StrictHost::SetUp();
    ASSERT_TRUE(host::bindHostTable(sim::moduleFileName()));
    transferSettings() = TransferSettings();
    plugin.document = document.handle();
  }
  void TearDown() override {
    for (const std::string& finding : sim::checkDocument(document))
      ADD_FAILURE() << "document check: " << finding;
    transferSettings() = TransferSettings();
    StrictHost::TearDown();
  }

  // An object of n vertices on a line, with one face over the first three.
  sim::Object* mesh(const std::string& name, int n, int selected = 0) {
    sim::Object* object = document.addObject(name);
    for (int i = 0; i < n; ++i)
      object->addVertex(static_cast<float>(i), 0, 0);
    if (n >= 3)
      object->addFace({0, 1, 2});
    object->selected = selected;
    return object;
  }

  // Names of the objects in slot order, empty slots left out.
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (sim::Object* object : document.objects())
      result.push_back(object->name());
    return result;
  }

  std::vector<std::string> candidateNames() const {
    std::vector<std::string> result;
    for (const CandidateEntry& entry : transferSettings().candidates)
      result.push_back(host.objectFromHandle(entry.object.object)->name());
    return result;
  }

  cmq::CMQObject handleOf(sim::Object* object) {
    return cmq::CMQObject(object->handle(), document.handle());
  }

  sim::Document& document = host.newDocument();
  Tovalinder plugin;
};
