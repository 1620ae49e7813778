// The JSON text of documents, streamed to the file in large pieces as it is made: objects with
// their members, numeric arrays written out (the readable layout: one line per vertex and face,
// 16 numbers a line for flat arrays) or as blocks, inline in base64 or in the side file.
#pragma once

#include "DocumentFile.h"
#include "ObjectColumns.h"
#include "SideFilePlan.h"

#include <ostream>
#include <string>

namespace runner {

class DocumentText {
public:
  // side: where side-file blocks go (the SideFile layout only), at the places `plan` gives them.
  // values: how many numbers the document holds in all, for progress.
  DocumentText(std::ostream& json, std::ostream* side, DataLayout layout,
               const FileProgress& progress, std::uint64_t progressTotal,
               const SideFilePlan* plan = nullptr)
      : json_(json), side_(side), layout_(layout), progress_(progress),
        progressTotal_(progressTotal), plan_(plan) {}

  void head(const std::string& sideFileName, std::uint64_t sideBytes);
  void slot(const sim::Object* object, bool last);
  void tail();
  // Sends what is left to the file; false when a write to it failed.
  bool finish();
  // False when a write to the side file failed.
  bool sideWritten();

private:
  void flushIfLarge();
  void counted(std::uint64_t values);
  void column(const ColumnData& column, bool last);
  void readable(const ColumnData& column);
  void block(const ColumnData& column);
  void object(const sim::Object& object);

  std::ostream& json_;
  std::ostream* side_;
  DataLayout layout_;
  const FileProgress& progress_;
  std::uint64_t progressTotal_, progressDone_ = 0;
  const SideFilePlan* plan_;
  size_t blocksPlaced_ = 0;
  std::string text_;
  ObjectColumns columns_;
};

} // namespace runner
