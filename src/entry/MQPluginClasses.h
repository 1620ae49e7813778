// The host's plug-in class tree. The entry points reach the plug-in object only through these
// virtual operations, whose slot order is fixed: destructor, GetPlugInID, GetPlugInName,
// GetPlugInType, then EnumString (menu plug-ins) and Execute (object plug-ins).
// The station, command and import branches exist so that event delivery can test the plug-in
// object's run-time class; this module derives nothing from them.
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

class MQBasePlugin {
public:
  virtual ~MQBasePlugin() = default;
  virtual void GetPlugInID(MQDWORD* product, MQDWORD* id) = 0;
  virtual const char* GetPlugInName() = 0;
  virtual int GetPlugInType() = 0;
};

class MQMenuBasePlugin : public MQBasePlugin {
public:
  virtual const char* EnumString(int index) = 0;
};

class MQObjectPlugin : public MQMenuBasePlugin {
public:
  virtual MQBOOL Execute(int index, MQDocument doc) = 0;
};

// Branches that receive host events; no plug-in of this module derives from them.
class MQStationPlugin : public MQMenuBasePlugin {};
class MQCommandPlugin : public MQStationPlugin {};
class MQImportPlugin : public MQBasePlugin {};
