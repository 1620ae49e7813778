#include "transfer/TransferSettings.h"

namespace {
// Created at load, destroyed at unload by the module's static clean-up.
TransferSettings g_transferSettings;
} // namespace

TransferSettings& transferSettings() {
  return g_transferSettings;
}
