#include "lv2/urids.h"

#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/ui/ui.h>

#include <algorithm>
#include <iterator>

std::optional<Lv2Urids> Lv2Urids::map(LV2_URID_Map& map) {
    const auto urid = [&map](const char* uri) { return map.map(map.handle, uri); };
    const Lv2Urids urids{urid(LV2_ATOM__Sequence),
                         urid(LV2_ATOM__beatTime),
                         urid(LV2_MIDI__MidiEvent),
                         urid(LV2_ATOM__Object),
                         urid(LV2_ATOM__Blank),
                         urid(LV2_ATOM__Int),
                         urid(LV2_ATOM__Float),
                         urid(LV2_ATOM__eventTransfer),
                         urid(kLv2LearnUri),
                         urid(kLv2LearnedUri),
                         urid(kLv2ParameterUri),
                         urid(kLv2ControllerUri),
                         urid(LV2_BUF_SIZE__sequenceSize),
                         urid(LV2_UI__scaleFactor)};
    const LV2_URID all[] = {
        urids.sequence,  urids.beatTime,   urids.midiEvent,     urids.object,     urids.blank,
        urids.intType,   urids.floatType,  urids.eventTransfer, urids.learn,      urids.learned,
        urids.parameter, urids.controller, urids.sequenceSize,  urids.scaleFactor};
    if (std::find(std::begin(all), std::end(all), LV2_URID{0}) != std::end(all)) {
        return std::nullopt;
    }
    return urids;
}
