#include "tools/plughost/commands/uiwrites.h"

#include "tools/plughost/commands/text.h"

#include <lv2/atom/atom.h>

#include <cstdio>
#include <cstring>

namespace plughost {
namespace {

std::string uriOf(const UridMap& map, LV2_URID urid) {
    const char* uri = map.unmap(urid);
    return uri != nullptr ? uri : "urid:" + std::to_string(urid);
}

std::string portLabel(const Lv2Plugin& plugin, uint32_t port) {
    const LilvPort* found = lilv_plugin_get_port_by_index(plugin.lilvPlugin(), port);
    return found != nullptr ? printable(textOf(lilv_port_get_symbol(plugin.lilvPlugin(), found)))
                            : "no port";
}

template <typename Number>
Number numberAt(const uint8_t* bytes) {
    Number number;
    std::memcpy(&number, bytes, sizeof number);
    return number;
}

// A property's or an atom's value: numbers, URIs and strings as they read, anything else by
// its type.
std::string valueText(const LV2_Atom& atom, const uint8_t* body, UridMap& map) {
    const auto is = [&map, &atom](const char* type, size_t size) {
        return atom.type == map.map(type) && atom.size == size;
    };
    char text[64];
    if (is(LV2_ATOM__Int, 4) || is(LV2_ATOM__Bool, 4)) {
        std::snprintf(text, sizeof text, "%d", numberAt<int32_t>(body));
    } else if (is(LV2_ATOM__Long, 8)) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(numberAt<int64_t>(body)));
    } else if (is(LV2_ATOM__Float, 4)) {
        return numberText(static_cast<double>(numberAt<float>(body)));
    } else if (is(LV2_ATOM__Double, 8)) {
        return numberText(numberAt<double>(body));
    } else if (is(LV2_ATOM__URID, 4)) {
        return uriOf(map, numberAt<uint32_t>(body));
    } else if (atom.type == map.map(LV2_ATOM__String) && atom.size > 0) {
        const auto* characters = reinterpret_cast<const char*>(body);
        return "\"" + std::string(characters, strnlen(characters, atom.size)) + "\"";
    } else {
        return uriOf(map, atom.type) + " (" + std::to_string(atom.size) + " bytes)";
    }
    return text;
}

// An object as its type and its properties; other atoms by valueText.
std::string atomText(const std::vector<uint8_t>& data, UridMap& map) {
    LV2_Atom atom{};
    std::memcpy(&atom, data.data(), sizeof atom);
    const uint8_t* body = data.data() + sizeof atom;
    const bool object =
        atom.type == map.map(LV2_ATOM__Object) || atom.type == map.map(LV2_ATOM__Blank);
    if (!object || atom.size < sizeof(LV2_Atom_Object_Body)) {
        return valueText(atom, body, map);
    }
    std::string text = uriOf(map, numberAt<LV2_Atom_Object_Body>(body).otype) + " {";
    const char* separator = "";
    for (size_t at = sizeof(LV2_Atom_Object_Body);
         at + sizeof(LV2_Atom_Property_Body) <= atom.size;) {
        const auto property = numberAt<LV2_Atom_Property_Body>(body + at);
        const size_t value = at + sizeof(LV2_Atom_Property_Body);
        if (property.value.size > atom.size - value) {
            break;
        }
        text += separator + uriOf(map, property.key) + "=" +
                valueText(property.value, body + value, map);
        separator = ", ";
        at = value + (size_t{property.value.size} + 7) / 8 * 8;
    }
    return text + "}";
}

std::string portText(const Lv2Plugin& plugin, uint32_t port) {
    return "port=" + std::to_string(port) + " (" + portLabel(plugin, port) + ")";
}

} // namespace

std::string describeUiWrite(const UiWrite& write, const Lv2Plugin& plugin, UridMap& map) {
    const std::string port = portText(plugin, write.port);
    const std::string ignored = write.taken ? "" : " (not taken)";
    if (write.protocol == 0 && write.data.size() == sizeof(float)) {
        const double value = static_cast<double>(numberAt<float>(write.data.data()));
        return "write " + port + " value=" + numberText(value) + ignored;
    }
    if (write.protocol == map.map(LV2_ATOM__eventTransfer) &&
        write.data.size() >= sizeof(LV2_Atom) &&
        numberAt<LV2_Atom>(write.data.data()).size <= write.data.size() - sizeof(LV2_Atom)) {
        return "message " + port + " " + atomText(write.data, map) + ignored;
    }
    return "write " + port + " protocol=" + uriOf(map, write.protocol) + " (" +
           std::to_string(write.data.size()) + " bytes)" + ignored;
}

std::string describeUiTouch(const UiTouch& touch, const Lv2Plugin& plugin) {
    return "touch " + portText(plugin, touch.port) + (touch.grabbed ? " grabbed" : " released");
}

} // namespace plughost
