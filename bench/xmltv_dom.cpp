#include "bench/xmltv_dom.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <string>

#include "catalog/xmltv_reader.h"

namespace {

std::string Property(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (!value) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

std::string Content(xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  if (!value) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

bool Named(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

}  // namespace

SharedWholeGuide ReadXmltvDom(const char* path, const GuideChannelSet& channels, int64_t now) {
  xmlDoc* doc = xmlReadFile(path, nullptr, XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOBLANKS);
  if (!doc) return nullptr;
  WholeGuideBuilder builder(channels, now);
  xmlNode* root = xmlDocGetRootElement(doc);
  for (xmlNode* node = root ? root->children : nullptr; node; node = node->next) {
    if (!Named(node, "programme")) continue;
    const uint32_t channel = channels.Find(Property(node, "channel"));
    if (channel == GuideChannelSet::kNone) continue;
    const int64_t start = XmltvTimeSeconds(Property(node, "start"));
    const int64_t stop = XmltvTimeSeconds(Property(node, "stop"));
    if (start == 0 || !builder.InWindow(start, stop)) continue;
    std::string title, description;
    bool haveTitle = false, haveDescription = false;
    for (xmlNode* child = node->children; child; child = child->next) {
      if (!haveTitle && Named(child, "title")) {
        title = Content(child);
        haveTitle = true;
      } else if (!haveDescription && Named(child, "desc")) {
        description = Content(child);
        haveDescription = true;
      }
    }
    builder.Add(channel, start, stop, title, description);
  }
  xmlFreeDoc(doc);
  return builder.Build();
}
