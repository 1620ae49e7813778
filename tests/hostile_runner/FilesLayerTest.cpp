// The files layer's guarantees, once for every format: a pipe where a file should be, a reference
// that leads out of the file's folder (by "..", by percent-escapes, by a link), JSON nested far
// deeper than any real file, an output that is an input. Each case runs the program on files
// made for it and must end with the stated status and message, promptly, with the folder exactly
// as it was.
#include "DocumentFile.h"
#include "GltfAsset.h"
#include "HostileSupport.h"
#include "JsonTree.h"
#include "MorphSetExport.h"
#include "SampleCharacter.h"
#include "SampleGltf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace hostile;
using runner_test::readFile;
using runner_test::ScratchFolder;
using runner_test::writeFile;

namespace {

namespace fs = std::filesystem;

// The sample as a document with its numbers in a side file, "doc/scene.json".
void makeDocument(const ScratchFolder& dir) {
  fs::create_directory(dir.file("doc"));
  sim::Host host;
  sim::Document& document = host.newDocument();
  runner::readDocument(runner_test::samplePath(), document);
  runner::writeDocument(dir.file("doc/scene.json"), document, runner::DataLayout::SideFile);
}

std::string sideFileOf(const ScratchFolder& dir) {
  return fs::path(runner::referencedSideFile(dir.file("doc/scene.json"))).filename().string();
}

// A small character as "gl/src.gltf" with its buffer in "gl/src.bin", and its edited copy
// "gl/dst.glb".
void makeGltf(const ScratchFolder& dir) {
  fs::create_directory(dir.file("gl"));
  const runner::SampleOptions options = runner::sampleOptionsForVertices(300, 2);
  runner::writeSampleGltf(options, dir.file("gl/src.glb"), dir.file("gl/dst.glb"));
  runner::GltfAsset asset = runner::loadGltf(dir.file("gl/src.glb"));
  fs::remove(dir.file("gl/src.glb"));
  const std::vector<std::uint8_t>& bytes = asset.buffers[0];
  writeFile(dir.file("gl/src.bin"), std::string(bytes.begin(), bytes.end()));
  asset.json["buffers"][0]["uri"] = "src.bin";
  writeFile(dir.file("gl/src.gltf"), asset.json.dump(2));
}

// The sample as an OBJ set: "obj/Body.obj", "obj/shapes/*.obj", "obj/BodyEdited.obj".
void makeObj(const ScratchFolder& dir) {
  sim::Host host;
  sim::Document& document = host.newDocument();
  runner::buildSampleDocument(document, runner::sampleOptionsForVertices(300, 2));
  runner::obj::writeMorphSet(document, dir.file("obj"));
}

// Replaces a file of the set by what a case puts there.
void replaceWithPipe(const std::string& path) {
  fs::remove(path);
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
}

void moveOutAndLink(const ScratchFolder& dir, const std::string& path) {
  fs::create_directory(dir.file("elsewhere"));
  const std::string away = dir.file("elsewhere/" + fs::path(path).filename().string());
  fs::rename(path, away);
  fs::create_symlink(away, path);
}

// Names the buffer by `uri`; a copy of it lies beside the glTF file's folder, outside it.
void setGltfUri(const ScratchFolder& dir, const std::string& uri) {
  fs::copy_file(dir.file("gl/src.bin"), dir.file("src.bin"));
  runner::JsonTree json = runner::parseJsonTree(readFile(dir.file("gl/src.gltf")), "src.gltf");
  json["buffers"][0]["uri"] = uri;
  writeFile(dir.file("gl/src.gltf"), json.dump(2));
}

void setSideFileName(const ScratchFolder& dir, const std::string& name) {
  std::string text = readFile(dir.file("doc/scene.json"));
  const std::string side = sideFileOf(dir);
  text.replace(text.find(side), side.size(), name);
  writeFile(dir.file("doc/scene.json"), text);
}

// JSON whose one value is `depth` arrays, one inside the other.
std::string nested(size_t depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

const std::vector<std::string> kDocumentRun = {"doc/scene.json", "-o", "out.json"};
const std::vector<std::string> kGltfRun = {"gl/src.gltf", "gl/dst.glb", "-o", "out.glb"};
const std::vector<std::string> kObjRun = {
    "--source",      "obj/Body.obj",       "--morph",      "obj/shapes/*.obj",
    "--destination", "obj/BodyEdited.obj", "--output-dir", "out"};

struct Case {
  const char* name;
  std::function<void(const ScratchFolder&)> make;
  std::function<void(const ScratchFolder&)> spoil;
  std::vector<std::string> args;
  int status;
  std::string message;
};

std::vector<Case> cases() {
  const auto doc = makeDocument, gl = makeGltf, obj = makeObj;
  const std::string notRegular = "is not a regular file";
  const std::string outside = "names a file outside the folder of the file that refers to it";
  return {
      {"document: a pipe as the document", doc,
       [](auto& d) { replaceWithPipe(d.file("doc/scene.json")); }, kDocumentRun, 3, notRegular},
      {"document: a pipe as the side file", doc,
       [](auto& d) { replaceWithPipe(d.file("doc/" + sideFileOf(d))); }, kDocumentRun, 3,
       notRegular},
      {"document: a side file linked out of the folder", doc,
       [](auto& d) { moveOutAndLink(d, d.file("doc/" + sideFileOf(d))); }, kDocumentRun, 3,
       outside},
      {"document: a side file named with ..", doc,
       [](auto& d) { setSideFileName(d, "../scene.bin"); }, kDocumentRun, 3,
       "is not a plain file name"},
      {"document: JSON nested 100,000 levels deep", doc,
       [](auto& d) {
         writeFile(d.file("doc/scene.json"),
                   R"({"format": "tovalinder-document", "version": 1, "objects": )" +
                       nested(100000) + "}");
       },
       kDocumentRun, 3, "scene.json"},
      {"document: the output is the input",
       doc,
       [](auto&) {},
       {"doc/scene.json", "-o", "doc/scene.json"},
       2,
       "give --force"},
      {"glTF: a pipe as the glTF file", gl, [](auto& d) { replaceWithPipe(d.file("gl/src.gltf")); },
       kGltfRun, 3, notRegular},
      {"glTF: a pipe as a buffer", gl, [](auto& d) { replaceWithPipe(d.file("gl/src.bin")); },
       kGltfRun, 3, notRegular},
      {"glTF: a buffer linked out of the folder", gl,
       [](auto& d) { moveOutAndLink(d, d.file("gl/src.bin")); }, kGltfRun, 3, outside},
      {"glTF: a buffer named with ..", gl, [](auto& d) { setGltfUri(d, "../src.bin"); }, kGltfRun,
       3, outside},
      {"glTF: a buffer named with escaped dots", gl,
       [](auto& d) { setGltfUri(d, "%2e%2e/src.bin"); }, kGltfRun, 3, outside},
      {"glTF: a buffer named through a folder and back out", gl,
       [](auto& d) { setGltfUri(d, "sub/../../src.bin"); }, kGltfRun, 3, outside},
      {"glTF: a buffer named by a file URI", gl,
       [](auto& d) { setGltfUri(d, "file:///etc/passwd"); }, kGltfRun, 3,
       "is not a file name relative to the file's own folder"},
      {"glTF: JSON nested 100,000 levels deep", gl,
       [](auto& d) {
         std::string text = readFile(d.file("gl/src.gltf"));
         text.insert(text.find('{') + 1, "\"extras\": " + nested(100000) + ",");
         writeFile(d.file("gl/src.gltf"), text);
       },
       kGltfRun, 3, "nested more than 64 levels deep"},
      {"glTF: a key twice in a target", gl,
       [](auto& d) {
         std::string text = readFile(d.file("gl/src.gltf"));
         const size_t at = text.find("\"POSITION\"", text.find("\"targets\""));
         text.insert(at, "\"POSITION\": 0, ");
         writeFile(d.file("gl/src.gltf"), text);
       },
       kGltfRun, 3,
       "meshes[0].primitives[0].targets[0].POSITION: the key \"POSITION\" stands twice"},
      {"glTF: a syntax fault", gl,
       [](auto& d) {
         writeFile(d.file("gl/src.gltf"),
                   "{\n  \"asset\": {\"version\": \"2.0\"},\n  \"x\": tru\n}\n");
       },
       kGltfRun, 3, "gl/src.gltf:3:"},
      {"glTF: an image named with ..", gl,
       [](auto& d) {
         runner::JsonTree json = runner::parseJsonTree(readFile(d.file("gl/src.gltf")), "src.gltf");
         json["images"] = {{{"uri", "../picture.png"}}};
         writeFile(d.file("gl/src.gltf"), json.dump(2));
       },
       kGltfRun, 3, "images[0].uri: \"../picture.png\" " + outside},
      {"glTF: an image linked out of the folder", gl,
       [](auto& d) {
         runner::JsonTree json = runner::parseJsonTree(readFile(d.file("gl/src.gltf")), "src.gltf");
         json["images"] = {{{"uri", "picture.png"}}};
         writeFile(d.file("gl/src.gltf"), json.dump(2));
         writeFile(d.file("gl/picture.png"), "not a picture");
         moveOutAndLink(d, d.file("gl/picture.png"));
       },
       kGltfRun, 3, outside},
      {"glTF: the output is the buffer",
       gl,
       [](auto&) {},
       {"gl/src.gltf", "gl/dst.glb", "-o", "gl/src.bin"},
       2,
       "src.bin"},
      {"OBJ: a pipe as the Source", obj, [](auto& d) { replaceWithPipe(d.file("obj/Body.obj")); },
       kObjRun, 3, notRegular},
      {"OBJ: a pipe as a morph file",
       obj,
       [](auto& d) { replaceWithPipe(d.file("obj/shapes/smile.obj")); },
       {"--source", "obj/Body.obj", "--morph", "obj/shapes/smile.obj", "--destination",
        "obj/BodyEdited.obj", "--output-dir", "out"},
       3,
       notRegular},
      {"OBJ: a pipe as the Destination", obj,
       [](auto& d) { replaceWithPipe(d.file("obj/BodyEdited.obj")); }, kObjRun, 3, notRegular},
      // A pattern names regular files only: the pipe is left out, never opened.
      {"OBJ: a pipe among the files a pattern matches",
       obj,
       [](auto& d) { replaceWithPipe(d.file("obj/shapes/smile.obj")); },
       {"--source", "obj/Body.obj", "--morph", "obj/shapes/*.obj", "--destination",
        "obj/BodyEdited.obj", "--dry-run"},
       0,
       ""},
      {"OBJ: an output is an input",
       obj,
       [](auto&) {},
       {"--source", "obj/Body.obj", "--morph", "obj/shapes/*.obj", "--destination",
        "obj/BodyEdited.obj", "--output-dir", "obj/shapes", "--force"},
       2,
       "is an input of this run"},
  };
}

} // namespace

TEST(FilesLayer, EveryFormatRefusesWhatNoFileShouldMakeItDoAndLeavesTheFolderAsItWas) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    ScratchFolder dir;
    c.make(dir);
    c.spoil(dir);
    const Snapshot before = snapshot(dir);
    const Outcome r = runRunner(dir, c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(changesBesides(before, snapshot(dir), {}), "");
  }
}

TEST(FilesLayer, TheSetsOfEveryFormatRunWhenNothingIsSpoilt) {
  for (const auto& [make, args] :
       std::vector<std::pair<void (*)(const ScratchFolder&), std::vector<std::string>>>{
           {makeDocument, kDocumentRun}, {makeGltf, kGltfRun}, {makeObj, kObjRun}}) {
    ScratchFolder dir;
    make(dir);
    const Outcome r = runRunner(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
  }
}
