// A fault in a file a run reads or writes, the same for every format: the file, the place in it
// (a JSON path, a line, an object or vertex) and what is wrong, so that every report says it in
// one form: "<file>: <place>: <problem>". A fault that only a message can say keeps the message
// whole as its problem.
#pragma once

#include <stdexcept>
#include <string>

namespace runner {

class FileError : public std::runtime_error {
public:
  // A whole message, as older readers say it.
  explicit FileError(const std::string& message) : std::runtime_error(message), problem(message) {}
  FileError(std::string inFile, std::string atPlace, std::string what)
      : std::runtime_error(joined(inFile, atPlace, what)), file(std::move(inFile)),
        place(std::move(atPlace)), problem(std::move(what)) {}

  std::string file;    // empty when the message names it
  std::string place;   // empty for the file as a whole
  std::string problem; // what is wrong, in words for the user

private:
  static std::string joined(const std::string& file, const std::string& place,
                            const std::string& problem) {
    std::string text = file;
    for (const std::string* part : {&place, &problem})
      if (!part->empty())
        text += (text.empty() ? "" : ": ") + *part;
    return text;
  }
};

} // namespace runner
