// The hostile modes of the simulated host (SimHostile.h): the switches, the counts they answer,
// and the reach of an index against the count that was answered.
#include "HostState.h"

#include <cmath>
#include <limits>

namespace sim {

void Host::setHostile(Hostile mode) {
  state_->hostile = mode;
  state_->answers.clear();
}

Hostile Host::hostile() const {
  return state_->hostile;
}

void Host::setHugeCount(int count) {
  state_->hugeCount = count;
}
int Host::hugeCount() const {
  return state_->hugeCount;
}

std::vector<Hostile> hostileModes() {
  return {Hostile::NegativeCounts,
          Hostile::ZeroCounts,
          Hostile::HugeCounts,
          Hostile::HugeArrayCounts,
          Hostile::CountShrinksBeforeFill,
          Hostile::CountGrowsBeforeFill,
          Hostile::NullObjects,
          Hostile::UnterminatedNames};
}

const char* hostileName(Hostile mode) {
  switch (mode) {
  case Hostile::None:
    return "None";
  case Hostile::NegativeCounts:
    return "NegativeCounts";
  case Hostile::ZeroCounts:
    return "ZeroCounts";
  case Hostile::HugeCounts:
    return "HugeCounts";
  case Hostile::HugeArrayCounts:
    return "HugeArrayCounts";
  case Hostile::CountShrinksBeforeFill:
    return "CountShrinksBeforeFill";
  case Hostile::CountGrowsBeforeFill:
    return "CountGrowsBeforeFill";
  case Hostile::NullObjects:
    return "NullObjects";
  case Hostile::UnterminatedNames:
    return "UnterminatedNames";
  }
  return "?";
}

int hostileCount(int real, CountKind kind) {
  const HostState& state = hostState();
  switch (state.hostile) {
  case Hostile::NegativeCounts:
    return -1;
  case Hostile::ZeroCounts:
    return 0;
  case Hostile::HugeCounts:
    return kind == CountKind::Total ? state.hugeCount : real;
  case Hostile::HugeArrayCounts:
    return kind == CountKind::Array ? state.hugeCount : real;
  case Hostile::CountShrinksBeforeFill:
    return kind == CountKind::Array ? real + 2 : real;
  case Hostile::CountGrowsBeforeFill:
    return kind == CountKind::Array ? std::max(real - 1, 0) : real;
  default:
    return real;
  }
}

Reach reachPastAnswer(int index, int real, int answered, const char* function, const char* what) {
  if (index < 0 || index >= answered) {
    misuse(function, std::string(what) + " " + std::to_string(index) + " past the host's answer " +
                         std::to_string(answered));
    return Reach::Past;
  }
  return index < real ? Reach::Real : Reach::Phantom;
}

int fillLimit(int real, const int* answered, const char* function, const char* what) {
  if (!answered)
    return real;
  if (*answered <= 0) {
    misuse(function, std::string(what) + " past the host's answer " + std::to_string(*answered));
    return 0;
  }
  return std::min(real, *answered);
}

void makePositionsNonFinite(Object& object) {
  const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(), 1e38f, -1e38f};
  std::vector<MQPoint>& positions = object.editPositions();
  for (size_t i = 0; i < positions.size(); ++i) {
    const float value = values[i % 5];
    positions[i] = MQPoint{value, value, value};
  }
}

void addDegenerateFaces(Object& object) {
  const int n = object.vertexCount();
  if (n > 0) {
    object.addFace({0, 0, 0});
    object.addFace({n - 1});
  }
  if (n > 2)
    object.addFace({0, 1, 0, 2});
  object.addFace({-2, n, INT_MAX});
}

} // namespace sim
