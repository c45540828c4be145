#include "lv2/urids.h"

#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/ui/ui.h>

#include <iterator>
#include <utility>

namespace {

// Each field and the URI it numbers.
constexpr std::pair<LV2_URID Lv2Urids::*, const char*> kFields[] = {
    {&Lv2Urids::sequence, LV2_ATOM__Sequence},
    {&Lv2Urids::beatTime, LV2_ATOM__beatTime},
    {&Lv2Urids::midiEvent, LV2_MIDI__MidiEvent},
    {&Lv2Urids::object, LV2_ATOM__Object},
    {&Lv2Urids::blank, LV2_ATOM__Blank},
    {&Lv2Urids::intType, LV2_ATOM__Int},
    {&Lv2Urids::floatType, LV2_ATOM__Float},
    {&Lv2Urids::eventTransfer, LV2_ATOM__eventTransfer},
    {&Lv2Urids::learn, kLv2LearnUri},
    {&Lv2Urids::learned, kLv2LearnedUri},
    {&Lv2Urids::parameter, kLv2ParameterUri},
    {&Lv2Urids::controller, kLv2ControllerUri},
    {&Lv2Urids::sequenceSize, LV2_BUF_SIZE__sequenceSize},
    {&Lv2Urids::scaleFactor, LV2_UI__scaleFactor},
};
static_assert(std::size(kFields) * sizeof(LV2_URID) == sizeof(Lv2Urids), "every field mapped");

} // namespace

std::optional<Lv2Urids> Lv2Urids::map(LV2_URID_Map& map) {
    Lv2Urids urids{};
    for (const auto& [field, uri] : kFields) {
        urids.*field = map.map(map.handle, uri);
        if (urids.*field == 0) {
            return std::nullopt;
        }
    }
    return urids;
}
