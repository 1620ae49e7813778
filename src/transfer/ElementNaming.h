// The naming rules that tie an element (a morph target) to its base object: "elem:", the morph
// name, "-", the base name. The catalogue uses them to list a Source's elements, the set-up to
// name new elements and backups, and the runner to name the elements it reads from model files.
// Names are narrow host strings compared byte by byte. The rules on names alone need nothing; the
// two that ask the document rely on the object handle's queries (objects/CMQObject.h).
#pragma once

#include "tovalinder/host/MQPluginInterface.h"

#include <string>

namespace naming {

// The base name of an object name: without the text up to the first ":", and cut before the
// first "-" unless that "-" stands at position 0 or 1 ("obj:Body-L" gives "Body").
std::string baseName(const std::string& name);

// True when name starts with "elem:" and the text after its first "-" is exactly base.
bool isElementOf(const std::string& name, const std::string& base);

// The element name of a morph of a base: "elem:" + morph + "-" + base. A morph name with a "-"
// makes a name that is no element of the base (the base begins after the first "-").
std::string elementName(const std::string& morph, const std::string& base);
// The morph name of an element name: the text between "elem:" and the first "-".
std::string morphNameOf(const std::string& element);

// The name the host proposes for "#" + name: one that no object of the document bears yet.
std::string backupName(MQDocument document, const std::string& name);

// "new" and the smallest number N from 1 inserted before the first "-" (or appended when there
// is none) such that no object of the document bears the result.
std::string newElementName(MQDocument document, const std::string& name);

} // namespace naming
