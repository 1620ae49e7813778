#include "ListHint.h"
#include "Utf8.h"

#include "transfer/ElementNaming.h"

namespace runner {

namespace {

using dialog::kDialogOptions;

bool filterOn(const DialogChoices& choices, size_t option) {
  return choices.options[option].value_or(kDialogOptions[option].initiallyChecked);
}

std::string reasonFor(const sim::Document& document, const sim::Object& source,
                      const sim::Object& destination, const std::string& name,
                      const DialogChoices& choices) {
  if (name == source.name() || name == destination.name())
    return quoted(name) + " is the " + (name == source.name() ? "Source" : "Destination") +
           ", which the list never shows";
  const sim::Object* object = nullptr;
  for (const sim::Object* o : document.objects())
    if (!object && o != &source && o != &destination && o->name() == name)
      object = o;
  if (!object)
    return std::string(); // no filter would list it
  const size_t sameCountFilter = dialog::sameVertexCountFilterIndex();
  const size_t elementsFilter = dialog::elementsOnlyFilterIndex();
  std::string facts, flags;
  if (filterOn(choices, sameCountFilter) && object->vertexCount() != source.vertexCount()) {
    facts = "it has " + std::to_string(object->vertexCount()) + " vertices, the Source " +
            std::to_string(source.vertexCount());
    flags = std::string("--no-") + kDialogOptions[sameCountFilter].flag;
  }
  const std::string base = naming::baseName(source.name());
  if (filterOn(choices, elementsFilter) && !naming::isElementOf(name, base)) {
    facts += (facts.empty() ? "" : ", and ") + std::string("its name is not elem:<morph>-") + base;
    flags +=
        (flags.empty() ? "" : " and ") + std::string("--no-") + kDialogOptions[elementsFilter].flag;
  }
  if (flags.empty())
    return std::string();
  return quoted(name) + " is hidden by the list filters: " + facts + "; " + flags + " show" +
         (flags.find(' ') == std::string::npos ? "s" : "") + " it";
}

} // namespace

std::string whyNotListed(const sim::Document& document, const sim::Object& source,
                         const sim::Object& destination, const std::vector<std::string>& names,
                         const DialogChoices& choices) {
  std::string reasons;
  for (const std::string& name : names) {
    const std::string reason = reasonFor(document, source, destination, name, choices);
    if (!reason.empty())
      reasons += "; " + reason;
  }
  return reasons;
}

} // namespace runner
