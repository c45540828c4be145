// Writes the bundle's Turtle files from the plug-in's own tables (the parameters, the ports and
// the URIs the code uses), so that what hosts read cannot differ from what the code does.
// Usage: glidefilter_lv2_describe BUNDLE_FOLDER DSP_BINARY UI_BINARY
#include "effect/parameters.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Who hosts name as the maker, and the version they compare between two installed copies: an
// even minor version is a release (LV2's rule); the micro version counts fixes within it.
constexpr const char* kMaintainer = "Glide Filter developers";
constexpr const char* kLicense = "http://opensource.org/licenses/isc";
constexpr int kMinorVersion = 2;
constexpr int kMicroVersion = 0;

// The shortest decimal that reads back as the same float; a decimal point unless `integer`.
std::string number(float value, bool integer) {
    char text[32];
    for (int decimals = 0; decimals <= 9; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    std::string written = text;
    if (!integer && written.find('.') == std::string::npos) {
        written += ".0";
    }
    return written;
}

bool isInteger(int32_t index) {
    return kParameters[index].kind != ParameterKind::continuous;
}

std::string unitsText(int32_t index, double units) {
    return number(static_cast<float>(units), isInteger(index));
}

const char* unitName(ParameterUnit unit) {
    switch (unit) {
    case ParameterUnit::percent:
        return "units:pc";
    case ParameterUnit::decibels:
        return "units:db";
    case ParameterUnit::none:
        break;
    }
    return nullptr;
}

std::string uri(const char* text) {
    return std::string("<") + text + ">";
}

void writePrefixes(std::ostream& out, std::initializer_list<const char*> prefixes) {
    for (const char* prefix : prefixes) {
        out << "@prefix " << prefix << " .\n";
    }
    out << '\n';
}

void writeAudioPort(std::ostream& out, uint32_t index, bool input, const char* symbol,
                    const char* name) {
    out << "\t\ta lv2:AudioPort ,\n\t\t\t" << (input ? "lv2:InputPort" : "lv2:OutputPort")
        << " ;\n\t\tlv2:index " << index << " ;\n\t\tlv2:symbol \"" << symbol
        << "\" ;\n\t\tlv2:name \"" << name << "\"\n";
}

// `control` takes MIDI and the editor's learn messages; `notify` reports what was learned.
void writeAtomPorts(std::ostream& out) {
    out << "\t] , [\n"
           "\t\ta atom:AtomPort ,\n\t\t\tlv2:InputPort ;\n"
           "\t\tatom:bufferType atom:Sequence ;\n"
           "\t\tatom:supports midi:MidiEvent ,\n\t\t\tatom:Object ;\n"
           "\t\tlv2:designation lv2:control ;\n"
           "\t\tlv2:portProperty lv2:connectionOptional ;\n"
        << "\t\tlv2:index " << kLv2Control << " ;\n\t\tlv2:symbol \"control\" ;\n"
        << "\t\tlv2:name \"Control\"\n"
           "\t] , [\n"
           "\t\ta atom:AtomPort ,\n\t\t\tlv2:OutputPort ;\n"
           "\t\tatom:bufferType atom:Sequence ;\n"
           "\t\tatom:supports atom:Object ;\n"
           "\t\tlv2:portProperty lv2:connectionOptional ;\n"
        << "\t\tlv2:index " << kLv2Notify << " ;\n\t\tlv2:symbol \"notify\" ;\n"
        << "\t\tlv2:name \"Notify\"\n";
}

void writeScalePoints(std::ostream& out, int32_t index) {
    const char* separator = "\t\tlv2:scalePoint [\n";
    for (const NamedValue& named : kParameters[index].named) {
        if (named.label == nullptr) {
            break;
        }
        out << separator << "\t\t\trdfs:label \"" << named.label << "\" ;\n\t\t\trdf:value "
            << unitsText(index, named.units) << '\n';
        separator = "\t\t] , [\n";
    }
    out << "\t\t]";
}

void writeParameterPort(std::ostream& out, int32_t index) {
    const ParameterInfo& info = kParameters[index];
    out << "\t] , [\n\t\ta lv2:ControlPort ,\n\t\t\tlv2:InputPort ;\n\t\tlv2:index "
        << kLv2FirstParameter + index << " ;\n\t\tlv2:symbol \"" << info.symbol
        << "\" ;\n\t\tlv2:name \"" << info.name << "\" ;\n";
    if (info.kind == ParameterKind::toggle) {
        out << "\t\tlv2:portProperty lv2:integer ,\n\t\t\tlv2:enumeration ;\n";
    } else if (info.kind == ParameterKind::controller) {
        out << "\t\tlv2:portProperty lv2:integer ;\n";
    }
    out << "\t\tlv2:default " << number(portDefault(index), isInteger(index))
        << " ;\n\t\tlv2:minimum " << unitsText(index, info.minimum) << " ;\n\t\tlv2:maximum "
        << unitsText(index, info.maximum);
    if (const char* unit = unitName(info.unit)) {
        out << " ;\n\t\tunits:unit " << unit;
    }
    if (info.named[0].label != nullptr) {
        out << " ;\n";
        writeScalePoints(out, index);
    }
    out << '\n';
}

std::string pluginDescription() {
    std::ostringstream out;
    writePrefixes(
        out,
        {"atom:  <http://lv2plug.in/ns/ext/atom#>", "bufsz: <http://lv2plug.in/ns/ext/buf-size#>",
         "doap:  <http://usefulinc.com/ns/doap#>", "foaf:  <http://xmlns.com/foaf/0.1/>",
         "lv2:   <http://lv2plug.in/ns/lv2core#>", "midi:  <http://lv2plug.in/ns/ext/midi#>",
         "opts:  <http://lv2plug.in/ns/ext/options#>",
         "rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#>",
         "rdfs:  <http://www.w3.org/2000/01/rdf-schema#>",
         "units: <http://lv2plug.in/ns/extensions/units#>",
         "urid:  <http://lv2plug.in/ns/ext/urid#>"});
    out << uri(kLv2PluginUri)
        << "\n\ta lv2:Plugin ,\n\t\tlv2:FilterPlugin ,\n\t\tdoap:Project ;\n"
           "\tdoap:name \"Glide Filter\" ;\n"
        << "\tdoap:license " << uri(kLicense) << " ;\n"
        << "\tdoap:maintainer [\n\t\tfoaf:name \"" << kMaintainer << "\"\n\t] ;\n"
        << "\tlv2:minorVersion " << kMinorVersion << " ;\n"
        << "\tlv2:microVersion " << kMicroVersion << " ;\n"
        << "\tlv2:optionalFeature urid:map ,\n\t\topts:options ,\n\t\tlv2:hardRTCapable ;\n"
           "\topts:supportedOption bufsz:sequenceSize ;\n"
           "\tlv2:port [\n";
    writeAudioPort(out, kLv2InLeft, true, "in_l", "In L");
    out << "\t] , [\n";
    writeAudioPort(out, kLv2InRight, true, "in_r", "In R");
    out << "\t] , [\n";
    writeAudioPort(out, kLv2OutLeft, false, "out_l", "Out L");
    out << "\t] , [\n";
    writeAudioPort(out, kLv2OutRight, false, "out_r", "Out R");
    writeAtomPorts(out);
    for (int32_t index = 0; index < kNumParams; ++index) {
        writeParameterPort(out, index);
    }
    out << "\t] .\n";
    return out.str();
}

std::string presets() {
    std::ostringstream out;
    writePrefixes(out, {"lv2:  <http://lv2plug.in/ns/lv2core#>",
                        "pset: <http://lv2plug.in/ns/ext/presets#>",
                        "rdfs: <http://www.w3.org/2000/01/rdf-schema#>"});
    out << uri(kLv2DefaultPresetUri) << "\n\ta pset:Preset ;\n\tlv2:appliesTo "
        << uri(kLv2PluginUri) << " ;\n\trdfs:label \"Default\" ;\n\tlv2:port [\n";
    for (int32_t index = 0; index < kNumParams; ++index) {
        out << (index == 0 ? "" : "\t] , [\n") << "\t\tlv2:symbol \"" << kParameters[index].symbol
            << "\" ;\n\t\tpset:value " << number(portDefault(index), false) << '\n';
    }
    out << "\t] .\n";
    return out.str();
}

// The editor, embedded in the host's window and idled by the host; learned controllers come
// back from the plug-in on `notify`. Its size is fixed, but ui:fixedSize (deprecated) is not
// declared: MusE then ignores ui:resize and leaves the window at 0 x 0.
std::string manifest(const std::string& dspBinary, const std::string& uiBinary) {
    std::ostringstream out;
    writePrefixes(
        out,
        {"atom: <http://lv2plug.in/ns/ext/atom#>", "lv2:  <http://lv2plug.in/ns/lv2core#>",
         "opts: <http://lv2plug.in/ns/ext/options#>", "pset: <http://lv2plug.in/ns/ext/presets#>",
         "rdfs: <http://www.w3.org/2000/01/rdf-schema#>",
         "ui:   <http://lv2plug.in/ns/extensions/ui#>", "urid: <http://lv2plug.in/ns/ext/urid#>"});
    out << uri(kLv2PluginUri) << "\n\ta lv2:Plugin ;\n\tlv2:binary <" << dspBinary
        << "> ;\n\tui:ui " << uri(kLv2UiUri) << " ;\n\trdfs:seeAlso <glidefilter.ttl> .\n\n"
        << uri(kLv2DefaultPresetUri) << "\n\ta pset:Preset ;\n\tlv2:appliesTo "
        << uri(kLv2PluginUri) << " ;\n\trdfs:seeAlso <presets.ttl> .\n\n"
        << uri(kLv2UiUri) << "\n\ta ui:X11UI ;\n\tui:binary <" << uiBinary
        << "> ;\n\tlv2:requiredFeature ui:parent ,\n\t\tui:idleInterface ;\n"
           "\tlv2:optionalFeature urid:map ,\n\t\tui:resize ,\n\t\tui:noUserResize ,\n"
           "\t\tui:touch ,\n\t\topts:options ;\n"
           "\tlv2:extensionData ui:idleInterface ;\n"
           "\topts:supportedOption ui:scaleFactor ;\n"
           "\tui:portNotification [\n\t\tui:plugin "
        << uri(kLv2PluginUri)
        << " ;\n\t\tlv2:symbol \"notify\" ;\n\t\tui:protocol atom:eventTransfer\n\t] .\n";
    return out.str();
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        std::cerr << "glidefilter_lv2_describe: cannot write " << path << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: glidefilter_lv2_describe BUNDLE_FOLDER DSP_BINARY UI_BINARY\n";
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const bool written = writeFile(folder + "manifest.ttl", manifest(argv[2], argv[3])) &&
                         writeFile(folder + "glidefilter.ttl", pluginDescription()) &&
                         writeFile(folder + "presets.ttl", presets());
    return written ? 0 : 1;
}
