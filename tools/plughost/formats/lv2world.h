// lilv's view of the installed LV2 plug-ins, and how plughost finds the one the user names: a
// bundle folder, or a plug-in URI looked up on LV2_PATH.
#pragma once

#include <lilv/lilv.h>

#include <memory>
#include <string>

namespace plughost {

struct NodeDeleter {
    void operator()(LilvNode* node) const { lilv_node_free(node); }
};
// A node plughost made or was handed and must free.
using Node = std::unique_ptr<LilvNode, NodeDeleter>;

// The node's text: a URI, a string or a number as written; "" for none.
std::string textOf(const LilvNode* node);
// The path a file: URI names; the URI as it is when it names no file.
std::string fileOf(const LilvNode* uri);

class Lv2World {
public:
    Lv2World();
    ~Lv2World();
    Lv2World(const Lv2World&) = delete;
    Lv2World& operator=(const Lv2World&) = delete;

    LilvWorld* get() const { return world; }
    Node uri(const char* text) const;

    // The plug-in a bundle folder describes, or the one with this URI on LV2_PATH (lilv's
    // default folders when it is not set), the argument found as findPlugin finds it. Throws
    // HostError naming what is missing.
    const LilvPlugin* find(const std::string& argument);

private:
    const LilvPlugin* findInBundle(const std::string& folder);
    const LilvPlugin* findByUri(const std::string& uri);

    LilvWorld* world;
};

} // namespace plughost
