// Running one step of a runner reader on fuzz bytes: the step reads, or refuses with a
// FileError whose message the target checks; anything else leaving a reader is a fault.
#pragma once

#include "DocumentFile.h"
#include "FuzzInput.h"

#include <cstdio>
#include <exception>

namespace fuzzing {

// True when the step read, false when it refused; checkRefusal(message) checks a refusal.
template <typename Step, typename CheckRefusal>
bool readsOrRefuses(Step step, CheckRefusal checkRefusal) {
  try {
    step();
    return true;
  } catch (const runner::FileError& error) {
    checkRefusal(error.what());
    return false;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    fail("only a FileError may leave the reader");
  } catch (...) {
    fail("only a FileError may leave the reader");
  }
}

} // namespace fuzzing
