// The value-list lookups on lists built from the fuzz bytes: keys from the event vocabulary,
// near misses (other case, a prefix, a longer key) and raw bytes; values null, ints or floats;
// lists that end early at a null key or are null altogether. Every lookup must give what the
// first pair with exactly that key holds, and never read a pair after the terminating null key
// (the list is allocated to end exactly there).
#include "FuzzInput.h"
#include "entry/ValueListLookup.h"

#include <memory>
#include <vector>

namespace {

const char* const kKeys[] = {"index",    "Index",        "inde",      "index2",
                             "type",     "target_id",    "sender_id", "finished",
                             "pressure", "button_state", "key",       ""};
constexpr unsigned kKeyCount = sizeof kKeys / sizeof kKeys[0];

struct Pair {
  std::string key;
  bool nullValue = false;
  uint32_t bits = 0;
};

// What a lookup must find: the value of the first pair whose key equals the name byte for
// byte; the walk stops at the end of the list.
const Pair* firstMatch(const std::vector<Pair>& pairs, const std::string& name) {
  for (const Pair& pair : pairs)
    if (pair.key == name)
      return &pair;
  return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::FuzzInput in(data, size);
  const bool nullList = in.pick(16) == 0;
  std::vector<Pair> pairs(in.pick(9));
  for (Pair& pair : pairs) {
    const unsigned selector = in.pick(kKeyCount + 4);
    // Raw keys stop at their first NUL, as a C string would.
    pair.key = selector < kKeyCount ? kKeys[selector] : in.bytes(12).c_str();
    pair.nullValue = in.pick(4) == 0;
    pair.bits = in.word();
  }
  // The list: exactly pairs.size() pairs and the terminating null key, each value in storage of
  // its own so that any read past it is caught.
  std::vector<std::unique_ptr<uint32_t>> storage;
  std::unique_ptr<void*[]> list(new void*[2 * pairs.size() + 2]);
  for (size_t i = 0; i < pairs.size(); ++i) {
    storage.emplace_back(new uint32_t(pairs[i].bits));
    list[2 * i] = const_cast<char*>(pairs[i].key.c_str());
    list[2 * i + 1] = pairs[i].nullValue ? nullptr : storage.back().get();
  }
  list[2 * pairs.size()] = nullptr;
  list[2 * pairs.size() + 1] = nullptr;
  MQValueList values = nullList ? nullptr : list.get();

  const int fallback = static_cast<int>(in.word());
  for (int q = 0; q < 4; ++q) {
    const unsigned selector = in.pick(kKeyCount + 2);
    const std::string name = selector < kKeyCount ? kKeys[selector] : in.bytes(12).c_str();
    const Pair* match = nullList ? nullptr : firstMatch(pairs, name);
    const void* expectedPointer =
        match && !match->nullValue ? list[2 * size_t(match - pairs.data()) + 1] : nullptr;

    fuzzing::check(valuelist::findPointer(values, name.c_str()) == expectedPointer,
                   "pointer lookup: value pointer of the first exact match");
    int expectedInt = fallback;
    float expectedFloat = 0.0f;
    if (expectedPointer) {
      std::memcpy(&expectedInt, &match->bits, sizeof expectedInt);
      std::memcpy(&expectedFloat, &match->bits, sizeof expectedFloat);
    }
    fuzzing::check(valuelist::findInt(values, name.c_str(), fallback) == expectedInt,
                   "integer lookup: first exact match, else the fallback");
    const float found = valuelist::findFloat(values, name.c_str());
    fuzzing::check(std::memcmp(&found, &expectedFloat, sizeof found) == 0,
                   "float lookup: the stored bits of the first exact match, else 0.0");
  }
  return 0;
}
