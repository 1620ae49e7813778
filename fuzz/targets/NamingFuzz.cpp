// The naming rules on names built from the fuzz bytes, and the new-element and backup names
// against a document of the simulated host whose object names come from the bytes too (many of
// them near the names the rules will try). Invariants: the base name follows its two cuts; an
// element name made from a morph name and a base is an element of exactly that base; every
// element of a base ends with "-" and the base; a new element name is the first free one of
// its sequence (every earlier one is taken, it is not); a backup name is free and made from
// "#" and the name; both fit the host's 249 bytes. Strict mode records no misuse of the host, and
// the document checker finds nothing in the document.
#include "FuzzInput.h"
#include "SimCheck.h"
#include "SimHost.h"
#include "host/HostTable.h"
#include "transfer/ElementNaming.h"

#include <string>
#include <vector>

namespace {

const char* const kPieces[] = {"elem:", "obj:", "-",    ":",  "Body", "smile", "new",
                               "1",     "2",    "new1", "-L", "#",    "a",     "A-B"};
constexpr unsigned kPieceCount = sizeof kPieces / sizeof kPieces[0];

// A host name: pieces of the vocabulary and raw bytes, without NUL (names are C strings).
std::string name(fuzzing::FuzzInput& in) {
  std::string text;
  for (unsigned n = in.pick(6); n > 0; --n) {
    const unsigned piece = in.pick(kPieceCount + 1);
    text += piece < kPieceCount ? std::string(kPieces[piece]) : in.bytes(4);
  }
  for (char& c : text)
    if (c == '\0')
      c = 'x';
  return text;
}

std::string expectedBase(const std::string& name) {
  const size_t colon = name.find(':');
  const std::string rest = colon == std::string::npos ? name : name.substr(colon + 1);
  const size_t dash = rest.find('-');
  return dash != std::string::npos && dash >= 2 ? rest.substr(0, dash) : rest;
}

bool borne(const sim::Document& document, const std::string& candidate) {
  return document.findObject(candidate) != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool bound = host::bindHostTable(sim::moduleFileName());
  fuzzing::check(bound, "the simulated host binds");
  sim::Host host; // each input's own
  fuzzing::FuzzInput in(data, size);

  const std::string subject = name(in);
  fuzzing::check(naming::baseName(subject) == expectedBase(subject),
                 "the base name drops the text up to the first ':' and cuts at a late '-'");

  const std::string morph = name(in);
  const std::string base = name(in);
  const std::string element = "elem:" + morph + "-" + base;
  const bool morphHasDash = morph.find('-') != std::string::npos;
  if (!morphHasDash)
    fuzzing::check(naming::isElementOf(element, base), "elem:<morph>-<base> is base's element");
  if (naming::isElementOf(subject, base)) {
    fuzzing::check(subject.compare(0, 5, "elem:") == 0, "an element starts with elem:");
    fuzzing::check(subject.substr(subject.find('-') + 1) == base,
                   "an element's text after its first '-' is the base");
  }
  if (subject.compare(0, 5, "elem:") != 0)
    fuzzing::check(!naming::isElementOf(subject, base), "no element without elem:");

  // A document whose names crowd the sequence of new names for the subject.
  sim::Document& document = host.newDocument();
  const size_t dash = subject.find('-');
  const std::string prefix = subject.substr(0, dash);
  const std::string suffix = dash == std::string::npos ? std::string() : subject.substr(dash);
  for (unsigned n = in.pick(12); n > 0; --n) {
    const unsigned kind = in.pick(4);
    if (kind == 0)
      document.addEmptySlot();
    else if (kind == 1)
      document.addObject(name(in));
    else
      document.addObject(prefix + "new" + std::to_string(in.pick(6)) + suffix);
  }
  if (in.pick(2))
    document.addObject("#" + subject);
  if (document.slotCount() > 0 && in.pick(3) == 0)
    document.deleteObject(int(in.pick(unsigned(document.slotCount()))));

  host.setStrict(true);
  const std::string fresh = naming::newElementName(document.handle(), subject);
  const std::string backup = naming::backupName(document.handle(), subject);
  const std::vector<std::string> misuses = host.misuses();
  host.setStrict(false);
  if (!misuses.empty())
    fuzzing::fail(misuses.front().c_str());

  fuzzing::check(!borne(document, fresh), "a new element name is free");
  const std::string head = prefix + "new";
  fuzzing::check(fresh.size() > head.size() + suffix.size() &&
                     fresh.compare(0, head.size(), head) == 0 &&
                     fresh.compare(fresh.size() - suffix.size(), suffix.size(), suffix) == 0,
                 "a new element name is prefix, new, a number, suffix");
  const std::string digits = fresh.substr(head.size(), fresh.size() - head.size() - suffix.size());
  fuzzing::check(digits.find_first_not_of("0123456789") == std::string::npos && digits[0] != '0',
                 "the number is decimal without leading zeros");
  for (unsigned long long n = 1; std::to_string(n) != digits; ++n)
    fuzzing::check(borne(document, head + std::to_string(n) + suffix),
                   "every earlier name of the sequence is taken");

  fuzzing::check(!borne(document, backup), "a backup name is free");
  fuzzing::check(backup.size() <= sim::kNameBytes, "a backup name fits the host's names");
  fuzzing::check(sim::checkDocument(document).empty(), "the document checker finds nothing");
  const std::string proposal = ("#" + subject).substr(0, 249);
  fuzzing::check(backup.compare(0, proposal.size(), proposal) == 0 || backup.size() == 249,
                 "a backup name is made from # and the name");
  return 0;
}
