#pragma once
// The yardstick for the streaming XMLTV reader: the whole file parsed into a
// libxml2 tree (xmlReadFile), then the tree walked to build the same guide.
// Benchmarks only; the program never links libxml2.
#include <cstdint>

#include "catalog/whole_guide.h"

// Null when the file does not parse.
SharedWholeGuide ReadXmltvDom(const char* path, const GuideChannelSet& channels, int64_t now);
