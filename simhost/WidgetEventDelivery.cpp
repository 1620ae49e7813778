// The host's side of widget events: calling the plug-in's registered procs with the event's
// value list, as a host's message loop would.
#include "WidgetHost.h"

#include <algorithm>

namespace sim {

bool WidgetHost::deliverEvent(int targetId, int senderId, const char* type,
                              const std::vector<std::pair<const char*, void*>>& extra) {
  WidgetData* target = liveWidget(targetId);
  if (!target)
    return false;
  // Copied: a handler may register further handlers or delete widgets meanwhile.
  std::vector<HandlerRegistration> handlers;
  for (int pass = 0; pass < 2; ++pass)
    for (const HandlerRegistration& handler : target->handlers)
      if (handler.prior == (pass == 0) && handler.type == type)
        handlers.push_back(handler);

  bool anyFinished = false;
  for (const HandlerRegistration& handler : handlers) {
    if (!liveWidget(targetId))
      break; // the widget went away during the event: the rest of it is not delivered
    int target_id = targetId;
    int sender_id = senderId;
    unsigned char finished = 0;
    std::vector<void*> values;
    auto add = [&](const char* key, void* value) {
      values.push_back(const_cast<char*>(key));
      values.push_back(value);
    };
    add("target_id", &target_id);
    add("sender_id", &sender_id);
    add("type", const_cast<char*>(type));
    add("finished", &finished);
    for (const auto& pair : extra)
      add(pair.first, pair.second);
    values.push_back(nullptr);
    int result = handler.proc(eventDocument, values.data(), handler.pointer);
    events.push_back(SentEvent{targetId, senderId, type, result, finished != 0});
    anyFinished = anyFinished || finished != 0;
  }
  return anyFinished;
}

} // namespace sim
