// The fourteen entry points called in every order of length three (14^3 sequences), each on a
// freshly loaded module, once before MQInit and once after it. Documented results:
//  - MQCheckVersion(0x4300): 0x430; MQInit(the simulated host): TRUE, and the table is bound;
//  - MQGetPlugInID: the same two non-zero identifiers every time; MQGetPlugInName: the same
//    text pointer every time, starting "Tovalinder v.1.4"; MQGetPlugInType: 4;
//    MQEnumString(0): "Tovalinder"; MQEnumFileType(0), MQEnumFileExt(0): null;
//  - MQImportFile, MQExportFile: FALSE; MQOnEvent: FALSE;
//  - MQCreate, MQModifyObject, MQModifySelect (index 0, a document with nothing selected): TRUE
//    once the table is bound (the command ends at once), FALSE before: nothing is called
//    through an unbound table; the document never changes.
// Strict mode records no misuse of the host in any sequence.
#include "PluginUnderTest.h"
#include "SimHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

using testing_support::PluginEntryPoints;
using testing_support::PluginUnderTest;

namespace {

struct Sequence {
  PluginEntryPoints& entry;
  sim::Document& document;
  bool bound = false;
  const char* name = nullptr;
  std::string where;
};

using Call = std::function<void(Sequence&)>;

void expectExecute(Sequence& run, MQBOOL result) {
  EXPECT_EQ(result, run.bound ? 1 : 0) << run.where;
}

const std::vector<std::pair<const char*, Call>>& calls() {
  static const std::vector<std::pair<const char*, Call>> table = {
      {"MQCheckVersion",
       [](Sequence& r) { EXPECT_EQ(r.entry.MQCheckVersion(0x4300), 0x430u) << r.where; }},
      {"MQInit",
       [](Sequence& r) {
         EXPECT_EQ(r.entry.MQInit(testing_support::simHostFile().c_str()), 1) << r.where;
         r.bound = true;
       }},
      {"MQGetPlugInID",
       [](Sequence& r) {
         MQDWORD product = 0, id = 0;
         r.entry.MQGetPlugInID(&product, &id);
         EXPECT_NE(product, 0u) << r.where;
         EXPECT_NE(id, 0u) << r.where;
       }},
      {"MQGetPlugInName",
       [](Sequence& r) {
         const char* name = r.entry.MQGetPlugInName();
         ASSERT_NE(name, nullptr) << r.where;
         EXPECT_EQ(std::strncmp(name, "Tovalinder v.1.4", 16), 0) << r.where;
         if (r.name) {
           EXPECT_EQ(name, r.name) << r.where;
         }
         r.name = name;
       }},
      {"MQGetPlugInType", [](Sequence& r) { EXPECT_EQ(r.entry.MQGetPlugInType(), 4) << r.where; }},
      {"MQEnumString",
       [](Sequence& r) {
         const char* text = r.entry.MQEnumString(0);
         ASSERT_NE(text, nullptr) << r.where;
         EXPECT_STREQ(text, "Tovalinder") << r.where;
       }},
      {"MQEnumFileType",
       [](Sequence& r) { EXPECT_EQ(r.entry.MQEnumFileType(0), nullptr) << r.where; }},
      {"MQEnumFileExt",
       [](Sequence& r) { EXPECT_EQ(r.entry.MQEnumFileExt(0), nullptr) << r.where; }},
      {"MQImportFile",
       [](Sequence& r) {
         EXPECT_EQ(r.entry.MQImportFile(0, "in.obj", r.document.handle()), 0) << r.where;
       }},
      {"MQExportFile",
       [](Sequence& r) {
         EXPECT_EQ(r.entry.MQExportFile(0, "out.obj", r.document.handle()), 0) << r.where;
       }},
      {"MQCreate", [](Sequence& r) { expectExecute(r, r.entry.MQCreate(0, r.document.handle())); }},
      {"MQModifyObject",
       [](Sequence& r) { expectExecute(r, r.entry.MQModifyObject(0, r.document.handle())); }},
      {"MQModifySelect",
       [](Sequence& r) { expectExecute(r, r.entry.MQModifySelect(0, r.document.handle())); }},
      {"MQOnEvent",
       [](Sequence& r) {
         int value = 1;
         void* values[] = {const_cast<char*>("index"), &value, nullptr, nullptr};
         EXPECT_EQ(r.entry.MQOnEvent(r.document.handle(), 1, values), 0) << r.where;
       }},
  };
  return table;
}

// Natively each sequence runs on two fresh loads, one without and one after MQInit. Under Wine,
// where a load costs far more, each sequence runs once on a fresh load before MQInit and then,
// in the same load, after MQInit.
#ifdef _WIN32
constexpr bool kFreshLoadAfterInit = false;
#else
constexpr bool kFreshLoadAfterInit = true;
#endif

TEST(EntryOrders, EveryOrderOfThreeBeforeAndAfterInit) {
  ASSERT_EQ(calls().size(), 14u);
  sim::Host host;
  sim::Document& document = host.newDocument();
  document.addObject("Body")->addVertex(1, 2, 3);
  document.addObject("Arm");
  const std::string before = sim::describe(document);
  host.clearMisuses();
  host.setStrict(true);
  int sequences = 0;
  const size_t n = calls().size();
  auto play = [&](PluginUnderTest& plugin, bool initFirst, size_t a, size_t b, size_t c) {
    Sequence run{plugin.entry, document, false, nullptr, std::string()};
    run.where = std::string(initFirst ? "after MQInit: " : "before MQInit: ") + calls()[a].first +
                ", " + calls()[b].first + ", " + calls()[c].first;
    if (initFirst) {
      EXPECT_EQ(plugin.entry.MQInit(testing_support::simHostFile().c_str()), 1) << run.where;
      run.bound = true;
    }
    for (size_t i : {a, b, c})
      calls()[i].second(run);
    ++sequences;
  };
  for (size_t a = 0; a < n; ++a)
    for (size_t b = 0; b < n; ++b)
      for (size_t c = 0; c < n; ++c) {
        {
          PluginUnderTest plugin;
          ASSERT_TRUE(plugin.complete());
          play(plugin, false, a, b, c);
          if (!kFreshLoadAfterInit)
            play(plugin, true, a, b, c);
        }
        if (kFreshLoadAfterInit) {
          PluginUnderTest plugin;
          ASSERT_TRUE(plugin.complete());
          play(plugin, true, a, b, c);
        }
        if (::testing::Test::HasFailure())
          return;
      }
  EXPECT_EQ(sequences, 2 * 14 * 14 * 14);
  EXPECT_EQ(sim::describe(document), before);
  const std::vector<std::string> lines = host.misuses();
  host.setStrict(false);
  EXPECT_TRUE(lines.empty()) << lines.front();
  std::printf("entry point sequences run: %d (14^3 before and after MQInit)\n", sequences);
}

} // namespace
