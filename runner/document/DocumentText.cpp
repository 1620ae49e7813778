#include "DocumentText.h"

#include "Base64.h"
#include "FloatText.h"
#include "NumberBlocks.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>

namespace runner {

namespace {

const size_t kFlushAt = size_t{1} << 20;
const std::string kMember(8, ' '); // members of vertices and faces
const std::string kRow(10, ' ');   // lines of a readable array

const char* typeName(ValueType type) {
  switch (type) {
  case ValueType::Float:
    return blockTypeName<float>();
  case ValueType::Int:
    return blockTypeName<std::int32_t>();
  default:
    return blockTypeName<std::uint32_t>();
  }
}

std::uint32_t bitsAt(const void* data, size_t i) {
  std::uint32_t bits;
  std::memcpy(&bits, static_cast<const unsigned char*>(data) + i * 4, 4);
  return bits;
}

void appendValue(std::string& out, ValueType type, std::uint32_t bits) {
  char text[kNumberTextSize];
  size_t length = 0;
  if (type == ValueType::Float) {
    float value;
    std::memcpy(&value, &bits, 4);
    length = floatText(value, text);
  } else {
    length = integerText(type == ValueType::Int ? std::int64_t{static_cast<std::int32_t>(bits)}
                                                : std::int64_t{bits},
                         text);
  }
  out.append(text, length);
}

// JSON cannot hold infinities and NaNs: such an array is written as a block instead.
bool allFinite(const ColumnData& column) {
  if (column.type != ValueType::Float)
    return true;
  for (size_t i = 0; i < column.count; ++i)
    if ((bitsAt(column.data, i) & 0x7F800000u) == 0x7F800000u)
      return false;
  return true;
}

size_t rowCount(const ColumnData& column) {
  switch (column.rows.kind) {
  case RowShape::Kind::Fixed:
    return column.count / column.rows.width;
  case RowShape::Kind::Faces:
    return column.rows.faceStart->size() - 1;
  default:
    return 0;
  }
}

size_t rowLength(const ColumnData& column, size_t row) {
  if (column.rows.kind == RowShape::Kind::Fixed)
    return column.rows.width;
  const std::vector<size_t>& start = *column.rows.faceStart;
  return (start[row + 1] - start[row]) * column.rows.width;
}

std::string jsonText(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string flagText(std::uint32_t value, std::uint32_t whenTrue) {
  if (value == 0)
    return "false";
  return value == whenTrue ? "true" : std::to_string(value);
}

} // namespace

void DocumentText::flushIfLarge() {
  if (text_.size() < kFlushAt)
    return;
  json_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
}

void DocumentText::counted(std::uint64_t values) {
  progressDone_ += values;
  if (progress_)
    progress_(progressDone_, progressTotal_);
}

void DocumentText::readable(const ColumnData& column) {
  const size_t rows = rowCount(column);
  if (column.count == 0 && rows == 0) {
    text_ += "[]";
    return;
  }
  text_ += "[\n";
  if (column.rows.kind == RowShape::Kind::Flat) {
    for (size_t i = 0; i < column.count; ++i) {
      if (i % 16 == 0)
        text_ += kRow;
      else
        text_ += ' ';
      appendValue(text_, column.type, bitsAt(column.data, i));
      if (i + 1 == column.count)
        text_ += '\n';
      else if (i % 16 == 15)
        text_.append(",\n", 2);
      else
        text_ += ',';
      if (i % 4096 == 4095)
        flushIfLarge();
    }
  } else {
    for (size_t r = 0, k = 0; r < rows; ++r) {
      text_ += kRow;
      text_ += '[';
      for (size_t i = 0, length = rowLength(column, r); i < length; ++i, ++k) {
        if (i)
          text_.append(", ", 2);
        appendValue(text_, column.type, bitsAt(column.data, k));
      }
      if (r + 1 == rows)
        text_.append("]\n", 2);
      else
        text_.append("],\n", 3);
      if (r % 1024 == 1023)
        flushIfLarge();
    }
  }
  text_ += kMember;
  text_ += ']';
}

void DocumentText::block(const ColumnData& column) {
  const size_t bytes = column.count * 4;
  text_ += std::string("{\"type\": \"") + typeName(column.type) +
           "\", \"count\": " + std::to_string(column.count);
  if (layout_ == DataLayout::SideFile) {
    const BlockPlace& place = plan_->place(blocksPlaced_++);
    text_ += ", \"offset\": " + std::to_string(place.offset) + "}";
    if (place.written)
      side_->write(static_cast<const char*>(column.data), static_cast<std::streamsize>(bytes));
  } else {
    text_ += ", \"base64\": \"";
    appendBase64(text_, static_cast<const unsigned char*>(column.data), bytes);
    text_ += "\"}";
  }
}

void DocumentText::column(const ColumnData& column, bool last) {
  text_ += kMember;
  text_ += '"';
  text_ += column.key;
  text_ += "\": ";
  if (layout_ == DataLayout::Readable && allFinite(column))
    readable(column);
  else
    block(column);
  text_ += last ? "\n" : ",\n";
  counted(column.count);
  flushIfLarge();
}

void DocumentText::object(const sim::Object& object) {
  collectColumns(object, layout_ == DataLayout::Readable, columns_);
  const bool hasVertices = !columns_.vertices.empty(), hasFaces = !columns_.faces.empty();
  text_ += "      \"name\": " + jsonText(object.name()) + ",\n";
  text_ += "      \"depth\": " + std::to_string(object.depth) + ",\n";
  text_ += "      \"locked\": " + flagText(static_cast<std::uint32_t>(object.locked), 1) + ",\n";
  text_ +=
      "      \"selected\": " + flagText(static_cast<std::uint32_t>(object.selected), 1) + ",\n";
  text_ += "      \"visible\": " + flagText(object.visible, 0xFFFFFFFFu) +
           (hasVertices || hasFaces ? ",\n" : "\n");
  if (hasVertices) {
    text_ += "      \"vertices\": {\n";
    for (size_t i = 0; i < columns_.vertices.size(); ++i)
      column(columns_.vertices[i], i + 1 == columns_.vertices.size());
    text_ += hasFaces ? "      },\n" : "      }\n";
  }
  if (hasFaces) {
    text_ += "      \"faces\": {\n";
    for (size_t i = 0; i < columns_.faces.size(); ++i)
      column(columns_.faces[i], i + 1 == columns_.faces.size());
    text_ += "      }\n";
  }
}

void DocumentText::head(const std::string& sideFileName, std::uint64_t sideBytes) {
  text_ += "{\n  \"format\": \"tovalinder-document\",\n  \"version\": 1,\n";
  if (layout_ == DataLayout::SideFile)
    text_ += "  \"binary\": {\"file\": " + jsonText(sideFileName) +
             ", \"bytes\": " + std::to_string(sideBytes) + "},\n";
  text_ += "  \"objects\": [\n";
}

void DocumentText::slot(const sim::Object* object, bool last) {
  if (!object) {
    text_ += last ? "    null\n" : "    null,\n";
    return;
  }
  text_ += "    {\n";
  this->object(*object);
  text_ += last ? "    }\n" : "    },\n";
}

void DocumentText::tail() {
  text_ += "  ]\n}\n";
}

bool DocumentText::finish() {
  json_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
  return static_cast<bool>(json_.flush());
}

bool DocumentText::sideWritten() {
  return !side_ || static_cast<bool>(side_->flush());
}

} // namespace runner
